#pragma once

#include "FileIo.h"
#include "LineModel.h"
#include "SectionEngine.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillane {

/// The fixed lines of the managed section, as UTF-8.
namespace section_text {
inline constexpr const char* StartMarker = "(*--- This section is added by Quillane ---*)";
inline constexpr const char* EndMarker = "(*--- End of section added by Quillane ---*)";
inline constexpr const char* CommentOpen = "(*";
inline constexpr const char* HomeDirective = "[HomeDirectory]";
inline constexpr const char* DefineUtilsDirective = "[DefineUtils]";
inline constexpr const char* CommentClose = "*)";
inline constexpr const char* CommandsBegin = "(* Quillane commands begin *)";
inline constexpr const char* CommandsEnd = "(* Quillane commands end *)";
}  // namespace section_text

/// The marker and directive lines encoded in one code page; what the reader
/// needs.
struct SectionMarkers {
    std::string StartMarker;
    std::string EndMarker;
    std::string HomeDirective;
    std::string DefineUtilsDirective;
    std::string CommandsBegin;
    std::string CommandsEnd;
};

/// Encodes the marker and directive lines into `codePage`.
SectionMarkers EncodeMarkers(unsigned codePage);

/// The reader's steps on a text made of consecutive pieces, each cut into
/// lines on its own, with the first lines of the start, end, commands begin
/// and commands end markers already found in `pieces` (`hits`, in that
/// order, as ContinueMarkerHits gives them): DefineUtils off, then whatever
/// the section mentions. The writer's read-back check.
void ReadSectionAt(const std::string_view* pieces, const MarkerHit* hits, const SectionMarkers& markers,
                   SectionSettings& settings);

/// The same reader's steps on the lines of a file read in pieces, in one
/// pass: LoadSection's. When reading fails, `settings` only has DefineUtils off.
FileError ReadSectionFromFile(IReadableFile& file, const SectionMarkers& markers, SectionSettings& settings);

/// Whether the settings make a section at all (some value is set).
bool SectionWanted(const SectionSettings& settings, const std::string& notSet);

/// The lines of a written section, in order, without their breaks.
/// Assumes SectionWanted.
std::vector<std::string> BuildSectionLines(const SectionSettings& settings, unsigned codePage);

/// Drops the one empty line that the writer puts before the commands end
/// marker from the commands text read from between the markers.
void DropWritersEmptyLine(std::string& commands);

/// `text` as the inside of a Mathematica string literal: `\` and `"` get a
/// backslash. Scans characters, so a trail byte 0x5C is left alone.
std::string EscapeMathematicaString(std::string_view text, unsigned codePage);

}  // namespace quillane

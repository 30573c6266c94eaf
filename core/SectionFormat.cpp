#include "SectionFormat.h"

#include "CodePage.h"
#include "LineModel.h"

namespace quillane {

SectionMarkers EncodeMarkers(unsigned codePage)
{
    using namespace section_text;
    return SectionMarkers{FromUtf8(StartMarker, codePage),          FromUtf8(EndMarker, codePage),
                          FromUtf8(HomeDirective, codePage),        FromUtf8(DefineUtilsDirective, codePage),
                          FromUtf8(CommandsBegin, codePage),        FromUtf8(CommandsEnd, codePage)};
}

void ReadSectionFromLines(const LineSpans& lines, const SectionMarkers& markers, SectionSettings& settings)
{
    settings.DefineUtils = false;
    // One pass finds all four markers; the commands markers are looked up in
    // the whole file too, not only inside the section.
    const std::string_view wanted[] = {markers.StartMarker, markers.EndMarker, markers.CommandsBegin,
                                       markers.CommandsEnd};
    std::ptrdiff_t at[4];
    FindMarkerLines(lines, wanted, 4, at);
    const std::ptrdiff_t s = at[0], e = at[1], b = at[2], n = at[3];
    if (s == LineNotFound || e == LineNotFound) return;

    for (std::ptrdiff_t i = s + 1; i < e; ++i) {
        const std::string_view line = lines[static_cast<std::size_t>(i)];
        if (IsDirective(line, markers.HomeDirective))
            settings.HomeDirectory = std::string(line.substr(markers.HomeDirective.size()));
        if (IsDirective(line, markers.DefineUtilsDirective)) settings.DefineUtils = true;
    }

    // A missing commands marker counts as -1, so a missing end marker still
    // empties the text.
    if (b > s && n < e) {
        std::string commands;
        for (std::ptrdiff_t j = b + 1; j < n; ++j) {
            commands.append(lines[static_cast<std::size_t>(j)]);
            commands.append(CrLf);
        }
        settings.Commands = std::move(commands);
    }
}

void ReadSectionFromLines(const std::vector<std::string_view>& lines, const SectionMarkers& markers,
                          SectionSettings& settings)
{
    LineSpans spans;
    spans.Append(lines.data(), lines.size());
    ReadSectionFromLines(spans, markers, settings);
}

bool SectionWanted(const SectionSettings& settings, const std::string& notSet)
{
    return settings.HomeDirectory != notSet || settings.DefineUtils ||
           settings.Commands.find(notSet) == std::string::npos;
}

std::string EscapeMathematicaString(std::string_view text, unsigned codePage)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsLeadByte(static_cast<unsigned char>(c), codePage) && i + 1 < text.size()) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

std::vector<std::string> BuildSectionItems(const SectionSettings& settings, unsigned codePage)
{
    using namespace section_text;
    const auto enc = [codePage](const char* utf8) { return FromUtf8(utf8, codePage); };
    const std::string notSet = NotSetText(codePage);
    const std::string crlf(CrLf);
    const bool home = settings.HomeDirectory != notSet;
    const bool commands = settings.Commands.find(notSet) == std::string::npos;

    std::vector<std::string> items;
    items.push_back(enc(StartMarker));
    items.push_back(enc(CommentOpen));
    if (home) items.push_back(enc(HomeDirective) + settings.HomeDirectory);
    if (settings.DefineUtils) items.push_back(enc(DefineUtilsDirective));
    items.push_back(enc(CommentClose));
    if (home) {
        // The header keeps the raw text for the reader; the code line gets a
        // proper string literal so the kernel sees exactly that folder.
        items.push_back(crlf + enc("$Path = DeleteCases[$Path, $HomeDirectory]") + crlf +
                        enc("Unprotect[$HomeDirectory]") + crlf + enc("$HomeDirectory = \"") +
                        EscapeMathematicaString(settings.HomeDirectory, codePage) + enc("\"") + crlf +
                        enc("Protect[$HomeDirectory]") + crlf + enc("AppendTo[$Path, $HomeDirectory]") + crlf +
                        enc("SetDirectory[$HomeDirectory]") + crlf);
    }
    if (settings.DefineUtils) {
        items.push_back(crlf + enc("MoveToNotebookDirectory::usage =") + crlf +
                        enc("\"MoveToNotebook[] はノートブックの保存先ディレクトリをカレントディレクトリにする。(Quillane)\"") +
                        crlf + enc("MoveToNotebookDirectory[] :=") + crlf +
                        enc("SetDirectory[ ToFileName[NotebookDirectory /. Options[$FrontEnd]] ];") + crlf);
    }
    if (commands) {
        items.push_back(enc(CommandsBegin));
        items.push_back(settings.Commands);
        items.push_back(enc(CommandsEnd));
        items.emplace_back();
    }
    items.push_back(enc(EndMarker));
    return items;
}

}  // namespace quillane

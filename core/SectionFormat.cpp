#include "SectionFormat.h"

#include "CodePage.h"
#include "LineModel.h"

namespace quillane {

SectionMarkers EncodeMarkers(unsigned codePage) {
    using namespace section_text;
    return SectionMarkers{FromUtf8(StartMarker, codePage),   FromUtf8(EndMarker, codePage),
                          FromUtf8(HomeDirective, codePage), FromUtf8(DefineUtilsDirective, codePage),
                          FromUtf8(CommandsBegin, codePage), FromUtf8(CommandsEnd, codePage)};
}

void ReadSectionAt(const std::string_view* pieces, const MarkerHit* at, const SectionMarkers& markers,
                   SectionSettings& settings) {
    settings.DefineUtils = false;
    const MarkerHit& s = at[0];
    const MarkerHit& e = at[1];
    const MarkerHit& b = at[2];
    const MarkerHit& n = at[3];
    if (s.Line == LineNotFound || e.Line == LineNotFound) return;

    if (s.Line < e.Line) {
        ForEachLineBetween(pieces, s.Next, e.Begin, [&](std::string_view line) {
            if (IsDirective(line, markers.HomeDirective))
                settings.HomeDirectory = std::string(line.substr(markers.HomeDirective.size()));
            if (IsDirective(line, markers.DefineUtilsDirective)) settings.DefineUtils = true;
        });
    }

    // A missing commands marker counts as -1, so a missing end marker still
    // empties the text.
    if (b.Line > s.Line && n.Line < e.Line) {
        std::string commands;
        if (b.Line < n.Line) {
            ForEachLineBetween(pieces, b.Next, n.Begin, [&](std::string_view line) {
                commands.append(line);
                commands.append(CrLf);
            });
            DropWritersEmptyLine(commands);
        }
        settings.Commands = std::move(commands);
    }
}

namespace {

// One pass over the file: where the first line of each marker starts, and
// what the lines between the markers say, gathered while reading since the
// file is seen only once; used only if the markers turn out right. Offsets
// order the lines as their numbers would.
class SectionScan {
public:
    explicit SectionScan(const SectionMarkers& markers)
        : FMarkers(markers),
          FWanted{markers.StartMarker, markers.EndMarker, markers.CommandsBegin, markers.CommandsEnd},
          FSet(FWanted, 4) {}

    // Reads the stretch `text` that starts at `offset` in the file; false
    // once no later line can change what was read.
    bool Stretch(std::string_view text, std::uint64_t offset) {
        // A byte order mark does not hide a marker on the first line.
        std::size_t pos = offset == 0 ? BomLength(text) : 0;
        while (pos < text.size()) {
            const std::string_view rest = text.substr(pos);
            pos += EveryLine() ? ScanEveryLine(rest, offset + pos) : ScanMarkerLines(rest, offset + pos);
            // Once every marker is found, each range has closed.
            if (AllFound()) return false;
        }
        return true;
    }

    // What was read, into `settings`.
    void Apply(SectionSettings& settings) {
        const std::uint64_t s = FAt[0], e = FAt[1], b = FAt[2], n = FAt[3];
        if (s == NotFound || e == NotFound) return;
        if (s < e) {
            if (FHome) settings.HomeDirectory = std::move(FHomeDirectory);
            settings.DefineUtils = FUtils;
        }
        // A missing commands marker counts as before everything, so a missing
        // end marker still empties the text; so does an end marker above the
        // start marker.
        const bool beginAfterStart = b != NotFound && b > s;
        const bool stopBeforeEnd = n == NotFound || n < e;
        if (beginAfterStart && stopBeforeEnd) {
            if (n == NotFound || n < b) FCommands.clear();
            DropWritersEmptyLine(FCommands);
            settings.Commands = std::move(FCommands);
        }
    }

private:
    static constexpr std::uint64_t NotFound = ~std::uint64_t{0};
    static constexpr unsigned StartBit = 1, EndBit = 2, BeginBit = 4, StopBit = 8;

    // Every line counts while inside a range; outside, only marker lines do,
    // and when the markers share their first bytes only lines beginning
    // with them need a look.
    bool EveryLine() const { return FInSection || FInCommands || !FSet.HasLead(); }
    bool AllFound() const {
        return FAt[0] != NotFound && FAt[1] != NotFound && FAt[2] != NotFound && FAt[3] != NotFound;
    }

    // Lines of `rest` (at `offset` in the file) one by one, as long as every
    // line counts; the bytes done.
    std::size_t ScanEveryLine(std::string_view rest, std::uint64_t offset) {
        std::size_t done = rest.size();
        ForEachLine(rest, [&](std::string_view line, std::size_t next) {
            if (FInSection || FInCommands || FSet.MayMatch(line.size()))
                Visit(line, offset + static_cast<std::size_t>(line.data() - rest.data()));
            done = next;
            return EveryLine();
        });
        return done;
    }

    // Only the lines of `rest` that begin as the markers do, until one makes
    // every line count; the bytes done.
    std::size_t ScanMarkerLines(std::string_view rest, std::uint64_t offset) {
        std::size_t done = rest.size();
        ForEachLineBeginningWith<false>(rest, FSet.Lead()[0], FSet.Lead()[1], [&](std::size_t p, std::ptrdiff_t) {
            std::size_t length = 0;
            std::size_t next = 0;
            FSet.ForEachMatchAt(rest, p, [&](std::size_t k, std::size_t after) {
                length = FWanted[k].size();
                next = after;
            });
            if (next == 0) return true;  // no marker: nothing to read here
            Visit(rest.substr(p, length), offset + p);
            if (!EveryLine()) return true;
            done = next;
            return false;
        });
        return done;
    }

    // Notes the markers `line` is the first line of, and what it says when
    // it lies strictly between the first start marker and the first end
    // marker below it (likewise for the commands markers).
    void Visit(std::string_view line, std::uint64_t offset) {
        unsigned first = 0;  // markers seen for the first time on this line
        FSet.ForEachMatch(line, [&](std::size_t k) {
            if (FAt[k] != NotFound) return;
            FAt[k] = offset;
            first |= 1u << k;
        });
        if (first & EndBit) FInSection = false;
        if (first & StopBit) FInCommands = false;
        if (FInSection) {
            if (IsDirective(line, FMarkers.HomeDirective)) {
                FHome = true;
                FHomeDirectory.assign(line.substr(FMarkers.HomeDirective.size()));
            }
            if (IsDirective(line, FMarkers.DefineUtilsDirective)) FUtils = true;
        }
        if (FInCommands) {
            FCommands.append(line);
            FCommands.append(CrLf);
        }
        if ((first & StartBit) && FAt[1] == NotFound) FInSection = true;
        if ((first & BeginBit) && FAt[3] == NotFound) FInCommands = true;
    }

    const SectionMarkers& FMarkers;
    const std::string_view FWanted[4];
    const MarkerSet FSet;
    std::uint64_t FAt[4] = {NotFound, NotFound, NotFound, NotFound};  // start, end, begin, stop
    bool FHome = false;
    std::string FHomeDirectory;
    bool FUtils = false;
    std::string FCommands;
    bool FInSection = false;
    bool FInCommands = false;
};

}  // namespace

FileError ReadSectionFromFile(IReadableFile& file, const SectionMarkers& markers, SectionSettings& settings) {
    settings.DefineUtils = false;
    SectionScan scan(markers);
    const FileError error =
        ForEachStretchOf(file, [&](std::string_view text, std::uint64_t offset) { return scan.Stretch(text, offset); });
    if (error != 0) return error;
    scan.Apply(settings);
    return 0;
}

bool SectionWanted(const SectionSettings& settings, const std::string& notSet) {
    return settings.HomeDirectory != notSet || settings.DefineUtils ||
           settings.Commands.find(notSet) == std::string::npos;
}

std::string EscapeMathematicaString(std::string_view text, unsigned codePage) {
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

std::vector<std::string> BuildSectionLines(const SectionSettings& settings, unsigned codePage) {
    using namespace section_text;
    const auto enc = [codePage](const char* utf8) { return FromUtf8(utf8, codePage); };
    const std::string notSet = NotSetText(codePage);
    const bool home = settings.HomeDirectory != notSet;
    const bool commands = settings.Commands.find(notSet) == std::string::npos;

    std::vector<std::string> lines;
    const auto add = [&lines](std::initializer_list<std::string> more) { lines.insert(lines.end(), more); };
    add({enc(StartMarker), enc(CommentOpen)});
    if (home) add({enc(HomeDirective) + settings.HomeDirectory});
    if (settings.DefineUtils) add({enc(DefineUtilsDirective)});
    add({enc(CommentClose)});
    if (home) {
        // The header keeps the raw text for the reader; the code line gets a
        // proper string literal so the kernel sees exactly that folder.
        add({std::string(), enc("$Path = DeleteCases[$Path, $HomeDirectory]"), enc("Unprotect[$HomeDirectory]"),
             enc("$HomeDirectory = \"") + EscapeMathematicaString(settings.HomeDirectory, codePage) + enc("\""),
             enc("Protect[$HomeDirectory]"), enc("AppendTo[$Path, $HomeDirectory]"),
             enc("SetDirectory[$HomeDirectory]"), std::string()});
    }
    if (settings.DefineUtils) {
        add({std::string(), enc("MoveToNotebookDirectory::usage ="),
             enc("\"MoveToNotebook[] はノートブックの保存先ディレクトリをカレントディレクトリにする。(Quillane)\""),
             enc("MoveToNotebookDirectory[] :="),
             enc("SetDirectory[ ToFileName[NotebookDirectory /. Options[$FrontEnd]] ];"), std::string()});
    }
    if (commands) {
        add({enc(CommandsBegin)});
        for (const std::string_view line : SplitLines(settings.Commands)) lines.emplace_back(line);
        // The reader takes the empty line before the end marker as the
        // writer's own, so every text comes back as it went in.
        add({std::string(), enc(CommandsEnd), std::string()});
    }
    add({enc(EndMarker)});
    return lines;
}

void DropWritersEmptyLine(std::string& commands) {
    // Lines hold no breaks: a text ending in two breaks ends in an empty line.
    const std::size_t n = commands.size();
    const bool onlyEmpty = commands == CrLf;
    const bool endsEmpty = n >= 2 * CrLf.size() && commands.compare(n - CrLf.size(), CrLf.size(), CrLf) == 0 &&
                           commands.compare(n - 2 * CrLf.size(), CrLf.size(), CrLf) == 0;
    if (onlyEmpty || endsEmpty) commands.resize(n - CrLf.size());
}

}  // namespace quillane

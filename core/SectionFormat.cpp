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

void ReadSectionAt(const std::string_view* pieces, const MarkerHit* at, const SectionMarkers& markers,
                   SectionSettings& settings)
{
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

FileError ReadSectionFromFile(IReadableFile& file, const SectionMarkers& markers, SectionSettings& settings)
{
    settings.DefineUtils = false;
    const std::string_view wanted[] = {markers.StartMarker, markers.EndMarker, markers.CommandsBegin,
                                       markers.CommandsEnd};
    const MarkerSet set(wanted, 4);
    // Where the first line of each marker starts in the file; offsets order
    // the lines as their numbers would.
    constexpr std::uint64_t notFound = ~std::uint64_t{0};
    std::uint64_t at[4] = {notFound, notFound, notFound, notFound};
    std::uint64_t& s = at[0];
    std::uint64_t& e = at[1];
    std::uint64_t& b = at[2];
    std::uint64_t& n = at[3];

    // What the lines between the markers say, gathered while reading since
    // the file is seen only once; used only if the markers turn out right.
    bool home = false;
    std::string homeDirectory;
    bool utils = false;
    std::string commands;

    // Whether the current line lies strictly between the first start
    // marker and the first end marker below it, and likewise for the
    // commands markers.
    bool inSection = false;
    bool inCommands = false;
    constexpr unsigned startBit = 1, endBit = 2, beginBit = 4, stopBit = 8;

    const auto visit = [&](std::string_view line, std::uint64_t offset) {
        unsigned first = 0;  // markers seen for the first time on this line
        set.ForEachMatch(line, [&](std::size_t k) {
            if (at[k] != notFound) return;
            at[k] = offset;
            first |= 1u << k;
        });
        if (first & endBit) inSection = false;
        if (first & stopBit) inCommands = false;
        if (inSection) {
            if (IsDirective(line, markers.HomeDirective)) {
                home = true;
                homeDirectory.assign(line.substr(markers.HomeDirective.size()));
            }
            if (IsDirective(line, markers.DefineUtilsDirective)) utils = true;
        }
        if (inCommands) {
            commands.append(line);
            commands.append(CrLf);
        }
        if ((first & startBit) && e == notFound) inSection = true;
        if ((first & beginBit) && n == notFound) inCommands = true;
    };
    // Every line counts while inside a range; outside, only marker lines do,
    // and when the markers share their first bytes only lines beginning
    // with them need a look.
    const auto everyLine = [&] { return inSection || inCommands || !set.HasLead(); };
    const auto allFound = [&] { return s != notFound && e != notFound && b != notFound && n != notFound; };

    const FileError error = ForEachStretchOf(file, [&](std::string_view text, std::uint64_t offset) {
        // A byte order mark does not hide a marker on the first line.
        std::size_t pos = offset == 0 ? BomLength(text) : 0;
        while (pos < text.size()) {
            const std::string_view rest = text.substr(pos);
            std::size_t done = rest.size();
            if (everyLine()) {
                ForEachLine(rest, [&](std::string_view line, std::size_t next) {
                    if (inSection || inCommands || set.MayMatch(line.size()))
                        visit(line, offset + pos + static_cast<std::size_t>(line.data() - rest.data()));
                    done = next;
                    return everyLine();
                });
            } else {
                // Offsets order the lines here: no need to count them.
                ForEachLineBeginningWith<false>(rest, set.Lead()[0], set.Lead()[1], [&](std::size_t p, std::ptrdiff_t) {
                    std::size_t length = 0;
                    std::size_t next = 0;
                    set.ForEachMatchAt(rest, p, [&](std::size_t k, std::size_t after) {
                        length = wanted[k].size();
                        next = after;
                    });
                    if (next == 0) return true;  // no marker: nothing to read here
                    visit(rest.substr(p, length), offset + pos + p);
                    if (!everyLine()) return true;
                    done = next;
                    return false;
                });
            }
            pos += done;
            // Once every marker is found, no later line can change what was
            // read: each range has closed by then.
            if (allFound()) return false;
        }
        return true;
    });
    if (error != 0) return error;
    if (s == notFound || e == notFound) return 0;

    if (s < e) {
        if (home) settings.HomeDirectory = std::move(homeDirectory);
        settings.DefineUtils = utils;
    }
    // A missing commands marker counts as before everything, so a missing
    // end marker still empties the text; so does an end marker above the
    // start marker.
    const bool beginAfterStart = b != notFound && b > s;
    const bool stopBeforeEnd = n == notFound || n < e;
    if (beginAfterStart && stopBeforeEnd) {
        if (n == notFound || n < b) commands.clear();
        DropWritersEmptyLine(commands);
        settings.Commands = std::move(commands);
    }
    return 0;
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

std::vector<std::string> BuildSectionLines(const SectionSettings& settings, unsigned codePage)
{
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

void DropWritersEmptyLine(std::string& commands)
{
    // Lines hold no breaks: a text ending in two breaks ends in an empty line.
    const std::size_t n = commands.size();
    const bool onlyEmpty = commands == CrLf;
    const bool endsEmpty = n >= 2 * CrLf.size() && commands.compare(n - CrLf.size(), CrLf.size(), CrLf) == 0 &&
                           commands.compare(n - 2 * CrLf.size(), CrLf.size(), CrLf) == 0;
    if (onlyEmpty || endsEmpty) commands.resize(n - CrLf.size());
}

}  // namespace quillane

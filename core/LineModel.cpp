#include "LineModel.h"

#include <algorithm>
#include <cstdint>

namespace quillane {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line, std::size_t) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

std::string JoinLines(const std::vector<std::string_view>& lines) {
    std::size_t size = 0;
    for (auto line : lines) size += line.size() + CrLf.size();
    std::string out;
    out.reserve(size);
    for (auto line : lines) {
        out.append(line);
        out.append(CrLf);
    }
    return out;
}

std::string_view MostUsedBreak(const BreakCounts& counts) {
    if (counts.CrLf + counts.Lf + counts.Cr == 0) return {};
    if (counts.CrLf >= counts.Lf && counts.CrLf >= counts.Cr) return "\r\n";
    return counts.Lf >= counts.Cr ? "\n" : "\r";
}

namespace {
char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

MarkerSet::MarkerSet(const std::string_view* markers, std::size_t count) : FMarkers(markers), FCount(count) {
    for (std::size_t k = 0; k < count; ++k) {
        FLongest = std::max(FLongest, markers[k].size());
        if (markers[k].size() < 64)
            FShortLengths |= std::uint64_t{1} << markers[k].size();
        else
            FLongMarker = true;
    }
    // A letter could stand in either case, and a marker holding a break can
    // match no line: such sets are looked for line by line.
    const auto usable = [](char c) {
        return c != '\r' && c != '\n' && !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    };
    FHasLead = count > 0 && markers[0].size() >= 2 && usable(markers[0][0]) && usable(markers[0][1]);
    for (std::size_t k = 0; k < count && FHasLead; ++k) {
        const std::string_view m = markers[k];
        FHasLead = m.size() >= 2 && m[0] == markers[0][0] && m[1] == markers[0][1] &&
                   m.find_first_of("\r\n") == std::string_view::npos;
    }
    if (FHasLead) {
        FLead[0] = markers[0][0];
        FLead[1] = markers[0][1];
    }
}

std::ptrdiff_t ContinueMarkerHits(const std::string_view* pieces, std::size_t pieceCount, std::size_t from,
                                  std::ptrdiff_t linesBefore, const std::string_view* markers, std::size_t count,
                                  std::size_t needed, MarkerHit* hits) {
    const MarkerSet set(markers, count);
    std::size_t missing = 0;
    for (std::size_t k = 0; k < needed; ++k) missing += hits[k].Line == LineNotFound;
    std::ptrdiff_t index = linesBefore;
    for (std::size_t p = from; p < pieceCount && missing > 0; ++p) {
        const std::string_view text = pieces[p];
        const auto record = [&](std::ptrdiff_t line, std::size_t begin, std::size_t k, std::size_t next) {
            if (hits[k].Line != LineNotFound) return;
            hits[k] = MarkerHit{line, {p, begin}, {p, next}};
            if (k < needed) --missing;
        };
        if (set.HasLead()) {
            // Only lines that begin like the markers are looked at.
            std::ptrdiff_t stoppedAt = 0;
            const std::ptrdiff_t lines =
                ForEachLineBeginningWith(text, set.Lead()[0], set.Lead()[1], [&](std::size_t pos, std::ptrdiff_t line) {
                    set.ForEachMatchAt(text, pos,
                                       [&](std::size_t k, std::size_t next) { record(index + line, pos, k, next); });
                    stoppedAt = line;
                    return missing > 0;
                });
            if (lines < 0) return index + stoppedAt + 1;
            index += lines;
            continue;
        }
        const char* const base = text.data();
        ForEachLine(text, [&](std::string_view line, std::size_t next) {
            set.ForEachMatch(
                line, [&](std::size_t k) { record(index, static_cast<std::size_t>(line.data() - base), k, next); });
            ++index;
            return missing > 0;
        });
    }
    return index;
}

bool IsDirective(std::string_view line, std::string_view directive) {
    return line.substr(0, directive.size()) == directive;
}

}  // namespace quillane

#pragma once

#include "LineScan.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillane {

/// Index returned when no line matches.
constexpr std::ptrdiff_t LineNotFound = -1;

/// The break after each line of a commands text, as the reader builds it.
constexpr std::string_view CrLf = "\r\n";

/// A UTF-8 byte order mark; at the start of a file it is no part of the
/// first line.
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

/// The length of the byte order mark `text` begins with, or 0.
inline std::size_t BomLength(std::string_view text) {
    return text.substr(0, Utf8Bom.size()) == Utf8Bom ? Utf8Bom.size() : 0;
}

/// The break `counts` has most of (CR LF, then LF, then CR on a tie), or
/// empty when it has none.
std::string_view MostUsedBreak(const BreakCounts& counts);

/// Cuts `text` into lines at CR, LF and CR LF (LF CR is two breaks). A final
/// line without a break is a line; a final break adds no empty line. The
/// views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

/// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string_view>& lines);

/// Whole-text equality ignoring the case of ASCII letters; other bytes must
/// be equal. Exact for ASCII markers in code page 932, whose lead bytes are
/// never ASCII.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

/// A few marker lines, each matched as a whole line ignoring case; nearly
/// every line is rejected on its length alone.
class MarkerSet {
public:
    /// `markers` must outlive the set.
    MarkerSet(const std::string_view* markers, std::size_t count);
    /// Whether a line of `length` bytes can be one of the markers.
    bool MayMatch(std::size_t length) const { return length < 64 ? ((FShortLengths >> length) & 1) != 0 : FLongMarker; }
    /// Whether every marker begins with the same two bytes, neither a letter
    /// nor a break: then only lines that begin with them (`Lead()`) need
    /// looking at.
    bool HasLead() const { return FHasLead; }
    /// The two bytes every marker begins with, when HasLead().
    const char* Lead() const { return FLead; }
    /// Calls `f(k, next)` for every marker `k` that the line starting at
    /// `pos` of `text` equals, where `next` is the offset past its break.
    /// Needs no line end: the byte after a marker's length must end the line.
    template <class F>
    void ForEachMatchAt(std::string_view text, std::size_t pos, F&& f) const {
        const std::size_t room = text.size() - pos;
        if (room > FLongest) {
            // Nearly every line is turned down here, without a branch per
            // marker: none of the marker lengths ends the line.
            bool mayEnd = false;
            for (std::size_t k = 0; k < FCount; ++k) {
                const char c = text[pos + FMarkers[k].size()];
                mayEnd |= (c == '\r') | (c == '\n');
            }
            if (!mayEnd) return;
        }
        for (std::size_t k = 0; k < FCount; ++k) {
            const std::size_t n = FMarkers[k].size();
            if (n > room) continue;
            const std::size_t end = pos + n;
            if (end < text.size() && text[end] != '\r' && text[end] != '\n') continue;
            if (!EqualsIgnoringCase(text.substr(pos, n), FMarkers[k])) continue;
            std::size_t next = end;
            if (end < text.size())
                next += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
            f(k, next);
        }
    }
    /// Calls `f(k)` for every marker `k` that `line` equals.
    template <class F>
    void ForEachMatch(std::string_view line, F&& f) const {
        const std::size_t n = line.size();
        if (!MayMatch(n)) return;
        for (std::size_t k = 0; k < FCount; ++k) {
            if (n == FMarkers[k].size() && EqualsIgnoringCase(line, FMarkers[k])) f(k);
        }
    }

private:
    const std::string_view* FMarkers;
    std::size_t FCount;
    std::uint64_t FShortLengths = 0;  // bit n: some marker is n bytes long
    bool FLongMarker = false;
    std::size_t FLongest = 0;
    bool FHasLead = false;
    char FLead[2] = {};
};

/// A place in a text made of consecutive pieces.
struct TextPos {
    std::size_t Piece = 0;   ///< index of the piece
    std::size_t Offset = 0;  ///< byte offset inside that piece
};

/// Where the first line equal to a marker stands.
struct MarkerHit {
    std::ptrdiff_t Line = LineNotFound;  ///< index over the lines of all pieces
    TextPos Begin;                       ///< the line's first byte
    TextPos Next;                        ///< just past the line's break
};

/// The first line of each of `markers` (ignoring case) among the lines of
/// `pieces`, each piece cut into lines on its own, as a file assembled from
/// them would hold them, carried on from piece `from`: `hits` hold what the
/// pieces before it gave, which had `linesBefore` lines. Stops once the
/// first `needed` markers are all found. Returns the number of lines looked
/// at, those before `from` included.
std::ptrdiff_t ContinueMarkerHits(const std::string_view* pieces, std::size_t pieceCount, std::size_t from,
                                  std::ptrdiff_t linesBefore, const std::string_view* markers, std::size_t count,
                                  std::size_t needed, MarkerHit* hits);

/// Calls `f(line)` for every line of `pieces` from `from` up to `to`; both
/// must stand at the beginning of a line (or at the end of a piece).
template <class F>
void ForEachLineBetween(const std::string_view* pieces, TextPos from, TextPos to, F&& f) {
    for (std::size_t p = from.Piece; p <= to.Piece; ++p) {
        const std::size_t a = p == from.Piece ? from.Offset : 0;
        const std::size_t b = p == to.Piece ? to.Offset : pieces[p].size();
        if (a >= b) continue;
        ForEachLine(pieces[p].substr(a, b - a), [&](std::string_view line, std::size_t) {
            f(line);
            return true;
        });
    }
}

/// Whether `line` begins with `directive`, case-sensitively.
bool IsDirective(std::string_view line, std::string_view directive);

}  // namespace quillane

#include "LineModel.h"

#include <cstdint>
#include <cstring>

namespace quillane {

namespace {

// Number of LF bytes, eight at a time: a byte of the word XOR 0x0A..0A is
// zero exactly where an LF stands, and the mask below marks exactly the
// zero bytes (no borrow between bytes, unlike the quicker test).
std::size_t CountLf(const char* p, const char* end)
{
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t lf = 0x0A0A0A0A0A0A0A0Aull;
    std::size_t count = 0;
    for (; end - p >= 8; p += 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        const std::uint64_t x = w ^ lf;
        const std::uint64_t zeroHigh = ~(((x & low7) + low7) | x | low7);
        // One bit at the top of each byte: gather them with a multiply
        // (a popcount would be a library call without -mpopcnt).
        count += static_cast<std::size_t>(((zeroHigh >> 7) * 0x0101010101010101ull) >> 56);
    }
    for (; p < end; ++p) count += *p == '\n';
    return count;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    std::vector<std::string_view> lines;
    // Sizing the vector up front saves the copies of repeated growth (time
    // and peak memory on large files); the LF count is exact for LF and
    // CR LF files, and lone CRs only make the vector grow.
    lines.reserve(CountLf(p, end) + 1);

    const char* start = p;
    while (p < end) {
        // Line text is almost never a control character: skip eight bytes
        // at a time while none of them is below 0x0E (the classic
        // "has a byte less than n" word test, exact for n <= 128).
        while (end - p >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            constexpr std::uint64_t ones = 0x0101010101010101ull;
            if (((w - ones * 0x0E) & ~w & (ones * 0x80)) != 0) break;
            p += 8;
        }
        if (p == end) break;
        if (static_cast<unsigned char>(*p) > '\r') {
            ++p;
            continue;
        }
        const char c = *p;
        if (c != '\r' && c != '\n') {
            ++p;
            continue;
        }
        lines.emplace_back(start, static_cast<std::size_t>(p - start));
        // CR LF is one break; LF CR is two, so only CR swallows a partner.
        p += (c == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
        start = p;
    }
    if (start < end) lines.emplace_back(start, static_cast<std::size_t>(end - start));
    return lines;
}

std::string JoinLines(const std::vector<std::string_view>& lines)
{
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

namespace {
char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::ptrdiff_t FindMarkerLine(const std::vector<std::string_view>& lines, std::string_view marker)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (EqualsIgnoringCase(lines[i], marker)) return static_cast<std::ptrdiff_t>(i);
    }
    return LineNotFound;
}

namespace {

// Shared by both FindMarkerLines: checks one line against the markers not
// found yet; true once all are found.
bool MatchMarkers(std::size_t index, std::string_view line, const std::string_view* markers, std::size_t count,
                  std::ptrdiff_t* found, std::size_t& missing)
{
    for (std::size_t k = 0; k < count; ++k) {
        // The length test first: nearly every line fails it.
        if (line.size() == markers[k].size() && found[k] == LineNotFound && EqualsIgnoringCase(line, markers[k])) {
            found[k] = static_cast<std::ptrdiff_t>(index);
            --missing;
        }
    }
    return missing == 0;
}

}  // namespace

void FindMarkerLines(const std::vector<std::string_view>& lines, const std::string_view* markers, std::size_t count,
                     std::ptrdiff_t* found)
{
    std::size_t missing = count;
    for (std::size_t k = 0; k < count; ++k) found[k] = LineNotFound;
    for (std::size_t i = 0; i < lines.size() && missing > 0; ++i) MatchMarkers(i, lines[i], markers, count, found, missing);
}

void FindMarkerLines(const LineSpans& lines, const std::string_view* markers, std::size_t count, std::ptrdiff_t* found)
{
    std::size_t missing = count;
    for (std::size_t k = 0; k < count; ++k) found[k] = LineNotFound;
    if (count == 0) return;
    // ForEach cannot stop early; the check is a single compare once done.
    lines.ForEach([&](std::size_t i, std::string_view line) {
        if (missing > 0) MatchMarkers(i, line, markers, count, found, missing);
    });
}

bool IsDirective(std::string_view line, std::string_view directive)
{
    return line.substr(0, directive.size()) == directive;
}

LineList::LineList(std::string bytes)
    : FBytes(std::make_unique<const std::string>(std::move(bytes))), FLines(SplitLines(*FBytes))
{
}

}  // namespace quillane

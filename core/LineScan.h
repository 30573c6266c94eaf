#pragma once

#include "LineBreaks.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillane {

/// The number of bits set in `x`. Plain arithmetic: the builtin becomes a
/// library call where the processor's own instruction is not assumed.
inline unsigned BitCount(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<unsigned>((x * 0x0101010101010101ull) >> 56);
}

/// Calls `f(pos)` for every byte position of `text` that `pick` marks, in
/// order, until `f` returns false (then returns false). `pick(cr, lf,
/// crBefore, lfAfter)` gets, for one 64-byte block, the CR and LF masks and
/// the masks of positions whose previous byte is CR and whose next byte is
/// LF, and returns the mask of positions wanted.
template <class Pick, class F>
bool ForEachMarkedByte(std::string_view text, Pick&& pick, F&& f) {
    constexpr std::size_t batch = 16;
    std::uint64_t cr[batch];
    std::uint64_t lf[batch];
    const char* const base = text.data();
    const std::size_t size = text.size();
    std::uint64_t crTop = 0;
    std::size_t at = 0;
    while (at < size) {
        std::size_t blocks = (size - at) / BreakBlock;
        if (blocks > batch) blocks = batch;
        if (blocks > 0) {
            BreakMasks(base + at, blocks, cr, lf);
        } else {
            // The short last block, padded with bytes that are no break.
            char pad[BreakBlock] = {};
            std::memcpy(pad, base + at, size - at);
            BreakMasks(pad, 1, cr, lf);
            blocks = 1;
        }
        for (std::size_t k = 0; k < blocks; ++k, at += BreakBlock) {
            const std::uint64_t crBefore = (cr[k] << 1) | crTop;
            crTop = cr[k] >> 63;
            const std::uint64_t nextIsLf = at + BreakBlock < size && base[at + BreakBlock] == '\n';
            const std::uint64_t lfAfter = (lf[k] >> 1) | (nextIsLf << 63);
            for (std::uint64_t m = pick(cr[k], lf[k], crBefore, lfAfter); m != 0; m &= m - 1) {
                if (!f(at + static_cast<std::size_t>(__builtin_ctzll(m)))) return false;
            }
        }
    }
    return true;
}

/// Calls `f(line, next)` for every line of `text` (cut at CR, LF and CR LF;
/// LF CR is two breaks; a final break adds no line), where `next` is the
/// offset just past the line's break, until `f` returns false.
template <class F>
bool ForEachLine(std::string_view text, F&& f) {
    const char* const base = text.data();
    const std::size_t size = text.size();
    std::size_t start = 0;
    // CRs of CR LF pairs in the current block: their line's break is two
    // bytes long. Read from the mask, so no branch depends on the bytes.
    std::uint64_t pairs = 0;
    // A line ends at every CR and at every LF that no CR comes before.
    const bool whole = ForEachMarkedByte(
        text,
        [&pairs](std::uint64_t cr, std::uint64_t lf, std::uint64_t crBefore, std::uint64_t lfAfter) {
            pairs = cr & lfAfter;
            return cr | (lf & ~crBefore);
        },
        [&](std::size_t pos) {
            const std::size_t next = pos + 1 + static_cast<std::size_t>((pairs >> (pos % BreakBlock)) & 1);
            const std::string_view line(base + start, pos - start);
            start = next;
            return f(line, next);
        });
    if (!whole) return false;
    if (start < size) return f(std::string_view(base + start, size - start), size);
    return true;
}

/// Calls `f(pos, index)` for every line of `text` whose first two bytes are
/// `a` `b` (neither may be CR or LF), where `pos` is the line's first byte
/// and `index` the number of lines above it, until `f` returns false. Lines
/// are cut as ForEachLine cuts them, but only those candidates are looked at
/// one by one: the rest are counted a block at a time. Returns the number of
/// lines in `text`, or -1 when `f` stopped the scan. Without `CountLines`
/// no line is counted: `index` is 0, and so is the result unless stopped.
template <bool CountLines = true, class F>
std::ptrdiff_t ForEachLineBeginningWith(std::string_view text, char a, char b, F&& f) {
    constexpr std::size_t batch = 16;
    std::uint64_t cr[batch];
    std::uint64_t lf[batch];
    std::uint64_t ma[batch];
    std::uint64_t mb[batch];
    const char* const base = text.data();
    const std::size_t size = text.size();
    std::uint64_t crTop = 0;
    std::uint64_t breakTop = 1;  // the text's first byte begins a line
    std::ptrdiff_t lines = 0;
    std::size_t at = 0;
    while (at < size) {
        std::size_t blocks = (size - at) / BreakBlock;
        if (blocks > batch) blocks = batch;
        std::uint64_t valid = ~std::uint64_t{0};
        if (blocks > 0) {
            BreakAndByteMasks(base + at, blocks, a, b, cr, lf, ma, mb);
        } else {
            // The short last block, padded; the padding matches nothing.
            char pad[BreakBlock] = {};
            std::memcpy(pad, base + at, size - at);
            BreakAndByteMasks(pad, 1, a, b, cr, lf, ma, mb);
            valid = (std::uint64_t{1} << (size - at)) - 1;
            blocks = 1;
        }
        // First the candidates of the whole batch, in a loop that calls
        // nothing; then the calls.
        std::uint64_t found = 0;
        for (std::size_t k = 0; k < blocks; ++k) {
            const std::uint64_t crBefore = (cr[k] << 1) | crTop;
            crTop = cr[k] >> 63;
            const std::uint64_t breaks = (cr[k] | lf[k]) & valid;
            const std::uint64_t starts = (breaks << 1) | breakTop;
            breakTop = breaks >> 63;
            const std::uint64_t nextB = k + 1 < blocks
                                            ? mb[k + 1] & 1
                                            : at + (k + 1) * BreakBlock < size && base[at + (k + 1) * BreakBlock] == b;
            const std::uint64_t bAfter = ((mb[k] & valid) >> 1) | (nextB << 63);
            ma[k] &= starts & bAfter & valid;
            found |= ma[k];
            // A line ends at every CR and at every LF that no CR comes before.
            if (CountLines) lf[k] = (cr[k] | (lf[k] & ~crBefore)) & valid;
        }
        for (std::size_t k = 0; k < blocks; ++k, at += BreakBlock) {
            if (found != 0) {
                for (std::uint64_t m = ma[k]; m != 0; m &= m - 1) {
                    const unsigned bit = static_cast<unsigned>(__builtin_ctzll(m));
                    const std::uint64_t above = lf[k] & ((std::uint64_t{1} << bit) - 1);
                    if (!f(at + bit, CountLines ? lines + BitCount(above) : 0)) return -1;
                }
            }
            if (CountLines) lines += BitCount(lf[k]);
        }
    }
    if (CountLines && size > 0 && base[size - 1] != '\r' && base[size - 1] != '\n') ++lines;
    return lines;
}

/// How many breaks of each kind a text holds.
struct BreakCounts {
    std::size_t CrLf = 0;
    std::size_t Lf = 0;  ///< LFs with no CR before them
    std::size_t Cr = 0;  ///< CRs with no LF after them
};

/// The breaks of `text`, cut as ForEachLine cuts them, counted a block at a
/// time.
inline BreakCounts CountBreaks(std::string_view text) {
    std::size_t crs = 0, lfs = 0, pairs = 0;
    ForEachMarkedByte(
        text,
        [&](std::uint64_t cr, std::uint64_t lf, std::uint64_t crBefore, std::uint64_t) {
            crs += BitCount(cr);
            lfs += BitCount(lf);
            pairs += BitCount(lf & crBefore);
            return std::uint64_t{0};
        },
        [](std::size_t) { return true; });
    return BreakCounts{pairs, lfs - pairs, crs - pairs};
}

}  // namespace quillane

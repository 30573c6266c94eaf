#pragma once

#include "LineBreaks.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillane {

/// Calls `f(pos)` for every byte position of `text` that `pick` marks, in
/// order, until `f` returns false (then returns false). `pick(cr, lf,
/// crBefore, lfAfter)` gets, for one 64-byte block, the CR and LF masks and
/// the masks of positions whose previous byte is CR and whose next byte is
/// LF, and returns the mask of positions wanted.
template <class Pick, class F>
bool ForEachMarkedByte(std::string_view text, Pick&& pick, F&& f)
{
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
bool ForEachLine(std::string_view text, F&& f)
{
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

/// Calls `f(pos)` for every break of `text` that is not part of a CR LF pair
/// (a lone CR or a lone LF), until `f` returns false.
template <class F>
bool ForEachLoneBreak(std::string_view text, F&& f)
{
    return ForEachMarkedByte(
        text,
        [](std::uint64_t cr, std::uint64_t lf, std::uint64_t crBefore, std::uint64_t lfAfter) {
            return (cr & ~lfAfter) | (lf & ~crBefore);
        },
        f);
}

}  // namespace quillane

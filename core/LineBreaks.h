#pragma once

#include <cstddef>
#include <cstdint>

namespace quillane {

/// Bytes looked at per mask word.
constexpr std::size_t BreakBlock = 64;

/// For `blocks` consecutive 64-byte blocks starting at `p`: bit i of `cr[k]`
/// is set when byte i of block k is CR, likewise `lf` for LF. One backend per
/// processor family (vector instructions where there are some).
void BreakMasks(const char* p, std::size_t blocks, std::uint64_t* cr, std::uint64_t* lf);

/// BreakMasks, and in the same pass the masks of the bytes `a` (into `ma`)
/// and `b` (into `mb`): what a search for lines that begin with `a` `b`
/// needs.
void BreakAndByteMasks(const char* p, std::size_t blocks, char a, char b, std::uint64_t* cr, std::uint64_t* lf,
                       std::uint64_t* ma, std::uint64_t* mb);

}  // namespace quillane

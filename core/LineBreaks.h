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

}  // namespace quillane

// CR and LF masks eight bytes at a time in plain integers, for processors
// without a vector backend.
#include "LineBreaks.h"

#include <cstring>

namespace quillane {
namespace {

// Top bit of each byte set exactly where the byte of `w` equals the byte of
// `pattern` (no borrow between bytes), gathered into the low eight bits.
unsigned EqualBytes(std::uint64_t w, std::uint64_t pattern) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t x = w ^ pattern;
    const std::uint64_t high = ~(((x & low7) + low7) | x | low7);
    return static_cast<unsigned>(((high >> 7) * 0x0102040810204080ull) >> 56);
}

bool LittleEndian() {
    const std::uint16_t probe = 1;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// Bit i set where byte i of the 64 bytes at `p` equals `c`.
std::uint64_t EqualMask(const char* p, char c) {
    const std::uint64_t pattern = 0x0101010101010101ull * static_cast<unsigned char>(c);
    std::uint64_t mask = 0;
    for (int part = 0; part < 8; ++part, p += 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        // Bytes in memory order: the first byte is the lowest on
        // little-endian machines, the highest on big-endian ones.
        if (!LittleEndian()) w = __builtin_bswap64(w);
        mask |= static_cast<std::uint64_t>(EqualBytes(w, pattern)) << (8 * part);
    }
    return mask;
}

}  // namespace

void BreakMasks(const char* p, std::size_t blocks, std::uint64_t* cr, std::uint64_t* lf) {
    for (std::size_t k = 0; k < blocks; ++k, p += BreakBlock) {
        cr[k] = EqualMask(p, '\r');
        lf[k] = EqualMask(p, '\n');
    }
}

void BreakAndByteMasks(const char* p, std::size_t blocks, char a, char b, std::uint64_t* cr, std::uint64_t* lf,
                       std::uint64_t* ma, std::uint64_t* mb) {
    for (std::size_t k = 0; k < blocks; ++k, p += BreakBlock) {
        cr[k] = EqualMask(p, '\r');
        lf[k] = EqualMask(p, '\n');
        ma[k] = EqualMask(p, a);
        mb[k] = EqualMask(p, b);
    }
}

}  // namespace quillane

// CR and LF masks with vector compares: SSE2, which every x86-64 processor
// has, or AVX2 where the processor offers it (twice the bytes per compare).
// The choice is made once, at the first call.
#include "LineBreaks.h"

#include <immintrin.h>

namespace quillane {
namespace {

// Bit i set where byte i of the 64 bytes at `p` equals the byte in `pattern`.
std::uint64_t EqualMaskSse2(const char* p, __m128i pattern) {
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, pattern))))
                << (16 * part);
    }
    return mask;
}

template <std::size_t N>
void MasksSse2(const char* p, std::size_t blocks, const char* bytes, std::uint64_t* const* out) {
    __m128i patterns[N];
    for (std::size_t j = 0; j < N; ++j) patterns[j] = _mm_set1_epi8(bytes[j]);
    for (std::size_t k = 0; k < blocks; ++k, p += BreakBlock) {
        for (std::size_t j = 0; j < N; ++j) out[j][k] = EqualMaskSse2(p, patterns[j]);
    }
}

__attribute__((target("avx2"))) std::uint64_t EqualMaskAvx2(const char* p, __m256i pattern) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const auto low = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(lo, pattern)));
    const auto high = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(hi, pattern)));
    return static_cast<std::uint64_t>(low) | (static_cast<std::uint64_t>(high) << 32);
}

template <std::size_t N>
__attribute__((target("avx2"))) void MasksAvx2(const char* p, std::size_t blocks, const char* bytes,
                                               std::uint64_t* const* out) {
    __m256i patterns[N];
    for (std::size_t j = 0; j < N; ++j) patterns[j] = _mm256_set1_epi8(bytes[j]);
    for (std::size_t k = 0; k < blocks; ++k, p += BreakBlock) {
        for (std::size_t j = 0; j < N; ++j) out[j][k] = EqualMaskAvx2(p, patterns[j]);
    }
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// N byte masks per block, with the best instructions there are.
template <std::size_t N>
void Masks(const char* p, std::size_t blocks, const char* bytes, std::uint64_t* const* out) {
    if (HasAvx2())
        MasksAvx2<N>(p, blocks, bytes, out);
    else
        MasksSse2<N>(p, blocks, bytes, out);
}

}  // namespace

void BreakMasks(const char* p, std::size_t blocks, std::uint64_t* cr, std::uint64_t* lf) {
    const char bytes[] = {'\r', '\n'};
    std::uint64_t* const out[] = {cr, lf};
    Masks<2>(p, blocks, bytes, out);
}

void BreakAndByteMasks(const char* p, std::size_t blocks, char a, char b, std::uint64_t* cr, std::uint64_t* lf,
                       std::uint64_t* ma, std::uint64_t* mb) {
    const char bytes[] = {'\r', '\n', a, b};
    std::uint64_t* const out[] = {cr, lf, ma, mb};
    Masks<4>(p, blocks, bytes, out);
}

}  // namespace quillane

// CR and LF masks with SSE2, which every x86-64 processor has: sixteen
// compares and a byte-mask extraction per instruction.
#include "LineBreaks.h"

#include <emmintrin.h>

namespace quillane {

void BreakMasks(const char* p, std::size_t blocks, std::uint64_t* cr, std::uint64_t* lf)
{
    const __m128i crs = _mm_set1_epi8('\r');
    const __m128i lfs = _mm_set1_epi8('\n');
    for (std::size_t k = 0; k < blocks; ++k, p += BreakBlock) {
        std::uint64_t c = 0;
        std::uint64_t l = 0;
        for (int part = 0; part < 4; ++part) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            c |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, crs))))
                 << (16 * part);
            l |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lfs))))
                 << (16 * part);
        }
        cr[k] = c;
        lf[k] = l;
    }
}

}  // namespace quillane

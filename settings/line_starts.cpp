#include "settings/line_starts.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PALVOREN_SSE2 1
#endif

namespace palvoren {
namespace {

bool Wanted(std::string_view text, std::size_t lineStart, const ByteSet& wanted) {
    return lineStart == text.size() || wanted[static_cast<unsigned char>(text[lineStart])];
}

// One LF at a time, for what the blocks leave over and for machines without them.
std::size_t ByLines(std::string_view text, std::size_t from, const ByteSet& wanted) {
    for (;;) {
        const std::size_t lf = text.find('\n', from);
        if (lf == std::string_view::npos)
            return std::string_view::npos;
        if (Wanted(text, lf + 1, wanted))
            return lf + 1;
        from = lf + 1;
    }
}

}  // namespace

std::size_t NextLineStartingWith(std::string_view text, std::size_t from, const ByteSet& wanted) {
#ifdef PALVOREN_SSE2
    // Sixty-four bytes at a time: a mask of the LFs, and of those only the ones whose next byte is
    // wanted get a closer look.
    const __m128i lf = _mm_set1_epi8('\n');
    const auto lfMask = [&](std::size_t at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        return static_cast<std::uint64_t>(
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf))));
    };
    while (from + 64 <= text.size()) {
        std::uint64_t mask = lfMask(from) | lfMask(from + 16) << 16 | lfMask(from + 32) << 32 |
                             lfMask(from + 48) << 48;
        while (mask != 0) {
            const std::size_t at = from + static_cast<std::size_t>(std::countr_zero(mask));
            if (Wanted(text, at + 1, wanted))
                return at + 1;
            mask &= mask - 1;
        }
        from += 64;
    }
#endif
    return ByLines(text, from, wanted);
}

}  // namespace palvoren

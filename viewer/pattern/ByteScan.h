// Finds the first of two bytes in a run of text, sixteen or eight bytes at a
// time: the C runtime's memchr under Wine reads a byte at a time, and looking
// for both cases of a letter would take two of its passes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tracing {

namespace pattern {

namespace byte_scan {

using Word = std::uint64_t;
constexpr Word kOnes = 0x0101010101010101u;
constexpr Word kHighs = 0x8080808080808080u;
constexpr bool kWordScan = std::endian::native == std::endian::little;

// The lowest set high bit marks the first zero byte exactly; bits above it
// may be false alarms, so only the lowest is read.
constexpr Word ZeroBytes(Word word) noexcept
{
    return (word - kOnes) & ~word & kHighs;
}

}  // namespace byte_scan

// The first byte in [at, end) that is a or b, or end.
inline const char* FindEither(const char* at, const char* end, char a, char b) noexcept
{
#if defined(__SSE2__)
    const __m128i vectorA = _mm_set1_epi8(a);
    const __m128i vectorB = _mm_set1_epi8(b);
    for (; end - at >= 16; at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const int hits
            = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, vectorA), _mm_cmpeq_epi8(chunk, vectorB)));
        if (hits != 0) {
            return at + std::countr_zero(static_cast<unsigned>(hits));
        }
    }
#endif
    if constexpr (byte_scan::kWordScan) {
        using namespace byte_scan;
        const Word wordA = kOnes * static_cast<unsigned char>(a);
        const Word wordB = kOnes * static_cast<unsigned char>(b);
        for (; end - at >= static_cast<std::ptrdiff_t>(sizeof(Word)); at += sizeof(Word)) {
            Word word;
            std::memcpy(&word, at, sizeof word);
            const Word hits = ZeroBytes(word ^ wordA) | ZeroBytes(word ^ wordB);
            if (hits != 0) {
                return at + std::countr_zero(hits) / 8;
            }
        }
    }
    while (at != end && *at != a && *at != b) {
        ++at;
    }
    return at;
}

}  // namespace pattern

}  // namespace tracing

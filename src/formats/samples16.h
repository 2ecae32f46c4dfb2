#pragma once
// 16-bit little-endian samples, as the radar formats store them.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include "core/cpu.h"

namespace orv {

#if defined(ORV_AVX2)
namespace detail {
// DecodeLE16's groups of sixteen where the processor runs AVX2: both halves
// loaded before either's floats are stored. Returns how many it did.
__attribute__((target("avx2"))) inline size_t DecodeLE16Avx2(const uint8_t *src, float *dst, size_t n, uint16_t flip)
{
    const __m128i flips = _mm_set1_epi16(static_cast<int16_t>(flip));
    size_t j = 0;
    for (; j + 16 <= n; j += 16) {
        const __m128i a = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 2 * j)), flips);
        const __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 2 * j + 16)), flips);
        _mm256_storeu_ps(dst + j, _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(a)));
        _mm256_storeu_ps(dst + j + 8, _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(b)));
    }
    return j;
}
} // namespace detail
#endif

// n samples to floats, unchanged in value, sixteen or eight at a time (a
// group is loaded whole before its floats are stored). With `flip` 0x8000 the samples
// are unsigned and come out less 32768.
inline void DecodeLE16(const uint8_t *src, float *dst, size_t n, uint16_t flip = 0)
{
    size_t j = 0;
#if defined(ORV_AVX2)
    if (HasAvx2())
        j = detail::DecodeLE16Avx2(src, dst, n, flip);
#endif
#if defined(__SSE2__)
    // Each sample into the high half of a 32-bit lane, shifted down with its
    // sign, converted four at a time.
    const __m128i flips = _mm_set1_epi16(static_cast<int16_t>(flip));
    for (; j + 8 <= n; j += 8) {
        const __m128i v = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 2 * j)), flips);
        const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
        const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16);
        _mm_storeu_ps(dst + j, _mm_cvtepi32_ps(lo));
        _mm_storeu_ps(dst + j + 4, _mm_cvtepi32_ps(hi));
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        for (; j + 8 <= n; j += 8) {
            uint16_t v[8];
            std::memcpy(v, src + 2 * j, sizeof v);
            for (int i = 0; i < 8; ++i)
                dst[j + i] = static_cast<float>(static_cast<int16_t>(v[i] ^ flip));
        }
    }
    for (; j < n; ++j)
        dst[j] = static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(src[2 * j] | (src[2 * j + 1] << 8)) ^ flip));
}

// Where n samples go so that they can be widened in place into the n floats
// at `row`: the second half of those floats' bytes. DecodeLE16(Samples16At(row,
// n), row, n) then reads each sample before a float is written over it (a
// group is taken whole before its floats are stored).
inline uint8_t *Samples16At(float *row, size_t n) { return reinterpret_cast<uint8_t *>(row) + 2 * n; }

// v as two bytes, low byte first.
inline void PutLE16(uint8_t *p, int16_t v)
{
    const auto u = static_cast<uint16_t>(v);
    p[0] = static_cast<uint8_t>(u & 0xff);
    p[1] = static_cast<uint8_t>(u >> 8);
}

namespace detail {
// One amplitude clipped to -32766..32767, NaN as 0, rounded half to even as
// CInt rounds (exact in float at these magnitudes; no branch, so groups of
// them become vector instructions). `clip` is set when x is out of range.
inline int16_t Clip16(float x, bool &clip)
{
    clip |= (x > 32767.0f) | (x < -32766.0f);
    float y = x > 32767.0f ? 32767.0f : x;
    y = y < -32766.0f ? -32766.0f : y;
    y = y == y ? y : 0.0f;
    int32_t f = static_cast<int32_t>(y);         // toward 0
    f -= static_cast<float>(f) > y;               // down to the floor
    const float frac = y - static_cast<float>(f); // exact
    f += (frac > 0.5f) | ((frac == 0.5f) & (f & 1));
    return static_cast<int16_t>(f);
}
} // namespace detail

#if defined(__SSE2__)
namespace detail {
// Four amplitudes as Clip16 takes them, in SSE2 lanes; `out` collects the
// lanes out of range.
inline __m128i Clip16x4(__m128 x, __m128 &out)
{
    const __m128 hi = _mm_set1_ps(32767.0f), lo = _mm_set1_ps(-32766.0f), half = _mm_set1_ps(0.5f);
    out = _mm_or_ps(out, _mm_or_ps(_mm_cmpgt_ps(x, hi), _mm_cmplt_ps(x, lo)));
    const __m128 y = _mm_and_ps(_mm_min_ps(_mm_max_ps(x, lo), hi), _mm_cmpord_ps(x, x)); // NaN as 0
    __m128i f = _mm_cvttps_epi32(y);                                                    // toward 0
    f = _mm_add_epi32(f, _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(f), y)));        // the floor
    const __m128 frac = _mm_sub_ps(y, _mm_cvtepi32_ps(f));
    const __m128i odd = _mm_cmpeq_epi32(_mm_and_si128(f, _mm_set1_epi32(1)), _mm_set1_epi32(1));
    const __m128i up = _mm_or_si128(_mm_castps_si128(_mm_cmpgt_ps(frac, half)),
                                    _mm_and_si128(_mm_castps_si128(_mm_cmpeq_ps(frac, half)), odd));
    return _mm_sub_epi32(f, up);
}
} // namespace detail
#endif

// n amplitudes as 16-bit little-endian samples: clipped to -32766..32767 in
// `row` itself (NaN stays NaN), then rounded half to even, NaN written as 0,
// as CInt does, without depending on the rounding mode.
inline void EncodeLE16(float *row, uint8_t *dst, size_t n)
{
    bool clip = false;
    size_t j = 0;
#if defined(__SSE2__)
    __m128 out = _mm_setzero_ps();
    for (; j + 8 <= n; j += 8) {
        const __m128i a = detail::Clip16x4(_mm_loadu_ps(row + j), out);
        const __m128i b = detail::Clip16x4(_mm_loadu_ps(row + j + 4), out);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 2 * j), _mm_packs_epi32(a, b));
    }
    clip = _mm_movemask_ps(out) != 0;
#endif
    for (; j < n; ++j) {
        const auto u = static_cast<uint16_t>(detail::Clip16(row[j], clip));
        dst[2 * j] = static_cast<uint8_t>(u & 0xff);
        dst[2 * j + 1] = static_cast<uint8_t>(u >> 8);
    }
    if (clip)
        for (j = 0; j < n; ++j) {
            if (row[j] > 32767.0f)
                row[j] = 32767.0f;
            if (row[j] < -32766.0f)
                row[j] = -32766.0f;
        }
}

// Chunks of this size stay in the cache between the read and the decoding
// (and between the encoding and the write).
inline constexpr size_t kDecodeChunkBytes = size_t(256) << 10;

} // namespace orv

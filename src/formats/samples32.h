#pragma once
// 32-bit signed little-endian samples (RD7 and 32-bit DZT data).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

// The n samples held in the bytes of the n floats at `row` to floats, in
// place (each float takes the place of its own sample).
inline void DecodeLE32InPlace(float *row, size_t n)
{
    auto *bytes = reinterpret_cast<uint8_t *>(row);
    size_t j = 0;
#if defined(__SSE2__)
    for (; j + 4 <= n; j += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 4 * j));
        _mm_storeu_ps(row + j, _mm_cvtepi32_ps(v));
    }
#endif
    for (; j < n; ++j) {
        uint32_t u;
        std::memcpy(&u, bytes + 4 * j, 4);
        if constexpr (std::endian::native != std::endian::little)
            u = (u >> 24) | ((u >> 8) & 0xff00) | ((u << 8) & 0xff0000) | (u << 24);
        row[j] = static_cast<float>(static_cast<int32_t>(u));
    }
}

// One amplitude as a 32-bit sample: rounded half to even, clipped to the
// 32-bit range, NaN as 0, whatever the rounding mode.
inline int32_t Round32(float x)
{
    if (!(x == x))
        return 0;
    if (x >= 2147483648.0f)
        return INT32_MAX;
    if (x <= -2147483648.0f)
        return INT32_MIN;
    int32_t f = static_cast<int32_t>(x); // toward 0; exact from 2^23 on
    if (x > 8388608.0f || x < -8388608.0f)
        return f;
    f -= static_cast<float>(f) > x;
    const float frac = x - static_cast<float>(f);
    f += (frac > 0.5f) | ((frac == 0.5f) & (f & 1));
    return f;
}

// n amplitudes as 32-bit little-endian samples; `row` is left as it is.
inline void EncodeLE32(const float *row, uint8_t *dst, size_t n)
{
    size_t j = 0;
#if defined(__SSE2__)
    // Round32 four at a time: the amplitude held to -2^31..2147483520 (the
    // float below 2^31), NaN as 0, floored, then up where its fraction says;
    // from 2^31 on the lane becomes INT32_MAX.
    const __m128 lo = _mm_set1_ps(-2147483648.0f), hi = _mm_set1_ps(2147483520.0f), half = _mm_set1_ps(0.5f);
    for (; j + 4 <= n; j += 4) {
        const __m128 x = _mm_loadu_ps(row + j);
        const __m128 y = _mm_and_ps(_mm_min_ps(_mm_max_ps(x, lo), hi), _mm_cmpord_ps(x, x));
        __m128i f = _mm_cvttps_epi32(y);
        f = _mm_add_epi32(f, _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(f), y)));
        const __m128 frac = _mm_sub_ps(y, _mm_cvtepi32_ps(f));
        const __m128i odd = _mm_cmpeq_epi32(_mm_and_si128(f, _mm_set1_epi32(1)), _mm_set1_epi32(1));
        const __m128i up = _mm_or_si128(_mm_castps_si128(_mm_cmpgt_ps(frac, half)),
                                        _mm_and_si128(_mm_castps_si128(_mm_cmpeq_ps(frac, half)), odd));
        f = _mm_sub_epi32(f, up);
        const __m128i top = _mm_castps_si128(_mm_cmpge_ps(x, _mm_set1_ps(2147483648.0f)));
        f = _mm_or_si128(_mm_andnot_si128(top, f), _mm_and_si128(top, _mm_set1_epi32(INT32_MAX)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 4 * j), f);
    }
#endif
    for (; j < n; ++j) {
        const auto u = static_cast<uint32_t>(Round32(row[j]));
        dst[4 * j] = static_cast<uint8_t>(u);
        dst[4 * j + 1] = static_cast<uint8_t>(u >> 8);
        dst[4 * j + 2] = static_cast<uint8_t>(u >> 16);
        dst[4 * j + 3] = static_cast<uint8_t>(u >> 24);
    }
}

} // namespace orv

#pragma once
// 32-bit signed little-endian samples (RD7 and 32-bit DZT data).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orv {

// The n samples held in the bytes of the n floats at `row` to floats, in
// place (each float takes the place of its own sample).
inline void DecodeLE32InPlace(float *row, size_t n)
{
    auto *bytes = reinterpret_cast<uint8_t *>(row);
    for (size_t j = 0; j < n; ++j) {
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
    for (size_t j = 0; j < n; ++j) {
        const auto u = static_cast<uint32_t>(Round32(row[j]));
        dst[4 * j] = static_cast<uint8_t>(u);
        dst[4 * j + 1] = static_cast<uint8_t>(u >> 8);
        dst[4 * j + 2] = static_cast<uint8_t>(u >> 16);
        dst[4 * j + 3] = static_cast<uint8_t>(u >> 24);
    }
}

} // namespace orv

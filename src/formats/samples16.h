#pragma once
// 16-bit little-endian samples, as the radar formats store them.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orv {

// n samples to floats, unchanged in value; eight at a time so the compiler
// turns each group into a few vector instructions.
inline void DecodeLE16(const uint8_t *src, float *dst, size_t n)
{
    size_t j = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; j + 8 <= n; j += 8) {
            int16_t v[8];
            std::memcpy(v, src + 2 * j, sizeof v);
            for (int i = 0; i < 8; ++i)
                dst[j + i] = static_cast<float>(v[i]);
        }
    }
    for (; j < n; ++j)
        dst[j] = static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(src[2 * j] | (src[2 * j + 1] << 8))));
}

// v as two bytes, low byte first.
inline void PutLE16(uint8_t *p, int16_t v)
{
    const auto u = static_cast<uint16_t>(v);
    p[0] = static_cast<uint8_t>(u & 0xff);
    p[1] = static_cast<uint8_t>(u >> 8);
}

// Chunks of this size stay in the cache between the read and the decoding.
inline constexpr size_t kDecodeChunkBytes = size_t(256) << 10;

} // namespace orv

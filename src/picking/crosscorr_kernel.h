#pragma once
// The inner loop of cross-correlation picking, written once over a vector
// type and compiled once per instruction set (crosscorr_sse.cpp,
// crosscorr_avx.cpp, crosscorr_avx512.cpp, each with its own flags).
//
// Every lane of a vector holds one lag start j and keeps its own running sum
//     acc = acc + target[j + k] * key[k]      for k = 0, 1, 2, ...
// a Single product and a Single sum at every step, in increasing k: the same
// operations in the same order as the plain loop over k, so each lane's sum
// is bit for bit the sequential one. Nothing here may contract the multiply
// and the add into one fused operation; these files are built with
// -ffp-contract=off.
//
// The code lives in an anonymous namespace and uses no library templates,
// so no function compiled for a wider instruction set can stand in for
// another unit's copy at link time.

#include "picking/crosscorr_isa.h"

#include <cstring>

namespace orv::xcorr {
namespace {

// sums[b*G*W + g*W + lane] = sum over k < n of
//     target[b*G*W + g*W + lane + k] * key[k]
// for every block b < blocks. target must hold blocks*G*W + n - 1 values.
template <class V>
inline void CorrelateBlocks(const float *key, int n, const float *target, int blocks, float *sums)
{
    constexpr int W = static_cast<int>(sizeof(V) / sizeof(float));
    constexpr int G = BlockVectors;
    for (int b = 0; b < blocks; ++b) {
        const float *t = target + b * G * W;
        V acc[G];
        for (int g = 0; g < G; ++g)
            acc[g] = V{};
        for (int k = 0; k < n; ++k) {
            // key[k] in every lane (x - 0 is x, -0 included).
            const V kv = key[k] - V{};
#pragma GCC unroll 8
            for (int g = 0; g < G; ++g) {
                V x;
                std::memcpy(&x, t + g * W + k, sizeof x);
                const V p = x * kv;
                acc[g] = acc[g] + p;
            }
        }
        std::memcpy(sums + b * G * W, acc, sizeof acc);
    }
}

} // namespace
} // namespace orv::xcorr

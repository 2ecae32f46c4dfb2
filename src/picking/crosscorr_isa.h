#pragma once
// The builds of the cross-correlation loop, one per vector width; see
// crosscorr_kernel.h. Lag starts come in blocks of BlockVectors vectors.

namespace orv::xcorr {

// Lag starts per block: this many vectors, enough independent sums to keep
// the adder busy while each waits for the one before.
constexpr int BlockVectors = 4;

// 4 lags per vector (baseline x86-64, or any target's 16-byte vectors).
void CorrelateBlocks_sse(const float *key, int n, const float *target, int blocks, float *sums);
// 8 and 16 lags per vector; only on x86-64 processors that have them.
void CorrelateBlocks_avx(const float *key, int n, const float *target, int blocks, float *sums);
void CorrelateBlocks_avx512(const float *key, int n, const float *target, int blocks, float *sums);

} // namespace orv::xcorr

// Cross-correlation sums, 64-byte vectors (AVX512 build of the shared loop).
#include "picking/crosscorr_isa.h"
#include "picking/crosscorr_kernel.h"

namespace orv::xcorr {

void CorrelateBlocks_avx512(const float *key, int n, const float *target, int blocks, float *sums)
{
    typedef float V __attribute__((vector_size(64)));
    CorrelateBlocks<V>(key, n, target, blocks, sums);
}

} // namespace orv::xcorr

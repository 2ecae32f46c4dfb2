// Cross-correlation sums, 32-byte vectors (AVX build of the shared loop).
#include "picking/crosscorr_isa.h"
#include "picking/crosscorr_kernel.h"

namespace orv::xcorr {

void CorrelateBlocks_avx(const float *key, int n, const float *target, int blocks, float *sums)
{
    typedef float V __attribute__((vector_size(32)));
    CorrelateBlocks<V>(key, n, target, blocks, sums);
}

} // namespace orv::xcorr

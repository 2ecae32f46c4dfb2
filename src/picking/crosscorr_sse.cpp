// Cross-correlation sums, 16-byte vectors (SSE build of the shared loop).
#include "picking/crosscorr_isa.h"
#include "picking/crosscorr_kernel.h"

namespace orv::xcorr {

void CorrelateBlocks_sse(const float *key, int n, const float *target, int blocks, float *sums)
{
    typedef float V __attribute__((vector_size(16)));
    CorrelateBlocks<V>(key, n, target, blocks, sums);
}

} // namespace orv::xcorr

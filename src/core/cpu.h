#pragma once
// What the processor can do beyond the build's baseline, for the sample
// decoders that pick a wider path at run time. ORV_AVX2 is defined where a
// function may be built for AVX2 (__attribute__((target("avx2")))).

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORV_AVX2 1
#include <immintrin.h>
#endif

namespace orv {

#if defined(ORV_AVX2)
// True where the processor runs AVX2; asked once.
inline bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

} // namespace orv

#pragma once
// Cross-correlation picking as the plain sequential loop (k increasing, Single product and sum).

#include "core/numbers.h"
#include "core/store.h"
#include "picking/crosscorr.h"
#include <vector>

namespace orv::test {

inline std::vector<float> CrossCrolSequential(const Array2D &pd, float NTraces, float NSamples, float TotalTime,
                                              const CrossCorrWindow &w)
{
    std::vector<float> picks(static_cast<size_t>(CLng(NTraces)) + 1, 0.0f);
    const int L = w.KeyLast - w.KeyFirst;
    const int J = w.TargLast - L;
    for (int i = 1; i <= CInt(NTraces - 1); ++i) {
        const float *key = pd.row(i) + w.KeyFirst;
        const float *target = pd.row(i + 1);
        float best = 0.0f;
        for (int j = w.TargFirst; j <= J; ++j) {
            float c = 0.0f;
            for (int k = 0; k <= L; ++k) {
                const float p = target[j + k] * key[k];
                c = c + p;
            }
            if (c > best)
                best = c, picks[i] = (TotalTime / NSamples) * static_cast<float>(j);
        }
    }
    return picks;
}

} // namespace orv::test

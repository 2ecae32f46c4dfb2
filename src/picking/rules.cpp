#include "picking/rules.h"

#include <cmath>
#include <cstddef>

namespace orv {

namespace {

// Rules 3 and 4: the first sample of the extreme value; `better` is strict,
// so ties keep the earliest sample.
template <typename Better>
float FirstExtreme(std::span<const float> v, int S1, int S2, Better better)
{
    float best = v[static_cast<size_t>(S1)];
    int at = S1;
    for (int s = S1 + 1; s <= S2; ++s) {
        const float x = v[static_cast<size_t>(s)];
        if (better(x, best)) {
            best = x;
            at = s;
        }
    }
    return static_cast<float>(at);
}

} // namespace

float PickRuleSearch(std::span<const float> v, int16_t S1, int16_t S2, int16_t mode, float P)
{
    if (S1 > S2)
        return P;
    // The window must lie on the trace's samples 1..NSamples.
    if (S1 < 1 || static_cast<size_t>(S2) >= v.size())
        return P;

    float r = P;
    switch (mode) {
    case PickMax:
        r = FirstExtreme(v, S1, S2, [](float x, float best) { return x > best; });
        break;
    case PickMin:
        r = FirstExtreme(v, S1, S2, [](float x, float best) { return x < best; });
        break;
    case PickZeroUp:
        for (int s = S1 + 1; s <= S2; ++s) {
            const float p = v[static_cast<size_t>(s - 1)];
            const float c = v[static_cast<size_t>(s)];
            if (p <= 0 && c >= 0) {
                // Two exact zeros: the first sample of the trace.
                if (p == c)
                    return 1.0f;
                r = static_cast<float>(s - 1) + p / (p - c);
                break;
            }
        }
        break;
    case PickZeroDown:
        for (int s = S1 + 1; s <= S2; ++s) {
            const float p = v[static_cast<size_t>(s - 1)];
            const float c = v[static_cast<size_t>(s)];
            if (p >= 0 && c <= 0) {
                // Two exact zeros: the trace is at zero from sample s - 1 on,
                // so that is where it crosses.
                if (p == c)
                    return static_cast<float>(s - 1);
                const float d = p - c;
                const float q = p / d;
                r = static_cast<float>(s - 1) + q;
                break;
            }
        }
        break;
    default:
        return P;
    }
    // An infinite sample next to the crossing has no place to interpolate
    // to; the pointer's position stands then.
    return std::isfinite(r) ? r : P;
}

} // namespace orv

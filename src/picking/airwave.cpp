#include "picking/airwave.h"

#include "core/numbers.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace orv {

namespace {

// The number of traces the pick loops run over, never past the picks array.
int PickedTraceCount(const ProfileStore &st)
{
    const int n = CInt(st.NTraces);
    const int have = static_cast<int>(st.Picks.size()) - 1;
    return n < have ? n : have;
}

// Int(x) of a sample position as a whole number the shift can use, an x
// within WholeUlps units in the last place under a whole number taken as
// that number: a pick at a whole sample, multiplied out, lands a rounding or
// two under it, and one written to a picks file with seven digits and read
// back up to ten (seven significant digits can miss a float by 8.4 units,
// the products add a rounding each). From 2^23 on
// floats have no fractions. Held within +-2^40: far past any trace length,
// so a shift computed from a held value still reaches past the whole trace,
// and the difference of two such values cannot overflow.
constexpr float WholeUlps = 16;

int64_t WholeSample(float x)
{
    constexpr double lim = 1099511627776.0; // 2^40
    double f = std::floor(static_cast<double>(x));
    const float up = static_cast<float>(f + 1.0);
    if (std::fabs(x) < 8388608.0f && up - x <= WholeUlps * (std::nextafter(up, HUGE_VALF) - up))
        f += 1.0;
    if (f > lim)
        return static_cast<int64_t>(lim);
    if (f < -lim)
        return -static_cast<int64_t>(lim);
    return static_cast<int64_t>(f);
}

} // namespace

bool PicksIncomplete(const ProfileStore &st)
{
    const int n = CInt(st.NTraces);
    for (int t = 1; t <= n; ++t) {
        const size_t i = static_cast<size_t>(t);
        // A trace the picks array does not reach has no pick, and a
        // non-finite pick is no pick either.
        if (i >= st.Picks.size() || !std::isfinite(st.Picks[i]) || st.Picks[i] < 1.0f)
            return true;
    }
    return false;
}

float ReferencePick(const ProfileStore &st)
{
    const int n = PickedTraceCount(st);
    if (n < 1)
        return 0.0f;
    float m = st.Picks[1];
    if (!std::isfinite(m))
        m = 0.0f;
    for (int t = 1; t <= n; ++t) {
        const float p = st.Picks[static_cast<size_t>(t)];
        if (p < m && p > 1.0f)
            m = p;
    }
    return m;
}

void ShiftOnPicks(ProfileStore &st, const std::function<void(int tracesDone)> &progress)
{
    if (!(st.TotalTime != 0.0f))
        return;
    const float perTime = st.NSamples / st.TotalTime;
    if (!std::isfinite(perTime))
        return;
    const int ns = CInt(st.NSamples);
    const int n = PickedTraceCount(st);
    // Only RawData is read and written: it must hold every trace and sample
    // the loop below touches.
    if (ns < 1 || !st.RawData.allocated() || st.RawData.traceBound() < CInt(st.NTraces)
        || st.RawData.sampleBound() < ns)
        return;
    const int64_t r = WholeSample(perTime * ReferencePick(st));

    for (int t = 1; t <= n; ++t) {
        if (progress && t % 256 == 0)
            progress(t);
        const float pick = st.Picks[static_cast<size_t>(t)];
        if (!(pick > 0.0f) || !std::isfinite(pick))
            continue;
        const int64_t p = WholeSample(perTime * pick);
        const int64_t shift = p - r; // samples the trace moves up
        float *v = st.RawData.row(t);
        if (shift >= 0) {
            // Sample k takes sample k + shift for k = 1 .. ns - shift, read
            // before it is overwritten; the last `shift` samples keep their
            // values. A shift past the end moves nothing.
            if (shift < ns)
                std::memmove(v + 1, v + 1 + shift, static_cast<size_t>(ns - shift) * sizeof(float));
        } else {
            // A pick before the reference: the trace moves down instead, so
            // its pick still lands on the reference sample; the first
            // samples keep their values.
            const int64_t down = -shift;
            if (down < ns)
                std::memmove(v + 1 + down, v + 1, static_cast<size_t>(ns - down) * sizeof(float));
        }
    }
}

} // namespace orv

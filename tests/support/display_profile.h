#pragma once
// A loaded store for the display tests.

#include "core/store.h"
#include "support/fakes.h"
#include <functional>
#include <string>

namespace orv::test {

// nt x ns amplitudes f(trace, sample); row and column 0 hold 0.
inline Array2D Filled(int nt, int ns, const std::function<float(int, int)> &f = {})
{
    Array2D a;
    a.allocate(nt, ns);
    for (int t = 1; f && t <= nt; ++t)
        for (int s = 1; s <= ns; ++s)
            a(t, s) = f(t, s);
    return a;
}

inline ProfileStore MakeProfile(int nTraces, int nSamples, const std::function<float(int, int)> &f,
                                float totalTime = 0)
{
    ProfileStore st;
    st.NTraces = float(nTraces);
    st.NSamples = float(nSamples);
    st.TotalTime = totalTime != 0 ? totalTime : float(nSamples);
    st.PlotData = st.RawData = Filled(nTraces, nSamples, f);
    st.Picks.assign(size_t(nTraces) + 1, 0.0f);
    st.ClipValue = 1000, st.TracesPerCSG = 24, st.NormMode = 0, st.PickMode = 1;
    return st;
}

// Controls showing the display window and the gain, as a plot reads them.
inline FakeControls Window(const std::string &t1, const std::string &tl, const std::string &s1, const std::string &sl,
                           const std::string &gain = "400")
{
    FakeControls c;
    c.texts[Field::txt1sttr] = t1, c.texts[Field::txtLsttr] = tl;
    c.texts[Field::txt1stsamp] = s1, c.texts[Field::txtLstsamp] = sl;
    c.texts[Field::txtGainValue] = gain;
    return c;
}

} // namespace orv::test

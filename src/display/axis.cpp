// The vertical scale beside the profile canvas and the pick marks of the
// display window.

#include "display/display.h"

#include "core/numbers.h"

#include <cmath>
#include <cstdint>

namespace orv {

void ShowAxisLabels(const ProfileStore &st, Controls &c)
{
    // Sample numbers at the top, the quarter points and the bottom.
    const int32_t n = static_cast<int32_t>(st.LastSample) - st.FirstSample + 1;
    const float q = static_cast<float>(n) / 4.0f;
    for (int k = 0; k < 5; ++k) {
        const float v = static_cast<float>(k) * q + static_cast<float>(st.FirstSample);
        c.setCaption(lblSamp(k), SignedText(static_cast<float>(Int(v))));
    }

    // Times. Without a sample count or time window (no profile) one sample
    // lasts 0, so every time label reads 0.
    float dt = st.NSamples != 0 ? st.TotalTime / st.NSamples : 0.0f;
    if (!std::isfinite(dt))
        dt = 0.0f;
    const float r = static_cast<float>(n) * dt / 4.0f;
    const float t0 = static_cast<float>(st.FirstSample) * dt;
    for (int k = 0; k < 5; ++k) {
        const float v = static_cast<float>(k) * r + t0;
        c.setCaption(lblTime(k), SignedText(static_cast<float>(Int(v))));
    }
}

void DrawPickMarks(const ProfileStore &st, const Controls &c, Canvas &pctProfile, const Canvas &pctTrace)
{
    if (!st.hasProfile())
        return;
    if (st.FirstTrace < 1 || st.LastTrace < st.FirstTrace || st.LastSample < st.FirstSample)
        return;
    // Without a time window a pick has no sample position: no marks.
    if (st.TotalTime == 0 || st.NSamples == 0)
        return;

    const float h = pctTrace.ScaleHeight() / static_cast<float>(st.LastSample - st.FirstSample + 1);
    const int32_t nTr = st.LastTrace - st.FirstTrace + 1;
    const int32_t w = CLng(static_cast<double>(pctProfile.ScaleWidth() / static_cast<float>(nTr)));
    const double halfW = static_cast<double>(w) / 2.0;
    const double first = Val(c.text(Field::txt1sttr));
    const float perTime = st.NSamples / st.TotalTime;

    for (int t = st.FirstTrace; t <= st.LastTrace; ++t) {
        if (t > st.NTraces || static_cast<size_t>(t) >= st.Picks.size())
            break;
        const float pick = st.Picks[static_cast<size_t>(t)];
        if (pick == 0)
            continue;
        const float s = perTime * pick;
        if (!std::isfinite(s))
            continue;
        const double x = (static_cast<double>(t) - first) * static_cast<double>(w);
        const float y = (s - static_cast<float>(st.FirstSample) + 1.0f) * h;
        const double cx = x + halfW;
        pctProfile.line(static_cast<float>(x - 150 + halfW), y, static_cast<float>(x + 150 + halfW), y, ColorRed);
        pctProfile.line(static_cast<float>(cx), y - 150.0f, static_cast<float>(cx), y + 150.0f, ColorRed);
    }
}

} // namespace orv

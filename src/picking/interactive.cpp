#include "picking/interactive.h"

#include "core/numbers.h"
#include "picking/rules.h"

#include <cmath>
#include <cstddef>

namespace orv {

namespace {

// The right end of the full-width range lines on pctTrace and the half
// length of the short strokes on pctProfile, in twips.
constexpr float TraceLineEnd = 1935;
constexpr float Arm = 150;

// What one mouse event computes afresh from the canvases, the fields and the
// stepper.
struct PointerEvent {
    float dy = 0;      // sample height on both canvases
    int16_t dx = 0;    // column width on pctProfile
    float P = 0;       // sample position under the pointer
    double T1 = 0;     // the first-trace field, as read
    int32_t Tstep = 0; // the stepper's value
};

bool Ready(const ProfileStore &st) { return st.PlotReady != 0 && st.NTraces != 0 && st.hasProfile(); }

// False when the window has no rows to measure in (nothing is drawn then).
bool Measure(const ProfileStore &st, const Controls &c, const Stepper &upd, const Canvas &pctProfile,
             const Canvas &pctTrace, float y, PointerEvent &m)
{
    const int rows = st.LastSample - st.FirstSample + 1;
    const int cols = st.LastTrace - st.FirstTrace + 1;
    if (rows < 1 || cols < 1)
        return false;
    m.dy = pctTrace.ScaleHeight() / static_cast<float>(rows);
    if (!(m.dy > 0) || !std::isfinite(m.dy))
        return false;
    m.dx = CInt(static_cast<double>(pctProfile.ScaleWidth() / static_cast<float>(cols)));
    const double F1 = Val(c.text(Field::txt1stsamp));
    m.T1 = Val(c.text(Field::txt1sttr));
    m.P = static_cast<float>(static_cast<double>(y) / static_cast<double>(m.dy) + F1 + 1.0);
    m.Tstep = upd.Value();
    return std::isfinite(m.P);
}

// The pick range from its field, at least 1, written back in the signed form.
int16_t PickRange(Controls &c)
{
    int16_t R = CInt(Val(c.text(Field::txtPickRange)));
    if (R < 1)
        R = 1;
    c.setText(Field::txtPickRange, SignedText(static_cast<int>(R)));
    return R;
}

struct Window {
    int16_t S1, S2;
};

Window SearchWindow(const ProfileStore &st, float P, int16_t R)
{
    Window w{CInt(static_cast<double>(P - static_cast<float>(R))),
             CInt(static_cast<double>(P + static_cast<float>(R)))};
    if (w.S1 < 1)
        w.S1 = 1;
    if (w.S2 > st.NSamples)
        w.S2 = CInt(st.NSamples);
    return w;
}

void EraseRangeMarks(const ProfileStore &st, Canvas &pctProfile, Canvas &pctTrace, int16_t dx)
{
    DrawRangeMarks(pctProfile, pctTrace, st.RangeTraceX, st.RangeTopY, st.RangeBottomY, dx);
}

} // namespace

void DrawRangeMarks(Canvas &pctProfile, Canvas &pctTrace, float X, float A, float B, int16_t dx)
{
    const double half = static_cast<double>(dx) / 2.0; // a real division
    const auto left = static_cast<float>(static_cast<double>(X) - Arm + half);
    const auto right = static_cast<float>(static_cast<double>(X) + Arm + half);
    const auto mid = static_cast<float>(static_cast<double>(X) + half);
    const float M = (B - A) / 2.0f + A;
    pctTrace.line(0, A, TraceLineEnd, A, ColorRed);
    pctProfile.line(left, A, right, A, ColorBlue);
    pctTrace.line(0, B, TraceLineEnd, B, ColorBlue);
    pctProfile.line(left, B, right, B, ColorBlue);
    pctProfile.line(left, M, right, M, ColorBlue);
    pctProfile.line(mid, M - Arm, mid, M + Arm, ColorBlue);
}

void DrawPickCross(Canvas &pctProfile, int32_t Xp, int32_t Yp, int16_t dx)
{
    const double half = static_cast<double>(dx) / 2.0;
    const auto y = static_cast<float>(Yp);
    pctProfile.line(static_cast<float>((Xp - 150) + half), y, static_cast<float>((Xp + 150) + half), y, ColorRed);
    const auto x = static_cast<float>(Xp + half);
    pctProfile.line(x, static_cast<float>(Yp - 150), x, static_cast<float>(Yp + 150), ColorRed);
}

void PctTraceMouseMove(ProfileStore &st, Controls &c, const Stepper &upd, Canvas &pctProfile,
                       Canvas &pctTrace, float y)
{
    if (!Ready(st))
        return;
    PointerEvent m;
    if (!Measure(st, c, upd, pctProfile, pctTrace, y, m))
        return;
    const auto C = static_cast<float>((static_cast<double>(m.Tstep) - m.T1) * static_cast<double>(m.dx));
    c.setPointer(PointerCross);
    const Window w = SearchWindow(st, m.P, PickRange(c));

    if (st.RangeShown == 1)
        EraseRangeMarks(st, pctProfile, pctTrace, m.dx);
    st.RangeTopY = static_cast<float>(w.S1 - st.FirstSample) * m.dy;
    st.RangeBottomY = static_cast<float>(w.S2 - st.FirstSample) * m.dy;
    DrawRangeMarks(pctProfile, pctTrace, C, st.RangeTopY, st.RangeBottomY, m.dx);
    st.RangeShown = 1;
    st.RangeTraceX = C;
}

void PctTraceMouseDown(ProfileStore &st, Controls &c, Stepper &upd, Canvas &pctProfile,
                       Canvas &pctTrace, int button, float y)
{
    if (!Ready(st))
        return;
    PointerEvent m;
    if (!Measure(st, c, upd, pctProfile, pctTrace, y, m))
        return;
    // The current trace: a stepper left outside the profile picks nothing.
    const int16_t T = CInt(static_cast<double>(CLng(static_cast<double>(m.Tstep))));
    if (T < 1 || T > st.NTraces || static_cast<size_t>(T) >= st.Picks.size())
        return;

    float P = m.P;
    if (button == MouseLeft) {
        const Window w = SearchWindow(st, P, PickRange(c));
        const float *row = st.PlotData.row(T);
        const std::span<const float> trace(row, static_cast<size_t>(CInt(st.NSamples)) + 1);
        P = PickRuleSearch(trace, w.S1, w.S2, st.PickMode, P);
    }
    float &pick = st.Picks[static_cast<size_t>(T)];
    pick = (st.TotalTime / st.NSamples) * P;
    c.setCaption(Caption::Label3, "Picked Time = " + SignedText(pick));

    const int32_t Xp = CInt((static_cast<double>(m.Tstep) - m.T1) * static_cast<double>(m.dx));
    const int32_t Yp = CInt(static_cast<double>((P - static_cast<float>(st.FirstSample) + 1.0f) * m.dy));
    if (st.RangeShown == 1)
        EraseRangeMarks(st, pctProfile, pctTrace, m.dx);
    st.RangeShown = 0;
    DrawPickCross(pctProfile, Xp, Yp, m.dx);

    if (upd.Value() + 1 <= upd.Max())
        upd.setValue(upd.Value() + 1);
}

} // namespace orv

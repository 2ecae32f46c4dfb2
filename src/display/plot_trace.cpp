// The current trace: alone on the trace canvas (PlotTrace), and redrawn on
// the profile canvas with a green fill (HighlightTrace) or with the normal
// fill (RestorePrevTrace) in the profile plot's geometry.

#include "display/batch.h"
#include "display/density.h"
#include "display/display.h"
#include "display/wiggle.h"

#include "core/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace orv {

namespace {

bool SampleWindowValid(const ProfileStore &st)
{
    return st.FirstSample >= 1 && st.FirstSample <= st.LastSample && st.LastSample <= st.NSamples;
}

bool TraceWindowValid(const ProfileStore &st)
{
    return st.FirstTrace >= 1 && st.FirstTrace <= st.LastTrace && st.LastTrace <= st.NTraces;
}

// The highlight and the restore: trace t of the profile canvas, in the
// profile plot's geometry, with the given fill colour (none = foreground).
void RedrawTrace(const ProfileStore &st, const Controls &c, Canvas &pctProfile, int32_t updValue,
                 bool previous, std::optional<uint32_t> fillColour)
{
    // A stepper value that is not a trace of the display window (e.g. one
    // left from an earlier, larger profile) cannot be drawn: nothing is.
    if (!st.hasProfile() || !TraceWindowValid(st) || !SampleWindowValid(st))
        return;
    if (updValue < st.FirstTrace || updValue > st.LastTrace)
        return;
    int32_t t = updValue;
    if (previous) {
        t = updValue - 1;
        if (t < st.FirstTrace)
            t = st.FirstTrace;
    }

    if (st.VariableDensity) {
        detail::DrawDensity(st.PlotData, pctProfile, detail::DensityOf(st, pctProfile), t, fillColour.has_value());
        return;
    }

    pctProfile.setDrawMode(DrawCopyPen);
    // The gain as the field holds it, without the profile plot's limits.
    const int32_t G = CLng(Val(c.text(Field::txtGainValue)));

    detail::WiggleGeometry g;
    g.G = static_cast<float>(G);
    g.dx = detail::ColumnWidth(pctProfile.ScaleWidth(), st.FirstTrace, st.LastTrace);
    g.k = detail::AmplitudeScale(static_cast<float>(G), st.AmpMin, st.AmpMax);
    g.dy = pctProfile.ScaleHeight() / static_cast<float>(st.LastSample - st.FirstSample + 1);
    g.AmpMin = st.AmpMin;
    g.ClipValue = st.ClipValue;
    g.FirstTrace = st.FirstTrace;
    g.FirstSample = st.FirstSample;
    g.LastSample = st.LastSample;
    detail::DrawWiggle(st.PlotData, pctProfile, g, t, fillColour);

    pctProfile.setDrawMode(DrawNotXorPen);
}

} // namespace

void PlotTrace(const ProfileStore &st, Canvas &pctTrace, int n)
{
    pctTrace.setDrawMode(DrawCopyPen);
    pctTrace.clear();
    // A trace that is not in the profile (or no profile at all) leaves the
    // canvas empty.
    if (!st.hasProfile() || n < 1 || n > st.NTraces || !SampleWindowValid(st)) {
        pctTrace.setDrawMode(DrawNotXorPen);
        return;
    }

    const int FS = st.FirstSample;
    const int LS = st.LastSample;
    const float *v = st.PlotData.row(n);

    // Range of the trace in the window; values that are not finite do not
    // count.
    bool any = false;
    float lo = 0, hi = 0;
    for (int s = FS; s <= LS; ++s) {
        if (!std::isfinite(v[s]))
            continue;
        if (!any) {
            lo = hi = v[s];
            any = true;
        }
        if (v[s] < lo)
            lo = v[s];
        if (v[s] > hi)
            hi = v[s];
    }
    if (lo == 0 && hi == 0)
        hi = 1;

    // A trace that is constant but not zero has no width to stretch over:
    // its scale is 0, so it is drawn as a vertical line at the left margin
    // (x = 20) with no fill, like the all-zero trace.
    float sc = 0.0f;
    if (hi != lo) {
        sc = (pctTrace.ScaleWidth() - 40.0f) / (hi - lo);
        if (!std::isfinite(sc))
            sc = 0.0f;
    }
    const float dy = pctTrace.ScaleHeight() / static_cast<float>(LS - FS + 1);

    const float xz = -lo * sc;
    // Where sample A is drawn: a NaN or an infinity on the position of
    // amplitude 0; a finite amplitude whose (A - lo) * sc overflows the float
    // arithmetic is placed again in double, between the margins.
    const double right = static_cast<double>(pctTrace.ScaleWidth()) - 40.0;
    auto place = [&](float A) {
        if (!std::isfinite(A))
            return xz;
        const float xs = (A - lo) * sc;
        if (std::isfinite(xs))
            return xs;
        const double xd = (static_cast<double>(A) - lo) * sc;
        return std::isnan(xd) ? xz : static_cast<float>(std::clamp(xd, 0.0, std::max(right, 0.0)));
    };

    detail::PrimBatch out(pctTrace);
    float x = place(v[FS]);
    out.pset(x + 20.0f, 0.0f);
    int32_t px = CLng(static_cast<double>(x));
    int32_t py = 0;

    const int32_t fills = CLng(static_cast<double>(dy));
    for (int s = FS + 1; s <= LS; ++s) {
        x = place(v[s]);
        const int32_t y = CLng(static_cast<double>(static_cast<float>(s - FS + 1) * dy));
        const float px20 = static_cast<float>(static_cast<int64_t>(px) + 20); // px + 20, an integer sum
        out.line(px20, static_cast<float>(py), x + 20.0f, static_cast<float>(y));
        // Fill from the position of amplitude 0, as in the profile plot.
        const float pxf = static_cast<float>(px);
        out.fill({20.0f, xz, pxf, (x - pxf) / dy, static_cast<float>(s - FS) * dy, fills}, std::nullopt);
        px = CLng(static_cast<double>(x));
        py = y;
    }
    out.flush();

    pctTrace.setDrawMode(DrawNotXorPen);
}

void HighlightTrace(const ProfileStore &st, const Controls &c, Canvas &pctProfile, int32_t updValue)
{
    RedrawTrace(st, c, pctProfile, updValue, false, ColorGreen);
}

void RestorePrevTrace(const ProfileStore &st, const Controls &c, Canvas &pctProfile, int32_t updValue)
{
    RedrawTrace(st, c, pctProfile, updValue, true, std::nullopt);
}

void RestoreTrace(const ProfileStore &st, const Controls &c, Canvas &pctProfile, int32_t t)
{
    RedrawTrace(st, c, pctProfile, t, false, std::nullopt);
}

} // namespace orv

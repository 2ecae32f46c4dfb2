#include "display/density.h"
#include "display/wiggle.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace orv::detail {

float DensityScale(float AmpMin, float AmpMax)
{
    const float m = std::max(std::fabs(AmpMin), std::fabs(AmpMax));
    const float s = 127.5f / m;
    return m > 0 && std::isfinite(s) ? s : 0.0f;
}

DensityGeometry DensityOf(const ProfileStore &st, const Canvas &c)
{
    DensityGeometry g;
    g.dx = ColumnWidth(c.ScaleWidth(), st.FirstTrace, st.LastTrace);
    g.fitWidth = static_cast<double>(c.ScaleWidth()) / (st.LastTrace - st.FirstTrace + 1);
    g.dy = c.ScaleHeight() / static_cast<float>(st.LastSample - st.FirstSample + 1);
    g.scale = DensityScale(st.AmpMin, st.AmpMax);
    g.FirstTrace = st.FirstTrace;
    g.LastTrace = st.LastTrace;
    g.FirstSample = st.FirstSample;
    g.LastSample = st.LastSample;
    return g;
}

void DrawDensity(const Array2D &PlotData, Canvas &c, const DensityGeometry &g, int t, bool highlighted)
{
    const CanvasPixels px = c.pixels();
    const double dx = g.dx >= 1 ? g.dx : g.fitWidth;
    if (px.width < 1 || px.height < 1 || !(dx > 0) || !std::isfinite(dx) || !(g.dy > 0) || !std::isfinite(g.dy)
        || !(px.twipsPerPixel > 0) || g.LastTrace < g.FirstTrace || g.LastSample < g.FirstSample)
        return;

    // The trace each pixel column shows, from the left edge while there are
    // traces: trace FirstTrace + floor(x / dx) at the column's centre x.
    std::vector<int> traceOf;
    const double tpp = px.twipsPerPixel;
    const int64_t traces = g.LastTrace - g.FirstTrace + 1;
    for (int32_t col = 0; col < px.width; ++col) {
        const auto k = static_cast<int64_t>(std::floor(col * tpp / dx));
        if (k >= traces)
            break;
        traceOf.push_back(g.FirstTrace + static_cast<int>(k));
    }
    int32_t c0 = 0, c1 = static_cast<int32_t>(traceOf.size());
    if (t != 0) {
        c0 = static_cast<int32_t>(std::lower_bound(traceOf.begin(), traceOf.end(), t) - traceOf.begin());
        c1 = static_cast<int32_t>(std::upper_bound(traceOf.begin(), traceOf.end(), t) - traceOf.begin());
        if (c0 == c1) {
            if (c0 == 0 || (t - g.FirstTrace) * dx >= (px.width - 0.5) * tpp)
                return; // right of the picture
            c0 = c1 - 1;
        }
    }
    if (c0 >= c1)
        return;

    // The sample each pixel row shows.
    std::vector<int> sampleOf(static_cast<size_t>(px.height));
    for (int32_t r = 0; r < px.height; ++r) {
        const double s = std::floor(r * tpp / g.dy + 0.5) + g.FirstSample - 1;
        sampleOf[static_cast<size_t>(r)] = static_cast<int>(std::clamp<double>(s, g.FirstSample, g.LastSample));
    }

    // A column at a time, down the trace's samples; the levels row by row.
    const size_t w = static_cast<size_t>(c1 - c0);
    std::vector<uint8_t> levels(w * static_cast<size_t>(px.height));
    for (size_t k = 0; k < w; ++k) {
        const float *v = PlotData.row(highlighted ? t : traceOf[static_cast<size_t>(c0) + k]);
        uint8_t *out = levels.data() + k;
        for (int32_t r = 0; r < px.height; ++r, out += w)
            *out = DensityLevel(v[sampleOf[static_cast<size_t>(r)]], g.scale);
    }
    c.density(c0, static_cast<int32_t>(w), levels.data(), highlighted);
}

} // namespace orv::detail

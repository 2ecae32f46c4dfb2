#pragma once
// The profile canvas as grey levels: each trace's column of PlotData over the
// display window, in the wiggles' geometry, so that the pick and range marks,
// which stand on that geometry, fall on the trace they belong to. Trace t's
// column spans (t - FirstTrace) * dx to (t - FirstTrace + 1) * dx twips
// (dx the wiggles' whole number of twips, or where that is 0 the canvas
// width per trace); sample s is centred at (s - FirstSample + 1) * dy, where
// its pick mark goes. A pixel shows the sample at its centre.

#include "core/canvas.h"
#include "core/store.h"

#include <cstdint>

namespace orv::detail {

struct DensityGeometry {
    int32_t dx = 0;  // column width per trace, as the wiggles'
    // Used instead where dx is 0 (more than two traces to a twip, where the
    // wiggles all fall on the first column): the canvas width per trace.
    double fitWidth = 0;
    float dy = 0;    // height per sample
    float scale = 0; // levels per amplitude unit (DensityScale)
    int FirstTrace = 1, LastTrace = 1, FirstSample = 1, LastSample = 1;
};

// 127.5 / max(|AmpMin|, |AmpMax|): the levels run symmetrically around 0,
// the largest amplitude of either sign reaching 0 or 255; 0 (every level
// 128) for a flat window.
float DensityScale(float AmpMin, float AmpMax);

// The geometry of the window and amplitude range the store holds (those the
// last profile plot set), on canvas c.
DensityGeometry DensityOf(const ProfileStore &st, const Canvas &c);

// The level of amplitude A: floor(A * scale + 128) within 0..255; 128 for a
// NaN or an infinity, which the wiggles draw on their baseline.
inline uint8_t DensityLevel(float A, float scale)
{
    if (!(A - A == 0))
        return 128;
    const float x = A * scale + 128.0f;
    return x <= 0 ? 0 : (x >= 255 ? 255 : static_cast<uint8_t>(x));
}

// Trace 0: the columns of every trace of the window. Trace t: the pixel
// columns whose centres lie in trace t's column (or, when none does, the one
// just left of its start; none for a trace right of the picture):
// highlighted, all of them in trace t's levels; not, each as the whole plot
// draws it.
void DrawDensity(const Array2D &PlotData, Canvas &c, const DensityGeometry &g, int t, bool highlighted);

} // namespace orv::detail

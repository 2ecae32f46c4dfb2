#pragma once
// The drawing of one trace of the profile canvas as a filled wiggle, shared
// by the profile plot and by the highlight / restore redraws, so that a
// redrawn trace falls exactly on the one the profile plot drew.

#include "core/canvas.h"
#include "core/store.h"
#include "display/batch.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orv::detail {

struct WiggleGeometry {
    float G = 1;           // gain: largest deflection from the baseline
    int32_t dx = 0;        // column width per trace
    float k = 0;           // amplitude scale
    float dy = 0;          // height per sample
    float AmpMin = 0;
    int32_t ClipValue = 0;
    int FirstTrace = 1;
    int FirstSample = 1;
    int LastSample = 1;
    // bottom[s - FirstSample], for s = FirstSample..LastSample: the bottom
    // of sample s's segment, CLng((s - FirstSample + 1) * dy), and 0 for
    // the first sample (the top of the first point). The same for every
    // trace, so a plot of many works it out once; with none, DrawWiggle
    // works it out as it goes.
    const int32_t *bottom = nullptr;
};

// That bottom for sample s of the window.
int32_t SegmentY(int s, const WiggleGeometry &g);

// The baseline of trace t, CLng(x0 + 0 * k) in the wiggle's order of
// operations.
int32_t Baseline(const WiggleGeometry &g, int t);
// Whether all of trace t's wiggle lies at or right of x (twips): its points
// and lines stay within the clip or the gain limit of the baseline, and its
// fill lines start on it.
bool WiggleRightOf(const WiggleGeometry &g, int t, double x);

// Draws trace t (its samples FirstSample..LastSample must exist in
// PlotData). Wiggle lines and the first point use the foreground colour;
// fill lines use fillColour when given, else the foreground colour. A NaN or
// an infinity is drawn on the baseline; a finite amplitude too large for the
// float arithmetic is held within ClipValue of it, like any other deflection.
void DrawWiggle(const Array2D &PlotData, Canvas &c, const WiggleGeometry &g, int t,
                std::optional<uint32_t> fillColour);
// Part of it, into a batch: items from..to, item FirstSample being the
// first point and item s after it sample s's segment and fill lines.
void DrawWiggle(const Array2D &PlotData, PrimBatch &out, const WiggleGeometry &g, int t,
                std::optional<uint32_t> fillColour, int from, int to);

// The positions DrawWiggle draws samples from..to of trace t from, as the
// canvas takes them (item k being sample FirstSample + k), kept in scratch;
// none when from..to holds no sample of the window.
struct WiggleScratch {
    std::vector<float> x;
    std::vector<int32_t> px, y;
};
std::optional<CanvasWiggle> Wiggle(const Array2D &PlotData, const WiggleGeometry &g, int t, int from, int to,
                                   WiggleScratch &scratch);
// A wiggle's primitives into a batch, fill lines in fillColour when given.
void SendWiggle(const CanvasWiggle &w, PrimBatch &out, std::optional<uint32_t> fillColour);

// Amplitude scale G / (AmpMax - AmpMin); 0 when the window is flat (every
// trace then lies on its baseline) or the quotient is not finite.
float AmplitudeScale(float G, float AmpMin, float AmpMax);

// Column width CInt(ScaleWidth / traces), kept in 32 bits.
int32_t ColumnWidth(float scaleWidth, int firstTrace, int lastTrace);

} // namespace orv::detail

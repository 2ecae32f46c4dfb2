#pragma once
// The drawing routines of the two canvases. Each reads the profile store and
// the fields it needs and draws through the Canvas interface; none keeps
// state between calls.

#include "core/canvas.h"
#include "core/controls.h"
#include "core/store.h"

#include <cstdint>
#include <functional>

namespace orv {

// How a profile plot runs.
struct PlotRun {
    // Threads drawing the wiggles, a band of the canvas each, on a canvas
    // that can be drawn in bands; 1: the calling thread alone; 0: one per
    // processor core. The picture is the same whatever the number.
    unsigned threads = 1;
    // Called on the calling thread, with no drawing under way, before each
    // group of traces is drawn, with the first trace of the group.
    std::function<void(int trace)> progress;
};

// Validates gain and display window (writing them back), normalizes PlotData
// in place, sets AmpMin/AmpMax and draws the display window as filled
// wiggles. Leaves the canvas in draw mode 10.
void PlotProfile(ProfileStore &st, Controls &c, Canvas &pctProfile, const PlotRun &run = {});

// Draws trace n alone on the trace canvas, stretched over its width.
void PlotTrace(const ProfileStore &st, Canvas &pctTrace, int n);

// Redraw the current trace (updValue) with green fill / the trace before it
// with the normal fill, on the profile canvas, in the profile plot's geometry.
void HighlightTrace(const ProfileStore &st, const Controls &c, Canvas &pctProfile, int32_t updValue);
void RestorePrevTrace(const ProfileStore &st, const Controls &c, Canvas &pctProfile, int32_t updValue);
// Trace t of the display window with the normal fill.
void RestoreTrace(const ProfileStore &st, const Controls &c, Canvas &pctProfile, int32_t t);

// Five sample numbers and five times beside the profile canvas.
void ShowAxisLabels(const ProfileStore &st, Controls &c);

// A red cross at every stored pick of the display window, in the canvas's
// current draw mode.
void DrawPickMarks(const ProfileStore &st, const Controls &c, Canvas &pctProfile, const Canvas &pctTrace);

} // namespace orv

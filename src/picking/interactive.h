#pragma once
// Picking with the mouse on the trace canvas: while the pointer moves the
// pick range follows it (two full-width lines on pctTrace and a small blue
// marker in the current trace's column of pctProfile), and a button press
// stores a pick for the current trace, marks it with a red cross and steps to
// the next trace. Both canvases are left in the not-XOR pen by the plots, so
// every mark is erased by drawing it again.

#include "core/canvas.h"
#include "core/controls.h"
#include "core/stepper.h"
#include "core/store.h"

namespace orv {

// The six range-mark lines for the column at X and range lines at y = A
// (upper) and y = B (lower); dx is the profile's column width.
void DrawRangeMarks(Canvas &pctProfile, Canvas &pctTrace, float X, float A, float B, int16_t dx);

// The red pick cross centred on (Xp + dx/2, Yp).
void DrawPickCross(Canvas &pctProfile, int32_t Xp, int32_t Yp, int16_t dx);

// Pointer moved over pctTrace to y (twips). Sets the cross-hair pointer and
// moves the range marks.
void PctTraceMouseMove(ProfileStore &st, Controls &c, const Stepper &upd, Canvas &pctProfile,
                       Canvas &pctTrace, float y);

// A button pressed over pctTrace at y (twips): the left button picks by the
// rule in force, any other button where the pointer is. Stores the pick,
// shows it, and steps the stepper on (which redraws the current trace).
void PctTraceMouseDown(ProfileStore &st, Controls &c, Stepper &upd, Canvas &pctProfile,
                       Canvas &pctTrace, int button, float y);

} // namespace orv

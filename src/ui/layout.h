#pragma once
// The main window's geometry without any widgets: the design positions of its
// controls and the one-time fit to the screen (adjustform's steps), worked on
// plain rectangles in twips so the arithmetic can be checked on its own.
//
// All values are 32-bit: a work area wider than 32767 twips (2184 pixels at
// 96 dpi) is laid out like any other.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv {

constexpr int32_t TwipsPerPixel = 15;

// Left, Top, Width, Height in twips, relative to the container's inner area.
struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t right() const { return Left + Width; }
    int32_t bottom() const { return Top + Height; }
    bool operator==(const Rect &) const = default;
};

// Pixel <-> twip conversion (device-independent pixels), rounding to the
// nearest pixel.
int32_t TwipsToPixels(int32_t twips);
constexpr int32_t PixelsToTwips(int32_t px) { return px * TwipsPerPixel; }

// Design size of the main window's inner area (below the menu bar).
constexpr int32_t DesignInnerWidth = 16725;
constexpr int32_t DesignInnerHeight = 10845;

// One control of the window as designed.
struct DesignEntry {
    const char *name;      // the control's name, also its widget objectName
    const char *container; // "" for the window itself, else the frame or canvas holding it
    Rect rect;
};

// Every positioned control of the main window: canvases, labels, fields,
// buttons, the two frames with their contents and the About panel with its
// lines.
const std::vector<DesignEntry> &DesignTable();
// The design rectangle of the named control; a zero rectangle for an unknown
// name.
Rect DesignRect(std::string_view name);

// The controls whose places adjustform sets, each relative to the window's
// inner area. Everything else keeps its design place (the contents of Frame4
// move with the frame).
struct FormLayout {
    Rect pctProfile, pctTrace;
    std::array<Rect, 5> lblSamp, lblTime;
    Rect Label1, upd, Label12;
    Rect Frame4;
    Rect Label7, txtGainValue, Label13, txtAmpClip, Label14, txtTraceCSG;
    Rect Label2, lblReadTr, Label3, Label8, txtPickRange;

    // (control name, rectangle) of every member, label arrays as
    // "lblSamp0".."lblSamp4" and "lblTime0".."lblTime4".
    std::vector<std::pair<std::string, Rect>> entries() const;
};

// The design places of the FormLayout controls.
FormLayout DesignLayout();

// A canvas never gets less than this width or height (100 pixels), however
// small the screen.
constexpr int32_t MinCanvasSize = 1500;
// The smallest inner area the layout is computed for: below it the canvases
// would be squeezed under MinCanvasSize, so a smaller area is laid out as if
// it had this size (the window then reaches past the screen's edge).
constexpr int32_t MinInnerWidth = MinCanvasSize + 1935 + 2 * 735 + 500; // 5405
constexpr int32_t MinInnerHeight = MinCanvasSize + 2835;                // 4335

// adjustform's arrangement for an inner area of W x H twips, its steps 1..21
// in order: pctTrace at the right edge, both canvases down to 2355 twips above
// the bottom, the axis labels at the canvas top, quarters and bottom, and the
// controls below and beside the canvases following them. W and H are raised
// to MinInnerWidth / MinInnerHeight first.
void AdjustLayout(FormLayout &f, int32_t W, int32_t H);

// The window fit of adjustform: from the usable screen area and the window's
// frame, the inner size a maximised window would have (W0 x H0 twips), which
// becomes the window's outer size. All inputs in pixels.
struct WindowFit {
    int32_t W0 = 0; // twips
    int32_t H0 = 0; // twips
    int32_t outerWidthPx = 0;
    int32_t outerHeightPx = 0;
};
WindowFit FitToWorkArea(int32_t workWidthPx, int32_t workHeightPx, int32_t frameWidthPx,
                        int32_t frameHeightPx, int32_t menuBarHeightPx);

// Top-left corner that centres a box of innerW x innerH on a container of
// outerW x outerH (any unit): container / 2 - box / 2 on each axis.
std::pair<int32_t, int32_t> CentreIn(int32_t outerW, int32_t outerH, int32_t innerW, int32_t innerH);

} // namespace orv

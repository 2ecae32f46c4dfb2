#pragma once
// A picture area the plots draw on. Coordinates are in twips (1/1440 inch,
// 15 twips to a device-independent pixel), origin at the top left, y down.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

enum DrawMode : int {
    DrawNotXorPen = 10, // destination = NOT(pen XOR destination)
    DrawCopyPen = 13,
};

// 0x00BBGGRR colour values.
constexpr uint32_t ColorRed = 255;
constexpr uint32_t ColorGreen = 65280;
constexpr uint32_t ColorBlue = 16711680;

// The fill under one wiggle segment: for m = 1..count, the edge at
// edge = slope * m + edge0 and the line from (offset + base, top + m) to
// (offset + edge, top + m) wherever edge > base, in single precision and in
// that order of operations.
struct CanvasFill {
    float offset, base, edge0, slope, top;
    int32_t count;
};

// Calls f(x1, y1, x2, y2) for each line of a fill, in order.
template <typename F>
void forEachFillLine(const CanvasFill &r, F &&f)
{
    const float start = r.offset + r.base;
    for (int32_t m = 1; m <= r.count; ++m) {
        const float edge = r.slope * static_cast<float>(m) + r.edge0;
        if (edge > r.base) {
            const float y = r.top + static_cast<float>(m);
            f(start, y, r.offset + edge, y);
        }
    }
}

// One item of a batch: a point at (x1, y1) in the foreground colour, a line
// in the foreground colour or in colour bgr, or a fill's lines in either.
// Plain data (no initial values), so that a batch's storage costs nothing
// until it is written.
struct CanvasPrim {
    enum Kind : uint8_t { Point, Line, ColourLine, Fill, ColourFill };
    Kind kind;
    uint32_t bgr; // ColourLine, ColourFill
    float x1, y1, x2, y2;
    CanvasFill fill; // Fill, ColourFill
};

// One trace's wiggle as the profile plot draws it, given by its positions.
// Items are numbered from 0: item 0 is the point (half + x[0], 0); item k
// after it is the line from (half + px[k - 1], y[k - 1]) to
// (half + x[k], y[k]) with the fill under it, from base to that line, of
// `fills` lines a twip apart below k * dy (see forEachWigglePrim). x, px and
// y are read for items from - 1 (from 0 when from is 0) to to.
struct CanvasWiggle {
    float half, base, dy;
    int32_t fills;
    int32_t items;     // the whole trace's items
    int32_t from, to;  // the items drawn, 0 <= from, to < items
    const float *x;    // positions
    const int32_t *px; // the positions rounded, CLng(x[k])
    const int32_t *y;  // the bottom of each segment, y[0] = 0
};

// The primitives of a wiggle, in order: out.pset(x, y), out.line(x1, y1, x2,
// y2) and out.fill(f).
template <typename Out>
void forEachWigglePrim(const CanvasWiggle &w, Out &&out)
{
    int32_t k = w.from;
    if (k == 0) {
        out.pset(w.half + w.x[0], 0.0f);
        k = 1;
    }
    for (; k <= w.to; ++k) {
        const float pxf = static_cast<float>(w.px[k - 1]);
        out.line(w.half + pxf, static_cast<float>(w.y[k - 1]), w.half + w.x[k], static_cast<float>(w.y[k]));
        out.fill(CanvasFill{w.half, w.base, pxf, (w.x[k] - pxf) / w.dy, static_cast<float>(k) * w.dy, w.fills});
    }
}

// The pixels of a picture, for a plot that fills areas of them itself: pixel
// column c and row r are those that twips c * twipsPerPixel and
// r * twipsPerPixel fall on.
struct CanvasPixels {
    int32_t width = 0, height = 0;
    double twipsPerPixel = 15;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    // False for a canvas that keeps nothing (a program without a window):
    // the plots then skip forming wiggles, which affect nothing but the
    // canvas.
    virtual bool keepsDrawing() const { return true; }
    // True for a canvas whose picture ends at ScaleWidth: nothing drawn 30
    // twips (two pixels at any pixel ratio) or more right of it shows, so
    // the plots may leave out a trace that lies wholly there.
    virtual bool endsAtScaleWidth() const { return false; }
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    virtual void setDrawMode(int mode) = 0;
    virtual int drawMode() const = 0;
    virtual void clear() = 0;                       // fill with the background colour
    virtual void pset(float x, float y) = 0;        // one point, foreground colour
    virtual void line(float x1, float y1, float x2, float y2) = 0; // foreground colour
    virtual void line(float x1, float y1, float x2, float y2, uint32_t bgr) = 0;

    // The picture's pixels; none (0 x 0) for a canvas without pixels of its
    // own, which is then given no density.
    virtual CanvasPixels pixels() const { return {}; }
    // Pixel columns c0..c0 + w - 1 of every row as density levels,
    // levels[r * w + (c - c0)]: 0 the most negative amplitude, 128 zero, 255
    // the most positive; highlighted: in the highlight's tint. The canvas
    // chooses the colours and leaves out columns off its picture. Whatever
    // was drawn in not-XOR pen over those columns since they were last given
    // levels (the pick and range marks) stays on them, over the new levels.
    virtual void density(int32_t c0, int32_t w, const uint8_t *levels, bool highlighted)
    {
        (void)c0;
        (void)w;
        (void)levels;
        (void)highlighted;
    }

    // Drawing from several threads at once, a horizontal band of the
    // picture each. bands(n) splits the picture into at most n bands of
    // whole pixel rows and returns their n + 1 edges in twips: band i holds
    // the pixels of every y with e[i] <= y < e[i + 1], e[0] being -infinity
    // and the last +infinity. drawBand(i, ...) then draws as draw() would,
    // but only the pixels of band i; calls for different bands may run at
    // the same time, and nothing else is called on the canvas until they
    // have returned. A canvas that cannot returns no edges (the default).
    virtual std::vector<float> bands(int n)
    {
        (void)n;
        return {};
    }
    virtual void drawBand(size_t band, const CanvasPrim *p, size_t n)
    {
        (void)band;
        draw(p, n);
    }

    // A wiggle's primitives in the foreground colour, on the whole picture
    // (band SIZE_MAX) or on band i of bands(): the pixels they would set,
    // in any order, so only where that gives the same picture (copy pen).
    // False when the canvas does not (the default): the caller then hands
    // the primitives over itself.
    virtual bool drawWiggle(const CanvasWiggle &w, size_t band)
    {
        (void)w;
        (void)band;
        return false;
    }

    // n items in the current draw mode, exactly as if each point and line
    // were drawn by its own call above, in order. A canvas that can do
    // better than one call at a time overrides this.
    virtual void draw(const CanvasPrim *p, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            const CanvasPrim &q = p[i];
            switch (q.kind) {
            case CanvasPrim::Point:
                pset(q.x1, q.y1);
                break;
            case CanvasPrim::Line:
                line(q.x1, q.y1, q.x2, q.y2);
                break;
            case CanvasPrim::ColourLine:
                line(q.x1, q.y1, q.x2, q.y2, q.bgr);
                break;
            case CanvasPrim::Fill:
                forEachFillLine(q.fill, [&](float a, float b, float c, float d) { line(a, b, c, d); });
                break;
            case CanvasPrim::ColourFill:
                forEachFillLine(q.fill, [&](float a, float b, float c, float d) { line(a, b, c, d, q.bgr); });
                break;
            }
        }
    }
};

} // namespace orv

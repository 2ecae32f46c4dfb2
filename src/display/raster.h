#pragma once
// Pixel-level drawing on a plain 32-bit image buffer (0xAARRGGBB pixels):
// points, lines and horizontal spans in copy-pen (13) or not-XOR pen (10).
// The Qt canvas draws through these, so the not-XOR erase is exact: every
// line touches each of its pixels exactly once and always the same pixels,
// so drawing any set of lines a second time in mode 10 restores the buffer
// bit for bit. Lines are clipped to the buffer before they are walked, so a
// line with huge end points costs no more than its visible part.

#include "core/canvas.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace orv::raster {

struct Target {
    uint32_t *bits = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0; // pixels from one row to the next
};

// Coordinates in twips are clamped to this magnitude before they are mapped.
constexpr double MaxTwips = 1e7;

// 0x00BBGGRR (the canvas colour form) to an opaque 0xAARRGGBB pixel.
constexpr uint32_t bgrToArgb(uint32_t bgr)
{
    return 0xff000000u | ((bgr & 0xffu) << 16) | (bgr & 0xff00u) | ((bgr >> 16) & 0xffu);
}

// One pixel under the pen: copy pen writes the pen colour, not-XOR pen
// writes NOT(pen XOR destination) on the colour bits; alpha stays opaque.
inline void applyPen(uint32_t &dest, uint32_t pen, int mode)
{
    if (mode == 10)
        dest = 0xff000000u | (~(pen ^ dest) & 0x00ffffffu);
    else
        dest = 0xff000000u | (pen & 0x00ffffffu);
}

// Device coordinates are kept well inside the range where the line walk's
// products fit in 64 bits.
constexpr int32_t MaxDevice = 1 << 28;

// Twips to a device pixel: floor(v / 15 * dpr + 0.5) with v clamped to
// +/-MaxTwips. False for NaN (nothing is drawn then). Inline: every
// primitive maps four coordinates.
inline bool toDevice(double twips, double dpr, int32_t &out)
{
    if (twips != twips)
        return false; // NaN: not drawn
    const double v = twips < -MaxTwips ? -MaxTwips : (twips > MaxTwips ? MaxTwips : twips);
    double d = v / 15.0 * dpr + 0.5;
    if (!(d >= -MaxDevice && d <= MaxDevice)) {
        if (d != d)
            return false; // a NaN ratio
        d = d < 0 ? -MaxDevice : MaxDevice;
    }
    int64_t i = static_cast<int64_t>(d); // floor without a library call
    if (static_cast<double>(i) > d)
        --i;
    out = static_cast<int32_t>(i);
    return true;
}

void fill(const Target &t, uint32_t argb);
void point(const Target &t, int32_t x, int32_t y, uint32_t argb, int mode);
// End points inclusive; the same pixels whichever end comes first.
void line(const Target &t, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb, int mode);

// The same in twips, mapped with toDevice.
void pointTwips(const Target &t, double dpr, float x, float y, uint32_t argb, int mode);
void lineTwips(const Target &t, double dpr, float x1, float y1, float x2, float y2, uint32_t argb,
               int mode);

// toDevice for float twips without a division, for a buffer of a given size
// and pixel ratio: for each pixel edge on the buffer, the smallest float that
// maps past it, worked out once with toDevice itself. A value on the buffer
// is placed between two edges; anything else (off the buffer, NaN) goes to
// toDevice. Same results as toDevice for every float.
class Grid {
public:
    Grid() = default;
    Grid(double dpr, int width, int height);
    bool fits(double dpr, int width, int height) const
    {
        return dpr == dpr_ && width == width_ && height == height_;
    }
    bool col(float v, int32_t &out) const { return map(cols_, v, out); }
    bool row(float v, int32_t &out) const { return map(rows_, v, out); }

    // The last pixel a mapping landed on, with its edges: a value on that
    // pixel or the next one is placed by comparisons alone.
    struct Cursor {
        // The pixel's edges; none yet: both above every float, so nothing
        // is on it or past it.
        float lo = std::numeric_limits<float>::infinity(), hi = lo;
        int32_t px = 0;
    };
    bool col(float v, int32_t &out, Cursor &c) const { return near(cols_, v, out, c); }
    bool row(float v, int32_t &out, Cursor &c) const { return near(rows_, v, out, c); }
    // A fresh mapping, for a value that jumps about, that leaves the cursor
    // on its pixel for the values near it that follow.
    bool colAnew(float v, int32_t &out, Cursor &c) const { return anew(cols_, v, out, c); }
    // The edges of rows 0..height: the smallest float on each row (and the
    // first below the buffer). Empty when the ratio is unusable.
    const std::vector<float> &rowEdges() const { return rows_.edge; }
    double ratio() const { return dpr_; }
    int height() const { return height_; }

private:
    // edge[i]: the smallest float v with toDevice(v) >= i, for i = 0..n;
    // lo, hi: edge[0], edge[n] (with no edges, a range nothing is in).
    struct Edges {
        std::vector<float> edge;
        float lo = 1, hi = 0;
        int32_t last = 0;  // n - 1, the last pixel
        float perTwip = 0; // pixels per twip, for the first guess
    };
    static Edges build(double dpr, int n);
    bool map(const Edges &e, float v, int32_t &out) const
    {
        if (!(v >= e.lo && v < e.hi))
            return toDevice(v, dpr_, out);
        const float *edge = e.edge.data();
        int32_t i = static_cast<int32_t>(v * e.perTwip + 0.5f);
        i = i < 0 ? 0 : (i > e.last ? e.last : i);
        while (v < edge[i])
            --i;
        while (v >= edge[i + 1])
            ++i;
        out = i;
        return true;
    }
    bool near(const Edges &e, float v, int32_t &out, Cursor &c) const
    {
        if (v >= c.lo && v < c.hi) {
            out = c.px;
            return true;
        }
        return follow(e, v, out, c);
    }
    // The next or the previous pixel, or a fresh mapping.
    bool follow(const Edges &e, float v, int32_t &out, Cursor &c) const;
    bool anew(const Edges &e, float v, int32_t &out, Cursor &c) const
    {
        if (!map(e, v, out))
            return false;
        if (out >= 0 && out <= e.last) {
            c.px = out;
            c.lo = e.edge[static_cast<size_t>(out)];
            c.hi = e.edge[static_cast<size_t>(out) + 1];
        }
        return true;
    }
    double dpr_ = 1;
    int width_ = -1, height_ = -1;
    Edges cols_, rows_;
};

// Draws p[0..n) in mode, foreground fg, with the very pixels pointTwips and
// lineTwips would set drawing each point and line one by one in that order
// (g made for t's size and the same pixel ratio). In copy pen, horizontal
// lines of one colour that overlap on a pixel row are joined and written
// once: the pixels they cover get that colour whatever the order, and a
// primitive of another colour first sends the joined span out so that order
// holds. A fill is worked out a pixel row at a time rather than a line at a
// time (copy pen only; in not-XOR pen each line counts).
//
// With a row range, only the pixels of rows rowLo..rowHi - 1 are set, the
// very ones drawing the whole batch would set there: the lines' pixels do
// not depend on where the buffer starts, so a band of rows can be drawn on
// its own while other threads draw the others.
void drawBatch(const Target &t, const Grid &g, const CanvasPrim *p, size_t n, uint32_t fg, int mode,
               int rowLo = 0, int rowHi = std::numeric_limits<int>::max());

// The pixel rows a wiggle's fill lines fall on (see CanvasWiggle), the same
// for every trace of a plot: for item k, the runs of m = first..last whose
// lines at y = k * dy + m lie on one row of the buffer, in order of m. Lines
// off the buffer are in no run.
class FillRows {
public:
    struct Run {
        int32_t row, first, last;
    };
    FillRows() = default;
    FillRows(const Grid &g, float dy, int32_t fills, int32_t items);
    bool fits(const Grid &g, float dy, int32_t fills, int32_t items) const
    {
        return g.ratio() == dpr_ && g.height() == height_ && dy == dy_ && fills == fills_ && items == items_;
    }
    // False when the grid has no row edges: the rows are then not known.
    bool usable() const { return usable_; }
    // Two runs for every item (see the constructor).
    bool pairs() const { return pairs_; }
    const Run *begin(int32_t k) const { return runs_.data() + start_[static_cast<size_t>(k)]; }
    const Run *end(int32_t k) const { return runs_.data() + start_[static_cast<size_t>(k) + 1]; }

private:
    double dpr_ = 0;
    int height_ = -1;
    float dy_ = 0;
    int32_t fills_ = -1, items_ = -1;
    bool usable_ = false, pairs_ = false;
    std::vector<uint32_t> start_; // item k's runs: start_[k]..start_[k + 1]
    std::vector<Run> runs_;
};

// Wiggle w in copy pen in colour argb: the very pixels drawBatch sets for
// the primitives of forEachWigglePrim(w), rows rowLo..rowHi - 1 only, made
// from the positions without the primitives. The primitives are all of one
// colour, so only which pixels they set counts, not the order: each fill
// line starts on the baseline, so a trace's fill lines on one pixel row
// cover the pixels from the baseline's to those of the farthest edge, which
// is at one end of the row's run (the edge moves one way as m grows).
// False (perhaps with some of it drawn) when w is not for this path (rows
// not for w's geometry or not usable, a value that is not finite); the
// caller then draws its primitives, which set those pixels again to the
// same colour.
bool drawWiggle(const Target &t, const Grid &g, const FillRows &rows, const CanvasWiggle &w, uint32_t argb,
                int rowLo = 0, int rowHi = std::numeric_limits<int>::max());

} // namespace orv::raster

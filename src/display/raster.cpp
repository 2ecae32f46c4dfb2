#include "display/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace orv::raster {

namespace {

// Floor and ceiling of a / b for b > 0.
int64_t floorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && (a < 0))
        --q;
    return q;
}

int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

inline uint32_t *pixel(const Target &t, int64_t x, int64_t y)
{
    return t.bits + static_cast<ptrdiff_t>(y) * t.stride + static_cast<ptrdiff_t>(x);
}

// Columns xa..xb cut to the buffer's; false when none is left.
inline bool clipColumns(const Target &t, int64_t &xa, int64_t &xb)
{
    xa = std::max<int64_t>(xa, 0);
    xb = std::min<int64_t>(xb, t.width - 1);
    return xa <= xb;
}

void hspan(const Target &t, int64_t y, int64_t xa, int64_t xb, uint32_t argb, int mode)
{
    if (y < 0 || y >= t.height)
        return;
    if (xa > xb)
        std::swap(xa, xb);
    if (!clipColumns(t, xa, xb))
        return;
    uint32_t *p = pixel(t, xa, y);
    const int64_t n = xb - xa + 1;
    if (mode == 10) {
        for (int64_t i = 0; i < n; ++i)
            applyPen(p[i], argb, mode);
    } else {
        std::fill_n(p, n, 0xff000000u | (argb & 0x00ffffffu));
    }
}

void vspan(const Target &t, int64_t x, int64_t ya, int64_t yb, uint32_t argb, int mode)
{
    if (x < 0 || x >= t.width)
        return;
    if (ya > yb)
        std::swap(ya, yb);
    ya = std::max<int64_t>(ya, 0);
    yb = std::min<int64_t>(yb, t.height - 1);
    for (int64_t y = ya; y <= yb; ++y)
        applyPen(*pixel(t, x, y), argb, mode);
}

// A line whose major axis runs from a1 to a2 (a1 <= a2) and whose minor
// coordinate goes from b1 by db (|db| <= a2 - a1, db != 0). Pixel i
// (0..a2-a1) lies at major a1 + i and minor b1 + sign(db) * j(i), with
// j(i) = floor((2 i |db| + n) / (2 n)), n = a2 - a1: the minor offset rounded
// to nearest, halves away from the start. The visible range of i is found
// in closed form before the walk.
template <typename Plot>
void walk(int64_t a1, int64_t a2, int64_t b1, int64_t db, int64_t majorSize, int64_t minorSize,
          Plot plot)
{
    const int64_t n = a2 - a1;
    const int64_t m = db < 0 ? -db : db;
    const int64_t sb = db < 0 ? -1 : 1;

    // Major range on the buffer.
    int64_t ilo = std::max<int64_t>(0, -a1);
    int64_t ihi = std::min<int64_t>(n, majorSize - 1 - a1);
    // Minor offsets j on the buffer.
    int64_t jlo, jhi;
    if (sb > 0) {
        jlo = -b1;
        jhi = minorSize - 1 - b1;
    } else {
        jlo = b1 - (minorSize - 1);
        jhi = b1;
    }
    jlo = std::max<int64_t>(jlo, 0);
    jhi = std::min<int64_t>(jhi, m);
    if (jlo > jhi)
        return;
    // Smallest i with j(i) >= jlo, largest i with j(i) <= jhi.
    ilo = std::max(ilo, ceilDiv(2 * n * jlo - n, 2 * m));
    ihi = std::min(ihi, floorDiv(2 * n * (jhi + 1) - n - 1, 2 * m));
    if (ilo > ihi)
        return;

    const int64_t num = 2 * ilo * m + n;
    int64_t j = num / (2 * n);
    int64_t rem = num % (2 * n);
    for (int64_t i = ilo; i <= ihi; ++i) {
        plot(a1 + i, b1 + sb * j);
        rem += 2 * m;
        if (rem >= 2 * n) {
            rem -= 2 * n;
            ++j;
        }
    }
}

// The walk above for a line wholly on the buffer (the usual case), from
// i = 0 where j = 0 and the remainder is n: a pixel pointer that moves by
// `major` each step and by `minor` more when j goes up.
template <int Mode>
void walkOnBuffer(uint32_t *p, int64_t n, int64_t m, ptrdiff_t major, ptrdiff_t minor, uint32_t argb)
{
    int64_t rem = n;
    for (int64_t i = 0; i <= n; ++i) {
        applyPen(*p, argb, Mode);
        p += major;
        rem += 2 * m;
        if (rem >= 2 * n) {
            rem -= 2 * n;
            p += minor;
        }
    }
}

// Whether both ends are on the buffer.
inline bool within(const Target &t, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const auto w = static_cast<uint32_t>(t.width), h = static_cast<uint32_t>(t.height);
    return static_cast<uint32_t>(x1) < w && static_cast<uint32_t>(x2) < w && static_cast<uint32_t>(y1) < h
           && static_cast<uint32_t>(y2) < h;
}

// A line whose ends are both on the buffer, walked as walk() would.
inline void lineWithin(const Target &t, int64_t ax, int64_t ay, int64_t bx, int64_t by, uint32_t argb, int mode)
{
    const int64_t adx = bx > ax ? bx - ax : ax - bx;
    const int64_t ady = by > ay ? by - ay : ay - by;
    const bool xMajor = adx >= ady;
    // From the lower end of the longer axis.
    if (xMajor ? ax > bx : ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    uint32_t *p = pixel(t, ax, ay);
    const ptrdiff_t sb = (xMajor ? by < ay : bx < ax) ? -1 : 1;
    const ptrdiff_t major = xMajor ? 1 : t.stride, minor = xMajor ? sb * t.stride : sb;
    const int64_t n = xMajor ? adx : ady, m = xMajor ? ady : adx;
    if (mode == 10)
        walkOnBuffer<10>(p, n, m, major, minor, argb);
    else if (m == 0 && xMajor)
        std::fill_n(p, n + 1, 0xff000000u | (argb & 0x00ffffffu)); // along a row
    else
        walkOnBuffer<13>(p, n, m, major, minor, argb);
}

// line() on a target known to have pixels: on the picture by the pointer
// walk, else clipped.
void lineOn(const Target &t, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb, int mode)
{
    if (within(t, x1, y1, x2, y2)) {
        lineWithin(t, x1, y1, x2, y2, argb, mode);
        return;
    }
    int64_t ax = x1, ay = y1, bx = x2, by = y2;
    const int64_t adx = bx > ax ? bx - ax : ax - bx;
    const int64_t ady = by > ay ? by - ay : ay - by;
    if (ady == 0) {
        hspan(t, ay, ax, bx, argb, mode);
        return;
    }
    if (adx == 0) {
        vspan(t, ax, ay, by, argb, mode);
        return;
    }
    if (adx >= ady) {
        if (ax > bx) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        walk(ax, bx, ay, by - ay, t.width, t.height,
             [&](int64_t x, int64_t y) { applyPen(*pixel(t, x, y), argb, mode); });
    } else {
        if (ay > by) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        walk(ay, by, ax, bx - ax, t.height, t.width,
             [&](int64_t y, int64_t x) { applyPen(*pixel(t, x, y), argb, mode); });
    }
}

} // namespace

void fill(const Target &t, uint32_t argb)
{
    for (int y = 0; y < t.height; ++y)
        std::fill_n(pixel(t, 0, y), t.width, 0xff000000u | (argb & 0x00ffffffu));
}

void point(const Target &t, int32_t x, int32_t y, uint32_t argb, int mode)
{
    if (x < 0 || y < 0 || x >= t.width || y >= t.height)
        return;
    applyPen(*pixel(t, x, y), argb, mode);
}

void line(const Target &t, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb, int mode)
{
    if (t.width <= 0 || t.height <= 0 || t.bits == nullptr)
        return;
    lineOn(t, x1, y1, x2, y2, argb, mode);
}

void pointTwips(const Target &t, double dpr, float x, float y, uint32_t argb, int mode)
{
    int32_t px, py;
    if (toDevice(x, dpr, px) && toDevice(y, dpr, py))
        point(t, px, py, argb, mode);
}

void lineTwips(const Target &t, double dpr, float x1, float y1, float x2, float y2, uint32_t argb,
               int mode)
{
    int32_t ax, ay, bx, by;
    if (toDevice(x1, dpr, ax) && toDevice(y1, dpr, ay) && toDevice(x2, dpr, bx)
        && toDevice(y2, dpr, by))
        line(t, ax, ay, bx, by, argb, mode);
}

Grid::Grid(double dpr, int width, int height)
    : dpr_(dpr), width_(width), height_(height)
{
    // A ratio the edges cannot be found for leaves the tables empty: every
    // value then goes to toDevice.
    if (!(dpr > 0 && dpr < 1e6) || width < 0 || height < 0 || width > MaxDevice || height > MaxDevice)
        return;
    cols_ = build(dpr, width);
    rows_ = build(dpr, height);
}

Grid::Edges Grid::build(double dpr, int n)
{
    Edges e;
    e.perTwip = static_cast<float>(dpr / 15.0);
    e.edge.resize(static_cast<size_t>(n) + 1);
    constexpr float Inf = std::numeric_limits<float>::infinity();
    for (int i = 0; i <= n; ++i) {
        // Pixel i starts where v / 15 * dpr + 0.5 reaches i; from there, down
        // while the value still maps to i or beyond, then up to the first
        // that does. toDevice never decreases with v, so that float is the
        // edge.
        float v = static_cast<float>((i - 0.5) * 15.0 / dpr);
        int32_t d = 0;
        while (toDevice(v, dpr, d) && d >= i)
            v = std::nextafter(v, -Inf);
        while (!toDevice(v, dpr, d) || d < i)
            v = std::nextafter(v, Inf);
        e.edge[static_cast<size_t>(i)] = v;
    }
    if (n >= 1) {
        e.lo = e.edge.front();
        e.hi = e.edge.back();
        e.last = n - 1;
    }
    return e;
}

namespace {

// The lines of fill f that fall on each pixel row, for copy pen: calls
// span(row, lo, hi) once per row of the buffer that any of them falls on,
// lo..hi being the float range those lines cover. False, with nothing
// called, when f is not for this path (a value that is not finite, or no row
// edges); the caller then draws its lines one by one.
//
// The edge moves one way as m grows (a product and a sum, each rounded to
// nearest, never reverse the order of their operands), so the lines drawn
// are one range of m; y = top + m never goes back up, so the lines of each
// row are a range of m too. All start at offset + base and end right of it,
// so a row's lines cover offset + base up to its farther edge, which is at
// one end of its range.
template <typename RowOf, typename Span>
bool fillRows(const CanvasFill &f, const std::vector<float> &rowEdge, RowOf rowOf, Span span)
{
    // Five independent tests, not one chain of sums.
    const bool finite = std::isfinite(f.offset) & std::isfinite(f.base) & std::isfinite(f.edge0)
                        & std::isfinite(f.slope) & std::isfinite(f.top);
    if (rowEdge.size() < 2 || !finite)
        return false;
    const int32_t count = f.count;
    if (count < 1)
        return true;
    auto edgeAt = [&](int32_t m) { return f.slope * static_cast<float>(m) + f.edge0; };
    auto yAt = [&](int32_t m) { return f.top + static_cast<float>(m); };

    // The drawn range ma..mb.
    int32_t ma = 1, mb = count;
    if (f.slope >= 0) {
        // Edge never decreasing: the drawn lines are the last ones.
        if (!(edgeAt(count) > f.base))
            return true;
        if (!(edgeAt(1) > f.base)) {
            int32_t lo = 1, hi = count; // edgeAt(lo) <= base < edgeAt(hi)
            while (hi - lo > 1) {
                const int32_t mid = lo + (hi - lo) / 2;
                (edgeAt(mid) > f.base ? hi : lo) = mid;
            }
            ma = hi;
        }
    } else {
        // Edge decreasing: the drawn lines are the first ones.
        if (!(edgeAt(1) > f.base))
            return true;
        if (!(edgeAt(count) > f.base)) {
            int32_t lo = 1, hi = count; // edgeAt(lo) > base >= edgeAt(hi)
            while (hi - lo > 1) {
                const int32_t mid = lo + (hi - lo) / 2;
                (edgeAt(mid) > f.base ? lo : hi) = mid;
            }
            mb = lo;
        }
    }

    // The last m in m..mb with y < bound, given y(m) < bound. The guess is
    // the last m with top + m < bound in exact arithmetic (the difference of
    // two floats is exact in double wherever it matters), never below m.
    // Rounding to nearest cannot take a sum at or past the float bound
    // below it, only one just under it up to it: so the answer is the guess
    // or a little less.
    auto lastBelow = [&](int32_t m, float bound) {
        // The last whole number below d, held to m..mb.
        const double d = static_cast<double>(bound) - static_cast<double>(f.top);
        int32_t k = m;
        if (d > mb)
            k = mb;
        else if (d > m + 1) {
            k = static_cast<int32_t>(d); // d is positive here: its floor
            k -= static_cast<double>(k) == d;
        }
        while (k > m && !(yAt(k) < bound))
            --k;
        return k;
    };

    const float start = f.offset + f.base;
    const int32_t height = static_cast<int32_t>(rowEdge.size()) - 1;
    int32_t m = ma;
    while (m <= mb) {
        const float y = yAt(m);
        if (!(y < rowEdge[static_cast<size_t>(height)]))
            break; // this line and all after it are below the buffer
        if (y < rowEdge[0]) {
            m = lastBelow(m, rowEdge[0]) + 1; // above the buffer
            continue;
        }
        const int32_t r = rowOf(y); // on the buffer: 0 <= r < height
        const int32_t k = lastBelow(m, rowEdge[static_cast<size_t>(r) + 1]);
        span(r, start, std::max(f.offset + edgeAt(m), f.offset + edgeAt(k)));
        m = k + 1;
    }
    return true;
}

} // namespace

bool Grid::follow(const Edges &e, float v, int32_t &out, Cursor &c) const
{
    if (v >= c.hi && c.px < e.last && v < e.edge[static_cast<size_t>(c.px) + 2]) {
        out = ++c.px;
        c.lo = c.hi;
        c.hi = e.edge[static_cast<size_t>(c.px) + 1];
        return true;
    }
    if (v < c.lo && c.px > 0 && v >= e.edge[static_cast<size_t>(c.px) - 1]) {
        out = --c.px;
        c.hi = c.lo;
        c.lo = e.edge[static_cast<size_t>(c.px)];
        return true;
    }
    return anew(e, v, out, c);
}

void drawBatch(const Target &whole, const Grid &g, const CanvasPrim *p, size_t n, uint32_t fg, int mode,
               int rowLo, int rowHi)
{
    rowLo = std::max(rowLo, 0);
    rowHi = std::min(rowHi, whole.height);
    if (whole.width <= 0 || rowLo >= rowHi || whole.bits == nullptr)
        return;
    const bool copy = mode != 10;
    // The band as a buffer of its own, rows counted from its top.
    const Target t{pixel(whole, 0, rowLo), whole.width, rowHi - rowLo, whole.stride};

    // Where the last mappings landed: the spans of a trace share their
    // start, a wiggle segment starts within half a twip of where the one
    // before it ended and ends on that row or the next, and so on.
    Grid::Cursor lineX, lineY, spanX, fillY;
    auto col = [&g](Grid::Cursor &c, float v, int32_t &out) { return g.col(v, out, c); };
    auto row = [&g, rowLo](Grid::Cursor &c, float v, int32_t &out) {
        const bool ok = g.row(v, out, c);
        out -= rowLo; // within +/-MaxDevice of the buffer: no overflow
        return ok;
    };

    // The copy-pen span being gathered: pixel row, float ends, colour.
    bool open = false;
    int32_t spanRow = 0;
    float spanLo = 0, spanHi = 0;
    uint32_t spanArgb = 0;
    auto send = [&] {
        if (!open)
            return;
        open = false;
        int32_t a = 0, b = 0;
        // The ends are not NaN, so both map; toDevice never decreases, so
        // the lowest and highest ends give the outermost pixels.
        col(spanX, spanLo, a);
        g.col(spanHi, b);
        hspan(t, spanRow, a, b, spanArgb, mode);
    };
    // A copy-pen horizontal line on row r (on the buffer) covering lo..hi.
    auto addSpan = [&](int32_t r, float lo, float hi, uint32_t argb) {
        // Float ranges that overlap map to pixel ranges that overlap.
        if (open && r == spanRow && argb == spanArgb && lo <= spanHi && spanLo <= hi) {
            spanLo = std::min(spanLo, lo);
            spanHi = std::max(spanHi, hi);
            return;
        }
        send();
        open = true;
        spanRow = r;
        spanLo = lo;
        spanHi = hi;
        spanArgb = argb;
    };
    auto drawLine = [&](float x1, float y1, float x2, float y2, uint32_t argb) {
        if (copy && y1 == y2 && x1 == x1 && x2 == x2) {
            // Horizontal with both ends mapping: the row's pixels from one
            // end's pixel to the other's.
            int32_t r = 0;
            row(lineY, y1, r);
            if (r >= 0 && r < t.height)
                addSpan(r, std::min(x1, x2), std::max(x1, x2), argb);
            return;
        }
        // In copy pen a primitive of the span's colour may go before it;
        // anything else waits for it.
        if (open && (!copy || argb != spanArgb))
            send();
        int32_t ax, ay, bx, by;
        if (!(col(lineX, x1, ax) && row(lineY, y1, ay) && col(lineX, x2, bx) && row(lineY, y2, by)))
            return;
        if (within(t, ax, ay, bx, by))
            lineWithin(t, ax, ay, bx, by, argb, mode); // the usual case, in place
        else
            lineOn(t, ax, ay, bx, by, argb, mode);
    };

    for (size_t i = 0; i < n; ++i) {
        const CanvasPrim &q = p[i];
        const bool coloured = q.kind == CanvasPrim::ColourLine || q.kind == CanvasPrim::ColourFill;
        const uint32_t argb = coloured ? bgrToArgb(q.bgr) : fg;
        switch (q.kind) {
        case CanvasPrim::Point: {
            if (open && (!copy || argb != spanArgb))
                send();
            int32_t x, y;
            if (col(lineX, q.x1, x) && row(lineY, q.y1, y))
                point(t, x, y, argb, mode);
            break;
        }
        case CanvasPrim::Line:
        case CanvasPrim::ColourLine:
            drawLine(q.x1, q.y1, q.x2, q.y2, argb);
            break;
        case CanvasPrim::Fill:
        case CanvasPrim::ColourFill:
            if (!copy
                || !fillRows(
                    q.fill, g.rowEdges(),
                    [&](float y) {
                        int32_t r = 0;
                        g.row(y, r, fillY);
                        return r;
                    },
                    [&](int32_t r, float lo, float hi) {
                        if (r >= rowLo && r < rowHi)
                            addSpan(r - rowLo, lo, hi, argb);
                    }))
                forEachFillLine(q.fill, [&](float x1, float y1, float x2, float y2) {
                    drawLine(x1, y1, x2, y2, argb);
                });
            break;
        }
    }
    send();
}

FillRows::FillRows(const Grid &g, float dy, int32_t fills, int32_t items)
    : dpr_(g.ratio()), height_(g.height()), dy_(dy), fills_(fills), items_(std::max(items, 0))
{
    const std::vector<float> &edge = g.rowEdges();
    usable_ = height_ >= 1 && edge.size() == static_cast<size_t>(height_) + 1;
    start_.assign(static_cast<size_t>(items_) + 1, 0);
    if (!usable_)
        return;
    Grid::Cursor c;
    for (int32_t k = 1; k < items_; ++k) {
        start_[static_cast<size_t>(k)] = static_cast<uint32_t>(runs_.size());
        const float top = static_cast<float>(k) * dy;
        for (int32_t m = 1; m <= fills; ++m) {
            const float y = top + static_cast<float>(m);
            if (!(y < edge.back()))
                break; // this line and all after it are below the buffer
            int32_t r = 0;
            if (!(y >= edge.front()) || !g.row(y, r, c))
                continue;
            if (runs_.size() > start_[static_cast<size_t>(k)] && runs_.back().row == r)
                runs_.back().last = m;
            else
                runs_.push_back({r, m, m});
        }
    }
    start_[static_cast<size_t>(items_)] = static_cast<uint32_t>(runs_.size());
    // At most two runs each (a fill shorter than a pixel row): two each, the
    // second a copy of the first where there is one, and none a run on no
    // row, so that a wiggle takes the same steps for every item.
    bool two = true;
    for (int32_t k = 1; k < items_ && two; ++k)
        two = start_[static_cast<size_t>(k) + 1] - start_[static_cast<size_t>(k)] <= 2;
    if (!two)
        return;
    std::vector<Run> pairs(2 * static_cast<size_t>(items_), Run{-1, 1, 1});
    for (int32_t k = 1; k < items_; ++k) {
        const Run *r = begin(k), *e = end(k);
        if (r == e)
            continue;
        pairs[2 * static_cast<size_t>(k)] = r[0];
        pairs[2 * static_cast<size_t>(k) + 1] = e - r == 2 ? r[1] : r[0];
    }
    runs_ = std::move(pairs);
    for (int32_t k = 0; k <= items_; ++k)
        start_[static_cast<size_t>(k)] = 2 * static_cast<uint32_t>(k);
    pairs_ = true;
}

namespace {

// lineWithin in copy pen, without branches for the short lines of a
// wiggle, which turn every way: the ends swapped and the steps taken by
// selection, and up to four pixels set in four steps whatever the length
// (the last pixel set again, which in copy pen changes nothing).
inline void lineWithinCopy(const Target &t, int64_t ax, int64_t ay, int64_t bx, int64_t by, uint32_t pen)
{
    // Masks, all ones or none, rather than conditions the compiler would
    // branch on.
    const int64_t dx = bx - ax, dy = by - ay;
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const int64_t xMajor = -static_cast<int64_t>(adx >= ady);
    const int64_t along = (dx & xMajor) | (dy & ~xMajor), across = (dy & xMajor) | (dx & ~xMajor);
    const int64_t swap = along >> 63; // from the lower end of the longer axis
    uint32_t *p = pixel(t, ax + (dx & swap), ay + (dy & swap));
    const int64_t sb = (((across ^ swap) - swap) >> 63) | 1;
    const ptrdiff_t major = (1 & xMajor) | (t.stride & ~xMajor);
    const ptrdiff_t minor = sb * ((t.stride & xMajor) | (1 & ~xMajor));
    const int64_t n = (adx & xMajor) | (ady & ~xMajor), m = (ady & xMajor) | (adx & ~xMajor);
    int64_t rem = n;
    if (n < 4) {
        for (int64_t i = 0; i < 4; ++i) {
            *p = pen;
            rem += 2 * m;
            const int64_t up = rem >= 2 * n;
            rem -= up * (2 * n);
            const ptrdiff_t on = -static_cast<ptrdiff_t>(i < n); // past the end: stays on it
            p += (major + up * minor) & on;
        }
        return;
    }
    for (int64_t i = 0; i <= n; ++i) {
        *p = pen;
        rem += 2 * m;
        const int64_t up = rem >= 2 * n;
        rem -= up * (2 * n);
        p += major + up * minor;
    }
}

// Pixels xa..xb of row y, on the buffer, in copy pen: four at a time, the
// last four ending on xb; fewer than four one by one.
inline void spanCopy(const Target &t, int64_t y, int64_t xa, int64_t xb, uint32_t pen)
{
    if (!clipColumns(t, xa, xb))
        return;
    uint32_t *p = pixel(t, xa, y);
    const int64_t n = xb - xa + 1;
    if (n < 4) {
        p[0] = pen;
        p[n > 1] = pen;
        p[n - 1] = pen;
        return;
    }
    for (int64_t i = 0; i + 4 <= n; i += 4)
        p[i] = p[i + 1] = p[i + 2] = p[i + 3] = pen;
    p[n - 4] = p[n - 3] = p[n - 2] = p[n - 1] = pen;
}

} // namespace

bool drawWiggle(const Target &whole, const Grid &g, const FillRows &rows, const CanvasWiggle &w, uint32_t argb,
                int rowLo, int rowHi)
{
    rowLo = std::max(rowLo, 0);
    rowHi = std::min(rowHi, whole.height);
    if (whole.width <= 0 || rowLo >= rowHi || whole.bits == nullptr)
        return true; // no pixels: drawBatch sets none either
    if (!rows.usable() || !rows.fits(g, w.dy, w.fills, w.items) || w.from < 0 || w.to >= w.items
        || !(std::isfinite(w.half) && std::isfinite(w.base) && std::isfinite(w.dy)))
        return false;
    const Target t{pixel(whole, 0, rowLo), whole.width, rowHi - rowLo, whole.stride};
    const uint32_t pen = 0xff000000u | (argb & 0x00ffffffu);

    // A line starts within half a twip of where the one before it ended and
    // on its row; its far end jumps about, so it is mapped afresh.
    Grid::Cursor lineX, lineY;
    int32_t endX = 0, endY = 0;
    bool ended = false; // endX, endY: the last line's far end, mapped
    auto line = [&](float x1, float y1, float x2, float y2) {
        int32_t ax = 0, ay = 0, bx = 0, by = 0;
        const bool startOk = g.col(x1, ax, lineX) && (ended ? (ay = endY, true) : g.row(y1, ay, lineY));
        ended = g.colAnew(x2, bx, lineX) && g.row(y2, by, lineY);
        endX = bx;
        endY = by;
        if (!(startOk && ended))
            return;
        ay -= rowLo;
        by -= rowLo;
        if (within(t, ax, ay, bx, by))
            lineWithinCopy(t, ax, ay, bx, by, pen);
        else
            lineOn(t, ax, ay, bx, by, argb, 13);
    };

    int32_t k = w.from;
    if (k == 0) {
        int32_t x, y;
        if (g.col(w.half + w.x[0], x) && g.row(0.0f, y))
            point(t, x, y - rowLo, argb, 13);
        k = 1;
    }
    // The fill's farthest edge on each row of the band, lowest and highest
    // row with one.
    thread_local std::vector<float> farthest;
    constexpr float None = -std::numeric_limits<float>::infinity();
    if (farthest.size() < static_cast<size_t>(t.height))
        farthest.assign(static_cast<size_t>(t.height), None);
    int32_t lowest = t.height, highest = -1;
    for (; k <= w.to; ++k) {
        const float pxf = static_cast<float>(w.px[k - 1]);
        line(w.half + pxf, static_cast<float>(w.y[k - 1]), w.half + w.x[k], static_cast<float>(w.y[k]));
        const float slope = (w.x[k] - pxf) / w.dy;
        auto add = [&](const FillRows::Run &r) {
            const int32_t row = r.row - rowLo;
            if (row < 0 || row >= t.height)
                return;
            const float edge = std::max(slope * static_cast<float>(r.first) + pxf,
                                        slope * static_cast<float>(r.last) + pxf);
            // None when no line of the run is drawn (edge not past the
            // baseline, or NaN).
            float &f = farthest[static_cast<size_t>(row)];
            f = std::max(f, edge > w.base ? edge : None);
            lowest = std::min(lowest, row);
            highest = std::max(highest, row);
        };
        const FillRows::Run *r = rows.begin(k);
        if (rows.pairs()) {
            add(r[0]);
            add(r[1]);
        } else {
            for (const FillRows::Run *e = rows.end(k); r != e; ++r)
                add(*r);
        }
    }
    int32_t start = 0;
    g.col(w.half + w.base, start);
    for (int32_t row = lowest; row <= highest; ++row) {
        float &f = farthest[static_cast<size_t>(row)];
        if (f > None) {
            int32_t b = 0;
            g.col(w.half + f, b);
            spanCopy(t, row, start, b, pen);
        }
        f = None;
    }
    return true;
}

} // namespace orv::raster

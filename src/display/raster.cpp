#include "display/raster.h"

#include <algorithm>
#include <cmath>
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

void hspan(const Target &t, int64_t y, int64_t xa, int64_t xb, uint32_t argb, int mode)
{
    if (y < 0 || y >= t.height)
        return;
    if (xa > xb)
        std::swap(xa, xb);
    xa = std::max<int64_t>(xa, 0);
    xb = std::min<int64_t>(xb, t.width - 1);
    if (xa > xb)
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

} // namespace orv::raster

#pragma once
// The canvas drawing as the plain rule states it, one primitive at a time.

#include "core/canvas.h"
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace orv::test {

class ReferenceCanvas : public Canvas {
public:
    // w x h pixels (15 twips each) at pixel ratio dpr, filled with bg; colours 0xAARRGGBB.
    ReferenceCanvas(int w, int h, double dpr, uint32_t fg, uint32_t bg)
        : w_(int(w * dpr + 0.5)), h_(int(h * dpr + 0.5)), sw_(float(w * 15.0)), sh_(float(h * 15.0)), dpr_(dpr),
          fg_(fg), bg_(bg), px(size_t(w_) * size_t(h_), 0xff000000u | bg)
    {
    }

    float ScaleWidth() const override { return sw_; }
    float ScaleHeight() const override { return sh_; }
    void setDrawMode(int m) override { mode_ = m; }
    int drawMode() const override { return mode_; }
    void clear() override { px.assign(px.size(), 0xff000000u | bg_), under.clear(); }
    void pset(float x, float y) override
    {
        int64_t a, b;
        if (dev(x, a) && dev(y, b))
            plot(a, b, fg_);
    }
    void line(float x1, float y1, float x2, float y2) override { drawLine(x1, y1, x2, y2, fg_); }
    void line(float x1, float y1, float x2, float y2, uint32_t bgr) override
    {
        drawLine(x1, y1, x2, y2, 0xff000000u | ((bgr & 0xffu) << 16) | (bgr & 0xff00u) | ((bgr >> 16) & 0xffu));
    }

    // Level k in grey 255 - k, highlighted tinted green; not-XOR marks kept over a new level.
    CanvasPixels pixels() const override { return {w_, h_, 15.0 / dpr_}; }
    void density(int32_t c0, int32_t w, const uint8_t *levels, bool highlighted) override
    {
        under.resize(px.size(), 0xff000000u | bg_);
        for (int i = 0, x; i < w_ * h_; ++i)
            if ((x = i % w_) >= c0 && x < c0 + w) {
                const uint32_t g = 255u - levels[size_t(i / w_) * size_t(w) + size_t(x - c0)];
                const uint32_t c = 0xff000000u | (highlighted ? (g / 2) << 16 | (128 + g / 2) << 8 | g / 2 : g * 0x010101u);
                px[size_t(i)] = c ^ ((px[size_t(i)] ^ under[size_t(i)]) & 0xffffffu), under[size_t(i)] = c;
            }
    }

    int width() const { return w_; }
    int height() const { return h_; }
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w_) + size_t(x)]; }

private:
    bool dev(float twips, int64_t &out) const
    {
        if (twips != twips)
            return false;
        const double v = twips < -1e7f ? -1e7 : (twips > 1e7f ? 1e7 : double(twips));
        double d = v / 15.0 * dpr_ + 0.5;
        const double lim = double(1 << 28);
        d = d < -lim ? -lim : (d > lim ? lim : d);
        out = int64_t(d) - (double(int64_t(d)) > d);
        return true;
    }
    void plot(int64_t x, int64_t y, uint32_t argb)
    {
        if (x < 0 || y < 0 || x >= w_ || y >= h_)
            return;
        uint32_t &d = px[size_t(y) * size_t(w_) + size_t(x)];
        d = mode_ == DrawNotXorPen ? 0xff000000u | (~(argb ^ d) & 0xffffffu) : 0xff000000u | argb;
    }
    void drawLine(float x1, float y1, float x2, float y2, uint32_t argb)
    {
        int64_t ax, ay, bx, by;
        if (!dev(x1, ax) || !dev(y1, ay) || !dev(x2, bx) || !dev(y2, by))
            return;
        const bool xMajor = std::llabs(bx - ax) >= std::llabs(by - ay);
        int64_t a1 = xMajor ? ax : ay, b1 = xMajor ? ay : ax, a2 = xMajor ? bx : by, b2 = xMajor ? by : bx;
        if (a1 > a2) {
            std::swap(a1, a2);
            std::swap(b1, b2);
        }
        const int64_t n = a2 - a1, m = std::llabs(b2 - b1), s = b2 < b1 ? -1 : 1;
        const int64_t size = xMajor ? w_ : h_;
        for (int64_t i = a1 < 0 ? -a1 : 0; i <= n && a1 + i < size; ++i) {
            const int64_t j = n == 0 ? 0 : (2 * i * m + n) / (2 * n);
            xMajor ? plot(a1 + i, b1 + s * j, argb) : plot(b1 + s * j, a1 + i, argb);
        }
    }

    int w_, h_; // device pixels
    float sw_, sh_;
    double dpr_;
    uint32_t fg_, bg_;
    int mode_ = DrawCopyPen;

public:
    std::vector<uint32_t> px, under;
};

} // namespace orv::test

#pragma once
// Primitives gathered and handed to a canvas a few hundred at a time, in the
// order they were drawn: a plot of a million primitives makes a few thousand
// virtual calls instead of a million. Flushed when full and when it goes out
// of scope; flush by hand before changing the canvas's draw mode.

#include "core/canvas.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace orv::detail {

class PrimBatch {
public:
    // Handed to c.draw, or with a band to c.drawBand.
    static constexpr size_t Whole = SIZE_MAX;
    explicit PrimBatch(Canvas &c, size_t band = Whole) : c_(c), band_(band) {}
    PrimBatch(const PrimBatch &) = delete;
    PrimBatch &operator=(const PrimBatch &) = delete;
    ~PrimBatch() { flush(); }

    void pset(float x, float y) { push(CanvasPrim::Point, 0, x, y, 0, 0); }
    void line(float x1, float y1, float x2, float y2) { push(CanvasPrim::Line, 0, x1, y1, x2, y2); }
    void line(float x1, float y1, float x2, float y2, uint32_t bgr)
    {
        push(CanvasPrim::ColourLine, bgr, x1, y1, x2, y2);
    }

    // The fill lines under a wiggle segment (see CanvasFill), in colour bgr
    // when given, else the foreground colour.
    void fill(const CanvasFill &f, std::optional<uint32_t> bgr)
    {
        if (f.count < 1)
            return; // no lines
        CanvasPrim &p = next();
        p.kind = bgr ? CanvasPrim::ColourFill : CanvasPrim::Fill;
        p.bgr = bgr ? *bgr : 0;
        p.fill = f;
    }

    void flush()
    {
        if (n_ != 0 && band_ == Whole)
            c_.draw(buf_, n_);
        else if (n_ != 0)
            c_.drawBand(band_, buf_, n_);
        n_ = 0;
    }

private:
    CanvasPrim &next()
    {
        if (n_ == Capacity)
            flush();
        return buf_[n_++];
    }
    void push(CanvasPrim::Kind k, uint32_t bgr, float x1, float y1, float x2, float y2)
    {
        CanvasPrim &p = next();
        p.kind = k;
        p.bgr = bgr;
        p.x1 = x1;
        p.y1 = y1;
        p.x2 = x2;
        p.y2 = y2;
    }

    // 24 KB: stays in the first-level cache between the plot writing it and
    // the canvas reading it.
    static constexpr size_t Capacity = 512;
    Canvas &c_;
    size_t band_;
    size_t n_ = 0;
    CanvasPrim buf_[Capacity];
};

} // namespace orv::detail

#pragma once
// A canvas that records every primitive drawn on it, in order: draw-mode
// changes, clears, points, and lines with or without an explicit colour.
// Its size (ScaleWidth / ScaleHeight, in twips) is set by the test.

#include "core/canvas.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace orv::test {

struct Prim {
    enum Kind { Mode, Clear, Pset, Line, ColorLine };
    Kind kind = Pset;
    int mode = 0;          // Mode
    float x1 = 0, y1 = 0;  // Pset, Line, ColorLine
    float x2 = 0, y2 = 0;  // Line, ColorLine
    uint32_t colour = 0;   // ColorLine (0x00BBGGRR)

    bool isLine() const { return kind == Line || kind == ColorLine; }
    bool operator==(const Prim &o) const
    {
        return kind == o.kind && mode == o.mode && x1 == o.x1 && y1 == o.y1 && x2 == o.x2
            && y2 == o.y2 && colour == o.colour;
    }
};

inline std::ostream &operator<<(std::ostream &os, const Prim &p)
{
    switch (p.kind) {
    case Prim::Mode: return os << "mode(" << p.mode << ")";
    case Prim::Clear: return os << "clear";
    case Prim::Pset: return os << "pset(" << p.x1 << "," << p.y1 << ")";
    case Prim::Line: return os << "line(" << p.x1 << "," << p.y1 << "," << p.x2 << "," << p.y2 << ")";
    case Prim::ColorLine:
        return os << "line(" << p.x1 << "," << p.y1 << "," << p.x2 << "," << p.y2 << ",c=" << p.colour << ")";
    }
    return os;
}

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(float scaleWidth = 3000, float scaleHeight = 1500)
        : width(scaleWidth), height(scaleHeight)
    {
    }

    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    void setDrawMode(int m) override
    {
        mode = m;
        Prim p;
        p.kind = Prim::Mode;
        p.mode = m;
        prims.push_back(p);
    }
    int drawMode() const override { return mode; }
    void clear() override
    {
        Prim p;
        p.kind = Prim::Clear;
        prims.push_back(p);
    }
    void pset(float x, float y) override
    {
        Prim p;
        p.kind = Prim::Pset;
        p.x1 = x;
        p.y1 = y;
        prims.push_back(p);
    }
    void line(float x1, float y1, float x2, float y2) override
    {
        prims.push_back(makeLine(Prim::Line, x1, y1, x2, y2, 0));
    }
    void line(float x1, float y1, float x2, float y2, uint32_t bgr) override
    {
        prims.push_back(makeLine(Prim::ColorLine, x1, y1, x2, y2, bgr));
    }

    // Primitives of one kind, in order.
    std::vector<Prim> only(Prim::Kind k) const
    {
        std::vector<Prim> out;
        for (const Prim &p : prims)
            if (p.kind == k)
                out.push_back(p);
        return out;
    }
    // Everything except mode changes and clears.
    std::vector<Prim> drawn() const
    {
        std::vector<Prim> out;
        for (const Prim &p : prims)
            if (p.kind != Prim::Mode && p.kind != Prim::Clear)
                out.push_back(p);
        return out;
    }
    // The drawn primitives split into runs that each start with a point:
    // one run per trace of a profile plot.
    std::vector<std::vector<Prim>> runs() const
    {
        std::vector<std::vector<Prim>> out;
        for (const Prim &p : drawn()) {
            if (p.kind == Prim::Pset || out.empty())
                out.emplace_back();
            out.back().push_back(p);
        }
        return out;
    }
    void reset() { prims.clear(); }

    float width;
    float height;
    int mode = DrawCopyPen;
    std::vector<Prim> prims;

private:
    static Prim makeLine(Prim::Kind k, float x1, float y1, float x2, float y2, uint32_t c)
    {
        Prim p;
        p.kind = k;
        p.x1 = x1;
        p.y1 = y1;
        p.x2 = x2;
        p.y2 = y2;
        p.colour = c;
        return p;
    }
};

} // namespace orv::test

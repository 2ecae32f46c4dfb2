#pragma once
// A canvas that records every primitive drawn on it, in order; its size in twips set by the test.

#include "core/canvas.h"
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <ostream>
#include <vector>

namespace orv::test {

struct Prim {
    enum Kind { Mode, Clear, Pset, Line, ColorLine, Density }; // Density: columns x1..x2 - 1, mode 1 highlighted
    Kind kind = Pset;
    int mode = 0;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t colour = 0; // ColorLine only (0x00BBGGRR)

    bool isLine() const { return kind == Line || kind == ColorLine; }
    bool operator==(const Prim &) const = default;
};

inline std::ostream &operator<<(std::ostream &os, const Prim &p)
{
    return os << "prim(k=" << p.kind << " m=" << p.mode << " " << p.x1 << "," << p.y1 << " " << p.x2
              << "," << p.y2 << " c=" << p.colour << ")";
}

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(float w = 3000, float h = 1500) : width(w), height(h) {}

    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    void setDrawMode(int m) override { prims.push_back({Prim::Mode, mode = m}); }
    int drawMode() const override { return mode; }
    void clear() override { prims.push_back({Prim::Clear}); }
    void pset(float x, float y) override { prims.push_back({Prim::Pset, 0, x, y}); }
    void line(float x1, float y1, float x2, float y2) override { prims.push_back({Prim::Line, 0, x1, y1, x2, y2}); }
    void line(float x1, float y1, float x2, float y2, uint32_t c) override { prims.push_back({Prim::ColorLine, 0, x1, y1, x2, y2, c}); }
    CanvasPixels pixels() const override { return {int32_t(width / 15), int32_t(height / 15), 15}; }
    void density(int32_t c0, int32_t w, const uint8_t *, bool hl) override { prims.push_back({Prim::Density, hl, float(c0), 0, float(c0 + w)}); }

    template <typename Keep>
    std::vector<Prim> where(Keep keep) const
    {
        std::vector<Prim> out;
        std::copy_if(prims.begin(), prims.end(), std::back_inserter(out), keep);
        return out;
    }
    std::vector<Prim> only(Prim::Kind k) const { return where([k](const Prim &p) { return p.kind == k; }); }
    // Everything except mode changes and clears.
    std::vector<Prim> drawn() const { return where([](const Prim &p) { return p.kind > Prim::Clear; }); }
    // The drawn primitives in runs that each start with a point: one run per trace of a profile plot.
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

    float width, height;
    int mode = DrawCopyPen;
    std::vector<Prim> prims;
};

} // namespace orv::test

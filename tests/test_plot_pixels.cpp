// The pictures pixel for pixel through the batched path, against support/reference_canvas.h.
#include "display/display.h"
#include "display/raster.h"
#include "ui/qtcanvas.h"
#include "support/display_profile.h"
#include "support/reference_canvas.h"
#include <gtest/gtest.h>
#include <QPalette>
#include <cmath>
#include <limits>

using namespace orv;

namespace {

constexpr uint32_t Fg = 0xff101010u, Bg = 0xffd4d0c8u;

// The Qt canvas's drawing (drawBatch, lineTwips, pointTwips) at any pixel ratio beside the reference.
class TwinCanvas : public Canvas {
public:
    TwinCanvas(int w, int h, double dpr)
        : ref(w, h, dpr, Fg, Bg), px_(ref.px), dpr_(dpr), grid_(dpr, ref.width(), ref.height())
    {
    }
    float ScaleWidth() const override { return ref.ScaleWidth(); }
    float ScaleHeight() const override { return ref.ScaleHeight(); }
    void setDrawMode(int m) override { ref.setDrawMode(mode_ = m); }
    int drawMode() const override { return mode_; }
    void clear() override { raster::fill(target(), Bg), ref.clear(); }
    void pset(float x, float y) override { raster::pointTwips(target(), dpr_, x, y, Fg, mode_), ref.pset(x, y); }
    void line(float x1, float y1, float x2, float y2) override
    {
        raster::lineTwips(target(), dpr_, x1, y1, x2, y2, Fg, mode_);
        ref.line(x1, y1, x2, y2);
    }
    void line(float x1, float y1, float x2, float y2, uint32_t bgr) override
    {
        raster::lineTwips(target(), dpr_, x1, y1, x2, y2, raster::bgrToArgb(bgr), mode_);
        ref.line(x1, y1, x2, y2, bgr);
    }
    // With `wiggles`, a wiggle's pixels from its positions, as the Qt canvas draws them; the reference its primitives.
    bool drawWiggle(const CanvasWiggle &w, size_t band) override
    {
        if (!wiggles || mode_ != DrawCopyPen || band != SIZE_MAX
            || !raster::drawWiggle(target(), grid_, raster::FillRows(grid_, w.dy, w.fills, w.items), w, Fg))
            return false;
        struct {
            test::ReferenceCanvas &r;
            void pset(float x, float y) { r.pset(x, y); }
            void line(float x1, float y1, float x2, float y2) { r.line(x1, y1, x2, y2); }
            void fill(const CanvasFill &f) { forEachFillLine(f, [&](float a, float b, float c, float d) { r.line(a, b, c, d); }); }
        } out{ref};
        forEachWigglePrim(w, out);
        return true;
    }
    void draw(const CanvasPrim *p, size_t n) override
    {
        raster::drawBatch(target(), grid_, p, n, Fg, mode_);
        ref.draw(p, n);
        batched.insert(batched.end(), p, p + n);
    }

    // The first pixel where the two pictures differ, or "".
    std::string difference() const
    {
        for (size_t i = 0; i < px_.size(); ++i)
            if (px_[i] != ref.px[i])
                return "pixel (" + std::to_string(i % size_t(ref.width())) + ", "
                       + std::to_string(i / size_t(ref.width())) + ")";
        return "";
    }

    test::ReferenceCanvas ref;
    std::vector<CanvasPrim> batched;
    bool wiggles = false;

private:
    raster::Target target() { return {px_.data(), ref.width(), ref.height(), ref.width()}; }
    std::vector<uint32_t> px_;
    double dpr_;
    raster::Grid grid_;
    int mode_ = DrawCopyPen;
};

// A deterministic value in [0, 1) for (t, s).
float Hash(int t, int s)
{
    uint32_t h = uint32_t(t) * 2654435761u ^ uint32_t(s) * 2246822519u;
    h ^= h >> 15;
    h *= 2654435769u;
    return float(h >> 8) / 16777216.0f;
}

float Radar(int t, int s)
{
    return std::sin(float(s) * 0.09f + float(t) * 0.3f) * std::exp(-float(s) / 400.0f) + 0.1f * (Hash(t, s) - 0.5f);
}

float Extreme(int t, int s)
{
    constexpr float inf = std::numeric_limits<float>::infinity(), big = std::numeric_limits<float>::max();
    const float v[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf, big, -big, 1e-40f, 0, 1e30f, -2.5f, 3};
    const float h = Hash(t, s);
    return h < 0.5f ? v[int(h * 20)] : Radar(t, s);
}

float Flat(int, int) { return 5.0f; }

float Spiky(int t, int s) { return Hash(t, s) < 0.02f ? 1e6f : Radar(t, s); }

struct Scene {
    const char *name;
    int traces, samples;
    float (*amp)(int, int);
    int norm, clip;
    const char *gain;
    int t1, tl, s1, sl; // display window
    int w, h;           // profile canvas, pixels
};

const Scene Scenes[] = {
    {"radar, odd canvas", 60, 300, Radar, 0, 1000, "5000", 1, 60, 1, 300, 301, 211},
    {"few samples, many rows each", 37, 50, Radar, 1, 30, "400", 1, 37, 1, 50, 250, 400},
    {"samples denser than twips", 20, 400, Radar, 2, 1000, "400", 1, 20, 1, 400, 100, 20},
    {"extremes, wide clip", 40, 200, Extreme, 2, 32767, "400", 1, 40, 1, 200, 200, 150},
    {"extremes, no clip, gain 1", 40, 200, Extreme, 0, 0, "1", 1, 40, 1, 200, 200, 150},
    {"many traces, narrow columns", 700, 64, Spiky, 1, 1000, "400", 1, 700, 1, 64, 300, 100},
    {"flat", 10, 100, Flat, 2, 1000, "400", 1, 10, 1, 100, 120, 90},
    {"window inside the profile", 30, 120, Radar, 2, 200, "250", 5, 17, 10, 90, 173, 97},
};

test::FakeControls WindowOf(const Scene &sc)
{
    auto str = [](int v) { return std::to_string(v); };
    return test::Window(str(sc.t1), str(sc.tl), str(sc.s1), str(sc.sl), sc.gain);
}

template <typename C, typename Check>
void RunDisplay(const Scene &sc, C &prof, C &trace, Check check)
{
    ProfileStore st = test::MakeProfile(sc.traces, sc.samples, sc.amp);
    st.NormMode = int16_t(sc.norm);
    st.ClipValue = int16_t(sc.clip);
    test::FakeControls c = WindowOf(sc);
    PlotProfile(st, c, prof);
    check("plot");
    for (int t = sc.t1; t <= sc.tl; t += 3)
        st.Picks[size_t(t)] = st.TotalTime * float(t % 7 + 1) / 9.0f;
    DrawPickMarks(st, c, prof, trace);
    check("pick crosses");
    for (int n : {sc.t1, sc.t1 + 1, (sc.t1 + sc.tl) / 2, sc.tl}) {
        PlotTrace(st, trace, n);
        RestorePrevTrace(st, c, prof, n);
        HighlightTrace(st, c, prof, n);
        check("trace " + std::to_string(n));
    }
}

} // namespace

TEST(PlotPixels, BatchedDrawingMatchesThePlainRuleAtAnyPixelRatio)
{
    for (const Scene &sc : Scenes) {
        for (double dpr : {1.0, 1.25, 1.5, 2.0})
        for (bool wiggles : {false, true}) {
            SCOPED_TRACE(testing::Message() << sc.name << " @" << dpr << (wiggles ? ", wiggles from positions" : ""));
            TwinCanvas prof(sc.w, sc.h, dpr), trace(129, sc.h, dpr);
            prof.wiggles = wiggles;
            RunDisplay(sc, prof, trace, [&](const std::string &step) {
                EXPECT_EQ(prof.difference(), "") << "profile canvas after " << step;
                EXPECT_EQ(trace.difference(), "") << "trace canvas after " << step;
            });
            // The plot's batches again in not-XOR pen: as line by line, and twice the picture as it was.
            const std::vector<CanvasPrim> plot = prof.batched;
            const std::vector<uint32_t> before = prof.ref.px;
            prof.setDrawMode(DrawNotXorPen);
            for (int pass = 1; pass <= 2; ++pass) {
                prof.draw(plot.data(), plot.size());
                EXPECT_EQ(prof.difference(), "") << "not-XOR pass " << pass;
            }
            EXPECT_TRUE(prof.ref.px == before);
        }
    }
}

// The window's canvas on 1, 2 and 3 threads draws the plain rule's picture.
TEST(PlotPixels, QtCanvasOnOneOrMoreThreadsDrawsWhatThePlainRuleDraws)
{
    QtCanvas one, banded;
    const QRgb fg = one.palette().color(QPalette::ButtonText).rgb(), bg = one.palette().color(QPalette::Button).rgb();
    std::vector<Scene> scenes(std::begin(Scenes), std::end(Scenes));
    scenes.push_back({"radar 200 x 1024, full HD", 200, 1024, Radar, 2, 1000, "400", 1, 200, 1, 1024, 1525, 850});
    scenes.push_back({"columns past the right edge", 2000, 60, Radar, 0, 200, "50", 1, 2000, 1, 60, 100, 120});
    scenes.push_back({"two groups of traces", 2100, 1000, Radar, 2, 1000, "400", 1, 2100, 1, 1000, 500, 300});
    for (const Scene &sc : scenes) {
        SCOPED_TRACE(sc.name);
        one.resize(sc.w + 4, sc.h + 4); // inside the 2-pixel sunken frame
        banded.resize(sc.w + 4, sc.h + 4);
        ASSERT_EQ(banded.bands(2).size(), 3u);
        auto plot = [&](Canvas &cv, unsigned threads) {
            ProfileStore st = test::MakeProfile(sc.traces, sc.samples, sc.amp);
            st.NormMode = int16_t(sc.norm);
            st.ClipValue = int16_t(sc.clip);
            test::FakeControls c = WindowOf(sc);
            PlotProfile(st, c, cv, {threads, nullptr});
        };
        test::ReferenceCanvas ref(sc.w, sc.h, one.devicePixelRatioF(), fg, bg);
        plot(ref, 1);
        plot(one, 1);
        const QImage &im = one.image();
        ASSERT_EQ(std::make_pair(im.width(), im.height()), std::make_pair(ref.width(), ref.height()));
        for (int y = 0; y < im.height(); ++y)
            ASSERT_TRUE(std::equal(ref.px.begin() + y * ref.width(), ref.px.begin() + (y + 1) * ref.width(),
                                   reinterpret_cast<const uint32_t *>(im.constScanLine(y))))
                << "row " << y;
        for (unsigned threads : {2u, 3u}) {
            plot(banded, threads);
            EXPECT_TRUE(banded.image() == one.image()) << threads << " threads";
        }
    }
}

// Grey levels symmetric around 0 (255 - level in the reference's colours), the highlight tinted, on the
// window's canvas as on the reference; a highlight restored leaves the marks over it as they were.
TEST(PlotPixels, VariableDensity)
{
    const float v[] = {0, -2, -1, 0, 1.5f};
    ProfileStore st = test::MakeProfile(4, 4, [&](int t, int s) { return v[t] * (s == 4 ? 0.5f : 1.0f); });
    st.VariableDensity = true;
    test::FakeControls c = test::Window("1", "4", "1", "4");
    test::ReferenceCanvas ref(60, 40, 1.0, Fg, Bg);
    PlotProfile(st, c, ref), HighlightTrace(st, c, ref, 2);
    const struct { int x, y; uint32_t argb; } probes[] = {{7, 20, 0xffffffffu}, {14, 0, 0xffffffffu},
        {15, 10, 0xff5fdf5fu}, {22, 38, 0xff4fcf4fu}, {37, 2, 0xff7f7f7fu}, {52, 30, 0xff202020u},
        {52, 37, 0xff505050u}, {44, 39, 0xff7f7f7fu}};
    for (const auto &p : probes)
        EXPECT_EQ(ref.at(p.x, p.y), p.argb) << p.x << "," << p.y;

    QtCanvas one, trace;
    one.show(); // resized at once, not at the grab below
    const QRgb fg = one.palette().color(QPalette::ButtonText).rgb(), bg = one.palette().color(QPalette::Button).rgb();
    auto pixels = [&] {
        const auto *b = reinterpret_cast<const uint32_t *>(one.image().constBits());
        return std::vector<uint32_t>(b, b + one.image().width() * one.image().height());
    };
    for (const Scene &sc : {Scenes[0], Scenes[5], Scenes[7]}) {
        SCOPED_TRACE(sc.name);
        one.resize(sc.w + 4, sc.h + 4);
        test::ReferenceCanvas rp(sc.w, sc.h, one.devicePixelRatioF(), fg, bg);
        ProfileStore s2 = test::MakeProfile(sc.traces, sc.samples, sc.amp);
        s2.VariableDensity = true, s2.NormMode = int16_t(sc.norm);
        for (int t = sc.t1; t <= sc.tl; ++t)
            s2.Picks[size_t(t)] = s2.TotalTime * float(t % 7 + 1) / 9.0f;
        test::FakeControls c2 = WindowOf(sc);
        PlotProfile(s2, c2, rp), PlotProfile(s2, c2, one);
        const std::vector<uint32_t> plain = pixels();
        DrawPickMarks(s2, c2, rp, trace), DrawPickMarks(s2, c2, one, trace);
        const std::vector<uint32_t> marked = pixels();
        EXPECT_TRUE(marked == rp.px);
        // On screen a mark shows in its pen's colour, not-XOR'd over a level.
        const QImage painted = one.grab(one.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
        for (size_t i = 0; i < marked.size(); ++i)
            if (marked[i] != plain[i])
                ASSERT_EQ(painted.pixel(int(i) % sc.w, int(i) / sc.w), 0xffff0000u) << i;
        for (int n : {sc.t1, sc.t1 + 3, sc.tl - 1}) {
            HighlightTrace(s2, c2, rp, n), HighlightTrace(s2, c2, one, n);
            EXPECT_TRUE(pixels() == rp.px && pixels() != marked) << n;
            RestorePrevTrace(s2, c2, rp, n + 1), RestorePrevTrace(s2, c2, one, n + 1);
            EXPECT_TRUE(pixels() == marked && rp.px == marked) << n;
        }
    }
}

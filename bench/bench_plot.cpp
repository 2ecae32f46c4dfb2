// The profile plot's cost: PlotProfile of 200 traces x 1024 samples on a
// canvas that only counts primitives (the plot's own arithmetic), the same
// plot rasterised into a 32-bit buffer the size of a full-HD canvas (what
// the Qt canvas does per primitive), and the rasteriser alone.

#include "display/display.h"
#include "display/raster.h"

#include "../tests/support/fakes.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using namespace orv;

namespace {

constexpr int NTr = 200;
constexpr int NSa = 1024;
// A 1600 x 1000 pixel canvas at 15 twips per pixel.
constexpr float Width = 1600 * 15;
constexpr float Height = 1000 * 15;

class CountingCanvas : public Canvas {
public:
    float ScaleWidth() const override { return Width; }
    float ScaleHeight() const override { return Height; }
    void setDrawMode(int m) override { mode_ = m; }
    int drawMode() const override { return mode_; }
    void clear() override {}
    void pset(float x, float) override { ++count; sink += x; }
    void line(float x1, float, float, float) override { ++count; sink += x1; }
    void line(float x1, float, float, float, uint32_t) override { ++count; sink += x1; }
    int64_t count = 0;
    float sink = 0;

private:
    int mode_ = DrawCopyPen;
};

class BufferCanvas : public Canvas {
public:
    BufferCanvas() : px_(size_t(Width / 15) * size_t(Height / 15)) {}
    float ScaleWidth() const override { return Width; }
    float ScaleHeight() const override { return Height; }
    void setDrawMode(int m) override { mode_ = m; }
    int drawMode() const override { return mode_; }
    void clear() override { raster::fill(target(), 0xffd4d0c8u); }
    void pset(float x, float y) override { ++count; raster::pointTwips(target(), 1.0, x, y, 0xff000000u, mode_); }
    void line(float x1, float y1, float x2, float y2) override
    {
        ++count;
        raster::lineTwips(target(), 1.0, x1, y1, x2, y2, 0xff000000u, mode_);
    }
    void line(float x1, float y1, float x2, float y2, uint32_t bgr) override
    {
        ++count;
        raster::lineTwips(target(), 1.0, x1, y1, x2, y2, raster::bgrToArgb(bgr), mode_);
    }
    int64_t count = 0;

private:
    raster::Target target() { return {px_.data(), int(Width / 15), int(Height / 15), ptrdiff_t(Width / 15)}; }
    std::vector<uint32_t> px_;
    int mode_ = DrawCopyPen;
};

ProfileStore MakeStore()
{
    ProfileStore st;
    st.NTraces = NTr;
    st.NSamples = NSa;
    st.TotalTime = 100;
    st.RawData.allocate(NTr, NSa);
    std::mt19937 rng(1);
    std::normal_distribution<float> noise(0, 0.05f);
    for (int t = 1; t <= NTr; ++t)
        for (int s = 1; s <= NSa; ++s)
            st.RawData(t, s) = std::sin(float(s) * 0.09f) * std::exp(-float(s) / 400.0f) + noise(rng);
    st.PlotData = st.RawData;
    st.Picks.assign(NTr + 1, 0.0f);
    st.ClipValue = 1000;
    st.TracesPerCSG = 24;
    st.NormMode = 2;
    return st;
}

void Window(test::FakeControls &c)
{
    c.texts[Field::txt1sttr] = "1";
    c.texts[Field::txtLsttr] = "200";
    c.texts[Field::txt1stsamp] = "1";
    c.texts[Field::txtLstsamp] = "1024";
}

template <typename C>
void RunPlot(benchmark::State &state)
{
    ProfileStore st = MakeStore();
    test::FakeControls c;
    Window(c);
    C cv;
    int64_t prims = 0;
    for (auto _ : state) {
        state.PauseTiming();
        st.PlotData = st.RawData; // as every re-plot does
        cv.count = 0;
        state.ResumeTiming();
        PlotProfile(st, c, cv);
        prims = cv.count;
        benchmark::DoNotOptimize(cv);
    }
    state.counters["primitives"] = double(prims);
    state.counters["primitives/s"] = benchmark::Counter(double(prims), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["time_per_plot"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_PlotProfile_Counting(benchmark::State &state) { RunPlot<CountingCanvas>(state); }
void BM_PlotProfile_Raster(benchmark::State &state) { RunPlot<BufferCanvas>(state); }

// Lines alone: short fill spans, wiggle segments, and lines mostly off the
// buffer, in not-XOR mode.
void BM_RasterLines(benchmark::State &state)
{
    const int W = 1600, H = 1000;
    std::vector<uint32_t> px(size_t(W) * H, 0xff000000u);
    raster::Target t{px.data(), W, H, W};
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> x(-200, W + 200), y(-200, H + 200), len(0, 40);
    struct Seg {
        int x1, y1, x2, y2;
    };
    std::vector<Seg> segs;
    for (int i = 0; i < 100000; ++i) {
        const int a = x(rng), b = y(rng);
        segs.push_back(i % 2 ? Seg{a, b, a + len(rng), b} : Seg{a, b, a + len(rng) - 20, b + len(rng)});
    }
    for (auto _ : state)
        for (const Seg &s : segs)
            raster::line(t, s.x1, s.y1, s.x2, s.y2, 0xff3366u, 10);
    benchmark::DoNotOptimize(px.data());
    state.counters["lines/s"] = benchmark::Counter(double(segs.size()), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_PlotProfile_Counting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlotProfile_Raster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RasterLines)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

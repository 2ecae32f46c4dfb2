// The display's cost, on the real Qt canvases at a full-HD layout (profile
// canvas 1525 x 850 px, trace canvas 129 x 850 px), with the profiles opened
// through File > Open as the program does it:
//
//  - Re-Plot of 200 traces x 1,024 samples (the button's handler: the copy of
//    the working amplitudes, the profile plot, the pick crosses, the trace
//    canvas, the current trace's highlight and the axis labels), alone and
//    with the repaint of both canvases that follows;
//  - All Profile of 10,000 traces x 1,024 samples, the same way, and of the
//    largest profile, 32,767 traces x 2,048 samples, as wiggles and as
//    Variable Density;
//  - Re-Plot and All Profile on one thread and on two, the profile plot's
//    bands drawn side by side (the speed-up of two over one is printed);
//  - the pick step: the stepper moving on to the next trace, as a click on
//    the trace canvas ends (the trace canvas redrawn, the previous trace's
//    column restored, the new one highlighted), 1,024 samples;
//  - in the real main window, its canvases at the same sizes: a key step to
//    the next trace (the Right key's action, the stepper's up arrow), and a
//    wheel step (Shift+wheel over the profile canvas: the display fields
//    written and Re-Plot run) on a window of 200 x 1,024 of the
//    10,000-trace profile;
//  - the profile plot of 200 x 1,024 on a canvas that only counts what it
//    is handed (the plot's own arithmetic), and the line rasteriser alone.
//
// The baseline: Re-Plot and All Profile again in a second window laid out
// the same, whose Qt canvases take every point and line of a batch by its
// own call, as they did before they drew batches themselves: same plots,
// same pictures and image sizes, same data, only the hand-over differs.
//
// The one-thread and two-thread cases give the CPU time of the whole process
// (every thread's), so that on a busy machine the work shows beside the
// wall time. Printed at the end: the headline figure of each against its
// target.

#include "app/app.h"
#include "display/display.h"
#include "display/raster.h"
#include "formats/su.h"
#include "ui/form1.h"
#include "ui/qtcanvas.h"

#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>
#include <QWidget>

#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace orv;

namespace {

// The canvases' picture areas at a 1920 x 1080 layout, in pixels.
constexpr int ProfileW = 1525, ProfileH = 850;
constexpr int TraceW = 129, TraceH = 850;

constexpr int NSa = 1024;
constexpr int GroupTraces = 200;
constexpr int AllTraces = 10000;
constexpr int LargestTraces = 32767, LargestSamples = 2048;

fs::path g_dir;
std::string g_groupFile, g_allFile, g_largestFile;

// The fake window without its test bookkeeping.
class BenchControls : public test::FakeControls {
public:
    void setPointer(int shape) override { pointerShape = shape; }
    void setCaption(Caption c, const std::string &s) override { captions[c] = s; }
};

// A Qt canvas that takes a batch one primitive per call, through Canvas's
// own one-by-one draw, as the canvas did before it drew batches itself.
class OneByOneCanvas : public QtCanvas {
public:
    using QtCanvas::QtCanvas;
    void draw(const CanvasPrim *p, size_t n) override { Canvas::draw(p, n); }
    bool drawWiggle(const CanvasWiggle &, size_t) override { return false; }
};

// A main window: its two canvases at the full-HD layout, and a command flow
// over them and the file it shows.
struct Window {
    QWidget widget;
    QtCanvas *profile = nullptr;
    QtCanvas *trace = nullptr;
    BenchControls controls;
    test::FakeDialogs dialogs;
    std::unique_ptr<App> app;
    std::string loaded;
};

// The program's window, and the baseline's.
struct Session {
    Window batched, oneByOne;
    std::string error;
};

Session *g_session = nullptr;

// A radar-like line: a decaying ringing wavelet under noise.
Array2D MakeProfile(int traces, int samples = NSa)
{
    Array2D a;
    a.allocate(traces, samples);
    std::mt19937 rng(1);
    std::normal_distribution<float> noise(0, 0.05f);
    for (int t = 1; t <= traces; ++t) {
        float *row = a.row(t);
        for (int s = 1; s <= samples; ++s)
            row[s] = std::sin(float(s) * 0.09f) * std::exp(-float(s) / 400.0f) + noise(rng);
    }
    return a;
}

template <typename C>
bool SetUpWindow(Window &w, std::string &error)
{
    w.widget.resize(1920, 1080);
    w.profile = new C(&w.widget);
    w.trace = new C(&w.widget);
    const int fw = w.profile->frameWidth();
    w.profile->setGeometry(150, 60, ProfileW + 2 * fw, ProfileH + 2 * fw);
    w.trace->setGeometry(150 + ProfileW + 2 * fw + 20, 60, TraceW + 2 * fw, TraceH + 2 * fw);
    w.widget.show();
    QCoreApplication::processEvents();
    if (w.profile->ScaleWidth() != ProfileW * 15.0f || w.trace->ScaleHeight() != TraceH * 15.0f) {
        error = "the canvases did not take their full-HD sizes";
        return false;
    }
    w.app = std::make_unique<App>(w.controls, w.dialogs, *w.profile, *w.trace);
    w.app->Form_Load();
    // Each trace scaled to its own largest amplitude, as radar lines are
    // usually looked at.
    w.controls.select(Option::optNormTrace);
    // One thread unless a benchmark asks for more.
    w.app->plotThreads = 1;
    return true;
}

bool SetUpSession(Session &s)
{
    if (!SetUpWindow<QtCanvas>(s.batched, s.error) || !SetUpWindow<OneByOneCanvas>(s.oneByOne, s.error))
        return false;
    for (auto [file, traces, samples] : {std::tuple{&g_groupFile, GroupTraces, NSa},
                                          std::tuple{&g_allFile, AllTraces, NSa},
                                          std::tuple{&g_largestFile, LargestTraces, LargestSamples}}) {
        *file = (g_dir / ("profile" + std::to_string(traces) + ".su")).string();
        if (!WriteSUFile(*file, MakeProfile(traces, samples), float(traces), float(samples), 100.0f, s.error))
            return false;
    }
    return true;
}

// Opens `file` through File > Open in window f unless it already shows it.
bool Open(benchmark::State &state, Window &f, const std::string &file, int traces)
{
    if (f.loaded == file)
        return true;
    f.dialogs.files.push_back(file);
    f.app->mnuOpenSU_Click();
    QCoreApplication::processEvents();
    if (!f.dialogs.messages.empty() || f.app->profile().NTraces != traces) {
        state.SkipWithError("the profile did not open");
        return false;
    }
    f.loaded = file;
    return true;
}

// The display window: traces 1..last, every sample.
void ShowTraces(Window &f, int last)
{
    f.controls.setText(Field::txt1sttr, "1");
    f.controls.setText(Field::txtLsttr, std::to_string(last));
    f.controls.setText(Field::txt1stsamp, "1");
    f.controls.setText(Field::txtLstsamp, std::to_string(NSa));
}

void RePlotLoop(benchmark::State &state, Window &f, bool repaint, unsigned threads = 1)
{
    if (!Open(state, f, g_groupFile, GroupTraces))
        return;
    f.app->plotThreads = threads;
    ShowTraces(f, GroupTraces);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        f.app->cmdRePlot_Click();
        if (repaint)
            QCoreApplication::processEvents();
    }
    if (f.app->profile().LastTrace != GroupTraces)
        state.SkipWithError("the window is not the 200 traces");
    benchmark::DoNotOptimize(f.profile->image().constBits());
}

void BM_RePlot(benchmark::State &state) { RePlotLoop(state, g_session->batched, false); }
void BM_RePlot2Threads(benchmark::State &state) { RePlotLoop(state, g_session->batched, false, 2); }
void BM_RePlotRepaint(benchmark::State &state) { RePlotLoop(state, g_session->batched, true); }
void BM_RePlotOneByOne(benchmark::State &state) { RePlotLoop(state, g_session->oneByOne, false); }

void AllProfileLoop(benchmark::State &state, Window &f, bool repaint, unsigned threads = 1,
                    const std::string &file = g_allFile, int traces = AllTraces, bool density = false)
{
    if (!Open(state, f, file, traces))
        return;
    f.app->plotThreads = threads;
    if (density)
        f.app->setVariableDensity(true);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        f.app->cmdAll_Click();
        if (repaint)
            QCoreApplication::processEvents();
    }
    if (density)
        f.app->setVariableDensity(false);
    if (f.app->profile().LastTrace != traces)
        state.SkipWithError("All Profile did not show every trace");
    benchmark::DoNotOptimize(f.profile->image().constBits());
}

void BM_AllProfile(benchmark::State &state) { AllProfileLoop(state, g_session->batched, false); }
void BM_AllProfile2Threads(benchmark::State &state) { AllProfileLoop(state, g_session->batched, false, 2); }
void BM_AllLargest(benchmark::State &state)
{
    AllProfileLoop(state, g_session->batched, false, 1, g_largestFile, LargestTraces);
}
void BM_AllLargest2Threads(benchmark::State &state)
{
    AllProfileLoop(state, g_session->batched, false, 2, g_largestFile, LargestTraces);
}
// The same as grey levels (Tools > Variable Density): the same copy,
// normalization and amplitude range, then one level per pixel.
void BM_AllLargestDensity(benchmark::State &state)
{
    AllProfileLoop(state, g_session->batched, false, 1, g_largestFile, LargestTraces, true);
}
void BM_AllLargestDensity2Threads(benchmark::State &state)
{
    AllProfileLoop(state, g_session->batched, false, 2, g_largestFile, LargestTraces, true);
}
void BM_AllProfileRepaint(benchmark::State &state) { AllProfileLoop(state, g_session->batched, true); }
void BM_AllProfileOneByOne(benchmark::State &state) { AllProfileLoop(state, g_session->oneByOne, false); }

// The stepper moving on by one over the 200-trace group, as the end of a
// click on the trace canvas does it (the pick search and the cross are
// bench_picking's).
void BM_PickStep(benchmark::State &state)
{
    Window &f = g_session->batched;
    if (!Open(state, f, g_groupFile, GroupTraces))
        return;
    ShowTraces(f, GroupTraces);
    f.app->cmdRePlot_Click();
    QCoreApplication::processEvents();
    Stepper &upd = f.app->upd;
    for (auto _ : state) {
        upd.setValue(upd.Value() >= upd.Max() ? upd.Min() : upd.Value() + 1);
    }
    benchmark::DoNotOptimize(f.trace->image().constBits());
}

// The real main window, its canvases at the sizes above, showing `file`.
struct RealWindow {
    test::FakeDialogs dialogs;
    Form1 form{&dialogs};
    bool open(const std::string &file, int traces)
    {
        form.show();
        form.adjustform();
        const int fw = form.pctProfile()->frameWidth();
        form.pctProfile()->resize(ProfileW + 2 * fw, ProfileH + 2 * fw);
        form.pctTrace()->resize(TraceW + 2 * fw, TraceH + 2 * fw);
        QCoreApplication::processEvents();
        dialogs.files.push_back(file);
        form.findChild<QAction *>(QStringLiteral("mnuOpenSU"))->trigger();
        QCoreApplication::processEvents();
        return form.app().profile().NTraces == traces && form.pctProfile()->ScaleWidth() == ProfileW * 15.0f;
    }
};

// The Right key's action, stepping on to the end of the 200-trace group and
// the Left key's back.
void BM_KeyStep(benchmark::State &state)
{
    RealWindow w;
    if (!w.open(g_groupFile, GroupTraces)) {
        state.SkipWithError("the window did not open the profile at its sizes");
        return;
    }
    auto *next = w.form.findChild<QAction *>(QStringLiteral("keyNextTrace"));
    auto *prev = w.form.findChild<QAction *>(QStringLiteral("keyPrevTrace"));
    const Stepper &upd = w.form.app().upd;
    bool on = true;
    for (auto _ : state) {
        if (upd.Value() >= upd.Max())
            on = false;
        else if (upd.Value() <= upd.Min())
            on = true;
        (on ? next : prev)->trigger();
    }
    benchmark::DoNotOptimize(w.form.pctTrace()->image().constBits());
}

// Shift+wheel over the profile canvas, 20 traces on and back, 200 x 1,024
// shown.
void BM_WheelStep(benchmark::State &state)
{
    RealWindow w;
    if (!w.open(g_allFile, AllTraces)) {
        state.SkipWithError("the window did not open the profile at its sizes");
        return;
    }
    w.form.field(Field::txtLstsamp)->setText(QString::number(NSa));
    w.form.findChild<QPushButton *>(QStringLiteral("cmdRePlot"))->click();
    const QPointF at(100, 100);
    int dy = -120;
    for (auto _ : state) {
        QWheelEvent e(at, w.form.pctProfile()->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton,
                      Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.form.pctProfile(), &e);
        dy = -dy;
    }
    const ProfileStore &s = w.form.app().profile();
    if (s.LastTrace - s.FirstTrace + 1 != GroupTraces || s.LastSample != NSa)
        state.SkipWithError("the window is not 200 x 1,024");
    benchmark::DoNotOptimize(w.form.pctProfile()->image().constBits());
}

// A canvas that only counts what it is handed.
class CountingCanvas : public Canvas {
public:
    float ScaleWidth() const override { return ProfileW * 15.0f; }
    float ScaleHeight() const override { return ProfileH * 15.0f; }
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

void BM_PlotProfileCounting(benchmark::State &state)
{
    ProfileStore st;
    st.NTraces = GroupTraces;
    st.NSamples = NSa;
    st.TotalTime = 100;
    st.RawData = MakeProfile(GroupTraces);
    st.PlotData = st.RawData;
    st.Picks.assign(GroupTraces + 1, 0.0f);
    st.ClipValue = 1000;
    st.TracesPerCSG = 24;
    st.NormMode = 2;
    test::FakeControls c;
    c.setText(Field::txt1sttr, "1");
    c.setText(Field::txtLsttr, std::to_string(GroupTraces));
    c.setText(Field::txt1stsamp, "1");
    c.setText(Field::txtLstsamp, std::to_string(NSa));
    CountingCanvas cv;
    for (auto _ : state) {
        state.PauseTiming();
        st.PlotData = st.RawData; // as every re-plot does
        cv.count = 0;
        state.ResumeTiming();
        PlotProfile(st, c, cv);
        benchmark::DoNotOptimize(cv);
    }
    state.counters["primitives"] = double(cv.count);
}

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

BENCHMARK(BM_RePlot)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RePlot2Threads)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RePlotRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RePlotOneByOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WheelStep)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllProfile)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AllProfile2Threads)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AllProfileRepaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AllProfileOneByOne)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AllLargest)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AllLargest2Threads)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AllLargestDensity)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AllLargestDensity2Threads)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlotProfileCounting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RasterLines)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);

    g_dir = fs::temp_directory_path() / ("orvane_bench_plot_" + std::to_string(::getpid()));
    fs::create_directories(g_dir);

    Session session;
    g_session = &session;
    if (!SetUpSession(session)) {
        std::fprintf(stderr, "cannot set up the window: %s\n", session.error.c_str());
        std::error_code ec;
        fs::remove_all(g_dir, ec);
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    bench::Recorder rec;
    benchmark::RunSpecifiedBenchmarks(&rec);

    auto get = [&](const char *name) { return rec.get(name); };
    auto row = [](const char *what, double ms, double target, const std::string &note) {
        if (ms < 0) {
            std::printf("  %-44s %12s   (target < %g ms)\n", what, "not run", target);
            return;
        }
        std::printf("  %-44s %9.3f ms   (target < %g ms) %s  %s\n", what, ms, target, ms < target ? "ok  " : "OVER",
                    note.c_str());
    };
    auto notes = [](double ms, double repaint, double base) {
        std::string out;
        char buf[120];
        if (repaint >= 0) {
            std::snprintf(buf, sizeof buf, "with repaint %.3f ms", repaint);
            out = buf;
        }
        if (ms >= 0 && base > 0) {
            std::snprintf(buf, sizeof buf, "%sone call per primitive %.3f ms: ratio %.2f", out.empty() ? "" : "; ",
                          base, ms / base);
            out += buf;
        }
        return out;
    };

    auto speedUp = [](double one, double two) {
        char buf[80] = "";
        if (one > 0 && two > 0)
            std::snprintf(buf, sizeof buf, "one thread %.3f ms: speed-up of 2 threads %.2f x", one, one / two);
        return std::string(buf);
    };

    std::printf("\nCanvases %d x %d and %d x %d px; profiles opened through File > Open\n", ProfileW, ProfileH,
                TraceW, TraceH);
    const double replot = get("BM_RePlot"), all = get("BM_AllProfile");
    row("Re-Plot, 200 x 1,024, 1 thread", replot, 10.0,
        notes(replot, get("BM_RePlotRepaint"), get("BM_RePlotOneByOne")));
    row("Re-Plot, 200 x 1,024, 2 threads", get("BM_RePlot2Threads"), 10.0,
        speedUp(replot, get("BM_RePlot2Threads")));
    row("All Profile, 10,000 x 1,024, 1 thread", all, 300.0,
        notes(all, get("BM_AllProfileRepaint"), get("BM_AllProfileOneByOne")));
    row("All Profile, 10,000 x 1,024, 2 threads", get("BM_AllProfile2Threads"), 300.0,
        speedUp(all, get("BM_AllProfile2Threads")));
    row("All Profile, 32,767 x 2,048, 1 thread", get("BM_AllLargest"), 2000.0, "");
    row("All Profile, 32,767 x 2,048, 2 threads", get("BM_AllLargest2Threads"), 2000.0,
        speedUp(get("BM_AllLargest"), get("BM_AllLargest2Threads")));
    row("Variable Density, 32,767 x 2,048, 1 thread", get("BM_AllLargestDensity"), 500.0, "");
    row("Variable Density, 32,767 x 2,048, 2 threads", get("BM_AllLargestDensity2Threads"), 500.0,
        speedUp(get("BM_AllLargestDensity"), get("BM_AllLargestDensity2Threads")));
    row("pick step (trace, restore, highlight)", get("BM_PickStep"), 2.0, "");
    row("key step to the next trace (window)", get("BM_KeyStep"), 2.0, "");
    row("wheel step, 200 x 1,024 (window)", get("BM_WheelStep"), 20.0, "");

    g_session = nullptr;
    std::error_code ec;
    fs::remove_all(g_dir, ec);
    benchmark::Shutdown();
    return 0;
}

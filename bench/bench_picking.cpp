// Picking's cost, on the real Qt canvases at a full-HD layout (profile
// canvas 1525 x 850 px, trace canvas 129 x 850 px) with a 1,000 x 1,024
// profile opened through File > Open as the program does it, showing its
// first group of 200 traces:
//
//  - one pointer move over the trace canvas (the range marks erased and
//    drawn again), alone and with the repaint of both canvases that follows;
//  - one left click on the trace canvas: the rule search, the pick cross and
//    the step to the next trace, whose change handler redraws the trace
//    canvas and the two columns of the profile canvas;
//  - ShiftOnPicks on 10,000 traces x 1,024 samples with random picks, against
//    one plain memmove per trace by the same shifts;
//  - saving and loading 10,000 picks, against a plain write (same bytes,
//    same fsync and rename) and a plain read with strtod.
//
// Printed at the end: the headline figure of each against its target.

#include "app/app.h"
#include "formats/su.h"
#include "picking/airwave.h"
#include "picking/interactive.h"
#include "picks/picksfile.h"
#include "ui/qtcanvas.h"

#include "support/fakes.h"

#include <QApplication>
#include <QWidget>

#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace orv;

namespace {

// The canvases' picture areas at a 1920 x 1080 layout, in pixels.
constexpr int ProfileW = 1525, ProfileH = 850;
constexpr int TraceW = 129, TraceH = 850;

// The profile the picking runs on: opened whole, first group on screen.
constexpr int ClickTraces = 1000;
constexpr int ClickSamples = 1024;
constexpr float ClickTotalTime = 256; // 0.25 ms a sample

// The alignment and the picks file.
constexpr int BigTraces = 10000;
constexpr int BigSamples = 1024;

fs::path g_dir;

// The fake window without its test bookkeeping: the pointer history and the
// progress captions would grow with every event of a long run.
class BenchControls : public test::FakeControls {
public:
    void setPointer(int shape) override { pointerShape = shape; }
    void setCaption(Caption c, const std::string &s) override { captions[c] = s; }
};

// The main window's two canvases and the command flow over them.
struct Session {
    QWidget window;
    QtCanvas *profile = nullptr;
    QtCanvas *trace = nullptr;
    BenchControls controls;
    test::FakeDialogs dialogs;
    std::unique_ptr<App> app;
    std::string error; // why the session could not be set up
};

Session *g_session = nullptr;

// Sample (1-based, fractional) where trace t's first arrival begins.
float Arrival(int t) { return 120.0f + 0.35f * float(t) + 6.0f * std::sin(float(t) * 0.05f); }

// Quiet noise, then a decaying wavelet from the first arrival on.
Array2D MakeClickProfile()
{
    Array2D a;
    a.allocate(ClickTraces, ClickSamples);
    std::mt19937 rng(7);
    std::normal_distribution<float> noise(0, 0.01f);
    for (int t = 1; t <= ClickTraces; ++t) {
        const float a0 = Arrival(t);
        float *row = a.row(t);
        for (int s = 1; s <= ClickSamples; ++s) {
            const float u = float(s) - a0;
            const float w = u < 0 ? 0.0f : std::sin(u * 0.2f) * std::exp(-u / 150.0f);
            row[s] = w + noise(rng);
        }
    }
    return a;
}

// Lays the two canvases out as at full HD, opens the profile and leaves the
// window as after the open: first group plotted, stepper on its first trace.
bool SetUpSession(Session &s)
{
    s.window.resize(1920, 1080);
    s.profile = new QtCanvas(&s.window);
    s.trace = new QtCanvas(&s.window);
    const int fw = s.profile->frameWidth();
    s.profile->setGeometry(150, 60, ProfileW + 2 * fw, ProfileH + 2 * fw);
    s.trace->setGeometry(150 + ProfileW + 2 * fw + 20, 60, TraceW + 2 * fw, TraceH + 2 * fw);
    s.window.show();
    QCoreApplication::processEvents();
    if (s.profile->ScaleWidth() != ProfileW * 15.0f || s.trace->ScaleHeight() != TraceH * 15.0f) {
        s.error = "the canvases did not take their full-HD sizes";
        return false;
    }

    s.app = std::make_unique<App>(s.controls, s.dialogs, *s.profile, *s.trace);
    s.app->Form_Load();

    const std::string file = (g_dir / "picking.su").string();
    if (!WriteSUFile(file, MakeClickProfile(), ClickTraces, ClickSamples, ClickTotalTime, s.error))
        return false;
    s.dialogs.files.push_back(file);
    s.app->mnuOpenSU_Click();
    QCoreApplication::processEvents();
    const ProfileStore &st = s.app->profile();
    if (!s.dialogs.messages.empty()) {
        s.error = "open: " + s.dialogs.messages.back().second;
        return false;
    }
    if (st.NTraces != ClickTraces || st.PlotReady != 1 || st.LastTrace != 200 || s.app->upd.Value() != 1) {
        s.error = "the profile did not open as expected";
        return false;
    }
    return true;
}

// Pointer y (twips) over the trace canvas for sample position P of the
// whole-trace window.
float YForSample(const Session &s, float P)
{
    const ProfileStore &st = s.app->profile();
    const float dy = s.trace->ScaleHeight() / float(st.LastSample - st.FirstSample + 1);
    return (P - float(st.FirstSample) - 1.0f) * dy;
}

// Pointer positions a few pixels apart, down the trace canvas and back up.
std::vector<float> Sweep()
{
    std::vector<float> ys;
    for (int px = 5; px < TraceH - 5; px += 3)
        ys.push_back(float(px) * 15.0f);
    for (int px = TraceH - 8; px > 5; px -= 3)
        ys.push_back(float(px) * 15.0f);
    return ys;
}

void MouseMoveLoop(benchmark::State &state, bool repaint)
{
    Session &s = *g_session;
    App &app = *s.app;
    const std::vector<float> ys = Sweep();
    size_t i = 0;
    QCoreApplication::processEvents();
    for (auto _ : state) {
        app.pctTrace_MouseMove(ys[i]);
        if (repaint)
            QCoreApplication::processEvents();
        if (++i == ys.size())
            i = 0;
    }
    if (app.profile().RangeShown != 1)
        state.SkipWithError("the range marks were not drawn");
    benchmark::DoNotOptimize(s.trace->image().constBits());
}

void BM_TraceMouseMove(benchmark::State &state) { MouseMoveLoop(state, false); }

// The same move followed by the repaint it schedules (both canvases, on the
// offscreen platform).
void BM_TraceMouseMoveRepaint(benchmark::State &state) { MouseMoveLoop(state, true); }

void ClickLoop(benchmark::State &state, bool repaint)
{
    Session &s = *g_session;
    App &app = *s.app;
    int64_t picked = 0, near = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Back to the group's first trace before the stepper runs out, so
        // every timed click steps on.
        if (app.upd.Value() >= app.upd.Max())
            app.upd.setValue(app.upd.Min());
        const int t = app.upd.Value();
        // The pointer comes to rest a few samples past the arrival: the
        // range marks are up when the button goes down.
        const float y = YForSample(s, Arrival(t) + 4.0f);
        app.pctTrace_MouseMove(y);
        QCoreApplication::processEvents();
        state.ResumeTiming();

        app.pctTrace_MouseDown(MouseLeft, y);
        if (repaint)
            QCoreApplication::processEvents();

        state.PauseTiming();
        if (app.upd.Value() != t + 1) {
            state.SkipWithError("the click did not step to the next trace");
            state.ResumeTiming();
            break;
        }
        const float sample = app.profile().Picks[size_t(t)] * ClickSamples / ClickTotalTime;
        ++picked;
        if (std::fabs(sample - Arrival(t)) < 25.0f)
            ++near;
        state.ResumeTiming();
    }
    state.counters["picks_near_arrival"] = picked ? double(near) / double(picked) : 0.0;
}

void BM_TraceClick(benchmark::State &state) { ClickLoop(state, false); }
void BM_TraceClickRepaint(benchmark::State &state) { ClickLoop(state, true); }

// ---- Alignment ----

ProfileStore MakeBigStore()
{
    ProfileStore st;
    st.NTraces = BigTraces;
    st.NSamples = BigSamples;
    st.TotalTime = 256;
    st.RawData.allocate(BigTraces, BigSamples);
    for (int t = 1; t <= BigTraces; ++t) {
        float *row = st.RawData.row(t);
        for (int s = 1; s <= BigSamples; ++s)
            row[s] = float((t * 7919 + s * 104729) % 20001 - 10000) * 0.1f;
    }
    // Picks between 20 and 60 ms: shifts of up to 160 samples.
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> pick(20.0f, 60.0f);
    st.Picks.assign(BigTraces + 1, 0.0f);
    for (int t = 1; t <= BigTraces; ++t)
        st.Picks[size_t(t)] = pick(rng);
    return st;
}

ProfileStore *g_big = nullptr;
Array2D *g_bigRaw = nullptr; // RawData as made, restored before every run

void BM_ShiftOnPicks(benchmark::State &state)
{
    ProfileStore &st = *g_big;
    for (auto _ : state) {
        state.PauseTiming();
        st.RawData = *g_bigRaw;
        state.ResumeTiming();
        ShiftOnPicks(st);
        benchmark::DoNotOptimize(st.RawData.row(BigTraces));
    }
    if (st.RawData == *g_bigRaw)
        state.SkipWithError("the profile was not shifted");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(BigTraces) * BigSamples * 4);
}

// The floor: the same shifts, worked out from the same picks, each done by
// one memmove, on the same restored array.
void BM_ShiftPlainMemmove(benchmark::State &state)
{
    ProfileStore &st = *g_big;
    const int ns = BigSamples;
    for (auto _ : state) {
        state.PauseTiming();
        st.RawData = *g_bigRaw;
        state.ResumeTiming();
        const float perTime = st.NSamples / st.TotalTime;
        float ref = st.Picks[1];
        for (int t = 1; t <= BigTraces; ++t)
            ref = std::min(ref, st.Picks[size_t(t)]);
        const auto r = int64_t(std::floor(perTime * ref));
        for (int t = 1; t <= BigTraces; ++t) {
            const int64_t shift = int64_t(std::floor(perTime * st.Picks[size_t(t)])) - r;
            float *v = st.RawData.row(t);
            if (shift < ns)
                std::memmove(v + 1, v + 1 + shift, size_t(ns - shift) * sizeof(float));
        }
        benchmark::DoNotOptimize(st.RawData.row(BigTraces));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(BigTraces) * BigSamples * 4);
}

// ---- The picks file ----

std::vector<float> *g_picks = nullptr; // 0..BigTraces, in ms
std::string g_picksFile;               // written once for the reads

void BM_WritePicks(benchmark::State &state)
{
    const std::string out = (g_dir / "written.dat").string();
    for (auto _ : state) {
        std::string error;
        if (!WritePicksFile(out, *g_picks, BigTraces, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(out)));
}

// The text alone.
void BM_FormatPicks(benchmark::State &state)
{
    for (auto _ : state) {
        std::string text = FormatPicks(*g_picks, BigTraces);
        benchmark::DoNotOptimize(text.data());
    }
}

// The same bytes saved with plain calls, the same way: a temporary file in
// the same folder, written, fsync'd, closed and renamed over the target.
void BM_SavePlain(benchmark::State &state)
{
    const std::string bytes = FormatPicks(*g_picks, BigTraces);
    const std::string out = (g_dir / "plain.dat").string();
    const std::string tmp = (g_dir / ".plain.tmp").string();
    for (auto _ : state) {
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) || ::fsync(fd) != 0
            || ::close(fd) != 0 || ::rename(tmp.c_str(), out.c_str()) != 0) {
            state.SkipWithError("plain save failed");
            return;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_ReadPicks(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<float> picks;
        std::string error;
        if (!ReadPicksFile(g_picksFile, BigTraces, picks, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(picks.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(g_picksFile)));
}

// The text already in memory.
void BM_ParsePicks(benchmark::State &state)
{
    const std::string text = FormatPicks(*g_picks, BigTraces);
    for (auto _ : state) {
        std::vector<float> picks;
        std::string error;
        if (!ParsePicks(text, BigTraces, picks, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(picks.data());
    }
}

// The same file read with plain calls: one read of the whole file, then
// strtod over the numbers two at a time into the same 0..n picks.
void BM_ReadPlain(benchmark::State &state)
{
    const size_t size = size_t(fs::file_size(g_picksFile));
    for (auto _ : state) {
        const int fd = ::open(g_picksFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("cannot open the picks file");
            return;
        }
        std::string text(size, '\0');
        const ssize_t got = ::read(fd, text.data(), size);
        ::close(fd);
        if (got != ssize_t(size)) {
            state.SkipWithError("short read");
            return;
        }
        std::vector<float> picks(BigTraces + 1, 0.0f);
        const char *p = text.c_str();
        for (int t = 1; t <= BigTraces; ++t) {
            char *end = nullptr;
            std::strtod(p, &end); // the trace number
            p = end;
            picks[size_t(t)] = float(std::strtod(p, &end)) * 1000.0f;
            if (end == p) {
                state.SkipWithError("plain parse failed");
                return;
            }
            p = end;
        }
        benchmark::DoNotOptimize(picks.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

BENCHMARK(BM_TraceMouseMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TraceMouseMoveRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TraceClick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TraceClickRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShiftOnPicks)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ShiftPlainMemmove)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WritePicks)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FormatPicks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlain)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadPicks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParsePicks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlain)->Unit(benchmark::kMillisecond);

// Keeps the mean real time of each benchmark, in milliseconds, for the

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);

    g_dir = fs::temp_directory_path() / ("orvane_bench_picking_" + std::to_string(::getpid()));
    fs::create_directories(g_dir);

    Session session;
    if (!SetUpSession(session)) {
        std::fprintf(stderr, "cannot set up the picking window: %s\n", session.error.c_str());
        std::error_code ec;
        fs::remove_all(g_dir, ec);
        return 1;
    }
    g_session = &session;

    ProfileStore big = MakeBigStore();
    Array2D bigRaw = big.RawData;
    g_big = &big;
    g_bigRaw = &bigRaw;

    std::vector<float> picks = big.Picks;
    g_picks = &picks;
    g_picksFile = (g_dir / "picks.dat").string();
    {
        std::string error;
        if (!WritePicksFile(g_picksFile, picks, BigTraces, error)) {
            std::fprintf(stderr, "cannot write the picks file: %s\n", error.c_str());
            std::error_code ec;
            fs::remove_all(g_dir, ec);
            return 1;
        }
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
        // Figures well under a millisecond read better in microseconds.
        const bool us = ms < 0.1;
        std::printf("  %-44s %9.3f %s   (target < %g ms) %s  %s\n", what, us ? ms * 1e3 : ms, us ? "us" : "ms",
                    target, ms < target ? "ok  " : "OVER", note.c_str());
    };
    auto ratio = [](const char *label, double ms, double base) {
        if (ms < 0 || base <= 0)
            return std::string();
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s %.3f ms: ratio %.2f", label, base, ms / base);
        return std::string(buf);
    };
    auto plus = [](double a, double b) { return a < 0 || b < 0 ? -1.0 : a + b; };
    auto repainted = [](double ms) {
        if (ms < 0)
            return std::string();
        char buf[80];
        std::snprintf(buf, sizeof buf, "with repaint %.3f ms", ms);
        return std::string(buf);
    };

    std::printf("\nCanvases %d x %d and %d x %d px; %d x %d profile, %d traces on screen\n", ProfileW,
                ProfileH, TraceW, TraceH, ClickTraces, ClickSamples, 200);
    const double move = get("BM_TraceMouseMove"), moveR = get("BM_TraceMouseMoveRepaint");
    const double click = get("BM_TraceClick"), clickR = get("BM_TraceClickRepaint");
    row("pointer move over the trace canvas", move, 1.0, repainted(moveR));
    row("click to the next trace (1,024 samples)", click, 5.0, repainted(clickR));
    const double shift = get("BM_ShiftOnPicks");
    row("ShiftOnPicks, 10,000 x 1,024", shift, 50.0,
        ratio("plain memmove", shift, get("BM_ShiftPlainMemmove")));
    const double wr = get("BM_WritePicks"), rd = get("BM_ReadPicks");
    row("WritePicksFile, 10,000 picks", wr, 20.0,
        ratio("text + plain save", wr, plus(get("BM_FormatPicks"), get("BM_SavePlain"))));
    row("ReadPicksFile, 10,000 picks", rd, 20.0, ratio("plain read + strtod", rd, get("BM_ReadPlain")));

    g_session = nullptr;
    std::error_code ec;
    fs::remove_all(g_dir, ec);
    benchmark::Shutdown();
    return 0;
}

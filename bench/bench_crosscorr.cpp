// Automatic picking by cross-correlation, the fast path (vectors over the
// lag starts, trace pairs over the cores) against the plain sequential loop
// on the same amplitudes, giving the same picks bit for bit:
//
//  - 1,000 traces, a 50-sample key window, 500 lag starts: 25 million
//    multiply-adds;
//  - 10,000 traces x 1,024 samples, a 100-sample key window, 800 lag
//    starts: 800 million multiply-adds.
//
// Printed at the end: each time against its target, and the multiply-adds
// per second of both against the sequential loop's.

#include "picking/crosscorr.h"

#include "support/crosscorr_reference.h"

#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

using namespace orv;

namespace {

struct Case {
    int traces, samples;
    CrossCorrWindow w;
};
// Key 20..69 (50 samples), target 1..549: lag starts 1..500.
constexpr Case Small{1000, 1024, {20, 69, 1, 549}};
// Key 101..200 (100 samples), target 1..899: lag starts 1..800.
constexpr Case Large{10000, 1024, {101, 200, 1, 899}};

// A radar-like line: a wavelet whose start wanders from trace to trace,
// over noise.
const Array2D &Line(const Case &c)
{
    static Array2D small, large;
    Array2D &a = &c == &Small ? small : large;
    if (!a.allocated()) {
        a.allocate(c.traces, c.samples);
        std::mt19937 rng(7);
        std::normal_distribution<float> noise(0.0f, 0.05f);
        int at = 150;
        for (int t = 1; t <= c.traces; ++t) {
            at += std::uniform_int_distribution<int>(-2, 2)(rng);
            at = std::clamp(at, 120, 180);
            for (int s = 1; s <= c.samples; ++s) {
                const float x = static_cast<float>(s - at) / 4.0f;
                a(t, s) = noise(rng) + (s >= at ? std::sin(x) * std::exp(-x / 6.0f) : 0.0f);
            }
        }
    }
    return a;
}

double Work(const Case &c) { return CrossCorrWork(static_cast<float>(c.traces), c.w); }

void Fast(benchmark::State &state, const Case &c)
{
    const Array2D &a = Line(c);
    for (auto _ : state) {
        auto picks = CrossCrol(a, c.traces, c.samples, 100.0f, c.w);
        benchmark::DoNotOptimize(picks);
    }
}

void Sequential(benchmark::State &state, const Case &c)
{
    const Array2D &a = Line(c);
    for (auto _ : state) {
        auto picks = test::CrossCrolSequential(a, c.traces, c.samples, 100.0f, c.w);
        benchmark::DoNotOptimize(picks);
    }
}

void BM_Small(benchmark::State &s) { Fast(s, Small); }
void BM_SmallSequential(benchmark::State &s) { Sequential(s, Small); }
void BM_Large(benchmark::State &s) { Fast(s, Large); }
void BM_LargeSequential(benchmark::State &s) { Sequential(s, Large); }
BENCHMARK(BM_Small)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_SmallSequential)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Large)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LargeSequential)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // The two paths must agree before their times mean anything.
    for (const Case *c : {&Small, &Large}) {
        const auto fast = CrossCrol(Line(*c), c->traces, c->samples, 100.0f, c->w);
        const auto plain = test::CrossCrolSequential(Line(*c), c->traces, c->samples, 100.0f, c->w);
        if (!fast || fast->size() != plain.size()
            || std::memcmp(fast->data(), plain.data(), plain.size() * sizeof(float)) != 0) {
            std::fprintf(stderr, "the fast path's picks differ from the sequential loop's\n");
            return 1;
        }
    }
    bench::Recorder rec;
    benchmark::RunSpecifiedBenchmarks(&rec);

    auto get = [&](const char *name) { return rec.get(name); };
    std::printf("\n%u cores\n", std::max(1u, std::thread::hardware_concurrency()));
    const struct {
        const char *what;
        const Case &c;
        const char *fast, *plain;
        double target;
    } rows[] = {
        {"1,000 traces, 50-sample key, 500 lags", Small, "BM_Small", "BM_SmallSequential", 5.0},
        {"10,000 x 1,024, 100-sample key, 800 lags", Large, "BM_Large", "BM_LargeSequential", 150.0},
    };
    for (const auto &r : rows) {
        const double ms = get(r.fast), base = get(r.plain), work = Work(r.c);
        if (ms < 0 || base < 0)
            continue;
        std::printf("  %-42s %8.2f ms (target < %g ms) %s   %.1f G multiply-adds/s, sequential loop %.2f G/s "
                    "(%.0f ms): %.1fx\n",
                    r.what, ms, r.target, ms < r.target ? "ok  " : "OVER", work / ms / 1e6, work / base / 1e6,
                    base, base / ms);
    }
    benchmark::Shutdown();
    return 0;
}

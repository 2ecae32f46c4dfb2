#include "picking/crosscorr.h"

#include "core/numbers.h"
#include "picking/crosscorr_isa.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace orv {

namespace {

using Kernel = void (*)(const float *key, int n, const float *target, int blocks, float *sums);

struct Isa {
    Kernel fn;
    int lanes; // lag starts per vector
};

// The widest build of the loop this processor runs, or the one asked for
// when the processor has it.
Isa ChooseIsa(int lanes)
{
#if defined(__x86_64__)
    __builtin_cpu_init();
    const bool avx512 = __builtin_cpu_supports("avx512f");
    const bool avx = __builtin_cpu_supports("avx");
    if (avx512 && (lanes == 0 || lanes == 16))
        return {xcorr::CorrelateBlocks_avx512, 16};
    if (avx && (lanes == 0 || lanes == 8))
        return {xcorr::CorrelateBlocks_avx, 8};
#else
    (void)lanes;
#endif
    return {xcorr::CorrelateBlocks_sse, 4};
}

// Runs below this many multiply-adds stay on the calling thread: starting
// threads would cost more than they save.
constexpr double ThreadedWork = 1 << 20;

// Trace pairs a worker takes at a time.
constexpr int Chunk = 8;

// One run's fixed quantities.
struct Job {
    const Array2D *plot;
    int keyFirst;  // first sample of the key window
    int n;         // its length, L + 1
    int jFirst;    // first lag start
    int lags;      // number of lag starts
    int blocks;    // blocks of lag starts the kernel works through
    int blockLags; // lag starts per block
    float dt;      // TotalTime / NSamples
    Kernel fn;

    // Floats of a worker's target copy and of its sums.
    size_t bufferFloats() const { return static_cast<size_t>(blocks) * blockLags + n - 1; }
    size_t sumFloats() const { return static_cast<size_t>(blocks) * blockLags; }
};

// The pick of trace i. buf and sums are the worker's own; the part of buf
// past the target range stays 0 from its allocation.
void PickPair(const Job &job, int i, float *buf, float *sums, float *picks)
{
    const float *key = job.plot->row(i) + job.keyFirst;
    // Samples jFirst .. TargLast of the next trace, copied so that the
    // kernel's last block may run past the range without leaving the copy.
    std::memcpy(buf, job.plot->row(i + 1) + job.jFirst, static_cast<size_t>(job.lags + job.n - 1) * sizeof(float));
    job.fn(key, job.n, buf, job.blocks, sums);
    float best = 0.0f;
    int bestLag = -1;
    for (int q = 0; q < job.lags; ++q) {
        if (sums[q] > best) {
            best = sums[q];
            bestLag = q;
        }
    }
    if (bestLag >= 0)
        picks[i] = job.dt * static_cast<float>(job.jFirst + bestLag);
}

// The lag starts and the key length, or false when the window gives none.
bool WindowShape(const CrossCorrWindow &w, int &n, int &lags)
{
    const int L = w.KeyLast - w.KeyFirst;
    const int J = w.TargLast - L;
    if (L < 0 || w.TargFirst > J)
        return false;
    n = L + 1;
    lags = J - w.TargFirst + 1;
    return true;
}

int PairCount(float NTraces) { return NTraces >= 2 ? CInt(NTraces - 1) : 0; }

} // namespace

double CrossCorrWork(float NTraces, const CrossCorrWindow &w)
{
    int n = 0, lags = 0;
    if (!WindowShape(w, n, lags))
        return 0;
    return static_cast<double>(PairCount(NTraces)) * lags * n;
}

std::optional<std::vector<float>> CrossCrol(const Array2D &PlotData, float NTraces, float NSamples,
                                            float TotalTime, const CrossCorrWindow &w,
                                            const CrossCorrRun &run)
{
    std::vector<float> picks(static_cast<size_t>(std::max(0, CLng(NTraces))) + 1, 0.0f);

    int n = 0, lags = 0;
    const int pairs = PairCount(NTraces);
    const int lastSample = std::min(static_cast<int>(CInt(NSamples)), PlotData.sampleBound());
    if (!WindowShape(w, n, lags) || pairs < 1 || pairs + 1 > PlotData.traceBound() || w.KeyFirst < 0
        || w.TargFirst < 0 || w.KeyLast > lastSample || w.TargLast > lastSample)
        return picks;

    const Isa isa = ChooseIsa(run.lanes);
    Job job{};
    job.plot = &PlotData;
    job.keyFirst = w.KeyFirst;
    job.n = n;
    job.jFirst = w.TargFirst;
    job.lags = lags;
    job.blockLags = xcorr::BlockVectors * isa.lanes;
    job.blocks = (lags + job.blockLags - 1) / job.blockLags;
    job.dt = TotalTime / NSamples;
    job.fn = isa.fn;

    unsigned threads = run.threads ? run.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = std::min(threads, static_cast<unsigned>(pairs));
    if (run.threads == 0 && CrossCorrWork(NTraces, w) < ThreadedWork)
        threads = 1;

    // Every worker's buffers are taken here, so a worker never allocates.
    std::vector<std::vector<float>> bufs(threads), sums(threads);
    for (unsigned t = 0; t < threads; ++t) {
        bufs[t].assign(job.bufferFloats(), 0.0f);
        sums[t].assign(job.sumFloats(), 0.0f);
    }

    std::atomic<int> next{1}, done{0};
    std::atomic<bool> stop{false};
    auto work = [&](unsigned t) noexcept {
        for (;;) {
            if (stop.load(std::memory_order_relaxed))
                return;
            const int first = next.fetch_add(Chunk, std::memory_order_relaxed);
            if (first > pairs)
                return;
            const int last = std::min(pairs, first + Chunk - 1);
            for (int i = first; i <= last; ++i)
                PickPair(job, i, bufs[t].data(), sums[t].data(), picks.data());
            done.fetch_add(last - first + 1, std::memory_order_relaxed);
        }
    };

    if (threads == 1 && !run.progress) {
        work(0);
        return picks;
    }

    std::mutex mu;
    std::condition_variable cv;
    unsigned finished = 0;
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned t = 0; t < threads; ++t) {
        try {
            workers.emplace_back([&, t] {
                work(t);
                std::lock_guard<std::mutex> lock(mu);
                ++finished;
                cv.notify_all();
            });
        } catch (const std::system_error &) {
            break; // go on with the workers that did start
        }
    }
    if (workers.empty()) {
        // No thread could be started: the calling thread does the work.
        work(0);
        return picks;
    }

    bool stopped = false;
    for (;;) {
        if (run.progress && !run.progress(done.load(std::memory_order_relaxed), pairs)) {
            stop = true;
            stopped = true;
            break;
        }
        std::unique_lock<std::mutex> lock(mu);
        const auto allDone = [&] { return finished == workers.size(); };
        if (run.progress ? cv.wait_for(lock, run.interval, allDone) : (cv.wait(lock, allDone), true))
            break;
    }
    for (std::thread &t : workers)
        t.join();
    if (stopped)
        return std::nullopt;
    return picks;
}

} // namespace orv

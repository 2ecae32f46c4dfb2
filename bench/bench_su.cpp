// Seismic Unix reading and writing against a plain fread of the same file,
// and the peak memory of one load.
//
// A 10,000 x 1,024 file (about 43 MB) is written once into a temporary
// directory. Timed: (a) ReadSUFile into a Profile plus the copy of RawData
// into a second array, as a load does; (b) one fread of the whole file into
// fresh memory from the same allocator as the arrays; (c) WriteSUFile of the
// same profile. The reader alone is timed as well, and the refusal of a
// 256 MB file of empty trace headers (all zeros), which is walked whole.
//
// The comparison that counts is the reader alone against (b): both put the
// file's bytes into fresh pages of the same allocator (mapped, 2 MB aligned,
// faulted in as they are first written), so both pay the same for fresh
// memory, and neither buffer is touched beforehand. A file this large is
// read by two threads where the machine has two cores (the kernel's copy
// and the faulting in of fresh pages both divide); the fread is one call on
// one thread, as a plain read is. Printed at the end:
// that ratio next to its target of 1.2 (medians of five interleaved
// repetitions unless the command line says otherwise), the load with its working copy
// against the same fread, the write against a plain fwrite + fsync, and the
// peak resident memory of a single load against the size of the sample
// arrays.
#include "bench_common.h"
#include "formats/su.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kTraces = 10000;
constexpr int kSamples = 1024;

fs::path g_dir;
std::string g_file;
std::string g_empty; // 256 MB of zeros: trace headers that all say ns = 0
constexpr uint64_t kEmptyBytes = uint64_t(256) << 20;

orv::Array2D makeProfile()
{
    orv::Array2D a;
    a.allocate(kTraces, kSamples);
    for (int k = 1; k <= kTraces; ++k) {
        float *row = a.row(k);
        for (int j = 1; j <= kSamples; ++j)
            row[j] = static_cast<float>((k * 7919 + j * 104729) % 20001 - 10000) * 0.1f;
    }
    return a;
}

// VmRSS / VmHWM of this process in kB.
long procStatusKb(const char *key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string k = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(k, 0) == 0)
            return std::strtol(line.c_str() + k.size(), nullptr, 10);
    return -1;
}

bool resetPeak()
{
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
    return static_cast<bool>(f);
}

// One load as the program does it: the reader, then (withCopy) the
// PlotData copy of RawData.
void readLoop(benchmark::State &state, bool withCopy)
{
    for (auto _ : state) {
        orv::Profile p;
        orv::SUReadInfo info;
        std::string error;
        if (!orv::ReadSUFile(g_file, p, info, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        if (withCopy) {
            orv::Array2D plot = p.RawData;
            benchmark::DoNotOptimize(plot.row(kTraces));
        }
        benchmark::DoNotOptimize(p.RawData.row(kTraces));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(g_file)));
}

void BM_ReadSU(benchmark::State &state) { readLoop(state, true); }

// The reader alone, without the PlotData copy.
void BM_ReadSUOnly(benchmark::State &state) { readLoop(state, false); }

void BM_FreadWholeFile(benchmark::State &state) { bench::FreadLoop(state, g_file); }

// A file of nothing but empty headers is walked to its end, in both byte
// orders, before it is refused as holding no trace.
void BM_RefuseEmptyHeaders(benchmark::State &state)
{
    for (auto _ : state) {
        orv::Profile p;
        orv::SUReadInfo info;
        std::string error;
        if (orv::ReadSUFile(g_empty, p, info, error) || error != "contains no trace") {
            state.SkipWithError("the file of empty headers was not refused as it should be");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kEmptyBytes));
}

void BM_WriteSU(benchmark::State &state)
{
    const orv::Array2D data = makeProfile();
    const std::string out = (g_dir / "written.su").string();
    for (auto _ : state) {
        std::string error;
        if (!orv::WriteSUFile(out, data, kTraces, kSamples, 1024.0f * 0.25f, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(out)));
}

// The same bytes written with one plain fwrite, flushed to the disk as the
// writer does (fsync), for comparison with WriteSUFile.
void BM_FwriteWholeFile(benchmark::State &state)
{
    bench::FwriteLoop(state, g_file, (g_dir / "fwrite.su").string());
}

BENCHMARK(BM_ReadSU)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_ReadSUOnly)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FreadWholeFile)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_RefuseEmptyHeaders)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_WriteSU)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FwriteWholeFile)->Unit(benchmark::kMillisecond)->MinTime(0.5);


} // namespace

int main(int argc, char **argv)
{
    g_dir = fs::temp_directory_path() / ("orvane_bench_su_" + std::to_string(::getpid()));
    fs::create_directories(g_dir);
    g_file = (g_dir / "profile.su").string();
    {
        const orv::Array2D data = makeProfile();
        std::string error;
        if (!orv::WriteSUFile(g_file, data, kTraces, kSamples, 1024.0f * 0.25f, error)) {
            std::fprintf(stderr, "cannot write the benchmark file: %s\n", error.c_str());
            return 1;
        }
    }

    g_empty = (g_dir / "empty.su").string();
    {
        std::error_code ec;
        std::ofstream(g_empty, std::ios::binary).put('\0');
        fs::resize_file(g_empty, kEmptyBytes, ec); // sparse where the file system can
        if (ec) {
            std::fprintf(stderr, "cannot write the file of empty headers: %s\n", ec.message().c_str());
            return 1;
        }
    }

    // Peak memory of one load (read plus the PlotData copy) from a fresh
    // state, before the timed runs touch the heap.
    const double arrayMb = double(kTraces + 1) * double(kSamples + 1) * 4.0 / (1024.0 * 1024.0);
    long baseKb = -1, peakKb = -1;
    if (resetPeak()) {
        baseKb = procStatusKb("VmRSS");
        orv::Profile p;
        orv::SUReadInfo info;
        std::string error;
        if (orv::ReadSUFile(g_file, p, info, error)) {
            orv::Array2D plot = p.RawData;
            benchmark::DoNotOptimize(plot.row(1));
        }
        peakKb = procStatusKb("VmHWM");
    }

    // On a machine shared with other work, one run of each benchmark after
    // the other lets a change of load fall on one side of the comparison:
    // unless told otherwise, each is repeated five times, the repetitions
    // interleaved at random, and the median is compared.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    if (argc == 1) {
        args.push_back(repetitions);
        args.push_back(interleaving);
    }
    int nargs = static_cast<int>(args.size());
    benchmark::Initialize(&nargs, args.data());
    bench::Recorder rec;
    benchmark::RunSpecifiedBenchmarks(&rec);

    std::printf("\nSU file: %d traces x %d samples, %.1f MB\n", kTraces, kSamples,
                double(fs::file_size(g_file)) / (1024.0 * 1024.0));
    const auto rd = rec.ms.find("BM_ReadSU");
    const auto ro = rec.ms.find("BM_ReadSUOnly");
    const auto fr = rec.ms.find("BM_FreadWholeFile");
    const auto wr = rec.ms.find("BM_WriteSU");
    if (ro != rec.ms.end() && fr != rec.ms.end())
        std::printf("read %.1f ms, fread into fresh memory %.1f ms: ratio %.2f (target <= 1.20)\n", ro->second,
                    fr->second, ro->second / fr->second);
    if (rd != rec.ms.end() && fr != rec.ms.end())
        std::printf("read + working copy %.1f ms: ratio %.2f to the fread\n", rd->second, rd->second / fr->second);
    if (const auto e = rec.ms.find("BM_RefuseEmptyHeaders"); e != rec.ms.end())
        std::printf("%.0f MB of empty trace headers walked and refused in %.1f ms (%.1f GB/s)\n",
                    double(kEmptyBytes) / (1024.0 * 1024.0), e->second, double(kEmptyBytes) / e->second / 1e6);
    const auto fw = rec.ms.find("BM_FwriteWholeFile");
    if (wr != rec.ms.end() && fw != rec.ms.end())
        std::printf("write %.1f ms (temporary file, fsync, rename), fwrite + fsync %.1f ms: ratio %.2f\n",
                    wr->second, fw->second, wr->second / fw->second);
    if (peakKb >= 0 && baseKb >= 0) {
        const double usedMb = double(peakKb - baseKb) / 1024.0;
        std::printf("peak memory of one load: %.1f MB above baseline; one sample array %.1f MB, "
                    "2 arrays + 1 copy %.1f MB (%.2f arrays used)\n",
                    usedMb, arrayMb, 3 * arrayMb, usedMb / arrayMb);
    } else {
        std::printf("peak memory: /proc/self/clear_refs not available\n");
    }

    std::error_code ec;
    fs::remove_all(g_dir, ec);
    benchmark::Shutdown();
    return 0;
}

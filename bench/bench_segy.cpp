// SEG-Y reading and writing against a plain fread / fwrite + fsync of the same bytes.
//
// Two 10,000 x 1,024 big-endian files (about 41 MB each) are written once into a temporary
// folder: IEEE singles (format 5) by the program's writer, and the same samples as IBM floats
// (format 1). Timed: ReadSEGYFile of each (the reader alone: its arrays come fresh from the
// allocator, as the fread's buffer does in bench::FreadLoop), one fread of the IEEE file into
// fresh memory, WriteSEGYFile (temporary file, fsync, rename) and one fwrite + fsync of the
// same bytes. Printed at the end: each ratio next to its target (medians of five interleaved
// repetitions unless the command line says otherwise).
#include "bench_common.h"
#include "formats/segy.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kTraces = 10000;
constexpr int kSamples = 1024;

fs::path g_dir;
std::string g_ieee, g_ibm;

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

// The IBM float nearest below |v| in magnitude (truncated), v finite.
uint32_t toIbm(float v)
{
    if (v == 0)
        return 0;
    int e2 = 0;
    const double m = std::frexp(std::fabs(double(v)), &e2); // |v| = m 2^e2, m in [0.5, 1)
    const int e16 = (e2 + 3) >> 2;                           // ceil(e2 / 4)
    const auto frac = static_cast<uint32_t>(std::ldexp(m, 24 + e2 - 4 * e16));
    return (v < 0 ? 0x80000000u : 0) | uint32_t(e16 + 64) << 24 | frac;
}

void readLoop(benchmark::State &state, const std::string &file)
{
    for (auto _ : state) {
        orv::Profile p;
        orv::SEGYReadInfo info;
        std::string error;
        if (!orv::ReadSEGYFile(file, p, info, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(p.RawData.row(kTraces));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(file)));
}

void BM_ReadSEGYIEEE(benchmark::State &state) { readLoop(state, g_ieee); }
void BM_ReadSEGYIBM(benchmark::State &state) { readLoop(state, g_ibm); }
void BM_FreadWholeFile(benchmark::State &state) { bench::FreadLoop(state, g_ieee); }

void BM_WriteSEGY(benchmark::State &state)
{
    const orv::Array2D data = makeProfile();
    const std::string out = (g_dir / "written.sgy").string();
    for (auto _ : state) {
        std::string error;
        if (!orv::WriteSEGYFile(out, data, kTraces, kSamples, 1024.0f * 0.25f, {}, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(out)));
}

void BM_FwriteWholeFile(benchmark::State &state) { bench::FwriteLoop(state, g_ieee, (g_dir / "fwrite.sgy").string()); }

BENCHMARK(BM_ReadSEGYIEEE)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_ReadSEGYIBM)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FreadWholeFile)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_WriteSEGY)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FwriteWholeFile)->Unit(benchmark::kMillisecond)->MinTime(0.5);

} // namespace

int main(int argc, char **argv)
{
    g_dir = fs::temp_directory_path() / ("orvane_bench_segy_" + std::to_string(::getpid()));
    fs::create_directories(g_dir);
    g_ieee = (g_dir / "ieee.sgy").string();
    g_ibm = (g_dir / "ibm.sgy").string();
    {
        const orv::Array2D data = makeProfile();
        std::string error;
        if (!orv::WriteSEGYFile(g_ieee, data, kTraces, kSamples, 1024.0f * 0.25f, {}, error)) {
            std::fprintf(stderr, "cannot write the benchmark file: %s\n", error.c_str());
            return 1;
        }
        // The same file with its samples as IBM floats.
        std::vector<unsigned char> b = bench::FileBytes(g_ieee);
        b[3225] = 1;
        for (int k = 0; k < kTraces; ++k)
            for (int j = 0; j < kSamples; ++j) {
                const uint32_t v = toIbm(data(k + 1, j + 1));
                unsigned char *p = b.data() + 3600 + size_t(k) * (240 + 4 * kSamples) + 240 + 4 * size_t(j);
                p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
            }
        std::FILE *f = std::fopen(g_ibm.c_str(), "wb");
        if (!f || std::fwrite(b.data(), 1, b.size(), f) != b.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "cannot write the IBM benchmark file\n");
            return 1;
        }
    }

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

    std::printf("\nSEG-Y file: %d traces x %d samples, %.1f MB\n", kTraces, kSamples,
                double(fs::file_size(g_ieee)) / (1024.0 * 1024.0));
    const double fr = rec.get("BM_FreadWholeFile"), fw = rec.get("BM_FwriteWholeFile");
    if (const double r = rec.get("BM_ReadSEGYIEEE"); r > 0 && fr > 0)
        std::printf("read IEEE %.1f ms, fread into fresh memory %.1f ms: ratio %.2f (target <= 1.50)\n", r, fr, r / fr);
    if (const double r = rec.get("BM_ReadSEGYIBM"); r > 0 && fr > 0)
        std::printf("read IBM %.1f ms: ratio %.2f to the fread (target <= 2.00)\n", r, r / fr);
    if (const double w = rec.get("BM_WriteSEGY"); w > 0 && fw > 0)
        std::printf("write %.1f ms (temporary file, fsync, rename), fwrite + fsync %.1f ms: ratio %.2f (target <= 1.50)\n",
                    w, fw, w / fw);

    std::error_code ec;
    fs::remove_all(g_dir, ec);
    benchmark::Shutdown();
    return 0;
}

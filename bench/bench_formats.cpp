// Text, RD3, DT1, DZT and RD7 profiles read and written, each against a
// plain fread or fwrite of the same bytes timed in the same run.
//
// A profile of 10,000 traces x 1,024 samples is written once into a
// temporary directory in each format: as text (about 70 MB, written by
// WriteAsciiFile), as an RD3/RAD pair (WriteRD3File) and as a DT1/HD pair
// (built here: 128-byte trace headers and 16-bit samples), as one-channel
// DZT files of 16- and 32-bit samples (built here) and as an RD7/RAD pair
// (WriteRD7File). Timed: each
// reader, each writer, and one fread / fwrite + fsync of each data file.
// Printed at the end: every format's time against its plain baseline, and
// the peak memory of one load of each format.
#include "bench_common.h"
#include "core/bigalloc.h"
#include "formats/ascii.h"
#include "formats/dt1.h"
#include "formats/dzt.h"
#include "formats/rd3.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kTraces = 10000;
constexpr int kSamples = 1024;
constexpr float kTotalTime = 256;

fs::path g_dir;
std::string g_ascii, g_rd3, g_dt1, g_dzt16, g_dzt32, g_rd7;

// Amplitudes with one decimal, as a processed profile has them (text); the
// radar formats get whole numbers in the 16-bit range.
orv::Array2D makeProfile(bool whole)
{
    orv::Array2D a;
    a.allocate(kTraces, kSamples);
    for (int k = 1; k <= kTraces; ++k) {
        float *row = a.row(k);
        for (int j = 1; j <= kSamples; ++j) {
            const int v = (k * 7919 + j * 104729) % 20001 - 10000;
            row[j] = whole ? static_cast<float>(v * 3) : static_cast<float>(v) * 0.1f;
        }
    }
    return a;
}


// Writes the DT1/HD pair of a profile of whole numbers.
bool writeDT1Pair(const std::string &dt1, const orv::Array2D &a)
{
    std::ofstream hd(dt1.substr(0, dt1.size() - 3) + "hd", std::ios::binary);
    hd << "1234\r\nData Collected with a benchmark\r\n2024-06-01\r\n"
       << "NUMBER OF TRACES   = " << kTraces << "\r\n"
       << "NUMBER OF PTS/TRC  = " << kSamples << "\r\n"
       << "TIMEZERO AT POINT  = 0\r\n"
       << "TOTAL TIME WINDOW  = " << kTotalTime << "\r\n"
       << "STARTING POSITION  = 0.0000\r\nSTEP SIZE USED     = 0.5\r\n";
    std::vector<unsigned char> b;
    b.reserve(size_t(kTraces) * (128 + 2 * kSamples));
    for (int k = 1; k <= kTraces; ++k) {
        b.resize(b.size() + 128, 0);
        for (int j = 1; j <= kSamples; ++j) {
            const auto v = static_cast<uint16_t>(static_cast<int16_t>(a(k, j)));
            b.push_back(static_cast<unsigned char>(v & 0xff));
            b.push_back(static_cast<unsigned char>(v >> 8));
        }
    }
    std::ofstream out(dt1, std::ios::binary);
    out.write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
    return static_cast<bool>(out) && static_cast<bool>(hd);
}

// A one-channel DZT file of the profile: a 1024-byte header, then the
// scans, 16-bit ones unsigned.
bool writeDZT(const std::string &path, const orv::Array2D &a, int bits)
{
    std::vector<unsigned char> b(1024, 0);
    const auto put16 = [&](size_t at, unsigned v) { b[at] = static_cast<unsigned char>(v), b[at + 1] = static_cast<unsigned char>(v >> 8); };
    put16(2, 1), put16(4, kSamples), put16(6, static_cast<unsigned>(bits)), put16(52, 1);
    std::memcpy(b.data() + 26, &kTotalTime, 4);
    const size_t w = static_cast<size_t>(bits / 8);
    b.reserve(b.size() + size_t(kTraces) * kSamples * w);
    for (int k = 1; k <= kTraces; ++k)
        for (int j = 1; j <= kSamples; ++j) {
            const auto v = static_cast<uint32_t>(static_cast<int32_t>(a(k, j)) + (bits == 16 ? 32768 : 0));
            for (size_t i = 0; i < w; ++i)
                b.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
    return static_cast<bool>(out);
}

// The radar readers' baseline with their memory: one fread of the whole
// file into a fresh block of the size of the amplitude array a reader fills
// (from the same allocator), every page of it written, as the reader writes
// every page of its array. Only the widening of the samples is left out.
void FreadIntoArrayLoop(benchmark::State &state, const std::string &file)
{
    const size_t size = static_cast<size_t>(fs::file_size(file));
    const size_t floats = size_t(kTraces + 1) * size_t(kSamples + 1);
    for (auto _ : state) {
        float *buf = orv::allocFloats(floats, true);
        std::FILE *f = buf ? std::fopen(file.c_str(), "rb") : nullptr;
        if (!f) {
            orv::freeFloats(buf, floats);
            state.SkipWithError("cannot open the benchmark file");
            return;
        }
        const size_t got = std::fread(buf, 1, size, f);
        std::fclose(f);
        for (size_t i = (size + sizeof(float) - 1) / sizeof(float); i < floats; i += 1024)
            buf[i] = 1;
        benchmark::DoNotOptimize(buf);
        orv::freeFloats(buf, floats);
        if (got != size) {
            state.SkipWithError("short fread");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

template <typename Read>
void readLoop(benchmark::State &state, const std::string &file, Read read)
{
    for (auto _ : state) {
        orv::Profile p;
        std::string error;
        if (!read(p, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(p.RawData.row(kTraces));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(file)));
}

// The writer's whole save of data to a file of the scratch folder, again and again.
template <typename Write>
void writeLoop(benchmark::State &state, const char *name, orv::Array2D data, Write write)
{
    const std::string out = (g_dir / name).string();
    for (auto _ : state) {
        std::string error;
        if (!write(out, data, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(out)));
}

void BM_ReadAscii(benchmark::State &state)
{
    readLoop(state, g_ascii, [](orv::Profile &p, std::string &error) {
        return orv::ReadAsciiFile(g_ascii, kTraces, kSamples, kTotalTime, p, error);
    });
}
void BM_FreadAscii(benchmark::State &state) { bench::FreadLoop(state, g_ascii); }

void BM_WriteAscii(benchmark::State &state)
{
    writeLoop(state, "written.dat", makeProfile(false), [](const std::string &out, orv::Array2D &data, std::string &error) {
        return orv::WriteAsciiFile(out, data, kTraces, kSamples, error);
    });
}
void BM_FwriteAscii(benchmark::State &state)
{
    bench::FwriteLoop(state, g_ascii, (g_dir / "fwrite.out").string());
}

void BM_ReadRD3(benchmark::State &state)
{
    readLoop(state, g_rd3, [](orv::Profile &p, std::string &error) {
        std::string notice;
        return orv::ReadRD3File(g_rd3, p, notice, error);
    });
}
void BM_FreadRD3(benchmark::State &state) { bench::FreadLoop(state, g_rd3); }
void BM_FreadRD3IntoArray(benchmark::State &state) { FreadIntoArrayLoop(state, g_rd3); }

void BM_WriteRD3(benchmark::State &state)
{
    writeLoop(state, "written.rd3", makeProfile(true), [](const std::string &out, orv::Array2D &data, std::string &error) {
        return orv::WriteRD3File(out, data, kTraces, kSamples, error);
    });
}
void BM_FwriteRD3(benchmark::State &state)
{
    bench::FwriteLoop(state, g_rd3, (g_dir / "fwrite.out").string());
}

void BM_ReadDT1(benchmark::State &state)
{
    readLoop(state, g_dt1, [](orv::Profile &p, std::string &error) {
        std::string notice;
        return orv::ReadDT1File(g_dt1, p, notice, error);
    });
}
void BM_FreadDT1(benchmark::State &state) { bench::FreadLoop(state, g_dt1); }
void BM_FreadDT1IntoArray(benchmark::State &state) { FreadIntoArrayLoop(state, g_dt1); }

void BM_ReadDZT16(benchmark::State &state)
{
    readLoop(state, g_dzt16, [](orv::Profile &p, std::string &error) {
        std::string notice;
        return orv::ReadDZTFile(g_dzt16, 1, p, notice, error);
    });
}
void BM_FreadDZT16IntoArray(benchmark::State &state) { FreadIntoArrayLoop(state, g_dzt16); }
void BM_ReadDZT32(benchmark::State &state)
{
    readLoop(state, g_dzt32, [](orv::Profile &p, std::string &error) {
        std::string notice;
        return orv::ReadDZTFile(g_dzt32, 1, p, notice, error);
    });
}
void BM_FreadDZT32IntoArray(benchmark::State &state) { FreadIntoArrayLoop(state, g_dzt32); }

void BM_ReadRD7(benchmark::State &state)
{
    readLoop(state, g_rd7, [](orv::Profile &p, std::string &error) {
        std::string notice;
        return orv::ReadRD7File(g_rd7, p, notice, error);
    });
}
void BM_FreadRD7IntoArray(benchmark::State &state) { FreadIntoArrayLoop(state, g_rd7); }
void BM_WriteRD7(benchmark::State &state)
{
    writeLoop(state, "written.rd7", makeProfile(true), [](const std::string &out, orv::Array2D &data, std::string &error) {
        return orv::WriteRD7File(out, data, kTraces, kSamples, error);
    });
}
void BM_FwriteRD7(benchmark::State &state) { bench::FwriteLoop(state, g_rd7, (g_dir / "fwrite.out").string()); }

BENCHMARK(BM_ReadAscii)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadAscii)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WriteAscii)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FwriteAscii)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadRD3)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadRD3)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadRD3IntoArray)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WriteRD3)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FwriteRD3)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadDT1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadDT1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadDT1IntoArray)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadDZT16)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadDZT16IntoArray)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadDZT32)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadDZT32IntoArray)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadRD7)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FreadRD7IntoArray)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WriteRD7)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FwriteRD7)->Unit(benchmark::kMillisecond)->MinTime(1.0);


// Peak memory of one load as the program does it (the staging profile and
// its working copy), in a child process so that nothing else this program
// holds is counted: the growth of the child's peak resident size, in sample
// arrays of kTraces x kSamples floats.
double LoadPeakArrays(const std::function<bool(orv::Profile &, std::string &)> &read)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        orv::Profile p;
        std::string error;
        if (!read(p, error))
            ::_exit(1);
        orv::Array2D plot = p.RawData;
        benchmark::DoNotOptimize(plot.row(1));
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const double arrays = double(after.ru_maxrss - before.ru_maxrss) * 1024.0
            / (double(kTraces + 1) * double(kSamples + 1) * sizeof(float));
        // The figure goes back as the exit status, in tenths of an array.
        ::_exit(static_cast<int>(std::min(250.0, std::max(0.0, arrays * 10.0 + 0.5))));
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status) / 10.0;
}

} // namespace

int main(int argc, char **argv)
{
    g_dir = fs::temp_directory_path() / ("orvane_bench_formats_" + std::to_string(::getpid()));
    fs::create_directories(g_dir);
    g_ascii = (g_dir / "profile.dat").string();
    g_rd3 = (g_dir / "profile.rd3").string();
    g_dt1 = (g_dir / "profile.dt1").string();
    g_dzt16 = (g_dir / "profile16.dzt").string();
    g_dzt32 = (g_dir / "profile32.dzt").string();
    g_rd7 = (g_dir / "profile.rd7").string();
    {
        std::string error;
        if (!orv::WriteAsciiFile(g_ascii, makeProfile(false), kTraces, kSamples, error)) {
            std::fprintf(stderr, "cannot write the text file: %s\n", error.c_str());
            return 1;
        }
        orv::Array2D whole = makeProfile(true);
        if (!orv::WriteRD3File(g_rd3, whole, kTraces, kSamples, error)) {
            std::fprintf(stderr, "cannot write the RD3 file: %s\n", error.c_str());
            return 1;
        }
        if (!writeDT1Pair(g_dt1, whole)) {
            std::fprintf(stderr, "cannot write the DT1 file\n");
            return 1;
        }
        if (!writeDZT(g_dzt16, whole, 16) || !writeDZT(g_dzt32, whole, 32)
            || !orv::WriteRD7File(g_rd7, whole, kTraces, kSamples, error)) {
            std::fprintf(stderr, "cannot write the DZT or RD7 files: %s\n", error.c_str());
            return 1;
        }
    }

    benchmark::Initialize(&argc, argv);
    bench::Recorder rec;
    benchmark::RunSpecifiedBenchmarks(&rec);

    std::printf("\n%d traces x %d samples; text %.1f MB, RD3 %.1f MB, DT1 %.1f MB\n", kTraces, kSamples,
                double(fs::file_size(g_ascii)) / 1e6, double(fs::file_size(g_rd3)) / 1e6,
                double(fs::file_size(g_dt1)) / 1e6);
    std::printf("%-12s %10s %12s %7s %s\n", "", "ms", "plain ms", "ratio", "target");
    const struct { const char *what, *timed, *plain, *target; } rows[] = {
        {"text read", "BM_ReadAscii", "BM_FreadAscii", "< 1000 ms"},
        {"text write", "BM_WriteAscii", "BM_FwriteAscii", "< 1000 ms"},
        {"RD3 read", "BM_ReadRD3", "BM_FreadRD3", "ratio < 2"},
        {"  (array)", "BM_ReadRD3", "BM_FreadRD3IntoArray", "ratio < 1.5"},
        {"RD3 write", "BM_WriteRD3", "BM_FwriteRD3", "ratio < 1.5"},
        {"DT1 read", "BM_ReadDT1", "BM_FreadDT1", "ratio < 2"},
        {"  (array)", "BM_ReadDT1", "BM_FreadDT1IntoArray", "ratio < 1.5"},
        {"DZT16 read", "BM_ReadDZT16", "BM_FreadDZT16IntoArray", "ratio < 1.5"},
        {"DZT32 read", "BM_ReadDZT32", "BM_FreadDZT32IntoArray", "ratio < 1.5"},
        {"RD7 read", "BM_ReadRD7", "BM_FreadRD7IntoArray", "ratio < 1.5"},
        {"RD7 write", "BM_WriteRD7", "BM_FwriteRD7", "ratio < 1.5"},
    };
    for (const auto &r : rows) {
        const auto t = rec.ms.find(r.timed);
        const auto p = rec.ms.find(r.plain);
        if (t == rec.ms.end() || p == rec.ms.end())
            continue;
        std::printf("%-12s %10.1f %12.1f %7.2f %s\n", r.what, t->second, p->second, t->second / p->second,
                    r.target);
    }

    std::printf("\npeak memory of one load (read + working copy), in sample arrays (target <= 3):\n");
    const struct { const char *what; std::function<bool(orv::Profile &, std::string &)> read; } loads[] = {
        {"text", [](orv::Profile &p, std::string &e) { return orv::ReadAsciiFile(g_ascii, kTraces, kSamples, kTotalTime, p, e); }},
        {"RD3", [](orv::Profile &p, std::string &e) { std::string n; return orv::ReadRD3File(g_rd3, p, n, e); }},
        {"DT1", [](orv::Profile &p, std::string &e) { std::string n; return orv::ReadDT1File(g_dt1, p, n, e); }},
        {"DZT32", [](orv::Profile &p, std::string &e) { std::string n; return orv::ReadDZTFile(g_dzt32, 1, p, n, e); }},
        {"RD7", [](orv::Profile &p, std::string &e) { std::string n; return orv::ReadRD7File(g_rd7, p, n, e); }},
    };
    for (const auto &l : loads)
        std::printf("%-12s %6.1f\n", l.what, LoadPeakArrays(l.read));

    std::error_code ec;
    fs::remove_all(g_dir, ec);
    benchmark::Shutdown();
    return 0;
}

#pragma once
// What the benchmark programs share: a reporter that keeps each benchmark's
// mean time for the closing table, and the plain read and write baselines the
// readers and writers are measured against.

#include "core/bigalloc.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace bench {

// Keeps the mean real time of each benchmark, in milliseconds, whatever
// unit it reports in; run with repetitions, the median of the repetitions'
// means.
class Recorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0) {
                std::vector<double> &all = runs_[r.run_name.function_name];
                all.push_back(r.real_accumulated_time / double(r.iterations) * 1e3);
                std::vector<double> sorted = all;
                std::sort(sorted.begin(), sorted.end());
                const size_t n = sorted.size();
                ms[r.run_name.function_name] = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms;

    // The mean of one benchmark in milliseconds, or -1 when it did not run.
    double get(const std::string &name) const
    {
        const auto it = ms.find(name);
        return it == ms.end() ? -1.0 : it->second;
    }

private:
    std::map<std::string, std::vector<double>> runs_;
};

inline std::vector<unsigned char> FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// One fread of the whole file into a fresh buffer, taken from the allocator
// the readers' amplitude arrays come from, so both pay the same for fresh
// memory (malloc would hand back the pages of the previous round, already
// faulted in).
inline void FreadLoop(benchmark::State &state, const std::string &file)
{
    const size_t size = static_cast<size_t>(std::filesystem::file_size(file));
    const size_t floats = (size + sizeof(float) - 1) / sizeof(float);
    for (auto _ : state) {
        float *buf = orv::allocFloats(floats, false);
        std::FILE *f = buf ? std::fopen(file.c_str(), "rb") : nullptr;
        if (!f) {
            orv::freeFloats(buf, floats);
            state.SkipWithError("cannot open the benchmark file");
            return;
        }
        const size_t got = std::fread(buf, 1, size, f);
        std::fclose(f);
        benchmark::DoNotOptimize(buf);
        orv::freeFloats(buf, floats);
        if (got != size) {
            state.SkipWithError("short fread");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

// The bytes of `file` written to `out` with one fwrite and flushed to the
// disk (fsync), as the writers do through their temporary file.
inline void FwriteLoop(benchmark::State &state, const std::string &file, const std::string &out)
{
    const std::vector<unsigned char> buf = FileBytes(file);
    for (auto _ : state) {
        std::FILE *f = std::fopen(out.c_str(), "wb");
        if (!f || std::fwrite(buf.data(), 1, buf.size(), f) != buf.size() || std::fflush(f) != 0
            || ::fsync(fileno(f)) != 0) {
            state.SkipWithError("plain fwrite failed");
            if (f)
                std::fclose(f);
            return;
        }
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(buf.size()));
}

} // namespace bench

// The batch program on a survey: 100 synthetic lines of 1,000 traces x 1,024
// samples as Pulse Ekko pairs, each read, picked by cross-correlation (a
// 50-sample key window, 300 lag starts), aligned and written as Seismic
// Unix, on one thread and on two. Printed: the median time of each (the
// whole run, the final flush to the disk included) against its target of
// 10 s, files per second, the speed-up of -j 2 against its target of 1.7,
// and the share of the work spent reading, picking (All Profile included),
// aligning and writing.
//
// The survey is run twice: in a memory file system (/dev/shm), where the
// figures are the program's own, and in the temporary folder on the disk,
// where the 400 MB written must also reach the disk. That last flush runs at
// the disk's speed whatever the number of threads, so it is printed apart,
// and so is the time the same files take to write with nothing else done:
// the floor the folder sets for any thread count.
//
// Usage: bench_batch [lines [traces [samples [folder]]]]
//   a folder given runs the survey there only.
#include "batch/runner.h"
#include "core/savefile.h"
#include "support/survey.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The floor the folder sets: `files` files of `bytes` each written as the
// batch program writes its outputs (whole, by a rename, flushed to the disk
// by a FolderFlusher) and nothing else done; the median of five runs, and of
// their final flushes.
void WriteOnly(const fs::path &dir, int files, size_t bytes, double &seconds, double &flush)
{
    const std::vector<char> block(bytes, '\x5a');
    std::vector<double> all, flushes;
    orv::DeferFileSyncs(true);
    for (int r = 0; r < 5; ++r) {
        const fs::path out = dir / ("bare" + std::to_string(r));
        fs::create_directories(out);
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        orv::FolderFlusher flusher(out.string());
        for (int i = 0; i < files; ++i) {
            orv::SaveFile f;
            if (!f.open((out / ("LINE" + std::to_string(i) + ".su")).string(), error) ||
                !f.write(block.data(), block.size(), error) || !f.commit(error))
                std::fprintf(stderr, "writing in %s: %s\n", out.c_str(), error.c_str());
            flusher.wrote();
        }
        const auto written = std::chrono::steady_clock::now();
        flusher.finish(error);
        const auto end = std::chrono::steady_clock::now();
        all.push_back(std::chrono::duration<double>(end - start).count());
        flushes.push_back(std::chrono::duration<double>(end - written).count());
        fs::remove_all(out);
    }
    orv::DeferFileSyncs(false);
    seconds = Median(all);
    flush = Median(flushes);
}

// Runs the survey in `root` and prints its figures; false when a run failed.
bool Survey(const fs::path &root, const char *where, int lines, int traces, int samples)
{
    const fs::path dir = root / ("orvane_bench_batch_" + std::to_string(::getpid()));
    fs::create_directories(dir / "in");

    std::vector<std::string> inputs;
    for (int i = 0; i < lines; ++i) {
        const orv::Array2D a = orv::test::AirWaveProfile(traces, samples, static_cast<unsigned>(i));
        char stem[32];
        std::snprintf(stem, sizeof stem, "LINE%03d", i);
        inputs.push_back(orv::test::WriteDT1Pair((dir / "in").string(), stem, a, 100));
    }

    orv::batch::Options o;
    o.inputs = inputs;
    o.picks = orv::batch::PicksSource::Auto;
    const int window[4] = {15, 64, 1, 349}; // key 15..64, lags 1..300
    std::copy(window, window + 4, o.autoWindow);
    o.align = true;
    o.formats = {orv::batch::OutputFormat::SU};

    // A run on two threads first, not counted, so that no measured run pays
    // for the first touch of the inputs; then -j 1 and -j 2 in turn, five
    // times each, and the run of median time of each is reported (the final
    // flush to the disk makes single runs vary).
    std::FILE *quiet = std::fopen("/dev/null", "w");
    std::vector<orv::batch::RunTotals> runs[2];
    constexpr int Rounds = 5;
    for (int r = 0; r <= 2 * Rounds; ++r) {
        const int j = r == 0 || r % 2 == 0 ? 2 : 1;
        orv::batch::RunTotals run;
        o.jobs = static_cast<unsigned>(j);
        o.outDir = (dir / ("out" + std::to_string(r))).string();
        const int status = orv::batch::RunBatch(o, quiet ? quiet : stderr, false, &run);
        if (status != 0 || run.failed) {
            std::fprintf(stderr, "the batch run with -j %d in %s failed\n", j, root.c_str());
            fs::remove_all(dir);
            return false;
        }
        fs::remove_all(o.outDir); // the next run writes fresh files, as this one did
        if (r > 0)
            runs[j - 1].push_back(run);
    }
    if (quiet)
        std::fclose(quiet);
    double bare = 0, bareFlush = 0;
    WriteOnly(dir, lines, static_cast<size_t>(traces) * (240 + 4 * static_cast<size_t>(samples)), bare, bareFlush);
    fs::remove_all(dir);

    orv::batch::RunTotals t[2];
    for (int j = 0; j < 2; ++j) {
        std::sort(runs[j].begin(), runs[j].end(),
                  [](const orv::batch::RunTotals &a, const orv::batch::RunTotals &b) { return a.seconds < b.seconds; });
        t[j] = runs[j][runs[j].size() / 2];
    }
    std::printf("in %s (%s):\n", root.c_str(), where);
    for (int j = 1; j <= 2; ++j) {
        const orv::batch::RunTotals &r = t[j - 1];
        const double work = r.read + r.pick + r.align + r.write;
        std::printf("  -j %d: %5.2f s (target < 10 s) %s %6.1f files/s  read %2.0f%%, pick %2.0f%%, align %2.0f%%, "
                    "write %2.0f%%; the final flush %.2f s\n",
                    j, r.seconds, r.seconds < 10 ? "ok  " : "OVER", r.files / r.seconds, 100 * r.read / work,
                    100 * r.pick / work, 100 * r.align / work, 100 * r.write / work, r.flush);
    }
    const double speedup = t[0].seconds / t[1].seconds;
    std::printf("  -j 2 against -j 1: %.2fx (target >= 1.7) %s\n", speedup, speedup >= 1.7 ? "ok" : "UNDER");
    const double before1 = t[0].seconds - t[0].flush, before2 = t[1].seconds - t[1].flush;
    std::printf("  up to the last file written, before the flush: -j 1 %.2f s, -j 2 %.2f s, %.2fx\n", before1,
                before2, before1 / before2);
    std::printf("  the same %d SU files only written, nothing read or computed: %.2f s (the final flush %.2f s)\n",
                lines, bare, bareFlush);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100;
    const int traces = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int samples = argc > 3 ? std::atoi(argv[3]) : 1024;
    std::printf("%d DT1 lines of %d traces x %d samples: read, --auto 15 64 1 349 (50-sample key, 300 lag "
                "starts), --align, write SU\n",
                lines, traces, samples);
    if (argc > 4)
        return Survey(argv[4], "the folder given", lines, traces, samples) ? 0 : 1;
    bool ok = true;
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec))
        ok = Survey("/dev/shm", "memory: the program's own speed", lines, traces, samples) && ok;
    ok = Survey(fs::temp_directory_path(), "the disk: the flush waits for the disk", lines, traces, samples) && ok;
    return ok ? 0 : 1;
}

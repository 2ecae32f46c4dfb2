#include "batch/runner.h"

#include "app/profile_formats.h"
#include "core/bigalloc.h"
#include "core/savefile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace orv::batch {

namespace {

std::string join(const std::string &dir, const std::string &name)
{
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// Every file an input consists of: the data file and, for the formats kept
// as pairs, its header.
std::vector<std::string> filesOfInput(const std::string &in)
{
    std::vector<std::string> files{in};
    const NamedFormat f = FormatOfName(in);
    std::string data, error;
    if (DataFileOf(in, f, data, error))
        files.push_back(data);
    return files;
}

} // namespace

std::vector<Plan> MakePlans(const Options &o, std::vector<std::string> &clash)
{
    std::vector<Plan> plans;
    clash.assign(o.inputs.size(), {});
    std::map<std::string, std::string> taken; // output name -> the input it is written for
    for (size_t i = 0; i < o.inputs.size(); ++i) {
        Plan p;
        p.input = o.inputs[i];
        const std::string stem = StemOf(p.input);
        for (OutputFormat f : o.formats)
            p.profiles.emplace_back(f, join(o.outDir, stem + "." + OutputExtension(f)));
        if (o.savePicks)
            p.picksOut = join(o.outDir, stem + ".picks.dat");
        if (o.savePicksCsv)
            p.picksCsvOut = join(o.outDir, stem + ".picks.csv");
        if (o.picks == PicksSource::File)
            p.picksIn = PicksFileFor(o.picksPattern, p.input);
        const std::vector<std::string> names = OutputFiles(p);
        for (const std::string &n : names) {
            const auto it = taken.find(n);
            if (it != taken.end() && clash[i].empty())
                clash[i] = "its output " + n + " is written for " + it->second
                    + " already (inputs of the same name need different --out folders)";
        }
        if (clash[i].empty())
            for (const std::string &n : names)
                taken.emplace(n, p.input);
        plans.push_back(std::move(p));
    }
    return plans;
}

int RunBatch(const Options &o, std::FILE *err, bool terminal, RunTotals *totals)
{
    const auto start = std::chrono::steady_clock::now();
    // One file after another: the arrays of one are handed to the next.
    RecycleArrayMemory();
    std::vector<std::string> clash;
    const std::vector<Plan> plans = MakePlans(o, clash);

    std::error_code ec;
    std::filesystem::create_directories(o.outDir, ec);
    if (ec || !std::filesystem::is_directory(o.outDir, ec)) {
        std::fprintf(err, "orvane-batch: the folder %s cannot be made: %s\n", o.outDir.c_str(),
                     ec ? ec.message().c_str() : "a file of that name is in the way");
        if (totals) {
            totals->files = static_cast<int>(plans.size());
            totals->failed = totals->files;
        }
        return 1;
    }

    Protected inputs;
    for (const Plan &p : plans) {
        std::vector<std::string> files = filesOfInput(p.input);
        if (!p.picksIn.empty())
            files.push_back(p.picksIn);
        for (const std::string &f : files) {
            FileId id;
            if (IdOf(f, id))
                inputs.insert(id);
        }
    }

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned threads = std::clamp<unsigned>(o.jobs ? o.jobs : cores, 1, static_cast<unsigned>(plans.size()));
    // With several files at once each picks on one thread; a single file
    // takes every core for its picking.
    const unsigned pickingThreads = threads > 1 || o.jobs == 1 ? 1 : 0;

    std::vector<Outcome> outcomes(plans.size());
    std::atomic<size_t> next{0};
    std::mutex out;
    int done = 0;
    auto report = [&](size_t i) {
        const std::lock_guard<std::mutex> lock(out);
        ++done;
        const Outcome &r = outcomes[i];
        if (terminal)
            std::fputs("\r\033[K", err);
        if (r.ok) {
            std::string names;
            for (const std::string &w : r.written)
                names += (names.empty() ? "" : ", ") + w.substr(w.find_last_of('/') + 1);
            std::fprintf(err, "%s: %d traces -> %s\n", plans[i].input.c_str(), r.traces, names.c_str());
        } else
            std::fprintf(err, "%s: FAILED: %s\n", plans[i].input.c_str(), r.reason.c_str());
        if (terminal) {
            constexpr int Width = 30;
            const int filled = static_cast<int>(Width * static_cast<long>(done) / static_cast<long>(plans.size()));
            std::fprintf(err, "[%s%s] %d/%zu files", std::string(static_cast<size_t>(filled), '#').c_str(),
                         std::string(static_cast<size_t>(Width - filled), ' ').c_str(), done, plans.size());
        }
        std::fflush(err);
    };
    FolderFlusher flusher(o.outDir);
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < plans.size();) {
            if (!clash[i].empty()) {
                outcomes[i].reason = clash[i];
            } else {
                try {
                    outcomes[i] = ProcessFile(o, plans[i], inputs, pickingThreads);
                } catch (const std::exception &e) { // out of memory, say: this file fails, the others go on
                    outcomes[i] = Outcome{};
                    outcomes[i].reason = std::string("cannot be processed: ") + e.what();
                }
            }
            if (outcomes[i].ok)
                flusher.wrote();
            report(i);
        }
    };
    // The files are made durable by the flusher, beside the work, instead
    // of each writer waiting for the disk.
    struct Deferred {
        Deferred() { DeferFileSyncs(true); }
        ~Deferred() { DeferFileSyncs(false); }
    } deferred;
    std::vector<std::thread> pool;
    for (unsigned k = 1; k < threads; ++k) {
        try {
            pool.emplace_back(work);
        } catch (const std::exception &) {
            break; // fewer threads, same results
        }
    }
    work();
    for (std::thread &t : pool)
        t.join();
    std::string syncError;
    const auto flushStart = std::chrono::steady_clock::now();
    const bool synced = flusher.finish(syncError);
    const double flush = std::chrono::duration<double>(std::chrono::steady_clock::now() - flushStart).count();

    RunTotals sum;
    sum.files = static_cast<int>(plans.size());
    sum.flush = flush;
    for (const Outcome &r : outcomes) {
        sum.failed += !r.ok;
        if (r.ok)
            sum.traces += r.traces;
        sum.read += r.read;
        sum.pick += r.pick;
        sum.align += r.align;
        sum.write += r.write;
    }
    sum.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (terminal)
        std::fputs("\r\033[K", err);
    std::fprintf(err, "%d files (%d done, %d failed), %lld traces, %.2f s\n", sum.files, sum.files - sum.failed,
                 sum.failed, sum.traces, sum.seconds);
    if (!synced)
        std::fprintf(err, "orvane-batch: the files written to %s may not all be on the disk: %s\n",
                     o.outDir.c_str(), syncError.c_str());
    if (totals)
        *totals = sum;
    return sum.failed || !synced ? 1 : 0;
}

int BatchMain(const std::vector<std::string> &args, const char *version)
{
    const Parsed p = ParseArgs(args);
    switch (p.kind) {
    case Parsed::Help:
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    case Parsed::Version:
        std::printf("orvane-batch %s\n", version);
        return 0;
    case Parsed::Error:
        std::fprintf(stderr, "orvane-batch: %s\nTry 'orvane-batch --help' for more information.\n", p.error.c_str());
        return 2;
    case Parsed::Run:
        break;
    }
    return RunBatch(p.options, stderr, ::isatty(STDERR_FILENO) != 0);
}

} // namespace orv::batch

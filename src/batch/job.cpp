#include "batch/job.h"

#include "app/profile_formats.h"
#include "app/session.h"
#include "batch/headless.h"
#include "core/numbers.h"

#include <array>
#include <chrono>
#include <cstdio>

#include <sys/stat.h>

namespace orv::batch {

namespace {

// The canvases of the window at its usual 1920 x 1080 layout, in twips.
constexpr float ProfileWidth = 1525 * 15.0f, ProfileHeight = 850 * 15.0f;
constexpr float TraceWidth = 129 * 15.0f;

double secondsSince(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

bool exists(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

bool IdOf(const std::string &path, FileId &id)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    id = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return true;
}

std::vector<std::string> FilesOfOutput(OutputFormat f, const std::string &path) { return FilesWritten(f, path); }

std::vector<std::string> OutputFiles(const Plan &plan)
{
    std::vector<std::string> files;
    for (const auto &[format, path] : plan.profiles)
        for (const std::string &f : FilesOfOutput(format, path))
            files.push_back(f);
    if (!plan.picksOut.empty())
        files.push_back(plan.picksOut);
    if (!plan.picksCsvOut.empty())
        files.push_back(plan.picksCsvOut);
    return files;
}

Outcome ProcessFile(const Options &o, const Plan &plan, const Protected &inputs, unsigned pickingThreads)
{
    Outcome r;
    const std::string &in = plan.input;

    // Every file the outputs consist of, checked before anything is read.
    const std::vector<std::string> targets = OutputFiles(plan);
    std::vector<std::string> fresh; // outputs that did not exist before
    for (const std::string &t : targets) {
        FileId id;
        if (IdOf(t, id) && inputs.count(id)) {
            r.reason = "its output " + t + " would replace an input of this run";
            return r;
        }
        if (exists(t)) {
            if (!o.overwrite) {
                r.reason = "its output " + t + " exists (--overwrite replaces it)";
                return r;
            }
        } else {
            fresh.push_back(t);
        }
    }
    auto failed = [&](std::string why) {
        for (const std::string &t : fresh)
            std::remove(t.c_str());
        r.written.clear();
        r.ok = false;
        r.reason = std::move(why);
        return r;
    };

    HeadlessControls controls;
    NullCanvas profile(ProfileWidth, ProfileHeight), trace(TraceWidth, ProfileHeight);
    ProfileSession session(controls, profile, trace);
    session.pickingThreads = pickingThreads;

    // Open, as File > Open Profile does; a name that says no format is a
    // text profile of the sizes given.
    auto t = std::chrono::steady_clock::now();
    const FormatId named = FormatOfName(in);
    const FormatId format = named == FormatId::None ? FormatId::Ascii : named;
    std::string dataFile, why;
    if (!DataFileOf(in, named, dataFile, why))
        return failed("The file " + in + " " + why);
    Acquisition sizes;
    if (FormatOf(format).asksSizes)
        sizes = {static_cast<float>(*o.traces), static_cast<float>(*o.samples), static_cast<float>(*o.totalTime)};
    sizes.channel = o.channel;
    if (const Result opened = session.open(format, dataFile, sizes); !opened.done())
        return failed(opened.message.empty() ? "The file " + dataFile + " was not read" : opened.message);
    r.traces = CInt(session.profile().NTraces);
    r.read = secondsSince(t);

    // All Profile with the normalization chosen.
    t = std::chrono::steady_clock::now();
    controls.select(o.normMode == 1 ? Option::optNormCSG : o.normMode == 2 ? Option::optNormTrace : Option::optNormNone);
    if (o.normMode == 1)
        controls.setText(Field::txtTraceCSG, std::to_string(o.csgTraces));
    session.cmdAll_Click();

    // The picks, and the alignment on them; picking and aligning are timed
    // apart.
    if (o.picks == PicksSource::File) {
        if (o.align) {
            r.pick = secondsSince(t);
            t = std::chrono::steady_clock::now();
        }
        if (const Result loaded = session.loadPicks(plan.picksIn, o.align); !loaded.done())
            return failed(loaded.message);
        (o.align ? r.align : r.pick) = secondsSince(t);
    } else if (o.picks == PicksSource::Auto) {
        const std::array<double, 4> window{double(o.autoWindow[0]), double(o.autoWindow[1]),
                                           double(o.autoWindow[2]), double(o.autoWindow[3])};
        const Result picked = session.pickAutomatically(window);
        if (!picked.done())
            return failed(picked.message);
        if (!picked.notice.empty()) // no trace could be picked
            return failed(picked.notice);
        r.pick = secondsSince(t);
        if (o.align) {
            // "&Ok" re-plots once more after the alignment's own re-plot;
            // that second one makes the same amplitudes from the same
            // RawData and fields, so it is left out here.
            t = std::chrono::steady_clock::now();
            session.AdjustAirWave();
            r.align = secondsSince(t);
        }
    } else {
        r.pick = secondsSince(t);
    }

    // Each format is written from the same amplitudes, as if it were the
    // only one saved (a writer may clip them in place).
    t = std::chrono::steady_clock::now();
    for (size_t k = 0; k < plan.profiles.size(); ++k) {
        const auto &[format, path] = plan.profiles[k];
        if (const Result saved = session.saveProfile(format, path, k + 1 < plan.profiles.size()); !saved.done())
            return failed(saved.message);
        for (const std::string &f : FilesOfOutput(format, path))
            r.written.push_back(f);
    }
    if (!plan.picksOut.empty()) {
        if (const Result saved = session.savePicks(plan.picksOut); !saved.done())
            return failed(saved.message);
        r.written.push_back(plan.picksOut);
    }
    if (!plan.picksCsvOut.empty()) {
        if (const Result saved = session.exportPicksCsv(plan.picksCsvOut); !saved.done())
            return failed(saved.message);
        r.written.push_back(plan.picksCsvOut);
    }
    r.write = secondsSince(t);
    r.ok = true;
    return r;
}

} // namespace orv::batch

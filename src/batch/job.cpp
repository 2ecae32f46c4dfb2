#include "batch/job.h"

#include "app/app.h"
#include "app/profile_formats.h"
#include "batch/headless.h"
#include "core/numbers.h"
#include "picks/picksfile.h"

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
    HeadlessDialogs dialogs;
    HeadlessDataDialog data;
    NullCanvas profile(ProfileWidth, ProfileHeight), trace(TraceWidth, ProfileHeight);
    App app(controls, dialogs, profile, trace, &data);
    app.pickingThreads = pickingThreads;
    app.Form_Load();

    // Open, as File > Open Profile does.
    auto t = std::chrono::steady_clock::now();
    const NamedFormat named = FormatOfName(in);
    std::string dataFile = in, why;
    if (!DataFileOf(in, named, dataFile, why))
        return failed("The file " + in + " " + why);
    dialogs.answer(dataFile);
    if (named != NamedFormat::None) {
        app.mnuOpen_Click(named);
    } else {
        app.mnuOpen_Click(FormatId::Ascii);
        data.setText(DataField::Text1, PlainText(*o.traces));
        data.setText(DataField::Text2, PlainText(*o.samples));
        data.setText(DataField::Text3, PlainText(*o.totalTime));
        app.frmData_cmdOK_Click();
    }
    if (!dialogs.used(dataFile))
        return failed(dialogs.lastMessage().empty() ? "The file " + dataFile + " was not read" : dialogs.lastMessage());
    r.traces = CInt(app.store.NTraces);
    r.read = secondsSince(t);

    // All Profile with the normalization chosen.
    t = std::chrono::steady_clock::now();
    controls.select(o.normMode == 1 ? Option::optNormCSG : o.normMode == 2 ? Option::optNormTrace : Option::optNormNone);
    if (o.normMode == 1)
        controls.setText(Field::txtTraceCSG, std::to_string(o.csgTraces));
    app.cmdAll_Click();

    // The picks, and the alignment on them.
    dialogs.forget();
    if (o.picks == PicksSource::File) {
        if (o.align) {
            r.pick = secondsSince(t);
            t = std::chrono::steady_clock::now();
            dialogs.answer(plan.picksIn);
            app.mnuFromFile_Click();
            if (!dialogs.used(plan.picksIn))
                return failed(dialogs.lastMessage());
            r.align = secondsSince(t);
        } else {
            std::vector<float> picks;
            std::string error;
            if (!ReadPicksFile(plan.picksIn, CInt(app.store.NTraces), picks, error))
                return failed("The picks file " + plan.picksIn + " " + error + ".");
            app.store.Picks = std::move(picks);
            r.pick = secondsSince(t);
        }
    } else if (o.picks == PicksSource::Auto) {
        app.mnuAutomatic_Click();
        const DataField fields[4] = {DataField::txtKey1st, DataField::txtKeyLast, DataField::txtTarg1st,
                                     DataField::txtTargLast};
        for (int k = 0; k < 4; ++k)
            data.setText(fields[k], std::to_string(o.autoWindow[k]));
        // Picking and aligning are timed apart: the picks first, then the
        // alignment as "&Ok" does it.
        app.pickByCrossCorrelation(false);
        if (data.isOpen())
            return failed(dialogs.lastMessage());
        bool any = false;
        for (float p : app.store.Picks)
            any = any || p != 0.0f;
        if (!any)
            return failed(dialogs.lastMessage());
        r.pick = secondsSince(t);
        if (o.align) {
            // "&Ok" re-plots once more after the alignment's own re-plot;
            // that second one makes the same amplitudes from the same
            // RawData and fields, so it is left out here.
            t = std::chrono::steady_clock::now();
            app.AdjustAirWave();
            r.align = secondsSince(t);
        }
    } else {
        r.pick = secondsSince(t);
    }

    // Each format is written from the same amplitudes, as if it were the
    // only one saved (a writer may clip them in place).
    t = std::chrono::steady_clock::now();
    const Array2D amplitudes = o.formats.size() > 1 ? app.store.PlotData : Array2D();
    for (size_t k = 0; k < plan.profiles.size(); ++k) {
        const auto &[format, path] = plan.profiles[k];
        if (k > 0)
            app.store.PlotData = amplitudes;
        dialogs.forget();
        dialogs.answer(path);
        app.mnuSave_Click(format);
        if (!dialogs.used(path))
            return failed(dialogs.lastMessage());
        for (const std::string &f : FilesOfOutput(format, path))
            r.written.push_back(f);
    }
    if (!plan.picksOut.empty()) {
        dialogs.forget();
        dialogs.answer(plan.picksOut);
        app.mnuSavePick_Click();
        if (!dialogs.used(plan.picksOut))
            return failed(dialogs.lastMessage());
        r.written.push_back(plan.picksOut);
    }
    r.write = secondsSince(t);
    r.ok = true;
    return r;
}

} // namespace orv::batch

// Opening and saving profiles: the file dialog, the busy pointer and guard,
// the throttled progress caption, the working copy, the refusal message and
// the commit into the store, then the post-load step.
#include "app/app.h"

#include "core/numbers.h"
#include "display/display.h"
#include "formats/su.h"

#include <chrono>
#include <new>
#include <utility>

namespace orv {

namespace {

// The reader's progress caption is repainted at most this often.
constexpr auto ProgressInterval = std::chrono::milliseconds(50);

std::string readingCaption(int n) { return "Reading Trace # " + PlainText(n); }

// Marks a long command as running for as long as the scope lasts, also
// when it is left by an exception.
class BusyScope {
public:
    explicit BusyScope(bool &flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    bool &flag_;
};

} // namespace

void App::openCaptions()
{
    c_.setCaption(Caption::Label5, "No. of Traces = " + PlainText(store.NTraces));
    c_.setCaption(Caption::Label6, "No. of Samples = " + PlainText(store.NSamples));
}

void App::mnuOpenSU_Click()
{
    if (busy_)
        return;
    store.PlotReady = 0;
    c_.adjustform();
    ReadSU();
    store.PlotReady = 1;
    openCaptions();
    store.RangeShown = 0;
    if (!notice_.empty()) {
        d_.message("Open Profile", notice_);
        notice_.clear();
    }
}

void App::ReadSU()
{
    if (busy_)
        return;
    c_.setPointer(PointerBusy);
    const std::string path = d_.openFile(SUFilter);
    if (path.empty()) {
        store.DataFileName.clear();
        c_.setPointer(PointerDefault);
        return;
    }

    // Nothing reaches the store until the whole file has been read and its
    // working copy made; while the progress caption repaints, other commands
    // are held off.
    Profile p;
    Array2D plot;
    SUReadInfo info;
    std::string error;
    bool ok = false;
    {
        BusyScope busy(busy_);
        c_.setCaption(Caption::lblReadTr, readingCaption(1));
        c_.setCaptionVisible(Caption::lblReadTr, true);
        c_.yieldToUi();

        auto lastPaint = std::chrono::steady_clock::now();
        int shown = 1;
        auto progress = [&](int tracesRead) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPaint < ProgressInterval)
                return;
            lastPaint = now;
            shown = tracesRead;
            c_.setCaption(Caption::lblReadTr, readingCaption(tracesRead));
            c_.yieldToUi();
        };
        ok = ReadSUFile(path, p, info, error, progress);
        if (ok) {
            try {
                plot = p.RawData;
            } catch (const std::bad_alloc &) {
                ok = false;
                error = "is too large to load: there is not enough memory for its working copy";
            }
        }
        if (ok) {
            const int n = static_cast<int>(p.NTraces);
            if (shown != n)
                c_.setCaption(Caption::lblReadTr, readingCaption(n));
            // What the header read leaves in the sample-interval field.
            c_.setText(Field::Text1, SignedText(info.intervalMs));
        }
        c_.setCaptionVisible(Caption::lblReadTr, false);
    }

    if (!ok) {
        c_.setPointer(PointerDefault);
        d_.message("Open Profile", "The file " + path + " " + error + ".");
        return;
    }

    commitProfile(std::move(p), std::move(plot), path);
    postLoad();

    // Said once the open command has shown the new counts.
    if (info.intervalSubstituted)
        notice_ = "The file " + path + " gives no sample interval (dt = 0); an interval of "
            + PlainText(SUFallbackIntervalMs) + " ms is assumed.";
}

void App::commitProfile(Profile &&p, Array2D &&plot, const std::string &path)
{
    // Nothing here allocates, so the swap cannot fail half-way; the old
    // profile's arrays are freed as the new ones move in.
    store.RawData = std::move(p.RawData);
    store.PlotData = std::move(plot);
    store.NTraces = p.NTraces;
    store.NSamples = p.NSamples;
    store.TotalTime = p.TotalTime;
    store.DataFileName = path;
}

void App::postLoad()
{
    ProfileStore &s = store;
    c_.setText(Field::Text1, SignedText(s.TotalTime / s.NSamples));
    s.Picks.assign(static_cast<size_t>(s.NTraces) + 1, 0.0f);
    upd.setMax(static_cast<int32_t>(s.NTraces));
    c_.setText(Field::txt1sttr, "1");
    c_.setText(Field::txtLsttr, SignedText(s.NTraces > 200 ? 200.0f : s.NTraces));
    c_.setText(Field::txt1stsamp, "1");
    c_.setText(Field::txtLstsamp, SignedText(s.NSamples));
    c_.setText(Field::txtAmpClip, "1000");
    c_.setText(Field::txtGainValue, "400");
    c_.setText(Field::txtTraceCSG, "24");
    c_.setText(Field::txtGroupOverlap, "0");

    cmdRePlot_Click();

    upd.setMin(CLng(Val(c_.text(Field::txt1sttr))));
    upd.setMax(CLng(Val(c_.text(Field::txtLsttr))));
    upd.setValue(upd.Min());

    c_.setTitle("Orvane   -  " + s.DataFileName);
    c_.setPointer(PointerDefault);
    ShowAxisLabels(s, c_);
}

void App::mnuSaveSU_Click()
{
    if (busy_)
        return;
    WriteSU();
}

void App::WriteSU()
{
    if (!store.hasProfile()) {
        d_.message("Save Profile", "There is no profile to save.");
        return;
    }
    c_.setPointer(PointerBusy);
    const std::string path = d_.saveFile(SUFilter);
    store.DataFileName = path;
    if (path.empty()) {
        c_.setPointer(PointerDefault);
        return;
    }
    std::string error;
    const bool ok = WriteSUFile(path, store.PlotData, store.NTraces, store.NSamples, store.TotalTime, error);
    c_.setPointer(PointerDefault);
    if (!ok)
        d_.message("Save Profile", "The profile cannot be saved to " + path + ": " + error + ".");
}

} // namespace orv

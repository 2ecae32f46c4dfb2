#include "core/app.h"

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

// Clamps a Long to the trace numbers a plot routine can take.
int traceArg(int32_t v) { return v < -32768 ? -32768 : (v > 32767 ? 32767 : v); }

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

App::App(Controls &controls, Dialogs &dialogs, Canvas &pctProfile, Canvas &pctTrace)
    : c_(controls), d_(dialogs), pctProfile_(pctProfile), pctTrace_(pctTrace)
{
    upd.onChange = [this] { upd_Change(); };
}

void App::Form_Load()
{
    c_.setCaptionVisible(Caption::lblReadTr, false);
    store.PickMode = 1;
    c_.showAbout(false);
}

void App::mnuReplot_Click()
{
    if (busy_ || !store.hasProfile())
        return;
    ProfileStore &s = store;

    s.FirstTrace = CInt(Val(c_.text(Field::txt1sttr)));
    s.LastTrace = CInt(Val(c_.text(Field::txtLsttr)));
    s.FirstSample = CInt(Val(c_.text(Field::txt1stsamp)));
    s.LastSample = CInt(Val(c_.text(Field::txtLstsamp)));

    if (c_.option(Option::optNormNone))
        s.NormMode = 0;
    if (c_.option(Option::optNormCSG))
        s.NormMode = 1;
    if (c_.option(Option::optNormTrace))
        s.NormMode = 2;

    s.ClipValue = CInt(Val(c_.text(Field::txtAmpClip)));
    s.TracesPerCSG = CInt(Val(c_.text(Field::txtTraceCSG)));

    // Range rules, each seeing the values the rules before it left. A last
    // trace or sample below 1 is raised to 1, so the window is always one
    // the plots can draw: 1 <= first <= last <= count.
    if (s.FirstTrace > s.NTraces)
        s.FirstTrace = CInt(s.NTraces);
    if (s.FirstTrace < 1)
        s.FirstTrace = 1;
    if (s.LastTrace > s.NTraces)
        s.LastTrace = CInt(s.NTraces);
    if (s.LastTrace < 1)
        s.LastTrace = 1;
    if (s.FirstSample > s.NSamples)
        s.FirstSample = CInt(s.NSamples);
    if (s.FirstSample < 1)
        s.FirstSample = 1;
    if (s.LastSample > s.NSamples)
        s.LastSample = CInt(s.NSamples);
    if (s.LastSample < 1)
        s.LastSample = 1;
    if (s.FirstTrace > s.LastTrace)
        s.FirstTrace = s.LastTrace;
    if (s.FirstSample > s.LastSample)
        s.FirstSample = s.LastSample;
    if (s.ClipValue < 0)
        s.ClipValue = 0;
    if (s.TracesPerCSG < 1)
        s.TracesPerCSG = 1;

    c_.setText(Field::txt1sttr, SignedText(int(s.FirstTrace)));
    c_.setText(Field::txtLsttr, SignedText(int(s.LastTrace)));
    c_.setText(Field::txt1stsamp, SignedText(int(s.FirstSample)));
    c_.setText(Field::txtLstsamp, SignedText(int(s.LastSample)));
    c_.setText(Field::txtAmpClip, SignedText(int(s.ClipValue)));
    c_.setText(Field::txtTraceCSG, SignedText(int(s.TracesPerCSG)));

    upd.setMin(s.FirstTrace);
    upd.setMax(s.LastTrace);
    if (upd.Value() < s.FirstTrace)
        upd.setValue(s.FirstTrace);
    if (upd.Value() > s.LastTrace)
        upd.setValue(s.LastTrace);

    // Fresh working amplitudes: the profile plot normalizes this copy.
    s.PlotData = s.RawData;

    drawAll();
}

void App::cmdRePlot_Click() { mnuReplot_Click(); }

void App::drawAll()
{
    PlotProfile(store, c_, pctProfile_);
    DrawPickMarks(store, c_, pctProfile_, pctTrace_);
    const int n = traceArg(upd.Value());
    PlotTrace(store, pctTrace_, n);
    RestorePrevTrace(store, c_, pctProfile_, upd.Value());
    HighlightTrace(store, c_, pctProfile_, upd.Value());
    ShowAxisLabels(store, c_);
}

void App::cmdAll_Click()
{
    if (busy_ || !store.hasProfile())
        return;
    c_.setText(Field::txt1sttr, "1");
    c_.setText(Field::txtLsttr, SignedText(store.NTraces));
    c_.setText(Field::txt1stsamp, "1");
    c_.setText(Field::txtLstsamp, SignedText(store.NSamples));
    mnuReplot_Click();
}

void App::cmdNextGroup_Click()
{
    if (busy_ || !store.hasProfile())
        return;
    // The whole profile is shown: nothing to step to. Text that is not a
    // number counts as "not the whole profile"; Re-Plot's rules then apply.
    const auto first = StrictVal(c_.text(Field::txt1sttr));
    const auto last = StrictVal(c_.text(Field::txtLsttr));
    if (first && last && *first == 1 && *last == store.NTraces)
        return;

    store.PlotReady = 0;

    int16_t o = CInt(Val(c_.text(Field::txtGroupOverlap)));
    if (o < 0)
        o = 0;
    c_.setText(Field::txtGroupOverlap, SignedText(int(o)));

    const int16_t w = CInt(Val(c_.text(Field::txtLsttr)) - Val(c_.text(Field::txt1sttr)));
    int16_t L = CInt(Val(c_.text(Field::txtLsttr)) + w - o + 1);
    if (L > store.NTraces)
        L = CInt(store.NTraces);
    c_.setText(Field::txtLsttr, SignedText(int(L)));
    c_.setText(Field::txt1sttr, SignedText(Val(c_.text(Field::txtLsttr)) - w));

    mnuReplot_Click();
    store.PlotReady = 1;
}

void App::upd_Change()
{
    const int32_t n = upd.Value();
    c_.setCaption(Caption::Label1, "Trace # " + PlainText(int(n)));
    if (busy_ || !store.hasProfile())
        return;
    PlotTrace(store, pctTrace_, traceArg(n));
    RestorePrevTrace(store, c_, pctProfile_, n);
    HighlightTrace(store, c_, pctProfile_, n);
}

void App::Form_MouseMove()
{
    if (busy_)
        return;
    c_.setPointer(PointerDefault);
}

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

void App::mnuExit_Click() { c_.quit(); }

void App::mnuAbout_Click() { c_.showAbout(true); }

void App::cmdAbouOK_Click() { c_.showAbout(false); }

} // namespace orv

// Re-Plot, All Profile, Next Group and the trace stepper: the commands that
// move the display window and redraw it.
#include "app/app.h"

#include "app/busy.h"
#include "core/numbers.h"
#include "display/display.h"

namespace orv {

namespace {

// Clamps a Long to the trace numbers a plot routine can take.
int traceArg(int32_t v) { return v < -32768 ? -32768 : (v > 32767 ? 32767 : v); }

} // namespace

void ProfileSession::mnuReplot_Click()
{
    if (busy_ || !store.hasProfile())
        return;
    ProfileStore &s = store;

    s.FirstTrace = CInt(Val(c_.text(Field::txt1sttr)));
    s.LastTrace = CInt(Val(c_.text(Field::txtLsttr)));
    s.FirstSample = CInt(Val(c_.text(Field::txt1stsamp)));
    s.LastSample = CInt(Val(c_.text(Field::txtLstsamp)));

    readDisplayOptions();

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

    // Fresh working amplitudes: the profile plot normalizes this copy. The
    // redraw's progress counts from here, so that it shows at once when a
    // large copy has already taken its time.
    ProgressCaption shown(c_, "Drawing");
    s.PlotData = s.RawData;

    drawAll();
}

void ProfileSession::readDisplayOptions()
{
    ProfileStore &s = store;
    if (c_.option(Option::optNormNone))
        s.NormMode = 0;
    if (c_.option(Option::optNormCSG))
        s.NormMode = 1;
    if (c_.option(Option::optNormTrace))
        s.NormMode = 2;
    s.ClipValue = CInt(Val(c_.text(Field::txtAmpClip)));
    s.TracesPerCSG = CInt(Val(c_.text(Field::txtTraceCSG)));
    if (s.ClipValue < 0)
        s.ClipValue = 0;
    if (s.TracesPerCSG < 1)
        s.TracesPerCSG = 1;
}

void ProfileSession::cmdRePlot_Click() { mnuReplot_Click(); }

void ProfileSession::drawAll()
{
    // Other commands are held off for the whole redraw, which shows how far
    // it has come once it lasts.
    BusyScope busy(busy_);
    ProgressCaption shown(c_, "Drawing");
    PlotRun run;
    run.threads = plotThreads;
    run.progress = [&](int trace) { shown.report(trace); };
    PlotProfile(store, c_, pctProfile_, run);
    DrawPickMarks(store, c_, pctProfile_, pctTrace_);
    const int n = traceArg(upd.Value());
    PlotTrace(store, pctTrace_, n);
    RestorePrevTrace(store, c_, pctProfile_, upd.Value());
    HighlightTrace(store, c_, pctProfile_, upd.Value());
    highlighted_ = upd.Value();
    ShowAxisLabels(store, c_);
}

void ProfileSession::cmdAll_Click()
{
    if (busy_ || !store.hasProfile())
        return;
    c_.setText(Field::txt1sttr, "1");
    c_.setText(Field::txtLsttr, SignedText(store.NTraces));
    c_.setText(Field::txt1stsamp, "1");
    c_.setText(Field::txtLstsamp, SignedText(store.NSamples));
    mnuReplot_Click();
}

void ProfileSession::cmdNextGroup_Click() { stepGroup(true); }
void ProfileSession::cmdPrevGroup_Click() { stepGroup(false); }

void ProfileSession::stepGroup(bool forward)
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

    // Next Group moves the window on by w - o + 1 traces, stopping at the
    // last trace; the previous group moves it back by as many, stopping at 1.
    const int16_t w = CInt(Val(c_.text(Field::txtLsttr)) - Val(c_.text(Field::txt1sttr)));
    if (forward) {
        int16_t L = CInt(Val(c_.text(Field::txtLsttr)) + w - o + 1);
        if (L > store.NTraces)
            L = CInt(store.NTraces);
        c_.setText(Field::txtLsttr, SignedText(int(L)));
        c_.setText(Field::txt1sttr, SignedText(Val(c_.text(Field::txtLsttr)) - w));
    } else {
        int16_t F = CInt(Val(c_.text(Field::txt1sttr)) - w + o - 1);
        if (F < 1)
            F = 1;
        c_.setText(Field::txt1sttr, SignedText(int(F)));
        c_.setText(Field::txtLsttr, SignedText(Val(c_.text(Field::txt1sttr)) + w));
    }

    mnuReplot_Click();
    store.PlotReady = 1;
}

void ProfileSession::upd_Change()
{
    const int32_t n = upd.Value();
    c_.setCaption(Caption::Label1, "Trace # " + PlainText(int(n)));
    if (busy_ || !store.hasProfile())
        return;
    PlotTrace(store, pctTrace_, traceArg(n));
    // The trace that carries the highlight goes back to the normal fill,
    // whichever way the stepper went.
    if (highlighted_ != 0 && highlighted_ != n)
        RestoreTrace(store, c_, pctProfile_, highlighted_);
    else
        RestorePrevTrace(store, c_, pctProfile_, n);
    HighlightTrace(store, c_, pctProfile_, n);
    highlighted_ = n;
}

void ProfileSession::undoPicks() { stepHistory(false); }
void ProfileSession::redoPicks() { stepHistory(true); }

void ProfileSession::stepHistory(bool forward)
{
    if (busy_ || !store.hasProfile())
        return;
    int32_t t = 0;
    if (!(forward ? history_.redo(store.Picks, t) : history_.undo(store.Picks, t)))
        return;
    if (t >= upd.Min() && t <= upd.Max())
        upd.setValue(t);
    // The whole group again, so no cross of the picks left behind stays; the
    // redraw takes the range marks with it.
    drawAll();
    store.RangeShown = 0;
    showPickOf(t != 0 ? t : upd.Value());
}

void ProfileSession::showPickOf(int32_t t)
{
    const bool has = t >= 1 && static_cast<size_t>(t) < store.Picks.size() && store.Picks[static_cast<size_t>(t)] != 0;
    c_.setCaption(Caption::Label3, "Picked Time = " + (has ? SignedText(store.Picks[static_cast<size_t>(t)]) : std::string()));
}

void ProfileSession::setVariableDensity(bool on)
{
    if (busy_)
        return;
    store.VariableDensity = on;
    mnuReplot_Click();
}

} // namespace orv

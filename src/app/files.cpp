// Opening and saving profiles: the file dialog, the busy pointer and guard,
// the throttled progress caption, the working copy, the refusal message and
// the commit into the store, then the post-load step.
#include "app/app.h"

#include "app/busy.h"
#include "core/numbers.h"
#include "display/display.h"
#include "formats/ascii.h"

#include <chrono>
#include <cmath>
#include <new>
#include <utility>

namespace orv {

namespace {

// The reader's progress caption is repainted at most this often.
constexpr auto ProgressInterval = std::chrono::milliseconds(50);

std::string readingCaption(int n) { return "Reading Trace # " + PlainText(n); }

} // namespace

void App::openCaptions()
{
    c_.setCaption(Caption::Label5, "No. of Traces = " + PlainText(store.NTraces));
    c_.setCaption(Caption::Label6, "No. of Samples = " + PlainText(store.NSamples));
}

void App::showNotice()
{
    if (!notice_.empty()) {
        d_.message("Open Profile", notice_);
        notice_.clear();
    }
}

// The open commands: layout, the reader, then the counts. Every path lets
// picking through once its profile is drawn.
void App::openProfile(const ProfileFormat &f)
{
    if (busy_)
        return;
    if (f.guardsPicking)
        store.PlotReady = 0;
    c_.adjustform();
    readProfile(f);
    store.PlotReady = 1;
    openCaptions();
    store.RangeShown = 0;
    showNotice();
}

void App::mnuOpenSU_Click() { openProfile(SUFormat()); }
void App::mnuOpenRD3_Click() { openProfile(RD3Format()); }
void App::mnuOpenDT1_Click() { openProfile(DT1Format()); }

void App::ReadSU() { readProfile(SUFormat()); }
void App::ReadRD3() { readProfile(RD3Format()); }
void App::ReadDT1() { readProfile(DT1Format()); }

bool App::readProfile(const ProfileFormat &f)
{
    if (busy_)
        return false;
    c_.setPointer(PointerBusy);
    const std::string path = d_.openFile(f.filter);
    if (path.empty()) {
        store.DataFileName.clear();
        c_.setPointer(PointerDefault);
        return false;
    }

    // Nothing reaches the store until the whole file has been read and its
    // working copy made; while the progress caption repaints, other commands
    // are held off.
    Profile p;
    Array2D plot;
    std::string notice, error;
    bool ok = false;
    {
        BusyScope busy(busy_);
        int shown = 1;
        ReadProgress progress;
        if (f.showsProgress) {
            c_.setCaption(Caption::lblReadTr, readingCaption(1));
            c_.setCaptionVisible(Caption::lblReadTr, true);
            c_.yieldToUi();
            progress = [&, lastPaint = std::chrono::steady_clock::now()](int tracesRead) mutable {
                const auto now = std::chrono::steady_clock::now();
                if (now - lastPaint < ProgressInterval)
                    return;
                lastPaint = now;
                shown = tracesRead;
                c_.setCaption(Caption::lblReadTr, readingCaption(tracesRead));
                c_.yieldToUi();
            };
        }
        try {
            ok = f.read(path, p, notice, error, progress);
        } catch (const std::bad_alloc &) {
            ok = false;
            error = "is too large to load: there is not enough memory for it";
        }
        if (ok) {
            try {
                plot = p.RawData;
            } catch (const std::bad_alloc &) {
                ok = false;
                error = "is too large to load: there is not enough memory for its working copy";
            }
        }
        if (ok && f.showsProgress) {
            const int n = static_cast<int>(p.NTraces);
            if (shown != n)
                c_.setCaption(Caption::lblReadTr, readingCaption(n));
        }
        c_.setCaptionVisible(Caption::lblReadTr, false);
    }

    if (!ok) {
        c_.setPointer(PointerDefault);
        d_.message("Open Profile", "The file " + path + " " + error + ".");
        return false;
    }

    commitProfile(std::move(p), std::move(plot), path);
    d_.fileUsed(path);
    postLoad(f.draw);
    // Said once the open command has shown the new counts.
    notice_ = notice;
    return true;
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

void App::defaultFields(const std::string &lastTrace)
{
    c_.setText(Field::txt1sttr, "1");
    c_.setText(Field::txtLsttr, lastTrace);
    c_.setText(Field::txt1stsamp, "1");
    c_.setText(Field::txtLstsamp, SignedText(store.NSamples));
    c_.setText(Field::txtAmpClip, "1000");
    c_.setText(Field::txtGainValue, "400");
    c_.setText(Field::txtTraceCSG, "24");
    c_.setText(Field::txtGroupOverlap, "0");
}

void App::postLoad(PostLoadDraw draw)
{
    if (draw == PostLoadDraw::Text) {
        postLoadAscii();
        return;
    }
    ProfileStore &s = store;
    c_.setText(Field::Text1, SignedText(s.TotalTime / s.NSamples));
    s.Picks.assign(static_cast<size_t>(s.NTraces) + 1, 0.0f);
    upd.setMax(static_cast<int32_t>(s.NTraces));
    defaultFields(SignedText(s.NTraces > 200 ? 200.0f : s.NTraces));

    // The stepper goes to the first trace before anything is drawn, so the
    // trace that was current in the old profile is not left highlighted.
    upd.setValue(1);
    if (draw == PostLoadDraw::RePlot) {
        cmdRePlot_Click();
    } else {
        // The display options come from the window, as Re-Plot takes them:
        // a first load drawn before any Re-Plot would have none.
        readDisplayOptions();
        PlotProfile(s, c_, pctProfile_);
        PlotTrace(s, pctTrace_, 1);
        HighlightTrace(s, c_, pctProfile_, 1);
    }

    upd.setMin(CLng(Val(c_.text(Field::txt1sttr))));
    upd.setMax(CLng(Val(c_.text(Field::txtLsttr))));
    upd.setValue(upd.Min());

    c_.setTitle("Orvane   -  " + s.DataFileName);
    c_.setPointer(PointerDefault);
    ShowAxisLabels(s, c_);
}

// ASCII: the sizes come from frmData, whose "&Ok" reads the file.
void App::mnuOpenAscii_Click()
{
    if (busy_ || !frmData_)
        return;
    c_.adjustform();
    frmData_->showAcquisition();
    store.RangeShown = 0;
}

void App::frmData_cmdOK_Click()
{
    if (busy_ || !frmData_)
        return;
    const double nt = Val(frmData_->text(DataField::Text1));
    const double ns = Val(frmData_->text(DataField::Text2));
    const double tt = Val(frmData_->text(DataField::Text3));
    if (!(nt > 0) || !(ns > 0) || !(tt > 0)) {
        d_.critical("Orvane", "All data must be given and be greater than zero");
        return;
    }
    // Sizes a profile cannot have are said here, with the dialog still open.
    const auto whole = [](double v) { return v == std::floor(v) && v <= 32767; };
    if (!whole(nt) || !whole(ns)) {
        d_.critical("Orvane", "The numbers of traces and samples must be whole numbers from 1 to 32767");
        return;
    }
    // The loaded profile keeps its sizes until a new one has been read whole.
    const ProfileFormat f = AsciiFormat(static_cast<float>(nt), static_cast<float>(ns), static_cast<float>(tt));
    if (readProfile(f)) {
        store.PlotReady = 1; // picking works at once, as after the other formats
        showNotice();
    }
    frmData_->closeDialog();
}

void App::frmData_cmdCancel_Click()
{
    if (frmData_)
        frmData_->closeDialog();
}

void App::postLoadAscii()
{
    ProfileStore &s = store;
    defaultFields(s.NTraces > 200 ? "200" : SignedText(s.NTraces));
    openCaptions();
    c_.setText(Field::Text1, SignedText(s.TotalTime / s.NSamples));
    s.Picks.assign(static_cast<size_t>(s.NTraces) + 1, 0.0f);
    upd.setMax(static_cast<int32_t>(s.NTraces));
    readDisplayOptions();
    PlotProfile(s, c_, pctProfile_);
    PlotTrace(s, pctTrace_, 1);
    // The stepper's range starts at the first trace too, so its value is
    // never below its minimum.
    upd.setMin(1);
    upd.setValue(1);
    c_.setTitle("Orvane   -  " + s.DataFileName);
    c_.setPointer(PointerDefault);
    ShowAxisLabels(s, c_);
}

void App::mnuSaveSU_Click() { WriteSU(); }
void App::mnuSaveRD3_Click() { WriteRD3(); }
void App::mnuSaveAscii_Click() { WriteAscii(); }

void App::WriteSU() { saveProfile(SUFormat()); }
void App::WriteRD3() { saveProfile(RD3Format()); }
void App::WriteAscii() { saveProfile(AsciiFormat(store.NTraces, store.NSamples, store.TotalTime)); }

void App::saveProfile(const ProfileFormat &f)
{
    if (busy_)
        return;
    if (!store.hasProfile()) {
        d_.message("Save Profile", "There is no profile to save.");
        return;
    }
    c_.setPointer(PointerBusy);
    const std::string path = d_.saveFile(f.filter);
    store.DataFileName = path;
    if (path.empty()) {
        c_.setPointer(PointerDefault);
        return;
    }
    std::string error;
    const bool ok = f.write(path, store, error);
    c_.setPointer(PointerDefault);
    if (ok)
        d_.fileUsed(path);
    else
        d_.message("Save Profile", "The profile cannot be saved to " + path + ": " + error + ".");
}

} // namespace orv

// Opening and saving profiles. The session reads a file with the busy guard
// and the throttled progress caption into a staging profile and its working
// copy, commits it into the store and runs the post-load step, or writes the
// working amplitudes; the window's commands ask for the file and show what
// came of it.
#include "app/app.h"

#include "app/busy.h"
#include "core/numbers.h"
#include "display/display.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace orv {

namespace {

std::string readingCaption(int n) { return "Reading Trace # " + PlainText(n); }

uint64_t arrayBytes(const Array2D &a)
{
    return a.allocated() ? ProfileArrayBytes(a.traceBound(), a.sampleBound()) : 0;
}

// The working copy of a profile just read, a block of rows at a time so that
// the copy of a large profile still answers the Cancel button. False when
// stopped; throws std::bad_alloc when the memory cannot be had.
bool copyRows(const Array2D &from, Array2D &to, const ReadControl &control, int tracesRead)
{
    to.allocate(from.traceBound(), from.sampleBound());
    const size_t rowFloats = static_cast<size_t>(from.sampleBound()) + 1;
    const int perBlock = static_cast<int>(std::max<size_t>(1, (size_t(8) << 20) / (rowFloats * sizeof(float))));
    for (int t = 0; t <= from.traceBound(); t += perBlock) {
        const int n = std::min(perBlock, from.traceBound() - t + 1);
        std::memcpy(to.row(t), from.row(t), static_cast<size_t>(n) * rowFloats * sizeof(float));
        if (!control.report(tracesRead))
            return false;
    }
    return true;
}

} // namespace

void ProfileSession::openCaptions()
{
    c_.setCaption(Caption::Label5, "No. of Traces = " + PlainText(store.NTraces));
    c_.setCaption(Caption::Label6, "No. of Samples = " + PlainText(store.NSamples));
}

Result ProfileSession::open(FormatId id, const std::string &path, const Acquisition &sizes)
{
    if (busy_)
        return Result::Cancelled();
    const ProfileFormat &f = FormatOf(id);

    // Nothing reaches the store until the whole file has been read and its
    // working copy made; while the progress caption repaints, other commands
    // are held off. A read that lasts gets a Cancel button; a cancelled read
    // changes nothing and says nothing.
    Profile p;
    Array2D plot;
    std::string notice, error;
    bool ok = false;
    bool stopped = false;
    {
        BusyScope busy(busy_);
        const ReadPacing pacing = Pacing();
        const auto start = std::chrono::steady_clock::now();
        bool captionUp = false;
        // The caption and the button go down however the read ends.
        struct Shown {
            Controls &c;
            bool cancelUp = false;
            ~Shown()
            {
                if (cancelUp)
                    c.setCancelVisible(false);
                c.setCaptionVisible(Caption::lblReadTr, false);
            }
        } shown{c_};
        int captioned = 1;
        auto caption = [&](int n) {
            if (n != captioned) {
                captioned = n;
                c_.setCaption(Caption::lblReadTr, readingCaption(n));
            }
        };
        if (f.showsProgress) {
            c_.setCaption(Caption::lblReadTr, readingCaption(1));
            c_.setCaptionVisible(Caption::lblReadTr, true);
            captionUp = true;
            c_.yieldToUi();
        }
        ReadControl control;
        control.heldBytes = arrayBytes(store.RawData) + arrayBytes(store.PlotData);
        control.progress = [&, lastPaint = start](int tracesRead) mutable {
            if (stopped)
                return false;
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPaint < pacing.paint)
                return true;
            lastPaint = now;
            // A format that shows no caption from the start shows it with the
            // button.
            if (!shown.cancelUp && now - start >= pacing.cancelAfter) {
                if (!captionUp) {
                    captioned = std::max(tracesRead, 1);
                    c_.setCaption(Caption::lblReadTr, readingCaption(captioned));
                    c_.setCaptionVisible(Caption::lblReadTr, true);
                    captionUp = true;
                }
                c_.setCancelVisible(true);
                shown.cancelUp = true;
            }
            if (captionUp && tracesRead > 0)
                caption(tracesRead);
            if (!shown.cancelUp) {
                c_.yieldToUi();
                return true;
            }
            stopped = c_.yieldForCancel();
            return !stopped;
        };
        try {
            ok = f.read(path, sizes, p, notice, error, control);
        } catch (const std::bad_alloc &) {
            ok = false;
            error = "is too large to load: there is not enough memory for it";
        }
        if (ok && !stopped) {
            try {
                ok = copyRows(p.RawData, plot, control, static_cast<int>(p.NTraces));
            } catch (const std::bad_alloc &) {
                ok = false;
                error = "is too large to load: there is not enough memory for its working copy";
            }
        }
        if (stopped)
            ok = false;
        if (ok && captionUp)
            caption(static_cast<int>(p.NTraces));
    }

    if (!ok) {
        c_.setPointer(PointerDefault);
        return stopped ? Result::Cancelled() : Result::Refused("The file " + path + " " + error + ".");
    }

    // Nothing here allocates, so the swap cannot fail half-way; the old
    // profile's arrays are freed as the new ones move in.
    store.RawData = std::move(p.RawData);
    store.PlotData = std::move(plot);
    store.NTraces = p.NTraces;
    store.NSamples = p.NSamples;
    store.TotalTime = p.TotalTime;
    store.Headers = std::move(p.Headers);
    store.DataFileName = path;
    // A new profile: no pick of the old one is undone into it, or shown.
    history_.clear();
    highlighted_ = 0;
    c_.setCaption(Caption::Label3, "Picked Time = ");
    postLoad(f.draw);
    store.PlotReady = 1; // picking works once the profile is drawn, whatever its format
    return Result::Done(notice);
}

void ProfileSession::defaultFields(const std::string &lastTrace)
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

void ProfileSession::postLoad(PostLoadDraw draw)
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
        highlighted_ = 1;
    }

    upd.setMin(CLng(Val(c_.text(Field::txt1sttr))));
    upd.setMax(CLng(Val(c_.text(Field::txtLsttr))));
    upd.setValue(upd.Min());

    c_.setTitle("Orvane   -  " + s.DataFileName);
    c_.setPointer(PointerDefault);
    ShowAxisLabels(s, c_);
}

void ProfileSession::postLoadAscii()
{
    ProfileStore &s = store;
    defaultFields(s.NTraces > 200 ? "200" : SignedText(s.NTraces));
    openCaptions();
    c_.setText(Field::Text1, SignedText(s.TotalTime / s.NSamples));
    s.Picks.assign(static_cast<size_t>(s.NTraces) + 1, 0.0f);
    upd.setMax(static_cast<int32_t>(s.NTraces));
    readDisplayOptions();
    PlotProfile(s, c_, pctProfile_);
    highlighted_ = 0;
    PlotTrace(s, pctTrace_, 1);
    // The stepper's range starts at the first trace too, so its value is
    // never below its minimum.
    upd.setMin(1);
    upd.setValue(1);
    c_.setTitle("Orvane   -  " + s.DataFileName);
    c_.setPointer(PointerDefault);
    ShowAxisLabels(s, c_);
}

Result ProfileSession::saveProfile(FormatId id, const std::string &path, bool keepAmplitudes)
{
    const ProfileFormat &f = FormatOf(id);
    if (busy_ || !f.write)
        return Result::Cancelled();
    if (!store.hasProfile())
        return Result::Refused("There is no profile to save.");
    store.DataFileName = path;
    std::string error;
    bool ok;
    {
        BusyScope busy(busy_);
        ProgressCaption shown(c_, "Writing");
        const WriteProgress progress = [&](int trace) { shown.report(trace); };
        if (keepAmplitudes) {
            const Array2D amplitudes = store.PlotData;
            ok = f.write(path, store, error, progress);
            store.PlotData = amplitudes;
        } else {
            ok = f.write(path, store, error, progress);
        }
    }
    c_.setPointer(PointerDefault);
    if (!ok)
        return Result::Refused("The profile cannot be saved to " + path + ": " + error + ".");
    return Result::Done();
}

// The window's commands: they ask for the file and show the result.

bool App::shown(const char *title, const Result &r, const std::string &path)
{
    if (r.done())
        d_.fileUsed(path);
    else if (!r.message.empty())
        d_.message(title, r.message);
    return r.done();
}

void App::showNotice()
{
    if (!notice_.empty()) {
        d_.message("Open Profile", notice_);
        notice_.clear();
    }
}

void App::mnuOpen_Click(FormatId f)
{
    if (busy_)
        return;
    if (FormatOf(f).asksSizes) {
        // The sizes come from frmData, whose "&Ok" reads the file.
        if (!frmData_)
            return;
        sizesFor_ = f;
        c_.adjustform();
        frmData_->showAcquisition();
        store.RangeShown = 0;
        return;
    }
    // Layout, the reader, then the counts. Every path lets picking through
    // once its profile is drawn.
    const ProfileFormat &pf = FormatOf(f);
    const int16_t plotReady = store.PlotReady;
    if (pf.guardsPicking)
        store.PlotReady = 0;
    c_.adjustform();
    if (const std::string path = askFile(pf.filter, true); !path.empty()) {
        Acquisition choice;
        if (!askChannel(pf, path, choice.channel)) {
            // Cancelled: nothing is opened and the store stays as it was.
            store.PlotReady = plotReady;
            c_.setPointer(PointerDefault);
            return;
        }
        const Result r = open(f, path, choice);
        shown("Open Profile", r, path);
        notice_ = r.notice; // said once the counts are shown
    }
    store.PlotReady = 1;
    openCaptions();
    store.RangeShown = 0;
    showNotice();
}

bool App::askChannel(const ProfileFormat &pf, const std::string &path, int &channel)
{
    std::vector<std::string> names;
    std::string error;
    // A file whose channels cannot be listed is left to the reader to refuse.
    if (!pf.channels || !pf.channels(path, names, error) || names.size() < 2)
        return true;
    std::vector<std::string> items;
    for (size_t k = 0; k < names.size(); ++k)
        items.push_back("Channel " + std::to_string(k + 1) + (names[k].empty() ? "" : ": " + names[k]));
    const int chosen = d_.choose("Open Profile",
                                 "The file " + path + " holds " + std::to_string(names.size())
                                     + " channels. Which one is to be opened?",
                                 items);
    if (chosen < 0)
        return false;
    channel = chosen + 1;
    return true;
}

std::string App::askFile(const std::string &filter, bool toOpen)
{
    c_.setPointer(PointerBusy);
    const std::string path = toOpen ? d_.openFile(filter) : d_.saveFile(filter);
    if (path.empty()) {
        store.DataFileName.clear();
        c_.setPointer(PointerDefault);
    }
    return path;
}

void App::mnuSave_Click(FormatId f)
{
    if (busy_ || !FormatOf(f).write)
        return;
    if (!store.hasProfile()) {
        d_.message("Save Profile", "There is no profile to save.");
        return;
    }
    if (const std::string path = askFile(FormatOf(f).filter, false); !path.empty())
        shown("Save Profile", saveProfile(f, path), path);
}

void App::mnuOpenSU_Click() { mnuOpen_Click(FormatId::SU); }
void App::mnuOpenRD3_Click() { mnuOpen_Click(FormatId::RD3); }
void App::mnuOpenDT1_Click() { mnuOpen_Click(FormatId::DT1); }
void App::mnuOpenAscii_Click() { mnuOpen_Click(FormatId::Ascii); }
void App::mnuOpenDZT_Click() { mnuOpen_Click(FormatId::DZT); }
void App::mnuOpenRD7_Click() { mnuOpen_Click(FormatId::RD7); }
void App::mnuSaveRD7_Click() { mnuSave_Click(FormatId::RD7); }
void App::mnuSaveSU_Click() { mnuSave_Click(FormatId::SU); }
void App::mnuSaveRD3_Click() { mnuSave_Click(FormatId::RD3); }
void App::mnuSaveAscii_Click() { mnuSave_Click(FormatId::Ascii); }
void App::mnuOpenSEGY_Click() { mnuOpen_Click(FormatId::SEGY); }
void App::mnuSaveSEGY_Click() { mnuSave_Click(FormatId::SEGY); }

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
    const Acquisition sizes{static_cast<float>(nt), static_cast<float>(ns), static_cast<float>(tt)};
    if (const std::string path = askFile(FormatOf(sizesFor_).filter, true); !path.empty()) {
        const Result r = open(sizesFor_, path, sizes);
        if (shown("Open Profile", r, path)) {
            notice_ = r.notice;
            showNotice();
        }
    }
    frmData_->closeDialog();
}

void App::frmData_cmdCancel_Click()
{
    if (frmData_)
        frmData_->closeDialog();
}

} // namespace orv

// Adjust Air Wave > Automatic: the session's picking run with its window
// check, progress mark and stop; the window's commands take the parameters
// from frmData, then align on the new picks and re-plot.
#include "app/app.h"

#include "app/busy.h"
#include "core/numbers.h"
#include "picking/crosscorr.h"

#include <array>
#include <chrono>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace orv {

namespace {

constexpr const char *AutomaticTitle = "Automatic";

// A run shorter than this shows no progress mark.
constexpr auto ProgressDelay = std::chrono::milliseconds(300);

// The four fields in the order "&Ok" reads them, as the user knows them.
const struct {
    DataField field;
    const char *name;
} WindowFields[] = {
    {DataField::txtKey1st, "The Key Trace's \"1st Samp.\""},
    {DataField::txtKeyLast, "The Key Trace's \"Last Samp\""},
    {DataField::txtTarg1st, "The Target Trace's \"1st Samp\""},
    {DataField::txtTargLast, "The Target Trace's \"Last Samp\""},
};

// The key window and target range as typed, each read leniently and
// rounded halves to even; a value that would make a sum read outside the
// traces is refused with what the field allows.
std::optional<CrossCorrWindow> ReadWindow(const std::array<double, 4> &typed, int nSamples, std::string &refusal)
{
    int16_t v[4];
    for (int k = 0; k < 4; ++k) {
        const double x = typed[static_cast<size_t>(k)];
        const int32_t n = std::isfinite(x) && std::fabs(x) < 1e9 ? CLng(x) : -1;
        if (n < 1 || n > nSamples) {
            refusal = std::string(WindowFields[k].name) + " must be a sample number from 1 to "
                + PlainText(nSamples) + ".";
            return std::nullopt;
        }
        v[k] = static_cast<int16_t>(n);
    }
    return CrossCorrWindow{v[0], v[1], v[2], v[3]};
}

// Why a run picked no trace.
std::string NoPickReason(const CrossCorrWindow &w, float nTraces)
{
    if (w.KeyLast < w.KeyFirst)
        return "the key window's last sample comes before its first";
    if (w.TargLast - w.TargFirst < w.KeyLast - w.KeyFirst)
        return "the target range is shorter than the key window";
    if (nTraces < 2)
        return "the profile has a single trace";
    return "no key window correlates positively with the next trace";
}

bool AnyPick(const std::vector<float> &picks)
{
    for (float p : picks)
        if (p != 0.0f)
            return true;
    return false;
}

} // namespace

void App::mnuAutomatic_Click()
{
    if (busy_ || !frmData_)
        return;
    if (!store.hasProfile()) {
        d_.message(AutomaticTitle, "There is no profile to pick.");
        return;
    }
    frmData_->showCrossCorrelation();
}

void App::frmData_cmdCancel2_Click()
{
    if (frmData_)
        frmData_->closeDialog();
}

void App::frmData_cmdOK2_Click() { pickByCrossCorrelation(true); }

Result ProfileSession::pickAutomatically(const std::array<double, 4> &typed, const PickingHooks &hooks)
{
    if (busy_ || !store.hasProfile())
        return Result::Cancelled();
    std::string refusal;
    const std::optional<CrossCorrWindow> w = ReadWindow(typed, CInt(store.NSamples), refusal);
    if (!w)
        return Result::Refused(refusal);

    // The picks are computed aside; the store changes only once they are
    // taken. While the run goes on nothing else runs against the store, and
    // a run that lasts shows how far it has come.
    std::optional<std::vector<float>> picks;
    {
        BusyScope busy(busy_);
        const auto start = std::chrono::steady_clock::now();
        bool shown = false;
        struct Restore {
            Controls &c;
            bool &shown;
            const PickingHooks &hooks;
            ~Restore()
            {
                if (shown) {
                    c.setCaptionVisible(Caption::lblReadTr, false);
                    c.setPointer(PointerDefault);
                }
                if (hooks.working)
                    hooks.working(false);
            }
        } restore{c_, shown, hooks};
        if (hooks.working)
            hooks.working(true);
        CrossCorrRun run;
        run.threads = pickingThreads;
        run.progress = [&](int done, int pairs) {
            if (!shown && std::chrono::steady_clock::now() - start >= ProgressDelay) {
                shown = true;
                c_.setPointer(PointerBusy);
                c_.setCaptionVisible(Caption::lblReadTr, true);
            }
            if (shown)
                c_.setCaption(Caption::lblReadTr, "Picking Trace # " + PlainText(done < pairs ? done + 1 : pairs));
            return !(hooks.stop && hooks.stop());
        };
        picks = CrossCrol(store.PlotData, store.NTraces, store.NSamples, store.TotalTime, *w, run);
    }
    if (!picks)
        return Result::Cancelled(); // stopped: nothing has changed

    // A run that picked nothing would throw the earlier picks away for
    // none: asked first when there are any, told afterwards otherwise.
    const bool none = !AnyPick(*picks);
    const std::string noPick = none ? "No trace could be picked: " + NoPickReason(*w, store.NTraces) : "";
    if (none && AnyPick(store.Picks)
        && !(hooks.discardAnyway && hooks.discardAnyway(noPick + ". Discard the current picks anyway?")))
        return Result::Refused("");
    const bool tell = none && !AnyPick(store.Picks);
    history_.record(store.Picks, *picks);
    store.Picks = std::move(*picks);
    return Result::Done(tell ? noPick + "." : "");
}

void App::pickByCrossCorrelation(bool align)
{
    if (busy_ || !frmData_)
        return;
    std::array<double, 4> typed;
    for (size_t k = 0; k < typed.size(); ++k)
        typed[k] = Val(frmData_->text(WindowFields[k].field));
    PickingHooks hooks;
    hooks.working = [this](bool on) { frmData_->setWorking(on); };
    hooks.stop = [this] { return frmData_->stopRequested(); };
    hooks.discardAnyway = [this](const std::string &question) { return d_.question(AutomaticTitle, question); };
    const Result r = pickAutomatically(typed, hooks);
    if (r.status == Result::Status::Refused) {
        // The window as typed cannot be used, or the earlier picks are kept:
        // the dialog stays open.
        if (!r.message.empty())
            d_.message(AutomaticTitle, r.message);
        return;
    }
    frmData_->closeDialog();
    if (!r.done())
        return;
    if (align) {
        AdjustAirWave();
        cmdRePlot_Click();
    }
    if (!r.notice.empty())
        d_.message(AutomaticTitle, r.notice);
}

} // namespace orv

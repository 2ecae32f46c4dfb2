// Adjust Air Wave > Automatic: the cross-correlation parameters from
// frmData, the picking run with its progress mark and stop, then the
// alignment on the new picks and the re-plot.
#include "app/app.h"

#include "app/busy.h"
#include "core/numbers.h"
#include "picking/crosscorr.h"

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
std::optional<CrossCorrWindow> ReadWindow(const DataDialog &dlg, int nSamples, std::string &refusal)
{
    int16_t v[4];
    for (int k = 0; k < 4; ++k) {
        const double x = Val(dlg.text(WindowFields[k].field));
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

void App::pickByCrossCorrelation(bool align)
{
    if (busy_ || !frmData_)
        return;
    if (!store.hasProfile()) {
        frmData_->closeDialog();
        return;
    }
    std::string refusal;
    const std::optional<CrossCorrWindow> w = ReadWindow(*frmData_, CInt(store.NSamples), refusal);
    if (!w) {
        d_.message(AutomaticTitle, refusal);
        return;
    }

    // The picks are computed aside; the store changes only once they are
    // taken. While the run goes on nothing else runs against the store, and
    // a run that lasts shows how far it has come.
    std::optional<std::vector<float>> picks;
    {
        BusyScope busy(busy_);
        const auto start = std::chrono::steady_clock::now();
        bool shown = false;
        struct Restore {
            App &app;
            bool &shown;
            ~Restore()
            {
                if (shown) {
                    app.c_.setCaptionVisible(Caption::lblReadTr, false);
                    app.c_.setPointer(PointerDefault);
                }
                app.frmData_->setWorking(false);
            }
        } restore{*this, shown};
        frmData_->setWorking(true);
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
            return !frmData_->stopRequested();
        };
        picks = CrossCrol(store.PlotData, store.NTraces, store.NSamples, store.TotalTime, *w, run);
    }
    if (!picks) {
        // Stopped: as "&Cancel", nothing has changed.
        frmData_->closeDialog();
        return;
    }

    // A run that picked nothing would throw the earlier picks away for
    // none: asked first when there are any, told afterwards otherwise.
    const bool none = !AnyPick(*picks);
    const std::string noPick = none ? "No trace could be picked: " + NoPickReason(*w, store.NTraces) : "";
    if (none && AnyPick(store.Picks)
        && !d_.question(AutomaticTitle, noPick + ". Discard the current picks anyway?"))
        return;
    const bool tell = none && !AnyPick(store.Picks);

    store.Picks = std::move(*picks);
    frmData_->closeDialog();
    if (align) {
        AdjustAirWave();
        cmdRePlot_Click();
    }
    if (tell)
        d_.message(AutomaticTitle, noPick + ".");
}

} // namespace orv

// Picking: the mouse on the trace canvas, the pick rules of the Tools menu,
// Reset Picking, the alignment on the picks (Current Picking, From File) and
// Save Picking. The picking itself is done by the picking and picks floors;
// the session's operations load, save and align, the handlers guard, ask
// and show.
#include "app/app.h"

#include "app/busy.h"

#include "core/numbers.h"
#include "picking/airwave.h"
#include "picking/interactive.h"
#include "picking/rules.h"
#include "core/savefile.h"
#include "picks/pickscsv.h"
#include "picks/picksfile.h"

#include <utility>
#include <vector>

namespace orv {

namespace {

constexpr const char *MissingPicksTitle = "Missing Picks";

} // namespace

void App::pctTrace_MouseMove(float y)
{
    if (busy_)
        return;
    PctTraceMouseMove(store, c_, upd, pctProfile_, pctTrace_, y);
}

void App::pctTrace_MouseDown(int button, float y)
{
    if (busy_)
        return;
    const std::vector<float> before = store.Picks;
    PctTraceMouseDown(store, c_, upd, pctProfile_, pctTrace_, button, y);
    history_.record(before, store.Picks);
}

void App::choosePickRule(int16_t mode)
{
    for (int k = 0; k < static_cast<int>(MenuCheck::Count); ++k)
        c_.setChecked(static_cast<MenuCheck>(k), k + 1 == mode);
    store.PickMode = mode;
}

void App::mnuZeroPick_Click() { choosePickRule(PickZeroUp); }
void App::mnuZeroPick2_Click() { choosePickRule(PickZeroDown); }
void App::mnuMaxPick_Click() { choosePickRule(PickMax); }
void App::mnuMinPick_Click() { choosePickRule(PickMin); }

void App::mnuReset_Click()
{
    if (busy_ || !store.hasProfile())
        return;
    const std::vector<float> before = store.Picks;
    store.Picks.assign(static_cast<size_t>(CLng(store.NTraces)) + 1, 0.0f);
    history_.record(before, store.Picks);
    upd.setMin(CLng(Val(c_.text(Field::txt1sttr))));
    upd.setMax(CLng(Val(c_.text(Field::txtLsttr))));
    upd.setValue(upd.Min());
    // The group without crosses, the current trace and its highlight.
    drawAll();
}

void App::mnuCurrentPick_Click()
{
    if (busy_)
        return;
    if (!store.hasProfile()) {
        d_.message("Current Picking", "There is no profile to align.");
        return;
    }
    if (PicksIncomplete(store)
        && !d_.question(MissingPicksTitle, "One or more traces are not picked. Continue anyway?"))
        return;
    if (store.Picks.size() < 2 || store.Picks[1] == 0) {
        d_.message(MissingPicksTitle, "At least tfrst trace must be picked");
        return;
    }
    AdjustAirWave();
}

void ProfileSession::AdjustAirWave()
{
    // The shift and the re-plot show one progress between them.
    ProgressCaption shown(c_, "Aligning");
    {
        BusyScope busy(busy_);
        ShiftOnPicks(store, [&](int trace) { shown.report(trace); });
    }
    cmdRePlot_Click();
}

Result ProfileSession::loadPicks(const std::string &path, bool align)
{
    if (busy_)
        return Result::Cancelled();
    if (!store.hasProfile())
        return Result::Refused("There is no profile to align.");
    store.DataFileName = path;
    // The picks are replaced only by a whole, good file.
    std::vector<float> picks;
    std::string error;
    if (!ReadPicksFile(path, CInt(store.NTraces), picks, error))
        return Result::Refused("The picks file " + path + " " + error + ".");
    history_.record(store.Picks, picks);
    store.Picks = std::move(picks);
    if (align)
        AdjustAirWave();
    return Result::Done();
}

Result ProfileSession::savePicks(const std::string &path)
{
    if (busy_)
        return Result::Cancelled();
    store.DataFileName = path;
    std::string error;
    if (!WritePicksFile(path, store.Picks, CInt(store.NTraces), error))
        return Result::Refused("The picks cannot be saved to " + path + ": " + error + ".");
    return Result::Done();
}

// Said by the session and by the menu item, which asks before showing its dialog.
constexpr const char *NoProfileToExport = "There is no profile whose picks could be exported.";

Result ProfileSession::exportPicksCsv(const std::string &path)
{
    if (busy_)
        return Result::Cancelled();
    if (!store.hasProfile())
        return Result::Refused(NoProfileToExport);
    std::string error;
    if (!SaveWholeFile(path, FormatPicksCsv(store), error))
        return Result::Refused("The picks cannot be exported to " + path + ": " + error + ".");
    return Result::Done();
}

void App::mnuFromFile_Click()
{
    if (busy_)
        return;
    if (!store.hasProfile()) {
        d_.message("From File", "There is no profile to align.");
        return;
    }
    const std::string path = d_.openFile(PicksLoadFilter);
    store.DataFileName = path;
    if (!path.empty())
        shown("From File", loadPicks(path, true), path);
}

void App::mnuSavePick_Click()
{
    if (busy_)
        return;
    SavePicks();
}

void App::SavePicks()
{
    const std::string path = d_.saveFile(PicksSaveFilter);
    store.DataFileName = path;
    if (!path.empty())
        shown("Save Picking", savePicks(path), path);
}

void App::mnuExportPicksCsv_Click()
{
    if (busy_)
        return;
    if (!store.hasProfile()) {
        d_.message("Export Picks (CSV)", NoProfileToExport);
        return;
    }
    const std::string path = d_.saveFile(PicksCsvFilter);
    if (!path.empty())
        shown("Export Picks (CSV)", exportPicksCsv(path), path);
}

} // namespace orv

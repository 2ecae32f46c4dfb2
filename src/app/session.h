#pragma once
// The command flow with no one to ask: the profile store, the trace stepper,
// the display commands and the operations of the File and Adjust Air Wave
// menus. Each operation takes what a user would have chosen (a file, a
// format, a key window) as arguments and returns what happened; it reaches
// the window only through Controls and the two Canvases. The window's
// handlers (App) ask, call and show the result; the batch program calls the
// same operations with no dialog at all.
//
// The operations sit beside the handlers that call them: files.cpp (open,
// save), picking_commands.cpp (the picks file, the alignment),
// automatic_picking.cpp (cross-correlation), display_commands.cpp (Re-Plot,
// All Profile, Next Group, the stepper).

#include "app/profile_formats.h"
#include "core/canvas.h"
#include "core/controls.h"
#include "core/stepper.h"
#include "core/store.h"
#include "picking/history.h"

#include <array>
#include <functional>
#include <string>

namespace orv {

namespace test {
struct StoreAccess;
}

// What an operation did. Refused: nothing changed, and `message` says why
// (empty when nothing needs saying); Cancelled: stopped, nothing changed,
// nothing to say.
struct Result {
    enum class Status { Done, Refused, Cancelled } status = Status::Done;
    std::string message;
    std::string notice; // Done: a remark to show once the command has ended

    bool done() const { return status == Status::Done; }
    static Result Done(std::string notice = {}) { return {Status::Done, {}, std::move(notice)}; }
    static Result Refused(std::string why) { return {Status::Refused, std::move(why), {}}; }
    static Result Cancelled() { return {Status::Cancelled, {}, {}}; }
};

// How a picking run meets whoever started it; each may be empty.
struct PickingHooks {
    std::function<void(bool running)> working; // as the run starts and as it ends
    std::function<bool()> stop;                // asked between trace pairs; true stops the run
    // A run that picked nothing while there are picks: replace them anyway?
    std::function<bool(const std::string &question)> discardAnyway;
};

class ProfileSession {
public:
    ProfileSession(Controls &controls, Canvas &pctProfile, Canvas &pctTrace);
    ProfileSession(const ProfileSession &) = delete;
    ProfileSession &operator=(const ProfileSession &) = delete;

    // The trace stepper; its value is the current trace.
    Stepper upd;
    // Threads of a cross-correlation run; 0: one per processor core.
    unsigned pickingThreads = 0;
    // Threads of a Re-Plot's profile plot; 0: one per processor core.
    unsigned plotThreads = 0;
    // True while a long operation (a read, a picking run) goes on; every
    // command that arrives meanwhile is refused, so nothing sees a
    // half-loaded store.
    bool busy() const { return busy_; }
    const ProfileStore &profile() const { return store; }

    // Tools > Re-Plot Profile and the "Re-Plot" button.
    void mnuReplot_Click();
    void cmdRePlot_Click();
    void cmdAll_Click();
    void cmdNextGroup_Click();
    // The group before the display window, by Next Group's rule backwards:
    // the same width, "Group Overlap" traces repeated, never before trace 1.
    void cmdPrevGroup_Click();
    // Undo and redo of the last change of the picks (a pick, Reset Picking,
    // From File, Automatic): the picks as they were, the group redrawn with
    // its crosses, Label3 showing the pick in force. A step that changed one
    // trace's pick puts the stepper on that trace when it can go there.
    // RawData stays as it is. A new profile starts a fresh history.
    void undoPicks();
    void redoPicks();
    // Value of upd changed (by the user or the program).
    void upd_Change();
    // Tools > Variable Density checked or unchecked: the profile is drawn
    // as grey levels or as wiggles from now on, and re-plotted at once.
    // Nothing changes while a long operation goes on.
    void setVariableDensity(bool on);

    // Reads `path` as format f (a text profile with the sizes given), swaps
    // it into the store and draws it. The caller shows the busy pointer
    // from before it asks for the file; however the read ends, the default
    // pointer comes back. Refused: "The file <path> <reason>.".
    Result open(FormatId f, const std::string &path, const Acquisition &sizes = {});
    // Writes the working amplitudes as format f. A writer may clip them in
    // place; with keepAmplitudes they are put back afterwards, so that the
    // next format is written from the same ones.
    Result saveProfile(FormatId f, const std::string &path, bool keepAmplitudes = false);
    // Replaces every pick by those of a whole, good picks file; with
    // `align`, then shifts the traces on them.
    Result loadPicks(const std::string &path, bool align);
    Result savePicks(const std::string &path);
    // File > Export Picks (CSV): the picks with the geometry the file's
    // headers carry (see FormatPicksCsv), written whole or not at all.
    Result exportPicksCsv(const std::string &path);
    // Picks every trace by cross-correlation: `typed` the key window's first
    // and last sample and the target range's, as typed (read leniently).
    // Refused with the field's range, or with no message when a run that
    // picked nothing keeps the earlier picks; Done with a notice when no
    // trace could be picked.
    Result pickAutomatically(const std::array<double, 4> &typed, const PickingHooks &hooks = {});
    // Shifts RawData on the picks and re-plots.
    void AdjustAirWave();

protected:
    // The post-load step of format f's draw; the ASCII one below.
    void postLoad(PostLoadDraw draw);
    void postLoadAscii();
    // The display fields a new profile starts with; lastTrace as written.
    void defaultFields(const std::string &lastTrace);
    // Normalization, clip and gather size from the window, as Re-Plot takes them.
    void readDisplayOptions();
    void drawAll();
    void stepGroup(bool forward); // Next Group and the previous group
    void openCaptions();

    void stepHistory(bool forward);
    // Label3 for the pick of trace t: empty when t has none.
    void showPickOf(int32_t t);

    ProfileStore store;
    PickHistory history_;
    // The trace drawn green on pctProfile, so a step either way restores it;
    // 0 when none is known.
    int32_t highlighted_ = 0;
    Controls &c_;
    Canvas &pctProfile_;
    Canvas &pctTrace_;
    bool busy_ = false;

private:
    friend struct test::StoreAccess;
};

} // namespace orv

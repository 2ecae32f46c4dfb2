#pragma once
// The main window's command flow: every handler of Form1 that is not a file
// format, a plot or the layout. Handlers reach the window only through
// Controls, the two Canvases and Dialogs, so whole command sequences run in
// tests without a window.

#include "core/canvas.h"
#include "core/controls.h"
#include "core/dialogs.h"
#include "core/stepper.h"
#include "core/store.h"

#include <string>

namespace orv {

class App {
public:
    App(Controls &controls, Dialogs &dialogs, Canvas &pctProfile, Canvas &pctTrace);
    App(const App &) = delete;
    App &operator=(const App &) = delete;

    // The one profile store and the trace stepper.
    ProfileStore store;
    Stepper upd;

    // Window created.
    void Form_Load();

    // Tools > Re-Plot Profile and the "Re-Plot" button.
    void mnuReplot_Click();
    void cmdRePlot_Click();
    void cmdAll_Click();
    void cmdNextGroup_Click();
    // Value of upd changed (by the user or the program).
    void upd_Change();
    // Mouse moved over the window background or over pctProfile.
    void Form_MouseMove();

    void mnuOpenSU_Click();
    void mnuSaveSU_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void cmdAbouOK_Click();

    // The SU reader and writer with their dialogs, pointer and messages.
    void ReadSU();
    void WriteSU();

    // True while a long command (a read) runs; commands that arrive then are
    // refused so nothing sees a half-loaded store.
    bool busy() const { return busy_; }

private:
    // Swaps a freshly read profile and its working copy into the store.
    void commitProfile(Profile &&p, Array2D &&plot, const std::string &path);
    void postLoad();
    void drawAll();
    void openCaptions();

    Controls &c_;
    Dialogs &d_;
    Canvas &pctProfile_;
    Canvas &pctTrace_;
    bool busy_ = false;
    std::string notice_; // a note on the file just read, shown when its open command ends
};

} // namespace orv

#pragma once
// The main window's command flow: one handler per menu item, button, mouse
// event and stepper change. Handlers reach the window only through Controls,
// the two Canvases and Dialogs, so whole command sequences run in tests
// without a window. The work itself lives in the floors below (formats,
// display, picking, picks); the handlers route to it and commit its results.
//
// The handlers are spread over files by concern: app.cpp (start, pointer,
// exit, About), display_commands.cpp (Re-Plot, All Profile, Next Group, the
// stepper), files.cpp (opening and saving profiles), picking_commands.cpp
// (mouse picking, pick rules, alignment, the picks file),
// automatic_picking.cpp (cross-correlation picking).

#include "core/canvas.h"
#include "core/controls.h"
#include "core/datadialog.h"
#include "core/dialogs.h"
#include "core/stepper.h"
#include "core/store.h"
#include "app/profile_formats.h"

#include <string>

namespace orv {

class App {
public:
    // frmData: the parameter dialog; without one the commands that need it
    // do nothing.
    App(Controls &controls, Dialogs &dialogs, Canvas &pctProfile, Canvas &pctTrace, DataDialog *frmData = nullptr);
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

    // File > Open Profile and File > Save Profile, one pair per format.
    void mnuOpenSU_Click();
    void mnuOpenRD3_Click();
    void mnuOpenDT1_Click();
    void mnuOpenAscii_Click();
    void mnuSaveSU_Click();
    void mnuSaveRD3_Click();
    void mnuSaveAscii_Click();
    // frmData's acquisition buttons.
    void frmData_cmdOK_Click();
    void frmData_cmdCancel_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void cmdAbouOK_Click();

    // The readers and writers with their dialogs, pointer and messages.
    void ReadSU();
    void ReadRD3();
    void ReadDT1();
    void WriteSU();
    void WriteRD3();
    void WriteAscii();

    // Mouse over the trace canvas: y in twips; button 1 left, 2 right, 4 middle.
    void pctTrace_MouseMove(float y);
    void pctTrace_MouseDown(int button, float y);

    // Tools: the pick rules and Reset Picking.
    void mnuZeroPick_Click();
    void mnuZeroPick2_Click();
    void mnuMaxPick_Click();
    void mnuMinPick_Click();
    void mnuReset_Click();

    // Adjust Air Wave > Current Picking / From File / Automatic; File > Save
    // Picking.
    void mnuCurrentPick_Click();
    void mnuFromFile_Click();
    void mnuAutomatic_Click();
    // frmData's cross-correlation buttons: pick every trace, align, re-plot.
    void frmData_cmdOK2_Click();
    void frmData_cmdCancel2_Click();
    // What "&Ok" does; without `align` the picks are taken and nothing else
    // changes (batch processing keeps picking and aligning apart).
    void pickByCrossCorrelation(bool align);
    // Threads of a cross-correlation run; 0: one per processor core.
    unsigned pickingThreads = 0;
    // Threads of a Re-Plot's profile plot; 0: one per processor core.
    unsigned plotThreads = 0;
    void mnuSavePick_Click();
    // Shifts RawData on the picks and re-plots.
    void AdjustAirWave();
    void SavePicks();

    // True while a long command (a read) runs; commands that arrive then are
    // refused so nothing sees a half-loaded store.
    bool busy() const { return busy_; }

private:
    // The one open flow and the one save flow, driven by the format.
    void openProfile(const ProfileFormat &f);
    bool readProfile(const ProfileFormat &f);
    void saveProfile(const ProfileFormat &f);
    // Swaps a freshly read profile and its working copy into the store.
    void commitProfile(Profile &&p, Array2D &&plot, const std::string &path);
    void postLoad(PostLoadDraw draw);
    void postLoadAscii();
    // The display fields a new profile starts with; lastTrace as written.
    void defaultFields(const std::string &lastTrace);
    void showNotice();
    // Normalization, clip and gather size from the window, as Re-Plot takes them.
    void readDisplayOptions();
    void drawAll();
    void openCaptions();
    void choosePickRule(int16_t mode);

    Controls &c_;
    Dialogs &d_;
    Canvas &pctProfile_;
    Canvas &pctTrace_;
    DataDialog *frmData_;
    bool busy_ = false;
    std::string notice_; // a note on the file just read, shown when its open command ends
};

} // namespace orv

#pragma once
// The main window's command flow: one handler per menu item, button, mouse
// event and stepper change. A handler asks the user what the session's
// operation needs (a file, the sizes of a text profile, a key window),
// calls the operation and shows what came of it. Handlers reach the window
// only through Controls, the two Canvases, Dialogs and the parameter dialog,
// so whole command sequences run in tests without a window.
//
// The handlers are spread over files by concern: app.cpp (start, pointer,
// exit, About), display_commands.cpp (Re-Plot, All Profile, Next Group, the
// stepper, all in the session), files.cpp (opening and saving profiles),
// picking_commands.cpp (mouse picking, pick rules, alignment, the picks
// file), automatic_picking.cpp (cross-correlation picking).

#include "app/session.h"
#include "core/datadialog.h"
#include "core/dialogs.h"

#include <string>

namespace orv {

class App : public ProfileSession {
public:
    // frmData: the parameter dialog; without one the commands that need it
    // do nothing.
    App(Controls &controls, Dialogs &dialogs, Canvas &pctProfile, Canvas &pctTrace, DataDialog *frmData = nullptr);

    // Window created.
    void Form_Load();
    // Mouse moved over the window background or over pctProfile.
    void Form_MouseMove();

    // File > Open Profile and File > Save Profile of a format; the named
    // ones are the same, one for each format.
    void mnuOpen_Click(FormatId f);
    void mnuSave_Click(FormatId f);
    void mnuOpenSU_Click();
    void mnuOpenRD3_Click();
    void mnuOpenDT1_Click();
    void mnuOpenAscii_Click();
    void mnuOpenSEGY_Click();
    void mnuOpenDZT_Click();
    void mnuOpenRD7_Click();
    void mnuSaveSU_Click();
    void mnuSaveRD3_Click();
    void mnuSaveAscii_Click();
    void mnuSaveSEGY_Click();
    void mnuSaveRD7_Click();
    // frmData's acquisition buttons.
    void frmData_cmdOK_Click();
    void frmData_cmdCancel_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void cmdAbouOK_Click();

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
    // changes.
    void pickByCrossCorrelation(bool align);
    void mnuSavePick_Click();
    void SavePicks();
    // File > Export Picks (CSV): asks the file name, then exportPicksCsv.
    void mnuExportPicksCsv_Click();

private:
    // The file dialog with the busy pointer; empty when cancelled, which
    // clears DataFileName and brings the default pointer back.
    std::string askFile(const std::string &filter, bool toOpen);
    // For a file of a format whose files may hold several channels, asks
    // which one to open when it holds more than one. False when the user
    // cancelled; channel is left as it is when nothing was asked.
    bool askChannel(const ProfileFormat &pf, const std::string &path, int &channel);
    // Shows what an operation on `path` came to: a file done is remembered
    // for the next dialog's folder, a refusal is said under `title`. True
    // when done.
    bool shown(const char *title, const Result &r, const std::string &path);
    void showNotice();
    void choosePickRule(int16_t mode);

    Dialogs &d_;
    DataDialog *frmData_;
    FormatId sizesFor_ = FormatId::Ascii; // the format frmData's "&Ok" reads
    std::string notice_; // a note on the file just read, shown when its open command ends
};

} // namespace orv

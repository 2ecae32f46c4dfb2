// The session's start, and the window's: start-up, the pointer over the
// window, Exit and the About panel.
#include "app/app.h"

namespace orv {

ProfileSession::ProfileSession(Controls &controls, Canvas &pctProfile, Canvas &pctTrace)
    : c_(controls), pctProfile_(pctProfile), pctTrace_(pctTrace)
{
    upd.onChange = [this] { upd_Change(); };
}

App::App(Controls &controls, Dialogs &dialogs, Canvas &pctProfile, Canvas &pctTrace, DataDialog *frmData)
    : ProfileSession(controls, pctProfile, pctTrace), d_(dialogs), frmData_(frmData)
{
}

void App::Form_Load()
{
    c_.setCaptionVisible(Caption::lblReadTr, false);
    store.PickMode = 1;
    c_.showAbout(false);
}

void App::Form_MouseMove()
{
    if (busy_)
        return;
    c_.setPointer(PointerDefault);
}

void App::mnuExit_Click() { c_.quit(); }

void App::mnuAbout_Click() { c_.showAbout(true); }

void App::cmdAbouOK_Click() { c_.showAbout(false); }

} // namespace orv

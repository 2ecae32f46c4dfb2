#pragma once
// What the command handlers see of the main window: the text of its fields,
// the captions of its labels, option states, title and pointer. The Qt window
// implements it with real widgets; tests use a plain fake.

#include <string>

namespace orv {

enum class Field {
    txt1sttr,
    txtLsttr,
    txt1stsamp,
    txtLstsamp,
    txtAmpClip,
    txtGainValue,
    txtTraceCSG,
    txtGroupOverlap,
    txtPickRange,
    Text1,
    Count // the number of fields; the window has a widget for each
};

enum class Caption {
    Label1,    // "Trace # n"
    Label3,    // "Picked Time = "
    Label5,    // "No. of Traces = n"
    Label6,    // "No. of Samples = n"
    lblReadTr, // reading progress
    lblSamp0, lblSamp1, lblSamp2, lblSamp3, lblSamp4,
    lblTime0, lblTime1, lblTime2, lblTime3, lblTime4,
    Count // the number of captions; the window has a label for each
};

inline Caption lblSamp(int k) { return static_cast<Caption>(static_cast<int>(Caption::lblSamp0) + k); }
inline Caption lblTime(int k) { return static_cast<Caption>(static_cast<int>(Caption::lblTime0) + k); }

enum class Option { optNormNone, optNormCSG, optNormTrace, Count };

// The menu items that carry a check mark: the four pick rules of the Tools
// menu, in menu order.
enum class MenuCheck { mnuZeroPick, mnuZeroPick2, mnuMaxPick, mnuMinPick, Count };

// Mouse buttons as the window reports them.
enum MouseButton : int { MouseLeft = 1, MouseRight = 2, MouseMiddle = 4 };

enum Pointer : int { PointerDefault = 0, PointerCross = 2, PointerBusy = 11 };

class Controls {
public:
    virtual ~Controls() = default;
    virtual std::string text(Field f) const = 0;
    virtual void setText(Field f, const std::string &s) = 0;
    virtual std::string caption(Caption c) const = 0;
    virtual void setCaption(Caption c, const std::string &s) = 0;
    virtual bool captionVisible(Caption c) const = 0;
    virtual void setCaptionVisible(Caption c, bool visible) = 0;
    virtual bool option(Option o) const = 0;
    virtual bool checked(MenuCheck m) const = 0;
    virtual void setChecked(MenuCheck m, bool on) = 0;
    virtual std::string title() const = 0;
    virtual void setTitle(const std::string &s) = 0;
    virtual int pointer() const = 0;
    virtual void setPointer(int shape) = 0;
    // The stepper `upd` lives in the application object (App::upd); the
    // window only shows it, so it needs no entry here.

    // Shows the About panel centred on the profile canvas / hides it.
    virtual void showAbout(bool visible) = 0;
    // Fits the window to the screen and lays the controls out, on its first
    // call only.
    virtual void adjustform() = 0;
    // Lets the window repaint during a long command. User input that arrives
    // meanwhile waits until the command has ended.
    virtual void yieldToUi() = 0;
    // The Cancel button of a long read, just below the progress caption
    // (lblReadTr): shown, not yet clicked, or hidden.
    virtual void setCancelVisible(bool visible) = 0;
    // As yieldToUi while the Cancel button is up, except that a click on the
    // button gets through; any other user input is dropped, never acted on.
    // True once the button has been clicked since it was shown.
    virtual bool yieldForCancel() = 0;
    // Ends the program at once.
    virtual void quit() = 0;
};

} // namespace orv

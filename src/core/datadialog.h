#pragma once
// The parameter dialog frmData ("Enter Data") as the command flow sees it:
// shown without waiting, it disables the main window until it is closed,
// and its buttons call back into the command flow. It shows one of two
// frames: the acquisition parameters of a text profile, or the
// cross-correlation parameters of automatic picking. The Qt dialog
// implements it; tests use a plain fake.

#include <string>

namespace orv {

// The dialog's fields: number of traces, number of samples and total time of
// the acquisition frame; the key window and the target range of the
// cross-correlation frame.
enum class DataField { Text1, Text2, Text3, txtKey1st, txtKeyLast, txtTarg1st, txtTargLast, Count };

class DataDialog {
public:
    virtual ~DataDialog() = default;
    // Shows the acquisition frame with empty fields and disables the main
    // window.
    virtual void showAcquisition() = 0;
    // Shows the cross-correlation frame with empty fields and disables the
    // main window.
    virtual void showCrossCorrelation() = 0;
    virtual std::string text(DataField f) const = 0;
    virtual bool isOpen() const = 0;
    // Closes the dialog and enables the main window again.
    virtual void closeDialog() = 0;

    // While a long computation runs for the dialog's "&Ok": the fields and
    // "&Ok" are held, and "&Cancel", the Escape key or the close control
    // ask the computation to stop instead of closing the dialog.
    virtual void setWorking(bool working) = 0;
    // Lets the windows repaint and the dialog take input; true once a stop
    // has been asked for since setWorking(true).
    virtual bool stopRequested() = 0;
};

} // namespace orv

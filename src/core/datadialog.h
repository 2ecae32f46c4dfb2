#pragma once
// The parameter dialog frmData ("Enter Data") as the command flow sees it:
// shown without waiting, it disables the main window until it is closed,
// and its buttons call back into the command flow. The Qt dialog implements
// it; tests use a plain fake.

#include <string>

namespace orv {

// The acquisition fields: number of traces, number of samples, total time.
enum class DataField { Text1, Text2, Text3, Count };

class DataDialog {
public:
    virtual ~DataDialog() = default;
    // Shows the acquisition frame with empty fields and disables the main
    // window.
    virtual void showAcquisition() = 0;
    virtual std::string text(DataField f) const = 0;
    virtual bool isOpen() const = 0;
    // Closes the dialog and enables the main window again.
    virtual void closeDialog() = 0;
};

} // namespace orv

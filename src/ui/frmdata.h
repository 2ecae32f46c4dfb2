#pragma once
// frmData, "Enter Data": the parameter dialog. Shown without waiting, it
// keeps input away from the main window until one of its buttons or its own
// close control closes it. This is its acquisition frame ("Acqu.
// Parameters": traces, samples, total time) with "&Ok" and "&Cancel".

#include "core/datadialog.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;

namespace orv {

class FrmData : public QDialog, public DataDialog {
    Q_OBJECT
public:
    // mainWindow: the window whose input is held off while this one is open.
    explicit FrmData(QWidget *mainWindow);

    void showAcquisition() override;
    std::string text(DataField f) const override;
    bool isOpen() const override { return isVisible(); }
    void closeDialog() override;

    QLineEdit *field(DataField f) const { return fields_[static_cast<size_t>(f)]; }
    QPushButton *cmdOK() const { return cmdOK_; }
    QPushButton *cmdCancel() const { return cmdCancel_; }

signals:
    void okClicked();
    void cancelClicked();

protected:
    void closeEvent(QCloseEvent *e) override;
    void reject() override; // the Escape key: as "&Cancel"

private:
    void holdMainWindow(bool hold);
    QWidget *main_;
    std::array<QLineEdit *, static_cast<size_t>(DataField::Count)> fields_{};
    QPushButton *cmdOK_ = nullptr;
    QPushButton *cmdCancel_ = nullptr;
};

} // namespace orv

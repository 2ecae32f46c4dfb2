#pragma once
// frmData, "Enter Data": the parameter dialog. Shown without waiting, it
// keeps input away from the main window until one of its buttons or its own
// close control closes it. It carries two frames, each with its own "&Ok"
// and "&Cancel", and shows one at a time: the acquisition frame ("Acqu.
// Parameters": traces, samples, total time) for a text profile, and the
// cross-correlation frame ("Cross Corelation Parameters": the key window and
// the target range) for automatic picking.

#include "core/datadialog.h"

#include <QDialog>

#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace orv {

class FrmData : public QDialog, public DataDialog {
    Q_OBJECT
public:
    // mainWindow: the window whose input is held off while this one is open.
    explicit FrmData(QWidget *mainWindow);

    void showAcquisition() override;
    void showCrossCorrelation() override;
    std::string text(DataField f) const override;
    bool isOpen() const override { return isVisible(); }
    void closeDialog() override;
    void setWorking(bool working) override;
    bool stopRequested() override;

    QLineEdit *field(DataField f) const { return fields_[static_cast<size_t>(f)]; }
    QPushButton *cmdOK() const { return cmdOK_; }
    QPushButton *cmdCancel() const { return cmdCancel_; }
    QPushButton *cmdOK2() const { return cmdOK2_; }
    QPushButton *cmdCancel2() const { return cmdCancel2_; }

signals:
    void okClicked();
    void cancelClicked();
    void ok2Clicked();
    void cancel2Clicked();

protected:
    void closeEvent(QCloseEvent *e) override;
    void reject() override; // the Escape key: as the shown frame's "&Cancel"

private:
    void holdMainWindow(bool hold);
    // Empty fields, the place of the load handler, the main window held.
    void showFrame(bool crossCorrelation, int width);
    void cancel2();
    QWidget *main_;
    std::array<QLineEdit *, static_cast<size_t>(DataField::Count)> fields_{};
    QGroupBox *frame1_ = nullptr;
    QGroupBox *frame2_ = nullptr;
    QPushButton *cmdOK_ = nullptr;
    QPushButton *cmdCancel_ = nullptr;
    QPushButton *cmdOK2_ = nullptr;
    QPushButton *cmdCancel2_ = nullptr;
    bool working_ = false;
    bool stop_ = false;
};

} // namespace orv

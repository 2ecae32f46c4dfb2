#pragma once
// The main window Form1: every control at its design place, the menu tree,
// the About panel, and the binding of clicks, arrow steps and mouse moves to
// the application's handlers (orv::App).

#include "core/controls.h"
#include "ui/layout.h"

#include <QFont>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QWheelEvent;

namespace orv {

class App;
class Dialogs;
class FrmData;
class QtCanvas;
class QtControls;
class QtDialogs;
class UpDown;

// The window's font: the system family at 11 pixels, the size of the classic
// 8-point dialog font, so captions fit their design boxes.
QFont CompactFont();

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // dialogs: the file dialog and message boxes to use; nullptr for Qt's own
    // (tests pass a scripted one). Runs the load handler before returning.
    explicit Form1(Dialogs *dialogs = nullptr, QWidget *parent = nullptr);
    ~Form1() override;

    App &app() { return *app_; }

    // Fits the window to the screen and arranges the controls around the
    // canvases, on the first call after the load handler only.
    void adjustform();
    bool layoutDone() const { return layoutDone_ != 0; }

    // Opens the file named on the command line as File > Open would for the
    // format its name says, the file dialog answered with it; a name of no
    // known format, or a header whose data file cannot be named, gets a
    // message instead. Call once the window is shown, so that the layout is
    // fitted as for a menu open. With dialogs passed to the constructor,
    // those answer the file dialog themselves.
    void openAtStart(const std::string &path);

    // Shows the About panel centred on pctProfile, or hides it.
    void showAbout(bool visible);

    // The Cancel button of a long read, just below the progress caption
    // lblReadTr: shown (and not yet clicked) or hidden.
    void showCancelRead(bool visible);
    QPushButton *cmdCancelRead() const { return cmdCancelRead_; }
    // True once the button has been clicked since it was shown.
    bool cancelReadClicked() const { return cancelReadClicked_; }

    // Ends the program at once: closes the window and leaves the event loop.
    void quitProgram();
    bool quitRequested() const { return quitRequested_; }

    // Widgets by role, for the Controls binding and for tests.
    QLineEdit *field(Field f) const;
    QLabel *captionLabel(Caption c) const;
    QRadioButton *optionButton(Option o) const;
    QAction *checkItem(MenuCheck m) const;
    QtCanvas *pctProfile() const { return pctProfile_; }
    QtCanvas *pctTrace() const { return pctTrace_; }
    QGroupBox *frmAbout() const { return frmAbout_; }
    UpDown *upd() const { return upd_; }
    FrmData *frmData() const { return frmData_; }
    QWidget *inner() const; // the inner area (central widget), the controls' container

    // The menus, so that further items can be put at their places.
    QMenu *mnuFile() const { return mnuFile_; }
    QMenu *mnuOpen() const { return mnuOpen_; }
    QMenu *mnuSave() const { return mnuSave_; }
    QMenu *mnuTools() const { return mnuTools_; }
    QMenu *mnuadjustair() const { return mnuadjustair_; }
    QAction *mnuAutomatic() const { return mnuAutomatic_; }
    QAction *mnuExit() const { return mnuExit_; }
    QAction *mnuAbout() const { return mnuAbout_; }
    QAction *mnuVariableDensity() const { return mnuVariableDensity_; }
    QAction *mnuExportPicksCsv() const { return mnuExportPicksCsv_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildControls();
    void buildMenus();
    void bindHandlers();
    void runCommand(const std::function<void()> &command);
    void addDensityAndPicksCsv();
    void bindWidgets(); // fills the role arrays from the name tables
    void applyLayout(const FormLayout &f);
    // Places a widget at the design place of its objectName.
    void place(QWidget *w);
    int menuBarHeight() const;
    // The keys and the wheel over pctProfile: each runs the handler of the
    // control it stands for, through the same guard as the controls.
    void bindKeys(const std::function<void(const std::function<void()> &)> &run);
    void wheelOverProfile(const QWheelEvent &e);

    // Indexed by the Field, Caption, Option and MenuCheck enumerators; filled
    // from the name tables in form1.cpp, which must name every enumerator.
    std::array<QLineEdit *, static_cast<size_t>(Field::Count)> fields_{};
    std::array<QLabel *, static_cast<size_t>(Caption::Count)> captions_{};
    std::array<QRadioButton *, static_cast<size_t>(Option::Count)> options_{};
    std::array<QAction *, static_cast<size_t>(MenuCheck::Count)> checks_{};
    QtCanvas *pctProfile_ = nullptr;
    QtCanvas *pctTrace_ = nullptr;
    QGroupBox *frmAbout_ = nullptr;
    UpDown *upd_ = nullptr;
    QPushButton *cmdRePlot_ = nullptr;
    QPushButton *cmdAll_ = nullptr;
    QPushButton *cmdNextGroup_ = nullptr;
    QPushButton *cmdAbouOK_ = nullptr;
    QPushButton *cmdCancelRead_ = nullptr;
    bool cancelReadClicked_ = false;
    QAction *keyExactPick_ = nullptr, *keyRulePick_ = nullptr; // act only with the pointer over pctTrace
    float pointerY_ = 0;   // twips: the pointer's last height over pctTrace
    int wheelRest_ = 0;    // wheel turn short of a whole step, kept for the next

    QMenu *mnuFile_ = nullptr;
    QMenu *mnuOpen_ = nullptr;
    QMenu *mnuSave_ = nullptr;
    QMenu *mnuTools_ = nullptr;
    QMenu *mnuadjustair_ = nullptr;
    std::vector<QAction *> openItems_, saveItems_; // a format's items, at its FormatId (null: none)
    QAction *mnuExit_ = nullptr;
    QAction *mnuSavePick_ = nullptr;
    QAction *mnuReplot_ = nullptr;
    QAction *mnuReset_ = nullptr;
    QAction *mnuCurrentPick_ = nullptr;
    QAction *mnuFromFile_ = nullptr;
    QAction *mnuAutomatic_ = nullptr;
    QAction *mnuAbout_ = nullptr;
    QAction *mnuVariableDensity_ = nullptr;
    QAction *mnuExportPicksCsv_ = nullptr;

    int16_t layoutDone_ = 0;
    bool quitRequested_ = false;

    // Declared in construction order; the application object goes first on
    // destruction.
    std::unique_ptr<QtControls> controls_;
    std::unique_ptr<QtDialogs> ownDialogs_;
    Dialogs *dialogs_ = nullptr;
    FrmData *frmData_ = nullptr; // a child window, deleted with the main window
    std::unique_ptr<App> app_;
};

} // namespace orv

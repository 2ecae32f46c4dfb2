#include "ui/qtcontrols.h"

#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace orv {

QtControls::QtControls(Form1 &form) : form_(form) {}

QtControls::~QtControls()
{
    // Never leave the busy pointer behind.
    if (busyOverride_)
        QApplication::restoreOverrideCursor();
}

std::string QtControls::text(Field f) const
{
    const QLineEdit *e = form_.field(f);
    return e ? e->text().toStdString() : std::string();
}

void QtControls::setText(Field f, const std::string &s)
{
    if (QLineEdit *e = form_.field(f))
        e->setText(QString::fromStdString(s));
}

std::string QtControls::caption(Caption c) const
{
    const QLabel *l = form_.captionLabel(c);
    return l ? l->text().toStdString() : std::string();
}

void QtControls::setCaption(Caption c, const std::string &s)
{
    if (QLabel *l = form_.captionLabel(c))
        l->setText(QString::fromStdString(s));
}

bool QtControls::captionVisible(Caption c) const
{
    // The label's own Visible property, whether or not the window is shown.
    const QLabel *l = form_.captionLabel(c);
    return l && !l->isHidden();
}

void QtControls::setCaptionVisible(Caption c, bool visible)
{
    if (QLabel *l = form_.captionLabel(c))
        l->setVisible(visible);
}

bool QtControls::option(Option o) const
{
    const QRadioButton *r = form_.optionButton(o);
    return r && r->isChecked();
}

bool QtControls::checked(MenuCheck m) const
{
    const QAction *a = form_.checkItem(m);
    return a && a->isChecked();
}

void QtControls::setChecked(MenuCheck m, bool on)
{
    if (QAction *a = form_.checkItem(m))
        a->setChecked(on);
}

std::string QtControls::title() const { return form_.windowTitle().toStdString(); }

void QtControls::setTitle(const std::string &s) { form_.setWindowTitle(QString::fromStdString(s)); }

int QtControls::pointer() const { return pointer_; }

void QtControls::setPointer(int shape)
{
    const bool busy = shape == PointerBusy;
    if (busy && !busyOverride_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyOverride_ = true;
    } else if (!busy && busyOverride_) {
        QApplication::restoreOverrideCursor();
        busyOverride_ = false;
    }
    if (shape == PointerCross)
        form_.setCursor(Qt::CrossCursor);
    else
        form_.unsetCursor();
    pointer_ = shape;
}

void QtControls::showAbout(bool visible) { form_.showAbout(visible); }

void QtControls::adjustform() { form_.adjustform(); }

void QtControls::yieldToUi() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void QtControls::quit() { form_.quitProgram(); }

} // namespace orv

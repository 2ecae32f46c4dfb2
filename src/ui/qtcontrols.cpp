#include "ui/qtcontrols.h"

#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

namespace orv {

namespace {

// Installed on the application while a read lets the Cancel button through:
// every user input event on its way to any other object is dropped. Events
// to a window itself pass, since that is how Qt finds the widget under the
// pointer or with the focus; the widget-level event is then judged here too.
// A window's close request is dropped at the window, before it reaches the
// widget that would act on it (a close event dropped at the widget counts as
// accepted, and the widget would close).
class CancelOnlyFilter : public QObject {
public:
    explicit CancelOnlyFilter(const QWidget *button) : button_(button) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            return watched->isWindowType();
        if (!isUserInput(event->type()))
            return false;
        if (watched->isWindowType())
            return false;
        const auto *w = qobject_cast<const QWidget *>(watched);
        return !(w && (w == button_ || button_->isAncestorOf(w)));
    }

private:
    static bool isUserInput(QEvent::Type t)
    {
        switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

    const QWidget *button_;
};

} // namespace

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

void QtControls::setCancelVisible(bool visible) { form_.showCancelRead(visible); }

bool QtControls::yieldForCancel()
{
    CancelOnlyFilter filter(form_.cmdCancelRead());
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&filter);
    return form_.cancelReadClicked();
}

void QtControls::quit() { form_.quitProgram(); }

} // namespace orv

#pragma once
// The up-down control `upd`: two small arrow buttons stacked on each other.
// It holds no value of its own: it shows an orv::Stepper (whose Value is the
// current trace) and turns a click on the upper arrow into Stepper::up() and
// on the lower arrow into Stepper::down(). Held down, an arrow repeats.

#include "core/stepper.h"

#include <QWidget>

class QToolButton;

namespace orv {

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget *parent = nullptr);
    ~UpDown() override;

    // Shows `s` from now on (nullptr: none). Installs itself as the stepper's
    // view, so every change of Min, Max or Value, by code or by click, updates
    // the arrows.
    void setStepper(Stepper *s);
    Stepper *stepper() const { return stepper_; }

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    void sync();
    Stepper *stepper_ = nullptr;
    QToolButton *up_;
    QToolButton *down_;
};

} // namespace orv

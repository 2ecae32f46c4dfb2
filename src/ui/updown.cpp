#include "ui/updown.h"

#include <QResizeEvent>
#include <QToolButton>

namespace orv {

UpDown::UpDown(QWidget *parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    for (QToolButton *b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QStringLiteral("updUp"));
    down_->setObjectName(QStringLiteral("updDown"));
    connect(up_, &QToolButton::clicked, this, [this] {
        if (stepper_)
            stepper_->up();
    });
    connect(down_, &QToolButton::clicked, this, [this] {
        if (stepper_)
            stepper_->down();
    });
    sync();
}

UpDown::~UpDown()
{
    // The stepper may outlive this widget: leave it no view that points here.
    if (stepper_)
        stepper_->onView = nullptr;
}

void UpDown::setStepper(Stepper *s)
{
    if (stepper_)
        stepper_->onView = nullptr;
    stepper_ = s;
    if (stepper_)
        stepper_->onView = [this] { sync(); };
    sync();
}

void UpDown::sync()
{
    // An arrow that cannot move the value further is shown unavailable.
    up_->setEnabled(stepper_ && stepper_->Value() < stepper_->Max());
    down_->setEnabled(stepper_ && stepper_->Value() > stepper_->Min());
}

void UpDown::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    const int w = width();
    const int half = height() / 2;
    up_->setGeometry(0, 0, w, half);
    down_->setGeometry(0, half, w, height() - half);
}

} // namespace orv

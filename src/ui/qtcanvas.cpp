#include "ui/qtcanvas.h"

#include "display/raster.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>

namespace orv {

namespace {
constexpr double TwipsPerPixel = 15.0;
}

QtCanvas::QtCanvas(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(2);
    // Pointer moves without a button pressed drive the pick-range marks.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

float QtCanvas::ScaleWidth() const
{
    return static_cast<float>(contentsRect().width() * TwipsPerPixel);
}

float QtCanvas::ScaleHeight() const
{
    return static_cast<float>(contentsRect().height() * TwipsPerPixel);
}

void QtCanvas::setDrawMode(int mode) { mode_ = mode; }

int QtCanvas::drawMode() const { return mode_; }

uint32_t QtCanvas::foreground() const { return palette().color(QPalette::ButtonText).rgb(); }

uint32_t QtCanvas::background() const { return palette().color(QPalette::Button).rgb(); }

void QtCanvas::ensureImage()
{
    const qreal dpr = devicePixelRatioF();
    const QSize want = contentsRect().size() * dpr;
    if (!image_.isNull() && image_.size() == want && image_.devicePixelRatio() == dpr)
        return;
    image_ = QImage(want.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr);
    image_.fill(background());
}

void QtCanvas::touched()
{
    if (updatePending_)
        return;
    updatePending_ = true;
    update(contentsRect());
}

static raster::Target targetOf(QImage &img)
{
    raster::Target t;
    if (img.isNull())
        return t;
    t.bits = reinterpret_cast<uint32_t *>(img.bits());
    t.width = img.width();
    t.height = img.height();
    t.stride = img.bytesPerLine() / 4;
    return t;
}

void QtCanvas::clear()
{
    ensureImage();
    if (!image_.isNull())
        image_.fill(background());
    touched();
}

void QtCanvas::pset(float x, float y)
{
    ensureImage();
    raster::pointTwips(targetOf(image_), image_.devicePixelRatio(), x, y, foreground(), mode_);
    touched();
}

void QtCanvas::line(float x1, float y1, float x2, float y2)
{
    ensureImage();
    raster::lineTwips(targetOf(image_), image_.devicePixelRatio(), x1, y1, x2, y2, foreground(), mode_);
    touched();
}

void QtCanvas::line(float x1, float y1, float x2, float y2, uint32_t bgr)
{
    ensureImage();
    raster::lineTwips(targetOf(image_), image_.devicePixelRatio(), x1, y1, x2, y2,
                      raster::bgrToArgb(bgr), mode_);
    touched();
}

void QtCanvas::paintEvent(QPaintEvent *e)
{
    updatePending_ = false;
    QFrame::paintEvent(e);
    ensureImage();
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), image_);
}

void QtCanvas::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    // A new size starts from an empty picture; the plots redraw it.
    image_ = QImage();
    ensureImage();
}

QPointF QtCanvas::toTwips(const QPointF &widgetPos) const
{
    const QPointF rel = widgetPos - QPointF(contentsRect().topLeft());
    return rel * TwipsPerPixel;
}

void QtCanvas::mouseMoveEvent(QMouseEvent *e)
{
    const QPointF t = toTwips(e->position());
    emit mouseMoved(static_cast<float>(t.x()), static_cast<float>(t.y()), e->buttons(), e->modifiers());
    e->accept();
}

void QtCanvas::mousePressEvent(QMouseEvent *e)
{
    const QPointF t = toTwips(e->position());
    emit mousePressed(static_cast<float>(t.x()), static_cast<float>(t.y()), e->button(), e->modifiers());
    e->accept();
}

} // namespace orv

#include "ui/qtcanvas.h"

#include "display/raster.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>

#include <algorithm>
#include <limits>

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
    readColours();
    dpr_ = devicePixelRatioF();
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

void QtCanvas::readColours()
{
    fg_ = palette().color(QPalette::ButtonText).rgb();
    bg_ = palette().color(QPalette::Button).rgb();
}

void QtCanvas::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange)
        readColours();
    if (e->type() == QEvent::StyleChange)
        madeFor_ = QSize(); // the frame margins may have changed
    QFrame::changeEvent(e);
}

// The picture matches the contents area at the current device pixel ratio;
// a new size starts from an empty picture (the plots redraw it).
void QtCanvas::ensureImage()
{
    // The widget size is a plain field; the contents area (frame margins)
    // is only worked out again when that size changed.
    if (!image_.isNull() && size() == madeFor_)
        return;
    madeFor_ = size();
    const QSize want = contentsRect().size().expandedTo(QSize(0, 0)) * dpr_;
    if (!image_.isNull() && image_.size() == want && image_.devicePixelRatio() == dpr_)
        return;
    target_ = raster::Target();
    underClear_ = true;
    image_ = QImage(want, QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr_);
    image_.fill(bg_);
}

void QtCanvas::touched()
{
    if (updatePending_)
        return;
    updatePending_ = true;
    update(contentsRect());
}

const raster::Target &QtCanvas::target()
{
    ensureImage();
    // A copy of the picture handed out by image() shares its pixels; the
    // first drawing after that gives this canvas its own pixels again.
    if (target_.bits == nullptr || !image_.isDetached()) {
        target_ = raster::Target();
        if (!image_.isNull()) {
            target_.bits = reinterpret_cast<uint32_t *>(image_.bits());
            target_.width = image_.width();
            target_.height = image_.height();
            target_.stride = image_.bytesPerLine() / 4;
        }
    }
    return target_;
}

void QtCanvas::clear()
{
    underClear_ = true;
    raster::fill(target(), bg_);
    touched();
}

void QtCanvas::pset(float x, float y)
{
    raster::pointTwips(target(), dpr_, x, y, fg_, mode_);
    touched();
}

void QtCanvas::line(float x1, float y1, float x2, float y2)
{
    raster::lineTwips(target(), dpr_, x1, y1, x2, y2, fg_, mode_);
    touched();
}

void QtCanvas::line(float x1, float y1, float x2, float y2, uint32_t bgr)
{
    raster::lineTwips(target(), dpr_, x1, y1, x2, y2, raster::bgrToArgb(bgr), mode_);
    touched();
}

const raster::Grid &QtCanvas::grid(const raster::Target &t)
{
    if (!grid_.fits(dpr_, t.width, t.height))
        grid_ = raster::Grid(dpr_, t.width, t.height);
    return grid_;
}

void QtCanvas::draw(const CanvasPrim *p, size_t n)
{
    const raster::Target &t = target();
    raster::drawBatch(t, grid(t), p, n, fg_, mode_);
    touched();
}

// The picture, its grid and the repaint are made ready here, on the
// window's thread; drawBand only writes pixels of its own rows.
std::vector<float> QtCanvas::bands(int n)
{
    const raster::Target &t = target();
    const std::vector<float> &edge = grid(t).rowEdges();
    n = std::min(n, t.height);
    if (n < 2 || edge.size() != static_cast<size_t>(t.height) + 1)
        return {};
    std::vector<float> e{-std::numeric_limits<float>::infinity()};
    bandRows_.assign(1, 0);
    for (int i = 1; i < n; ++i) {
        const int r = static_cast<int>(static_cast<int64_t>(t.height) * i / n);
        bandRows_.push_back(r);
        e.push_back(edge[static_cast<size_t>(r)]);
    }
    bandRows_.push_back(t.height);
    e.push_back(std::numeric_limits<float>::infinity());
    touched();
    return e;
}

void QtCanvas::drawBand(size_t band, const CanvasPrim *p, size_t n)
{
    raster::drawBatch(target_, grid_, p, n, fg_, mode_, bandRows_[band], bandRows_[band + 1]);
}

const raster::FillRows &QtCanvas::fillRows(const raster::Grid &g, const CanvasWiggle &w)
{
    const std::lock_guard<std::mutex> hold(fillRowsLock_);
    if (!fillRows_.fits(g, w.dy, w.fills, w.items))
        fillRows_ = raster::FillRows(g, w.dy, w.fills, w.items);
    return fillRows_;
}

bool QtCanvas::drawWiggle(const CanvasWiggle &w, size_t band)
{
    if (mode_ != DrawCopyPen)
        return false;
    if (band != SIZE_MAX) // a band of bands()
        return raster::drawWiggle(target_, grid_, fillRows(grid_, w), w, fg_, bandRows_[band], bandRows_[band + 1]);
    const raster::Target &t = target();
    const raster::Grid &g = grid(t);
    const bool drawn = raster::drawWiggle(t, g, fillRows(g, w), w, fg_);
    touched();
    return drawn;
}

// The density view's colours: level 255 (the most positive amplitude) black,
// 0 white, zero mid grey; the highlighted column the same greys tinted green.
CanvasPixels QtCanvas::pixels() const
{
    if (image_.isNull() || dpr_ <= 0)
        return {};
    return {image_.width(), image_.height(), TwipsPerPixel / dpr_};
}

void QtCanvas::density(int32_t c0, int32_t w, const uint8_t *levels, bool highlighted)
{
    const raster::Target &t = target();
    const size_t count = static_cast<size_t>(t.width) * static_cast<size_t>(t.height);
    if (underClear_ || under_.size() != count) {
        under_.assign(count, bg_ | 0xff000000u);
        underClear_ = false;
    }
    uint32_t colour[256];
    for (uint32_t k = 0; k < 256; ++k) {
        const uint32_t g = 255 - k;
        colour[k] = highlighted ? 0xff000000u | (g / 2) << 16 | (128 + g / 2) << 8 | g / 2
                                : 0xff000000u | g << 16 | g << 8 | g;
    }
    const int64_t from = std::max<int64_t>(c0, 0), to = std::min<int64_t>(int64_t(c0) + w, t.width);
    for (int64_t r = 0; r < t.height; ++r) {
        uint32_t *px = t.bits + r * t.stride;
        uint32_t *under = under_.data() + r * t.width;
        const uint8_t *lv = levels + r * w;
        for (int64_t c = from; c < to; ++c) {
            // A not-XOR mark over the old level is the same mark over the new.
            const uint32_t mark = (px[c] ^ under[c]) & 0x00ffffffu;
            under[c] = colour[lv[c - c0]];
            px[c] = under[c] ^ mark;
        }
    }
    touched();
}

void QtCanvas::paintEvent(QPaintEvent *e)
{
    updatePending_ = false;
    QFrame::paintEvent(e);
    const qreal dpr = devicePixelRatioF();
    if (dpr != dpr_ && !image_.isNull()) {
        // Moved to a screen of another pixel ratio: keep the picture,
        // rescaled, until the next plot.
        dpr_ = dpr;
        QImage old = image_;
        target_ = raster::Target();
        image_ = old.scaled(contentsRect().size().expandedTo(QSize(0, 0)) * dpr_);
        image_.setDevicePixelRatio(dpr_);
        madeFor_ = size();
        underClear_ = true;
    }
    ensureImage();
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), shown());
}

// A mark in not-XOR pen over grey levels can all but vanish (over mid grey
// it flips each channel to about the same value), so over density levels
// the marks show in the colours of their pens: a pixel that differs from
// its level by m shows NOT m, which for one mark is its pen colour. Erasing
// a mark still restores the level exactly, the picture itself being kept
// as drawn.
const QImage &QtCanvas::shown()
{
    const size_t count = static_cast<size_t>(image_.width()) * static_cast<size_t>(image_.height());
    if (underClear_ || under_.size() != count || image_.format() != QImage::Format_RGB32)
        return image_;
    if (shown_.size() != image_.size())
        shown_ = QImage(image_.size(), QImage::Format_RGB32);
    shown_.setDevicePixelRatio(dpr_);
    for (int y = 0; y < image_.height(); ++y) {
        const auto *px = reinterpret_cast<const uint32_t *>(image_.constScanLine(y));
        auto *out = reinterpret_cast<uint32_t *>(shown_.scanLine(y));
        const uint32_t *under = under_.data() + static_cast<size_t>(y) * static_cast<size_t>(image_.width());
        for (int x = 0; x < image_.width(); ++x) {
            const uint32_t m = (px[x] ^ under[x]) & 0x00ffffffu;
            out[x] = m ? 0xff000000u | (~m & 0x00ffffffu) : px[x];
        }
    }
    return shown_;
}

void QtCanvas::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    dpr_ = devicePixelRatioF();
    target_ = raster::Target();
    image_ = QImage();
    madeFor_ = QSize();
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

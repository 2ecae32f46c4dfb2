#pragma once
// A picture area drawn for real: a QImage kept at the widget's device pixel
// ratio, 15 twips to a device-independent pixel, repainted from that image.
// Lines are rasterised here (not through QPainter) so that the not-XOR pen is
// exact: drawing any set of lines twice in mode 10 leaves the image
// bit-for-bit as it was. Batches are drawn by raster::drawBatch, a pixel row
// at a time where that gives the same pixels.

#include "core/canvas.h"
#include "display/raster.h"

#include <QImage>
#include <QFrame>
#include <QPointF>

#include <mutex>
#include <vector>

namespace orv {

class QtCanvas : public QFrame, public Canvas {
    Q_OBJECT
public:
    explicit QtCanvas(QWidget *parent = nullptr);

    float ScaleWidth() const override;
    float ScaleHeight() const override;
    bool endsAtScaleWidth() const override { return true; }
    void setDrawMode(int mode) override;
    int drawMode() const override;
    void clear() override;
    void pset(float x, float y) override;
    void line(float x1, float y1, float x2, float y2) override;
    void line(float x1, float y1, float x2, float y2, uint32_t bgr) override;
    void draw(const CanvasPrim *p, size_t n) override;
    std::vector<float> bands(int n) override;
    void drawBand(size_t band, const CanvasPrim *p, size_t n) override;
    bool drawWiggle(const CanvasWiggle &w, size_t band) override;
    CanvasPixels pixels() const override;
    void density(int32_t c0, int32_t w, const uint8_t *levels, bool highlighted) override;

    const QImage &image() const { return image_; }

signals:
    void mouseMoved(float xTwips, float yTwips, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void mousePressed(float xTwips, float yTwips, Qt::MouseButton button, Qt::KeyboardModifiers mods);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void ensureImage();
    const raster::Target &target(); // the picture, ready to be drawn on
    void readColours();
    QPointF toTwips(const QPointF &widgetPos) const;
    void touched(); // schedules one repaint for any number of primitives
    QImage image_;
    int mode_ = DrawCopyPen;
    bool updatePending_ = false;
    // Looked up once, not per primitive: the device pixel ratio is re-read
    // on resize and paint, the colours on a palette change.
    qreal dpr_ = 1;
    QSize madeFor_; // widget size the picture was made for
    raster::Target target_; // image_'s pixels while image_ is not shared
    raster::Grid grid_;     // twips to pixels for the picture's size and ratio
    const raster::Grid &grid(const raster::Target &t);
    std::vector<int> bandRows_; // the first row of each band of bands(), and the end
    // The rows of the wiggles' fill lines, made by the first band that needs
    // them and then shared.
    raster::FillRows fillRows_;
    std::mutex fillRowsLock_;
    const raster::FillRows &fillRows(const raster::Grid &g, const CanvasWiggle &w);
    // The density levels' colours as last given, pixel by pixel (while the
    // picture has had levels since its last clear): what the pixels show
    // beneath the marks drawn over them.
    std::vector<uint32_t> under_;
    bool underClear_ = true; // under_ is all background
    const QImage &shown(); // what is painted: image_, its marks over levels in their pens' colours
    QImage shown_;
    uint32_t fg_ = 0xff000000u;
    uint32_t bg_ = 0xffffffffu;
};

} // namespace orv

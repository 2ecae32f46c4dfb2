// The rasteriser behind the Qt canvas and the canvas widget itself.

#include "display/raster.h"
#include "ui/qtcanvas.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using namespace orv;

namespace {

struct Buffer {
    int w, h;
    std::vector<uint32_t> px;
    Buffer(int width, int height, uint32_t fill = 0xff000000u)
        : w(width), h(height), px(size_t(width) * size_t(height), fill)
    {
    }
    raster::Target target() { return {px.data(), w, h, w}; }
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
};

struct Seg {
    int32_t x1, y1, x2, y2;
};

// Lines of every sort: inside, partly outside, far outside, horizontal,
// vertical, single points and huge coordinates.
std::vector<Seg> RandomSegments(std::mt19937 &rng, int w, int h, int n)
{
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_int_distribution<int> nx(-w / 2, w + w / 2), ny(-h / 2, h + h / 2);
    std::uniform_int_distribution<int32_t> huge(-(1 << 26), 1 << 26);
    std::vector<Seg> out;
    for (int i = 0; i < n; ++i) {
        Seg s{nx(rng), ny(rng), nx(rng), ny(rng)};
        switch (kind(rng)) {
        case 1: s.y2 = s.y1; break;
        case 2: s.x2 = s.x1; break;
        case 3: s.x2 = s.x1, s.y2 = s.y1; break;
        case 4: s.x2 = huge(rng), s.y2 = huge(rng); break;
        case 5: s.x1 = huge(rng), s.y1 = huge(rng), s.x2 = huge(rng), s.y2 = huge(rng); break;
        default: break;
        }
        out.push_back(s);
    }
    return out;
}

} // namespace

TEST(QtCanvasRaster, NotXorTwiceRestoresTheBuffer)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<uint32_t> any;
    Buffer b(97, 61);
    for (uint32_t &p : b.px)
        p = 0xff000000u | (any(rng) & 0xffffffu);
    const std::vector<uint32_t> original = b.px;
    const auto segs = RandomSegments(rng, b.w, b.h, 400);
    for (const Seg &s : segs)
        raster::line(b.target(), s.x1, s.y1, s.x2, s.y2, any(rng) * 0 + 0xff3366u, 10);
    EXPECT_NE(b.px, original);
    // The second pass in the opposite order and with ends swapped.
    for (auto it = segs.rbegin(); it != segs.rend(); ++it)
        raster::line(b.target(), it->x2, it->y2, it->x1, it->y1, 0xff3366u, 10);
    EXPECT_EQ(b.px, original);
}

TEST(QtCanvasRaster, LinesTouchEachPixelOnceAndClipWithoutChangingThem)
{
    // Each line is drawn on a small buffer and, shifted, into the middle of
    // a large one: the small buffer must show exactly the large one's
    // pixels in that region; on the large buffer the line is whole and
    // covers max(|dx|, |dy|) + 1 pixels, its end points included.
    std::mt19937 rng(777);
    const int W = 41, H = 29, OX = 300, OY = 300;
    const auto segs = RandomSegments(rng, W, H, 300);
    for (const Seg &s : segs) {
        if (std::abs(s.x1) > 200 + W || std::abs(s.y1) > 200 + H || std::abs(s.x2) > 200 + W
            || std::abs(s.y2) > 200 + H)
            continue; // the large buffer must hold the whole line
        SCOPED_TRACE(testing::Message() << s.x1 << "," << s.y1 << " - " << s.x2 << "," << s.y2);
        Buffer small(W, H), large(OX * 2 + W, OY * 2 + H);
        raster::line(small.target(), s.x1, s.y1, s.x2, s.y2, 0, 10);
        raster::line(large.target(), s.x1 + OX, s.y1 + OY, s.x2 + OX, s.y2 + OY, 0, 10);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(small.at(x, y), large.at(x + OX, y + OY)) << x << "," << y;
        int touched = 0;
        for (uint32_t p : large.px)
            touched += p != 0xff000000u;
        EXPECT_EQ(touched, std::max(std::abs(s.x2 - s.x1), std::abs(s.y2 - s.y1)) + 1);
        EXPECT_NE(large.at(s.x1 + OX, s.y1 + OY), 0xff000000u);
        EXPECT_NE(large.at(s.x2 + OX, s.y2 + OY), 0xff000000u);
        // The same pixels whichever end comes first.
        Buffer back(W, H);
        raster::line(back.target(), s.x2, s.y2, s.x1, s.y1, 0, 10);
        ASSERT_EQ(back.px, small.px);
    }
}

TEST(QtCanvasRaster, TwipsToDevicePixels)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double twips, dpr;
        bool ok;
        int32_t px;
    } cases[] = {
        {0, 1, true, 0},        {7.4, 1, true, 0},       {7.5, 1, true, 1},
        {15, 1, true, 1},       {15, 2, true, 2},        {-7.5, 1, true, 0},
        {-8, 1, true, -1},      {22.5, 1.5, true, 2},    {3000, 1.25, true, 250},
        {nan, 1, false, 0},     {inf, 1, true, 666667},  {-1e30, 1, true, -666667},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << k.twips << " @" << k.dpr);
        int32_t out = 12345;
        ASSERT_EQ(raster::toDevice(k.twips, k.dpr, out), k.ok);
        if (k.ok) {
            EXPECT_EQ(out, k.px);
        }
    }
}

namespace {

struct CanvasFixture {
    QtCanvas cv;
    CanvasFixture() { cv.resize(204, 104); } // a 200 x 100 contents area
    int dev(double twips) const { return int(std::floor(twips / 15 * cv.devicePixelRatioF() + 0.5)); }
    QRgb pix(double xTwips, double yTwips) const { return cv.image().pixel(dev(xTwips), dev(yTwips)); }
};

} // namespace

TEST(QtCanvas, ScaleIsTheContentsAreaInTwips)
{
    CanvasFixture f;
    EXPECT_EQ(f.cv.frameShape(), QFrame::Panel);
    EXPECT_EQ(f.cv.frameShadow(), QFrame::Sunken);
    EXPECT_EQ(f.cv.lineWidth(), 2);
    EXPECT_EQ(f.cv.contentsRect().size(), QSize(200, 100));
    EXPECT_EQ(f.cv.ScaleWidth(), 3000.0f);
    EXPECT_EQ(f.cv.ScaleHeight(), 1500.0f);
}

TEST(QtCanvas, DrawsOnTheExpectedPixels)
{
    CanvasFixture f;
    const QRgb fg = f.cv.palette().color(QPalette::ButtonText).rgb();
    const QRgb bg = f.cv.palette().color(QPalette::Button).rgb();
    ASSERT_NE(fg, bg);
    f.cv.setDrawMode(DrawCopyPen);
    f.cv.clear();
    const qreal dpr = f.cv.devicePixelRatioF();
    EXPECT_EQ(f.cv.image().size(), QSize(200, 100) * dpr);
    EXPECT_EQ(f.cv.image().format(), QImage::Format_RGB32);
    EXPECT_EQ(f.cv.image().pixel(0, 0), bg);

    f.cv.pset(150, 75);
    EXPECT_EQ(f.pix(150, 75), fg);
    EXPECT_EQ(f.pix(165, 75), bg);

    f.cv.line(0, 300, 600, 300, ColorRed);
    for (int x = 0; x <= f.dev(600); ++x)
        EXPECT_EQ(f.cv.image().pixel(x, f.dev(300)), qRgb(255, 0, 0)) << x;
    EXPECT_EQ(f.cv.image().pixel(f.dev(600) + 1, f.dev(300)), bg);

    f.cv.line(900, 0, 900, 1500, ColorGreen);
    EXPECT_EQ(f.pix(900, 750), qRgb(0, 255, 0));
    f.cv.line(0, 600, 0, 600, 0x00123456u); // 0x00BBGGRR
    EXPECT_EQ(f.pix(0, 600), qRgb(0x56, 0x34, 0x12));
    f.cv.line(0, 0, 1500, 1500);
    EXPECT_EQ(f.pix(750, 750), fg);

    // Not-XOR of the foreground over the background.
    f.cv.setDrawMode(DrawNotXorPen);
    f.cv.pset(2400, 300);
    EXPECT_EQ(f.pix(2400, 300), (~(fg ^ bg) & 0xffffffu) | 0xff000000u);

    // A copy taken from image() keeps what it showed.
    const QImage snapshot = f.cv.image();
    f.cv.clear();
    EXPECT_EQ(f.cv.image().pixel(f.dev(900), f.dev(750)), bg);
    EXPECT_EQ(snapshot.pixel(f.dev(900), f.dev(750)), qRgb(0, 255, 0));
}

TEST(QtCanvas, NotXorTwiceLeavesTheImageBitForBit)
{
    CanvasFixture f;
    f.cv.setDrawMode(DrawCopyPen);
    f.cv.clear();
    std::mt19937 rng(4242);
    std::uniform_real_distribution<float> inside(-500, 3500), huge(-1e9f, 1e9f);
    std::uniform_int_distribution<int> kind(0, 5);
    struct L {
        float x1, y1, x2, y2;
        int colour; // -1: foreground
    };
    std::vector<L> lines;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int i = 0; i < 300; ++i) {
        L l{inside(rng), inside(rng) / 2, inside(rng), inside(rng) / 2, i % 3 == 0 ? -1 : int(i * 2654435761u % 0xffffff)};
        switch (kind(rng)) {
        case 1: l.y2 = l.y1; break;
        case 2: l.x2 = huge(rng); break;
        case 3: l.x1 = inf, l.y2 = -inf; break;
        case 4: l.y1 = nan; break;
        default: break;
        }
        lines.push_back(l);
    }
    // Something under the marks, drawn in copy pen.
    for (int i = 0; i < 40; ++i)
        f.cv.line(inside(rng), inside(rng), inside(rng), inside(rng), ColorBlue);
    const QImage before = f.cv.image().copy();

    f.cv.setDrawMode(DrawNotXorPen);
    for (int pass = 0; pass < 2; ++pass) {
        for (const L &l : lines) {
            if (l.colour < 0)
                f.cv.line(l.x1, l.y1, l.x2, l.y2);
            else
                f.cv.line(l.x1, l.y1, l.x2, l.y2, uint32_t(l.colour));
        }
        f.cv.pset(1000, 700);
        if (pass == 0) {
            EXPECT_NE(f.cv.image(), before);
        }
    }
    EXPECT_EQ(f.cv.image(), before);
}

TEST(QtCanvas, MouseEventsReportTwipsInsideTheContents)
{
    CanvasFixture f;
    std::vector<std::pair<float, float>> moves, presses;
    Qt::MouseButton pressed = Qt::NoButton;
    QObject::connect(&f.cv, &QtCanvas::mouseMoved,
                     [&](float x, float y, Qt::MouseButtons, Qt::KeyboardModifiers) { moves.emplace_back(x, y); });
    QObject::connect(&f.cv, &QtCanvas::mousePressed,
                     [&](float x, float y, Qt::MouseButton b, Qt::KeyboardModifiers) {
                         presses.emplace_back(x, y);
                         pressed = b;
                     });
    const QPointF at(12, 6); // contents start at (2, 2)
    QMouseEvent move(QEvent::MouseMove, at, f.cv.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&f.cv, &move);
    QMouseEvent press(QEvent::MouseButtonPress, at, f.cv.mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&f.cv, &press);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_pair(150.0f, 60.0f));
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0], std::make_pair(150.0f, 60.0f));
    EXPECT_EQ(pressed, Qt::RightButton);
}

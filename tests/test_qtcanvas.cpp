// The rasteriser behind the Qt canvas and the canvas widget itself.

#include "display/raster.h"
#include "ui/qtcanvas.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

using namespace orv;

namespace {

struct Buffer {
    int w, h;
    std::vector<uint32_t> px;
    Buffer(int width, int height) : w(width), h(height), px(size_t(width) * size_t(height), 0xff000000u) {}
    raster::Target target() { return {px.data(), w, h, w}; }
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
};

struct Seg {
    int32_t x1, y1, x2, y2;
};

// Lines of every sort: inside, partly or far outside, horizontal, vertical,
// single points and huge coordinates.
std::vector<Seg> RandomSegments(std::mt19937 &rng, int w, int h, int n)
{
    std::uniform_int_distribution<int> kind(0, 5), nx(-w / 2, w + w / 2), ny(-h / 2, h + h / 2);
    std::uniform_int_distribution<int32_t> huge(-(1 << 26), 1 << 26);
    std::vector<Seg> out;
    for (int i = 0; i < n; ++i) {
        Seg s{nx(rng), ny(rng), nx(rng), ny(rng)};
        switch (kind(rng)) {
        case 1: s.y2 = s.y1; break;
        case 2: s.x2 = s.x1; break;
        case 3: s.x2 = s.x1, s.y2 = s.y1; break;
        case 4: s.x2 = huge(rng), s.y2 = huge(rng); break;
        case 5: s = {huge(rng), huge(rng), huge(rng), huge(rng)}; break;
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
    Buffer b(97, 61);
    for (uint32_t &p : b.px)
        p = 0xff000000u | (uint32_t(rng()) & 0xffffffu);
    const std::vector<uint32_t> original = b.px;
    const auto segs = RandomSegments(rng, b.w, b.h, 400);
    for (const Seg &s : segs)
        raster::line(b.target(), s.x1, s.y1, s.x2, s.y2, 0xff3366u, 10);
    EXPECT_NE(b.px, original);
    // The second pass in the opposite order and with ends swapped.
    for (auto it = segs.rbegin(); it != segs.rend(); ++it)
        raster::line(b.target(), it->x2, it->y2, it->x1, it->y1, 0xff3366u, 10);
    EXPECT_EQ(b.px, original);
}

TEST(QtCanvasRaster, LinesTouchEachPixelOnceAndClipWithoutChangingThem)
{
    // Each line drawn on a small buffer shows exactly the pixels it has when
    // drawn, shifted, whole into a large one; there it covers
    // max(|dx|, |dy|) + 1 pixels, end points included, whichever end is first.
    std::mt19937 rng(777);
    const int W = 41, H = 29, O = 300;
    for (const Seg &s : RandomSegments(rng, W, H, 300)) {
        if (std::max({std::abs(s.x1), std::abs(s.y1), std::abs(s.x2), std::abs(s.y2)}) > 200 + H)
            continue; // the large buffer must hold the whole line
        SCOPED_TRACE(testing::Message() << s.x1 << "," << s.y1 << " - " << s.x2 << "," << s.y2);
        Buffer small(W, H), back(W, H), large(O * 2 + W, O * 2 + H);
        raster::line(small.target(), s.x1, s.y1, s.x2, s.y2, 0, 10);
        raster::line(back.target(), s.x2, s.y2, s.x1, s.y1, 0, 10);
        raster::line(large.target(), s.x1 + O, s.y1 + O, s.x2 + O, s.y2 + O, 0, 10);
        ASSERT_EQ(back.px, small.px);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(small.at(x, y), large.at(x + O, y + O)) << x << "," << y;
        EXPECT_EQ(std::count_if(large.px.begin(), large.px.end(), [](uint32_t p) { return p != 0xff000000u; }),
                  std::max(std::abs(s.x2 - s.x1), std::abs(s.y2 - s.y1)) + 1);
        EXPECT_NE(large.at(s.x1 + O, s.y1 + O), 0xff000000u);
        EXPECT_NE(large.at(s.x2 + O, s.y2 + O), 0xff000000u);
    }
}

TEST(QtCanvasRaster, TwipsToDevicePixels)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        double twips, dpr;
        bool ok;
        int32_t px;
    } cases[] = {{7.4, 1, true, 0}, {7.5, 1, true, 1}, {-7.5, 1, true, 0}, {-8, 1, true, -1}, {22.5, 1.5, true, 2},
                 {nan, 1, false, 0}, {inf, 1, true, 666667}, {-1e30, 1, true, -666667}};
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << k.twips << " @" << k.dpr);
        int32_t out = 12345;
        ASSERT_EQ(raster::toDevice(k.twips, k.dpr, out), k.ok);
        EXPECT_EQ(out, k.ok ? k.px : 12345);
    }
}

TEST(QtCanvas, DrawsOnTheExpectedPixels)
{
    QtCanvas cv;
    cv.resize(204, 104); // a 200 x 100 contents area inside the sunken frame
    const qreal dpr = cv.devicePixelRatioF();
    auto dev = [&](double twips) { return int(std::floor(twips / 15 * dpr + 0.5)); };
    auto pix = [&](double x, double y) { return cv.image().pixel(dev(x), dev(y)); };
    EXPECT_EQ(cv.ScaleWidth(), 3000.0f);
    EXPECT_EQ(cv.ScaleHeight(), 1500.0f);
    const QRgb fg = cv.palette().color(QPalette::ButtonText).rgb();
    const QRgb bg = cv.palette().color(QPalette::Button).rgb();
    ASSERT_NE(fg, bg);
    cv.setDrawMode(DrawCopyPen);
    cv.clear();
    EXPECT_EQ(cv.image().size(), QSize(200, 100) * dpr);
    EXPECT_EQ(pix(0, 0), bg);

    cv.pset(150, 75);
    EXPECT_EQ(pix(150, 75), fg);
    EXPECT_EQ(pix(165, 75), bg);
    cv.line(0, 300, 600, 300, ColorRed);
    for (int x = 0; x <= dev(600); ++x)
        EXPECT_EQ(cv.image().pixel(x, dev(300)), qRgb(255, 0, 0)) << x;
    EXPECT_EQ(cv.image().pixel(dev(600) + 1, dev(300)), bg);
    cv.line(0, 600, 0, 600, 0x00123456u); // 0x00BBGGRR
    EXPECT_EQ(pix(0, 600), qRgb(0x56, 0x34, 0x12));

    cv.setDrawMode(DrawNotXorPen);
    cv.pset(2400, 300);
    EXPECT_EQ(pix(2400, 300), (~(fg ^ bg) & 0xffffffu) | 0xff000000u);

    // Not-XOR twice through the canvas, with huge, infinite and NaN ends.
    const QImage before = cv.image(); // also: a copy keeps what it showed
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    std::mt19937 rng(4242);
    std::uniform_real_distribution<float> in(-500, 3500);
    std::vector<std::array<float, 4>> lines = {{nan, 0, 100, 100}, {-inf, 750, inf, 750}, {0, 1e9f, 3000, -1e9f}};
    for (int i = 0; i < 200; ++i)
        lines.push_back({in(rng), in(rng) / 2, in(rng), in(rng) / 2});
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < lines.size(); ++i) {
            const auto &l = lines[i];
            i % 3 ? cv.line(l[0], l[1], l[2], l[3]) : cv.line(l[0], l[1], l[2], l[3], uint32_t(i * 2654435761u % 0xffffff));
        }
        EXPECT_EQ(cv.image() == before, pass == 1);
    }
    cv.setDrawMode(DrawCopyPen);
    cv.clear();
    EXPECT_EQ(pix(150, 75), bg);
    EXPECT_EQ(before.pixel(dev(150), dev(75)), fg);
}

TEST(QtCanvas, MousePressReportsTwipsInsideTheContents)
{
    QtCanvas cv;
    cv.resize(204, 104);
    std::vector<std::tuple<float, float, Qt::MouseButton>> presses;
    QObject::connect(&cv, &QtCanvas::mousePressed, [&](float x, float y, Qt::MouseButton b, Qt::KeyboardModifiers) {
        presses.emplace_back(x, y, b);
    });
    const QPointF at(12, 6); // contents start at (2, 2)
    QMouseEvent press(QEvent::MouseButtonPress, at, cv.mapToGlobal(at), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&cv, &press);
    EXPECT_EQ(presses, (std::vector<std::tuple<float, float, Qt::MouseButton>>{{150.0f, 60.0f, Qt::RightButton}}));
}

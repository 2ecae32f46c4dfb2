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
#include <random>

using namespace orv;

namespace {

struct Buffer {
    int w, h;
    std::vector<uint32_t> px;
    Buffer(int width, int height) : w(width), h(height), px(size_t(width) * size_t(height), 0xff000000u) {}
    raster::Target target() { return {px.data(), w, h, w}; }
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
};

// Lines inside, partly or far outside, horizontal, vertical, single points and with huge coordinates.
std::vector<std::array<int32_t, 4>> RandomSegments(std::mt19937 &rng, int w, int h, int n)
{
    std::uniform_int_distribution<int> kind(0, 5), nx(-w / 2, w + w / 2), ny(-h / 2, h + h / 2);
    std::uniform_int_distribution<int32_t> huge(-(1 << 26), 1 << 26);
    std::vector<std::array<int32_t, 4>> out(static_cast<size_t>(n));
    for (auto &s : out) {
        s = {nx(rng), ny(rng), nx(rng), ny(rng)};
        switch (kind(rng)) {
        case 1: s[3] = s[1]; break;
        case 2: s[2] = s[0]; break;
        case 3: s[2] = s[0], s[3] = s[1]; break;
        case 4: s[2] = huge(rng), s[3] = huge(rng); break;
        case 5: s = {huge(rng), huge(rng), huge(rng), huge(rng)}; break;
        }
    }
    return out;
}

} // namespace

TEST(QtCanvasRaster, LinesClipExactlyAndNotXorTwiceRestoresTheBuffer)
{
    // Clipped lines match unclipped ones, cover max(|dx|, |dy|) + 1 pixels; not-XOR twice restores.
    std::mt19937 rng(777);
    const int W = 41, H = 29, O = 300;
    Buffer noisy(W, H);
    for (uint32_t &p : noisy.px)
        p = 0xff000000u | (uint32_t(rng()) & 0xffffffu);
    const std::vector<uint32_t> original = noisy.px;
    const auto segs = RandomSegments(rng, W, H, 400);
    for (auto [x1, y1, x2, y2] : segs) {
        raster::line(noisy.target(), x1, y1, x2, y2, 0xff3366u, 10);
        if (std::max({std::abs(x1), std::abs(y1), std::abs(x2), std::abs(y2)}) > 200 + H)
            continue; // the large buffer must hold the whole line
        SCOPED_TRACE(testing::Message() << x1 << "," << y1 << " - " << x2 << "," << y2);
        Buffer small(W, H), large(O * 2 + W, O * 2 + H);
        raster::line(small.target(), x1, y1, x2, y2, 0, 10);
        raster::line(large.target(), x1 + O, y1 + O, x2 + O, y2 + O, 0, 10);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(small.at(x, y), large.at(x + O, y + O)) << x << "," << y;
        EXPECT_EQ(std::count_if(large.px.begin(), large.px.end(), [](uint32_t p) { return p != 0xff000000u; }),
                  std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1);
        EXPECT_NE(large.at(x1 + O, y1 + O), 0xff000000u);
        EXPECT_NE(large.at(x2 + O, y2 + O), 0xff000000u);
    }
    EXPECT_NE(noisy.px, original);
    for (auto s = segs.rbegin(); s != segs.rend(); ++s)
        raster::line(noisy.target(), (*s)[2], (*s)[3], (*s)[0], (*s)[1], 0xff3366u, 10);
    EXPECT_EQ(noisy.px, original);
}

TEST(QtCanvas, DrawsOnTheExpectedPixelsAndReportsPressesInTwips)
{
    QtCanvas cv;
    cv.resize(204, 104); // a 200 x 100 contents area inside the sunken frame
    const qreal dpr = cv.devicePixelRatioF();
    auto dev = [&](double twips) { return int(std::floor(twips / 15 * dpr + 0.5)); };
    auto pix = [&](double x, double y) { return cv.image().pixel(dev(x), dev(y)); };
    EXPECT_EQ(std::make_pair(cv.ScaleWidth(), cv.ScaleHeight()), std::make_pair(3000.0f, 1500.0f));
    const QRgb fg = cv.palette().color(QPalette::ButtonText).rgb(), bg = cv.palette().color(QPalette::Button).rgb();
    ASSERT_NE(fg, bg);
    cv.setDrawMode(DrawCopyPen);
    cv.clear();
    EXPECT_EQ(cv.image().size(), QSize(200, 100) * dpr);
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

    std::vector<std::tuple<float, float, Qt::MouseButton>> presses;
    QObject::connect(&cv, &QtCanvas::mousePressed,
                     [&](float x, float y, Qt::MouseButton b, Qt::KeyboardModifiers) { presses.emplace_back(x, y, b); });
    const QPointF at(12, 6); // contents start at (2, 2)
    QMouseEvent press(QEvent::MouseButtonPress, at, cv.mapToGlobal(at), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&cv, &press);
    EXPECT_EQ(presses, (decltype(presses){{150.0f, 60.0f, Qt::RightButton}}));
}

// The main window's one-time fit to the screen, on plain rectangles.
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orv {
namespace {

struct Screen {
    const char *name;
    int32_t workW, workH, frameW, frameH, menuH, outerW, outerH; // pixels
};

class LayoutScreens : public ::testing::TestWithParam<Screen> {};

TEST_P(LayoutScreens, CanvasesFillTheWindowAndEverythingFollowsThem)
{
    const Screen s = GetParam();
    const WindowFit fit = FitToWorkArea(s.workW, s.workH, s.frameW, s.frameH, s.menuH);
    ASSERT_EQ(std::make_pair(fit.outerWidthPx, fit.outerHeightPx), std::make_pair(s.outerW, s.outerH));
    EXPECT_EQ(std::make_pair(fit.W0, fit.H0), std::make_pair(s.outerW * 15, s.outerH * 15)); // 32-bit twips
    // The maximised inner size became the outer size: frame and menu bar come off again.
    const int32_t W = PixelsToTwips(fit.outerWidthPx - s.frameW);
    const int32_t H = PixelsToTwips(fit.outerHeightPx - s.frameH - s.menuH);
    FormLayout f = DesignLayout();
    AdjustLayout(f, W, H);

    // pctTrace at the right edge less 100, both canvases down to 2355 above
    // the bottom with a fixed gap between them.
    EXPECT_EQ(f.pctTrace, (Rect{W - 100 - 1935, 480, 1935, H - 2355 - 480}));
    EXPECT_EQ(f.pctProfile, (Rect{840, 480, W - 100 - 1935 - 1030 - 840, H - 2355 - 480}));
    // Axis labels at the canvas top and quarters, the last one label up from
    // its bottom, the time labels between the canvases.
    for (size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        const int32_t h = f.pctTrace.Height;
        const int32_t top = k < 4 ? 480 + static_cast<int32_t>(std::lround(k * h / 4.0)) : 480 + h - 255;
        EXPECT_EQ(f.lblTime[k], (Rect{f.pctTrace.Left - 840, top, 735, 255}));
        EXPECT_EQ(f.lblSamp[k], (Rect{240, top, 495, 255}));
    }
    // Below the canvases: the Draw frame and the value rows; beside them what
    // follows the trace canvas's left edge.
    EXPECT_EQ(f.Frame4.Top, f.pctProfile.bottom() + 100);
    EXPECT_LE(f.Frame4.bottom(), H);
    EXPECT_EQ(f.Label7, (Rect{5400, f.Frame4.Top + 240, 1215, 255}));
    EXPECT_EQ(f.txtAmpClip, (Rect{6720, f.Frame4.Top + 720, 495, 285}));
    EXPECT_EQ(f.Label14.Top, f.Frame4.Top + 1200);
    EXPECT_EQ(f.lblReadTr.Top, f.Frame4.Top + 1028);
    EXPECT_EQ(f.Label3, (Rect{f.pctTrace.Left, f.Frame4.Top, 1935, 255}));
    EXPECT_EQ(f.Label8.Top, f.Frame4.Top + 400);
    EXPECT_EQ(f.txtPickRange, (Rect{f.pctTrace.Left + 1000, f.Label8.Top, 615, 285}));
    EXPECT_EQ(f.Label1, (Rect{f.pctTrace.Left + 290, 120, 1100, 375}));
    EXPECT_EQ(f.upd, (Rect{f.pctTrace.Left + 1390, 120, 255, 375}));
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutScreens,
    ::testing::Values(Screen{"FullHd", 1920, 1040, 16, 39, 22, 1904, 979}, // a task bar and a decorated frame
                      Screen{"Hd", 1280, 720, 0, 0, 21, 1280, 699},         // no window manager
                      Screen{"Uhd", 3840, 2160, 8, 31, 22, 3832, 2107}),    // 57480 twips wide: past 16 bits
    [](const ::testing::TestParamInfo<Screen> &i) { return std::string(i.param.name); });

// Screens too small for the fixed margins: the canvases keep at least 100
// pixels each way and never overlap; the rest keeps its relations.
TEST(Layout, TinyScreensClampTheCanvases)
{
    const struct {
        int32_t W, H;
    } cases[] = {{0, 0}, {-3000, -3000}, {4000, 20000}, {30000, 3000}, {MinInnerWidth - 1, MinInnerHeight - 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.W) + " x " + std::to_string(c.H));
        FormLayout f = DesignLayout();
        AdjustLayout(f, c.W, c.H);
        EXPECT_GE(f.pctProfile.Width, MinCanvasSize);
        EXPECT_GE(f.pctProfile.Height, MinCanvasSize);
        EXPECT_GE(f.lblTime[0].Left, f.pctProfile.right());
        EXPECT_EQ(f.Frame4.Top, f.pctProfile.bottom() + 100);
        EXPECT_EQ(f.pctTrace.right(), std::max(c.W, MinInnerWidth) - 100);
        EXPECT_EQ(f.pctTrace.bottom(), std::max(c.H, MinInnerHeight) - 2355);
    }
    // A tiny work area still gives a window of at least one pixel.
    const WindowFit fit = FitToWorkArea(10, 10, 16, 39, 22);
    EXPECT_EQ(std::make_pair(fit.outerWidthPx, fit.outerHeightPx), std::make_pair(1, 1));
}

TEST(Layout, CentreAndPixelConversionRoundToNearest)
{
    EXPECT_EQ(CentreIn(673, 529, 305, 209), std::make_pair(184, 160)); // 336.5 - 152.5, 264.5 - 104.5
    EXPECT_EQ(CentreIn(100, 100, 300, 50), std::make_pair(-100, 25));  // larger than its container
    EXPECT_EQ(TwipsToPixels(1100), 73);
    EXPECT_EQ(TwipsToPixels(1027), 68);
}

} // namespace
} // namespace orv

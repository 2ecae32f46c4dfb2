// The main window's geometry on plain rectangles: the design table and the
// one-time fit to the screen.
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace orv {
namespace {

TEST(Layout, DesignTableNamesAreUniqueAndChildrenFitTheirContainers)
{
    std::set<std::string> names;
    for (const DesignEntry &e : DesignTable())
        EXPECT_TRUE(names.insert(e.name).second) << "duplicate " << e.name;

    for (const DesignEntry &e : DesignTable()) {
        SCOPED_TRACE(e.name);
        EXPECT_GT(e.rect.Width, 0);
        EXPECT_GT(e.rect.Height, 0);
        const std::string container = e.container;
        const int32_t cw = container.empty() ? DesignInnerWidth : DesignRect(container).Width;
        const int32_t ch = container.empty() ? DesignInnerHeight : DesignRect(container).Height;
        ASSERT_TRUE(container.empty() || names.count(container)) << "unknown container " << container;
        EXPECT_GE(e.rect.Left, 0);
        EXPECT_GE(e.rect.Top, 0);
        EXPECT_LE(e.rect.right(), cw);
        EXPECT_LE(e.rect.bottom(), ch);
    }
    EXPECT_EQ(DesignRect("no such control"), Rect{});
}

struct Screen {
    const char *name;
    int32_t workW, workH; // pixels
    int32_t frameW, frameH, menuH;
};

// Inner size of the window after the fit: the maximised inner size becomes
// the outer size, so frame and menu bar come off once more.
std::pair<int32_t, int32_t> InnerAfterFit(const Screen &s)
{
    const WindowFit fit = FitToWorkArea(s.workW, s.workH, s.frameW, s.frameH, s.menuH);
    return {PixelsToTwips(fit.outerWidthPx - s.frameW), PixelsToTwips(fit.outerHeightPx - s.frameH - s.menuH)};
}

class LayoutScreens : public ::testing::TestWithParam<Screen> {};

TEST_P(LayoutScreens, CanvasesFillTheWindowAndEverythingFollowsThem)
{
    const Screen s = GetParam();
    const auto [W, H] = InnerAfterFit(s);
    FormLayout f = DesignLayout();
    const FormLayout design = f;
    AdjustLayout(f, W, H);

    // The trace canvas ends 100 twips from the right, both canvases 2355
    // above the bottom, both starting at the design top.
    EXPECT_EQ(f.pctTrace.right(), W - 100);
    EXPECT_EQ(f.pctTrace.bottom(), H - 2355);
    EXPECT_EQ(f.pctProfile.bottom(), H - 2355);
    EXPECT_EQ(f.pctTrace.Top, 480);
    EXPECT_EQ(f.pctProfile.Top, 480);
    EXPECT_EQ(f.pctProfile.Left, 840);
    EXPECT_EQ(f.pctTrace.Width, design.pctTrace.Width);
    // The gap between the canvases keeps its width whatever the screen.
    EXPECT_EQ(f.pctTrace.Left - f.pctProfile.right(), 1030);

    // Label rows at the canvas top, quarters and, one label up, its bottom.
    const int32_t h = f.pctTrace.Height;
    for (size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        const int32_t expected = k < 4 ? 480 + static_cast<int32_t>(std::lround(k * h / 4.0)) : 480 + h - 255;
        EXPECT_EQ(f.lblTime[k].Top, expected);
        EXPECT_EQ(f.lblSamp[k].Top, expected);
        EXPECT_EQ(f.lblTime[k].Left, f.pctTrace.Left - 840);
        EXPECT_EQ(f.lblSamp[k].Left, 240);
        EXPECT_GE(f.lblTime[k].Left, f.pctProfile.right()); // between the canvases
        EXPECT_LE(f.lblTime[k].right(), f.pctTrace.Left);
    }
    EXPECT_EQ(f.lblSamp[4].bottom(), f.pctProfile.bottom());

    // Below the canvases: the Draw frame and the three value rows.
    EXPECT_EQ(f.Frame4.Top, f.pctProfile.bottom() + 100);
    EXPECT_LE(f.Frame4.bottom(), H);
    EXPECT_EQ(f.Label7.Top, f.Frame4.Top + 240);
    EXPECT_EQ(f.Label13.Top, f.Frame4.Top + 720);
    EXPECT_EQ(f.Label14.Top, f.Frame4.Top + 1200);
    EXPECT_EQ(f.txtGainValue.Top, f.Label7.Top);
    EXPECT_EQ(f.txtAmpClip.Top, f.Label13.Top);
    EXPECT_EQ(f.txtTraceCSG.Top, f.Label14.Top);
    EXPECT_EQ(f.Label2.Top, f.Label7.Top);
    EXPECT_EQ(f.lblReadTr.Top, f.Frame4.Top + 1028);
    // Lefts of the value rows are not touched.
    EXPECT_EQ(f.Label7.Left, design.Label7.Left);
    EXPECT_EQ(f.txtTraceCSG.Left, design.txtTraceCSG.Left);

    // Under and over the trace canvas everything follows its left edge.
    EXPECT_EQ(f.Label3.Left, f.pctTrace.Left);
    EXPECT_EQ(f.Label3.Top, f.Frame4.Top);
    EXPECT_EQ(f.Label8.Left, f.pctTrace.Left);
    EXPECT_EQ(f.Label8.Top, f.Frame4.Top + 400);
    EXPECT_EQ(f.txtPickRange.Left, f.pctTrace.Left + 1000);
    EXPECT_EQ(f.txtPickRange.Top, f.Label8.Top);
    EXPECT_EQ(f.Label1.Left, f.pctTrace.Left + 290);
    EXPECT_EQ(f.upd.Left, f.pctTrace.Left + 1390);
    EXPECT_EQ(f.Label12.Left, f.pctTrace.Left - 840);
    EXPECT_EQ(f.Label1.Top, design.Label1.Top);
    EXPECT_EQ(f.upd.Top, design.upd.Top);

    // Laying out twice from the design gives the same arrangement.
    FormLayout again = DesignLayout();
    AdjustLayout(again, W, H);
    EXPECT_EQ(again.entries(), f.entries());
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutScreens,
    ::testing::Values(Screen{"FullHd", 1920, 1040, 16, 39, 22},   // a task bar and a decorated frame
                      Screen{"Hd", 1280, 720, 0, 0, 21},          // no window manager
                      Screen{"Uhd", 3840, 2160, 8, 31, 22},       // 57480 twips wide: past 16 bits
                      Screen{"Vga", 640, 480, 8, 31, 22},
                      Screen{"Tall", 1080, 1920, 8, 31, 22}),
    [](const ::testing::TestParamInfo<Screen> &i) { return std::string(i.param.name); });

TEST(Layout, WideWorkAreaIsMeasuredWithoutWrapping)
{
    const WindowFit fit = FitToWorkArea(3840, 2160, 0, 0, 20);
    EXPECT_EQ(fit.W0, 57600);
    EXPECT_EQ(fit.H0, 2140 * 15);
    EXPECT_EQ(fit.outerWidthPx, 3840);
    EXPECT_EQ(fit.outerHeightPx, 2140);

    FormLayout f = DesignLayout();
    AdjustLayout(f, 57600, 32000);
    EXPECT_EQ(f.pctTrace.Left, 57600 - 1935 - 100);
    EXPECT_EQ(f.pctProfile.Width, 57600 - 1935 - 1470 - 500);
    EXPECT_EQ(f.txtPickRange.Left, 57600 - 2035 + 1000);
}

// Screens too small for the fixed margins: the canvases keep at least 100
// pixels each way and never overlap; the rest keeps its relations.
TEST(Layout, TinyScreensClampTheCanvases)
{
    const struct {
        int32_t W, H;
    } cases[] = {{0, 0}, {-3000, -3000}, {320 * 15, 240 * 15}, {4000, 20000}, {30000, 3000},
                 {MinInnerWidth - 1, MinInnerHeight - 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.W) + " x " + std::to_string(c.H));
        FormLayout f = DesignLayout();
        AdjustLayout(f, c.W, c.H);
        EXPECT_GE(f.pctProfile.Width, MinCanvasSize);
        EXPECT_GE(f.pctProfile.Height, MinCanvasSize);
        EXPECT_EQ(f.pctTrace.Height, f.pctProfile.Height);
        EXPECT_GE(f.pctTrace.Left, f.pctProfile.right());
        EXPECT_GE(f.lblTime[0].Left, f.pctProfile.right());
        EXPECT_EQ(f.Frame4.Top, f.pctProfile.bottom() + 100);
        EXPECT_EQ(f.lblSamp[4].bottom(), f.pctProfile.bottom());
        // Within the clamped area the usual margins hold.
        EXPECT_EQ(f.pctTrace.right(), std::max(c.W, MinInnerWidth) - 100);
        EXPECT_EQ(f.pctTrace.bottom(), std::max(c.H, MinInnerHeight) - 2355);
    }
    // A tiny work area still gives a window of at least one pixel.
    const WindowFit fit = FitToWorkArea(10, 10, 16, 39, 22);
    EXPECT_EQ(fit.outerWidthPx, 1);
    EXPECT_EQ(fit.outerHeightPx, 1);
}

TEST(Layout, CentreAndPixelConversion)
{
    EXPECT_EQ(CentreIn(673, 529, 305, 209), std::make_pair(184, 160)); // 336.5 - 152.5, 264.5 - 104.5
    EXPECT_EQ(CentreIn(100, 100, 300, 50), std::make_pair(-100, 25));  // larger than its container
    EXPECT_EQ(TwipsToPixels(1100), 73);
    EXPECT_EQ(TwipsToPixels(1027), 68);
    EXPECT_EQ(TwipsToPixels(57600), 3840);
    EXPECT_EQ(PixelsToTwips(3840), 57600);
}

} // namespace
} // namespace orv

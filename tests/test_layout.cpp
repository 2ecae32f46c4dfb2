// The main window's one-time fit to the screen, on plain rectangles.
#include "ui/layout.h"
#include <gtest/gtest.h>
#include <array>
#include <map>

namespace orv {
namespace {

TEST(Layout, WindowFitTakesTheMaximisedInnerSize)
{
    const struct { int32_t workW, workH, frameW, frameH, menuH; std::vector<int32_t> want; } cases[] = {
        {1920, 1040, 16, 39, 22, {1904, 979, 28560, 14685}}, // a task bar and a decorated frame
        {1280, 720, 0, 0, 21, {1280, 699, 19200, 10485}},    // no window manager
        {3840, 2160, 8, 31, 22, {3832, 2107, 57480, 31605}}, // past 16 bits
        {10, 10, 16, 39, 22, {1, 1, 15, 15}},                // never below one pixel
    };
    for (const auto &s : cases) {
        const WindowFit f = FitToWorkArea(s.workW, s.workH, s.frameW, s.frameH, s.menuH);
        EXPECT_EQ(std::vector<int32_t>({f.outerWidthPx, f.outerHeightPx, f.W0, f.H0}), s.want) << s.workW;
    }
}

// Where adjustform's steps put each control's corner.
std::map<std::string, std::array<int32_t, 2>> Corners(int32_t R, int32_t C, const std::array<int32_t, 5> &rows)
{
    const int32_t T = 480 + C + 100;
    std::map<std::string, std::array<int32_t, 2>> m = {
        {"pctProfile", {840, 480}}, {"pctTrace", {R, 480}}, {"Label1", {R + 290, 120}}, {"upd", {R + 1390, 120}},
        {"Label12", {R - 840, 120}}, {"Frame4", {840, T}}, {"Label7", {5400, T + 240}},
        {"txtGainValue", {6720, T + 240}}, {"Label13", {5400, T + 720}}, {"txtAmpClip", {6720, T + 720}},
        {"Label14", {5400, T + 1200}}, {"txtTraceCSG", {6720, T + 1200}}, {"Label2", {7560, T + 240}},
        {"lblReadTr", {9840, T + 1028}}, {"Label3", {R, T}}, {"Label8", {R, T + 400}},
        {"txtPickRange", {R + 1000, T + 400}},
    };
    for (size_t k = 0; k < 5; ++k) {
        m["lblSamp" + std::to_string(k)] = {240, rows[k]};
        m["lblTime" + std::to_string(k)] = {R - 840, rows[k]};
    }
    return m;
}

TEST(Layout, CanvasesFillTheInnerAreaAndEverythingFollowsThem)
{
    // Inner areas in twips.
    const struct { const char *name; int32_t W, H, R, C; std::array<int32_t, 5> rows; } cases[] = {
        {"1920 x 1080", 28320, 13770, 26285, 10935, {480, 3214, 5948, 8681, 11160}},
        {"1280 x 720", 19200, 10170, 17165, 7335, {480, 2314, 4148, 5981, 7560}},
        {"3840 x 2160", 57360, 30810, 55325, 27975, {480, 7474, 14468, 21461, 28200}},
        {"design size", 16725, 10845, 14690, 8010, {480, 2483, 4485, 6488, 8235}},
        {"narrow", 4000, 20000, 3370, 17165, {480, 4771, 9063, 13354, 17390}},
        {"low", 30000, -3000, 27965, 1500, {480, 855, 1230, 1605, 1725}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FormLayout f = DesignLayout();
        AdjustLayout(f, c.W, c.H);
        EXPECT_EQ((std::array{f.pctProfile.Width, f.pctTrace.Width, f.pctProfile.Height, f.pctTrace.Height}),
                  (std::array{c.R - 1870, 1935, c.C, c.C}));
        const auto want = Corners(c.R, c.C, c.rows);
        const auto got = f.entries();
        ASSERT_EQ(got.size(), want.size());
        for (const auto &[name, r] : got) {
            const std::array<int32_t, 2> corner = want.count(name) ? want.at(name) : std::array{-1, -1};
            const Rect design = DesignRect(name);
            EXPECT_EQ((std::array{r.Left, r.Top}), corner) << name;
            EXPECT_TRUE(name.starts_with("pct") || (r.Width == design.Width && r.Height == design.Height)) << name;
        }
    }
}

} // namespace
} // namespace orv

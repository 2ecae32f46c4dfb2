// The current trace alone on the trace canvas, and its highlight / restore
// on the profile canvas, which must fall exactly on the profile plot.

#include "display/display.h"

#include "support/display_profile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace orv;
using orv::test::FakeControls;
using orv::test::MakeProfile;
using orv::test::SetWindow;
using orv::test::Prim;
using orv::test::RecordingCanvas;

namespace {

ProfileStore WindowOf(int nt, int ns, int ft, int lt, int fs, int ls, float (*f)(int, int))
{
    ProfileStore st = MakeProfile(nt, ns, f);
    st.FirstTrace = int16_t(ft);
    st.LastTrace = int16_t(lt);
    st.FirstSample = int16_t(fs);
    st.LastSample = int16_t(ls);
    return st;
}

bool OnlyModeAndClear(const RecordingCanvas &cv)
{
    return cv.prims.size() == 3 && cv.prims[0] == Prim{Prim::Mode, DrawCopyPen}
        && cv.prims[1].kind == Prim::Clear && cv.prims[2] == Prim{Prim::Mode, DrawNotXorPen};
}

} // namespace

TEST(DisplayPlotTrace, StretchesTheTraceBetweenTheMargins)
{
    // [-2, 0, 3, 1] on a canvas 1040 wide: sc = 1000 / 5, amplitude 0 at 420.
    ProfileStore st = WindowOf(2, 4, 1, 2, 1, 4, [](int, int s) {
        const float v[] = {0, -2, 0, 3, 1};
        return v[s];
    });
    RecordingCanvas cv(1040, 400);
    PlotTrace(st, cv, 1);
    auto drawn = cv.drawn();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0], (Prim{Prim::Pset, 0, 20, 0})); // smallest amplitude at the left margin
    float maxX = -1;
    for (const Prim &p : drawn) {
        maxX = std::max(maxX, std::max(p.x1, p.x2));
        if (p.isLine() && p.y1 == p.y2 && p.x1 != p.x2) {
            EXPECT_EQ(p.x1, 420); // fill from amplitude 0
        }
    }
    EXPECT_EQ(maxX, 1020); // largest at ScaleWidth - 20
    EXPECT_TRUE(cv.only(Prim::ColorLine).empty());
    EXPECT_EQ(cv.prims.front().mode, DrawCopyPen);
    EXPECT_EQ(cv.prims[1].kind, Prim::Clear);
    EXPECT_EQ(cv.prims.back().mode, DrawNotXorPen);
}

TEST(DisplayPlotTrace, FlatTracesAreAVerticalLineWithoutFill)
{
    struct Case {
        const char *name;
        float value;
    } cases[] = {{"all zero", 0}, {"constant positive", 5}, {"constant negative", -3}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        ProfileStore st = MakeProfile(1, 8, [&](int, int) { return k.value; });
        st.FirstTrace = st.LastTrace = 1;
        st.FirstSample = 1;
        st.LastSample = 8;
        RecordingCanvas cv(1000, 800);
        PlotTrace(st, cv, 1);
        auto drawn = cv.drawn();
        ASSERT_EQ(drawn.size(), 8u); // the point and 7 wiggle lines, no fill
        for (const Prim &p : drawn) {
            EXPECT_EQ(p.x1, 20);
            if (p.isLine()) {
                EXPECT_EQ(p.x2, 20);
            }
        }
        EXPECT_EQ(drawn.back().y2, 800);
    }
}

TEST(DisplayPlotTrace, NothingToDrawLeavesTheCanvasClear)
{
    ProfileStore loaded = WindowOf(5, 10, 1, 5, 1, 10, [](int t, int s) { return float(t - s); });
    ProfileStore none;
    struct Case {
        const char *name;
        const ProfileStore *st;
        int n;
    } cases[] = {{"trace 0", &loaded, 0}, {"past the last trace", &loaded, 6},
                 {"negative", &loaded, -3}, {"no profile", &none, 1}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        RecordingCanvas cv;
        PlotTrace(*k.st, cv, k.n);
        EXPECT_TRUE(OnlyModeAndClear(cv));
    }
}

TEST(DisplayPlotTrace, OneSampleWindowIsOnePoint)
{
    ProfileStore st = WindowOf(2, 5, 1, 2, 3, 3, [](int, int) { return 0.0f; });
    RecordingCanvas cv;
    PlotTrace(st, cv, 2);
    auto drawn = cv.drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0], (Prim{Prim::Pset, 0, 20, 0}));
}

// The key property: the highlight and the restore draw, primitive for
// primitive, what the profile plot drew for that trace; the highlight only
// colours its fill green.
TEST(DisplayHighlightTrace, RedrawsExactlyWhatTheProfilePlotDrew)
{
    struct Case {
        const char *name;
        float width, height;
        int nt, ns;
        const char *t1, *tl, *s1, *sl, *gain;
        int16_t clip, norm;
        float flat; // non-zero: every sample has this value
    } cases[] = {
        {"default", 9000, 6000, 12, 40, "1", "12", "1", "40", "400", 1000, 0, 0},
        {"odd column width, half twips", 6255, 4321, 15, 33, "1", "15", "1", "33", "400", 1000, 0, 0},
        {"small clip, big gain", 5000, 3000, 10, 50, "3", "9", "5", "44", "2500", 60, 0, 0},
        {"per trace, fractional dy", 7777, 1234, 20, 300, "2", "19", "7", "250", "777", 500, 2, 0},
        {"per gather", 12000, 9000, 30, 64, "4", "28", "1", "64", "300", 32767, 1, 0},
        {"wide columns", 3e6f, 15000, 3, 20, "1", "3", "1", "20", "5000", 32767, 0, 0},
        {"clip 0: on the baseline, no green", 9000, 6000, 12, 40, "1", "12", "1", "40", "400", 0, 0, 0},
        {"flat window", 9000, 6000, 6, 40, "1", "6", "1", "40", "400", 1000, 0, -4},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        ProfileStore st = MakeProfile(k.nt, k.ns, [&](int t, int s) {
            return k.flat != 0 ? k.flat : std::sin(float(s) * 0.37f + float(t)) * float(1 + t % 4) - 0.2f;
        });
        st.ClipValue = k.clip;
        st.NormMode = k.norm;
        st.TracesPerCSG = 6;
        FakeControls c;
        SetWindow(c, k.t1, k.tl, k.s1, k.sl);
        c.texts[Field::txtGainValue] = k.gain;
        RecordingCanvas profile(k.width, k.height);
        PlotProfile(st, c, profile);
        const auto runs = profile.runs();
        ASSERT_EQ(runs.size(), size_t(st.LastTrace - st.FirstTrace + 1));

        for (int t = st.FirstTrace; t <= st.LastTrace; ++t) {
            SCOPED_TRACE(t);
            const auto &want = runs[size_t(t - st.FirstTrace)];

            RecordingCanvas hl(k.width, k.height);
            HighlightTrace(st, c, hl, t);
            auto got = hl.drawn();
            ASSERT_EQ(got.size(), want.size());
            for (size_t i = 0; i < got.size(); ++i) {
                Prim w = want[i];
                // fill lines: horizontal lines after the first point that
                // start on the baseline and are not the wiggle itself
                if (got[i].kind == Prim::ColorLine) {
                    EXPECT_EQ(got[i].colour, ColorGreen);
                    w.kind = Prim::ColorLine;
                    w.colour = ColorGreen;
                }
                ASSERT_EQ(got[i], w) << "primitive " << i;
            }
            EXPECT_EQ(hl.prims.front().mode, DrawCopyPen);
            EXPECT_EQ(hl.prims.back().mode, DrawNotXorPen);
            EXPECT_TRUE(hl.only(Prim::Clear).empty());
            // Traces with positive lobes show green unless clipped to nothing.
            EXPECT_EQ(hl.only(Prim::ColorLine).empty(), k.clip == 0 || k.flat != 0);

            // The restore redraws the trace before the current one in the
            // foreground colour; with the first trace current, that trace.
            RecordingCanvas rs(k.width, k.height);
            RestorePrevTrace(st, c, rs, t);
            const int prev = t > st.FirstTrace ? t - 1 : t;
            EXPECT_EQ(rs.drawn(), runs[size_t(prev - st.FirstTrace)]);
        }
    }
}

TEST(DisplayHighlightTrace, StepperOutsideTheWindowDrawsNothing)
{
    ProfileStore st = MakeProfile(20, 30, [](int t, int s) { return float((t * s) % 5) - 2; });
    FakeControls c;
    SetWindow(c, "5", "10", "1", "30");
    RecordingCanvas profile;
    PlotProfile(st, c, profile);
    ProfileStore none;
    for (int32_t v : {0, -1, 4, 11, 21, 40000}) {
        SCOPED_TRACE(v);
        RecordingCanvas a, b;
        HighlightTrace(st, c, a, v);
        RestorePrevTrace(st, c, b, v);
        EXPECT_TRUE(a.prims.empty());
        EXPECT_TRUE(b.prims.empty());
    }
    RecordingCanvas a;
    HighlightTrace(none, c, a, 1);
    RestorePrevTrace(none, c, a, 1);
    EXPECT_TRUE(a.prims.empty());
}

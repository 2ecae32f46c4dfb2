// The profile plot: field validation, normalization, amplitude range and the
// primitives it draws.

#include "display/display.h"

#include "support/display_profile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace orv;
using orv::test::FakeControls;
using orv::test::MakeProfile;
using orv::test::SetWindow;
using orv::test::Prim;
using orv::test::RecordingCanvas;

namespace {

// Fill lines of a run: the horizontal lines after the first wiggle segment
// that start on the baseline.
int CountFills(const std::vector<Prim> &run, float baselineX)
{
    int n = 0;
    for (const Prim &p : run)
        if (p.isLine() && p.y1 == p.y2 && p.x1 == baselineX)
            ++n;
    return n;
}

bool AllFinite(const RecordingCanvas &cv)
{
    for (const Prim &p : cv.drawn())
        if (!std::isfinite(p.x1) || !std::isfinite(p.y1) || !std::isfinite(p.x2) || !std::isfinite(p.y2))
            return false;
    return true;
}

} // namespace

TEST(DisplayPlotProfile, GainIsLimitedAndWrittenBack)
{
    // One trace [11, 11, 10]: range 1, so k = G and the baseline is at 0;
    // the first point lies 11*G right of it (no gain limit on the first
    // sample, only the clip), the second is limited to b + G.
    struct Case {
        const char *field;
        const char *shown;
        float G;
    } cases[] = {
        {"9000", " 5000", 5000}, {"400", " 400", 400}, {"abc", " 1", 1},
        {"0", " 1", 1},          {"-7", " 1", 1},     {"  250xyz", " 250", 250},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.field);
        ProfileStore st = MakeProfile(1, 3, [](int, int s) { return s == 3 ? 10.0f : 11.0f; });
        st.ClipValue = 32767;
        FakeControls c;
        SetWindow(c, "1", "1", "1", "3");
        c.texts[Field::txtGainValue] = k.field;
        RecordingCanvas cv(3000, 1500);
        PlotProfile(st, c, cv);
        EXPECT_EQ(c.texts[Field::txtGainValue], k.shown);
        auto psets = cv.only(Prim::Pset);
        ASSERT_EQ(psets.size(), 1u);
        EXPECT_FLOAT_EQ(psets[0].x1, 1500 + std::min(11 * k.G, 32767.0f)); // clip 32767
        auto lines = cv.only(Prim::Line);
        ASSERT_FALSE(lines.empty());
        EXPECT_FLOAT_EQ(lines[0].x2, 1500 + k.G);
    }
}

TEST(DisplayPlotProfile, WindowRulesAndWriteBack)
{
    struct Case {
        int nt, ns;
        const char *t1, *tl, *s1, *sl;
        int FT, LT, FS, LS;
    } cases[] = {
        {50, 400, "30", "10", "300", "100", 30, 30, 300, 301}, // one sample more
        {50, 300, "30", "10", "300", "100", 30, 30, 300, 300}, // ...never past NSamples
        {50, 400, "60", "70", "-5", "500", 50, 50, 1, 400},
        {50, 400, "", "abc", "0", "", 1, 1, 1, 2},
        {50, 1, "1", "1", "1", "1", 1, 1, 1, 1},
        {50, 400, "2.5", "3.5", "10", "20", 2, 4, 10, 20}, // CInt halves to even
        {50, 400, "99999", "1e9", "-99999", "99999", 50, 50, 1, 400},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(std::string(k.t1) + "/" + k.tl + "/" + k.s1 + "/" + k.sl);
        ProfileStore st = MakeProfile(k.nt, k.ns, [](int t, int s) { return float(t + s); });
        FakeControls c;
        SetWindow(c, k.t1, k.tl, k.s1, k.sl);
        RecordingCanvas cv;
        PlotProfile(st, c, cv);
        EXPECT_EQ(st.FirstTrace, k.FT);
        EXPECT_EQ(st.LastTrace, k.LT);
        EXPECT_EQ(st.FirstSample, k.FS);
        EXPECT_EQ(st.LastSample, k.LS);
        EXPECT_EQ(c.texts[Field::txt1sttr], " " + std::to_string(k.FT));
        EXPECT_EQ(c.texts[Field::txtLsttr], " " + std::to_string(k.LT));
        EXPECT_EQ(c.texts[Field::txt1stsamp], " " + std::to_string(k.FS));
        EXPECT_EQ(c.texts[Field::txtLstsamp], " " + std::to_string(k.LS));
        // One run (first point) per trace of the window.
        EXPECT_EQ(cv.only(Prim::Pset).size(), size_t(k.LT - k.FT + 1));
    }
}

// Largest absolute raw value of traces t1..t2 over samples 3..6, 1 for 0.
static float GroupMax(const ProfileStore &r, int t1, int t2)
{
    float m = 0;
    for (int t = t1; t <= t2; ++t)
        for (int s = 3; s <= 6; ++s)
            m = std::max(m, std::fabs(r.RawData(t, s)));
    return m == 0 ? 1.0f : m;
}

TEST(DisplayPlotProfile, Normalization)
{
    enum Expect { Untouched, PerGatherOf24, PerTraceInWindow };
    struct Case {
        const char *name;
        int16_t mode, perCSG;
        const char *t1, *tl;
        Expect expect;
    } cases[] = {
        {"none", 0, 24, "1", "50", Untouched},
        // Whole gathers of the profile, not only of the window; traces 49
        // and 50 form an incomplete gather and keep their raw values.
        {"csg", 1, 24, "30", "40", PerGatherOf24},
        {"csg larger than profile", 1, 60, "1", "50", Untouched},
        {"trace", 2, 24, "5", "20", PerTraceInWindow},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        ProfileStore st = MakeProfile(50, 10, [](int t, int s) { return float(((t * 7 + s * 3) % 11) - 5) * float(t); });
        for (int s = 1; s <= 10; ++s)
            st.RawData(7, s) = st.PlotData(7, s) = 0; // an all-zero trace
        st.NormMode = k.mode;
        st.TracesPerCSG = k.perCSG;
        FakeControls c;
        SetWindow(c, k.t1, k.tl, "3", "6");
        RecordingCanvas cv;
        PlotProfile(st, c, cv);
        float lo = 1e30f, hi = -1e30f;
        for (int t = 1; t <= 50; ++t) {
            float d = 1;
            if (k.expect == PerGatherOf24 && t <= 48)
                d = GroupMax(st, (t - 1) / 24 * 24 + 1, (t - 1) / 24 * 24 + 24);
            if (k.expect == PerTraceInWindow && t >= 5 && t <= 20)
                d = GroupMax(st, t, t);
            for (int s = 1; s <= 10; ++s) {
                const bool inside = s >= 3 && s <= 6;
                const float want = inside ? st.RawData(t, s) / d : st.RawData(t, s);
                ASSERT_EQ(st.PlotData(t, s), want) << "trace " << t << " sample " << s;
                if (inside && t >= st.FirstTrace && t <= st.LastTrace) {
                    lo = std::min(lo, want);
                    hi = std::max(hi, want);
                }
            }
        }
        EXPECT_EQ(st.AmpMin, lo);
        EXPECT_EQ(st.AmpMax, hi);
        // A second plot of the normalized data changes nothing.
        ProfileStore again = st;
        PlotProfile(again, c, cv);
        EXPECT_TRUE(again.PlotData == st.PlotData);
    }
}

TEST(DisplayPlotProfile, ClipRule)
{
    // Samples [0, 5, -5, 0]: range -5..5, gain 400 -> k = 40, baseline 0,
    // deflections +200 and -200 before clipping; one trace, dx/2 = 1500.
    struct Case {
        int16_t clip;
        float right, left;
    } cases[] = {{1000, 200, -200}, {100, 100, -100}, {0, 0, 0}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.clip);
        const float v[] = {0, 0, 5, -5, 0};
        ProfileStore st = MakeProfile(1, 4, [&](int, int s) { return v[s]; });
        st.ClipValue = k.clip;
        FakeControls c;
        SetWindow(c, "1", "1", "1", "4");
        RecordingCanvas cv(3000, 1500);
        PlotProfile(st, c, cv);
        auto runs = cv.runs();
        ASSERT_EQ(runs.size(), 1u);
        std::vector<Prim> wiggle;
        for (const Prim &p : runs[0])
            if (p.isLine() && !(p.y1 == p.y2 && p.x1 == 1500))
                wiggle.push_back(p);
        ASSERT_EQ(wiggle.size(), 3u);
        EXPECT_EQ(wiggle[0].x2, 1500 + k.right);
        EXPECT_EQ(wiggle[1].x2, 1500 + k.left);
        EXPECT_EQ(wiggle[2].x2, 1500); // 0 is never clipped
        EXPECT_EQ(CountFills(runs[0], 1500) == 0, k.clip == 0);
    }
}

TEST(DisplayPlotProfile, FillLinesPerSampleFollowCIntOfDy)
{
    // Two samples [0, 1] on one trace: dy = ScaleHeight / 2.
    struct Case {
        float height;
        int fills;
    } cases[] = {{1, 0}, {3, 2}, {5, 2}, {7, 4}, {30, 15}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.height);
        ProfileStore st = MakeProfile(1, 2, [](int, int s) { return float(s - 1); });
        FakeControls c;
        SetWindow(c, "1", "1", "1", "2");
        RecordingCanvas cv(3000, k.height);
        PlotProfile(st, c, cv);
        const float dy = k.height / 2;
        auto runs = cv.runs();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].size(), size_t(2 + k.fills)); // point, wiggle line, fills
        // First point at the top, last sample at the bottom edge.
        EXPECT_EQ(runs[0][0].y1, 0);
        EXPECT_EQ(runs[0][1].y2, std::nearbyint(2 * dy));
        for (int m = 1; m <= k.fills; ++m)
            EXPECT_FLOAT_EQ(runs[0][size_t(1 + m)].y1, dy + float(m));
    }
}

TEST(DisplayPlotProfile, OneSampleWindowDrawsOnePointPerTrace)
{
    ProfileStore st = MakeProfile(3, 10, [](int t, int s) { return float(t * s); });
    FakeControls c;
    SetWindow(c, "1", "3", "4", "4");
    RecordingCanvas cv;
    PlotProfile(st, c, cv);
    auto drawn = cv.drawn();
    ASSERT_EQ(drawn.size(), 3u);
    for (const Prim &p : drawn) {
        EXPECT_EQ(p.kind, Prim::Pset);
        EXPECT_EQ(p.y1, 0);
    }
}

TEST(DisplayPlotProfile, FlatWindowLiesOnBaselines)
{
    ProfileStore st = MakeProfile(4, 20, [](int, int) { return 7.0f; });
    FakeControls c;
    SetWindow(c, "1", "4", "1", "20");
    RecordingCanvas cv(4000, 1500);
    PlotProfile(st, c, cv);
    EXPECT_EQ(st.AmpMin, 7.0f);
    EXPECT_EQ(st.AmpMax, 7.0f);
    EXPECT_TRUE(AllFinite(cv));
    auto runs = cv.runs();
    ASSERT_EQ(runs.size(), 4u);
    for (size_t i = 0; i < runs.size(); ++i) {
        const float base = float(i) * 1000 + 500;
        for (const Prim &p : runs[i]) {
            EXPECT_EQ(p.x1, base);
            if (p.isLine()) {
                EXPECT_EQ(p.x2, base); // one vertical line per sample, no fill
            }
        }
    }
}

TEST(DisplayPlotProfile, WideCanvasDoesNotWrap)
{
    // Columns of a million twips: positions far beyond 16 bits stay exact.
    ProfileStore st = MakeProfile(2, 3, [](int, int s) { return float(s - 2); });
    st.ClipValue = 32767;
    FakeControls c;
    SetWindow(c, "1", "2", "1", "3");
    RecordingCanvas cv(2e6f, 1500);
    PlotProfile(st, c, cv);
    auto runs = cv.runs();
    ASSERT_EQ(runs.size(), 2u);
    // k = 400 / 2; trace 2 starts at x0 = 1e6, shifted by dx/2 = 5e5.
    EXPECT_EQ(runs[1][0].x1, 1.5e6f - 200);
    EXPECT_EQ(runs[1][1].x2, 1.5e6f);
    EXPECT_EQ(runs[1].back().x2, 1.5e6f + 200);
}

TEST(DisplayPlotProfile, NonFiniteAmplitudesLeaveAUsableRange)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int16_t mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        ProfileStore st = MakeProfile(3, 6, [&](int t, int s) {
            if (t == 1 && s == 1)
                return nan;
            if (t == 2 && s == 3)
                return inf;
            if (t == 3 && s == 4)
                return -inf;
            return float(s % 3) - 1.0f;
        });
        st.NormMode = mode;
        st.TracesPerCSG = 3;
        FakeControls c;
        SetWindow(c, "1", "3", "1", "6");
        RecordingCanvas cv;
        PlotProfile(st, c, cv);
        EXPECT_TRUE(std::isfinite(st.AmpMin));
        EXPECT_TRUE(std::isfinite(st.AmpMax));
        EXPECT_EQ(st.AmpMin, -1.0f);
        EXPECT_EQ(st.AmpMax, 1.0f);
        EXPECT_EQ(cv.prims.back().mode, DrawNotXorPen);
    }
}

TEST(DisplayPlotProfile, DrawModesAndNoYield)
{
    ProfileStore st = MakeProfile(5, 50, [](int t, int s) { return std::sin(float(t + s)); });
    FakeControls c;
    SetWindow(c, "1", "5", "1", "50");
    RecordingCanvas cv;
    PlotProfile(st, c, cv);
    ASSERT_GE(cv.prims.size(), 3u);
    EXPECT_EQ(cv.prims[0].kind, Prim::Mode);
    EXPECT_EQ(cv.prims[0].mode, DrawCopyPen);
    EXPECT_EQ(cv.prims[1].kind, Prim::Clear);
    EXPECT_EQ(cv.prims.back().kind, Prim::Mode);
    EXPECT_EQ(cv.prims.back().mode, DrawNotXorPen);
    EXPECT_TRUE(cv.only(Prim::ColorLine).empty()); // everything in the foreground colour
    EXPECT_EQ(c.yields, 0);
}

TEST(DisplayPlotProfile, NoProfileTouchesNothing)
{
    ProfileStore st;
    FakeControls c;
    SetWindow(c, "1", "10", "1", "10");
    const auto before = c.texts;
    RecordingCanvas cv;
    PlotProfile(st, c, cv);
    EXPECT_TRUE(cv.prims.empty());
    EXPECT_EQ(c.texts, before);
    EXPECT_FALSE(st.PlotData.allocated());
}

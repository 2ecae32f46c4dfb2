// The profile plot: field validation, normalization, amplitude range and the
// primitives it draws.
#include "display/display.h"

#include "support/display_profile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

using namespace orv;
using namespace orv::test;

TEST(DisplayPlotProfile, GainClipAndBaseline)
{
    // One trace, baseline at width / 2, k = G / range. The first point is only
    // clipped; the lines are clipped, then limited to the gain. Wide columns
    // must not wrap. want: offsets from the baseline, the point, then the lines.
    using V = std::array<float, 4>;
    const V high = {11, 11, 10, 10}, lobes = {0, 5, -5, 0}; // k = G; k = G / 10
    const struct { const char *field, *shown; float width; int16_t clip; V v, want; } cases[] = {
        {"9000", " 5000", 3000, 32767, high, {32767, 5000, 5000, 5000}},
        {"abc", " 1", 3000, 32767, high, {11, 1, 1, 1}},
        {"400", " 400", 3000, 100, lobes, {0, 100, -100, 0}},
        {"400", " 400", 3000, 0, lobes, {0, 0, 0, 0}},
        {"400", " 400", 2e6f, 32767, lobes, {0, 200, -200, 0}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(testing::Message() << k.field << " w=" << k.width << " clip=" << k.clip);
        ProfileStore st = MakeProfile(1, 4, [&](int, int s) { return k.v[size_t(s - 1)]; });
        st.ClipValue = k.clip;
        FakeControls c;
        SetWindow(c, "1", "1", "1", "4");
        c.texts[Field::txtGainValue] = k.field;
        RecordingCanvas cv(k.width, 1500);
        PlotProfile(st, c, cv);
        EXPECT_EQ(c.texts[Field::txtGainValue], k.shown);
        const float b = k.width / 2;
        std::vector<float> got;
        int fills = 0;
        for (const Prim &p : cv.drawn())
            (p.isLine() && p.y1 == p.y2 && p.x1 == b) ? void(++fills) : got.push_back((p.isLine() ? p.x2 : p.x1) - b);
        EXPECT_EQ(got, std::vector<float>(k.want.begin(), k.want.end()));
        EXPECT_EQ(fills == 0, k.clip == 0);
    }
}

TEST(DisplayPlotProfile, WindowRulesAndWriteBack)
{
    // Clamping to the profile is left to the re-plot tests.
    const struct { int ns; const char *t1, *tl, *s1, *sl; int FT, LT, FS, LS; } cases[] = {
        {400, "30", "10", "300", "100", 30, 30, 300, 301}, // one sample more...
        {300, "30", "10", "300", "100", 30, 30, 300, 300}, // ...never past NSamples
        {400, "3", "3", "4", "4", 3, 3, 4, 4},             // one sample: only points
        {400, "", "abc", "0", "", 1, 1, 1, 2},
        {400, "2.5", "3.5", "10", "20", 2, 4, 10, 20}, // halves to even
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(std::string(k.t1) + "/" + k.tl + "/" + k.s1 + "/" + k.sl);
        ProfileStore st = MakeProfile(50, k.ns, [](int t, int s) { return float(t + s); });
        FakeControls c;
        SetWindow(c, k.t1, k.tl, k.s1, k.sl);
        RecordingCanvas cv;
        PlotProfile(st, c, cv);
        const int want[] = {k.FT, k.LT, k.FS, k.LS};
        const int got[] = {st.FirstTrace, st.LastTrace, st.FirstSample, st.LastSample};
        const Field fields[] = {Field::txt1sttr, Field::txtLsttr, Field::txt1stsamp, Field::txtLstsamp};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(got[i], want[i]) << i;
            EXPECT_EQ(c.texts[fields[i]], " " + std::to_string(want[i])) << i;
        }
        EXPECT_EQ(cv.only(Prim::Pset).size(), size_t(k.LT - k.FT + 1)); // one run per trace
        if (k.FS == k.LS) {
            EXPECT_EQ(cv.drawn().size(), size_t(k.LT - k.FT + 1));
        }
    }
}

TEST(DisplayPlotProfile, Normalization)
{
    // Largest absolute raw value of traces t1..t2 over samples 3..6, 1 for 0.
    auto groupMax = [](const ProfileStore &r, int t1, int t2) {
        float m = 0;
        for (int t = t1; t <= t2; ++t)
            for (int s = 3; s <= 6; ++s)
                m = std::max(m, std::fabs(r.RawData(t, s)));
        return m == 0 ? 1.0f : m;
    };
    // Mode 1: gathers of 24 of the whole profile, not only of the window; the
    // incomplete last one (traces 49, 50) keeps its raw values. Mode 2: each
    // trace of the window. No normalization is left to the re-plot tests.
    for (const auto &k : {std::tuple{int16_t(1), "30", "40"}, {int16_t(2), "5", "20"}}) {
        const auto [mode, t1, tl] = k;
        SCOPED_TRACE(mode);
        ProfileStore st = MakeProfile(50, 10, [](int t, int s) { return float(((t * 7 + s * 3) % 11) - 5) * float(t); });
        for (int s = 1; s <= 10; ++s)
            st.RawData(7, s) = st.PlotData(7, s) = 0; // an all-zero trace
        st.NormMode = mode;
        FakeControls c;
        SetWindow(c, t1, tl, "3", "6");
        RecordingCanvas cv;
        PlotProfile(st, c, cv);
        float lo = 1e30f, hi = -1e30f;
        for (int t = 1; t <= 50; ++t) {
            float d = 1;
            if (mode == 1 && t <= 48)
                d = groupMax(st, (t - 1) / 24 * 24 + 1, (t - 1) / 24 * 24 + 24);
            if (mode == 2 && t >= 5 && t <= 20)
                d = groupMax(st, t, t);
            for (int s = 1; s <= 10; ++s) {
                const bool inside = s >= 3 && s <= 6;
                const float want = inside ? st.RawData(t, s) / d : st.RawData(t, s);
                ASSERT_EQ(st.PlotData(t, s), want) << "trace " << t << " sample " << s;
                if (inside && t >= st.FirstTrace && t <= st.LastTrace)
                    lo = std::min(lo, want), hi = std::max(hi, want);
            }
        }
        EXPECT_EQ(std::make_pair(st.AmpMin, st.AmpMax), std::make_pair(lo, hi));
        ProfileStore again = st; // a second plot of normalized data changes nothing
        PlotProfile(again, c, cv);
        EXPECT_TRUE(again.PlotData == st.PlotData);
    }
}

TEST(DisplayPlotProfile, FillLinesPerSampleFollowCIntOfDy)
{
    // Samples [0, 1] on one trace: dy = ScaleHeight / 2, rounded half to even.
    for (auto [height, fills] : {std::pair{1.0f, 0}, {3.0f, 2}, {5.0f, 2}}) {
        SCOPED_TRACE(height);
        ProfileStore st = MakeProfile(1, 2, [](int, int s) { return float(s - 1); });
        FakeControls c;
        SetWindow(c, "1", "1", "1", "2");
        RecordingCanvas cv(3000, height);
        PlotProfile(st, c, cv);
        auto runs = cv.runs();
        ASSERT_EQ(runs.size(), 1u);
        ASSERT_EQ(runs[0].size(), size_t(2 + fills)); // point, wiggle line, fills
        EXPECT_EQ(runs[0][0].y1, 0);
        EXPECT_EQ(runs[0][1].y2, std::nearbyint(height));
        for (int m = 1; m <= fills; ++m)
            EXPECT_FLOAT_EQ(runs[0][size_t(1 + m)].y1, height / 2 + float(m));
    }
}

TEST(DisplayPlotProfile, FlatOrNonFiniteAmplitudesLeaveAUsableRange)
{
    // NaN and infinities are left out of the range; a flat window lies on the
    // baselines (vertical lines, no fill, no NaN) in every normalization mode.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (bool flat : {false, true})
        for (int16_t mode : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << "flat " << flat << " mode " << mode);
            ProfileStore st = MakeProfile(3, 6, [&](int t, int s) {
                return flat ? 7.0f : t == 1 && s == 1 ? nan : t == 2 && s == 3 ? inf : t == 3 && s == 4 ? -inf : float(s % 3) - 1;
            });
            st.NormMode = mode, st.TracesPerCSG = 3;
            FakeControls c;
            SetWindow(c, "1", "3", "1", "6");
            RecordingCanvas cv;
            PlotProfile(st, c, cv);
            const float flatValue = mode == 0 ? 7.0f : 1.0f;
            EXPECT_EQ(std::make_pair(st.AmpMin, st.AmpMax), flat ? std::make_pair(flatValue, flatValue) : std::make_pair(-1.0f, 1.0f));
            for (const Prim &p : cv.drawn())
                if (flat) {
                    ASSERT_EQ(std::fmod(p.x1, 1000.0f), 500.0f) << p;
                    ASSERT_EQ(p.x2, p.isLine() ? p.x1 : 0) << p;
                }
        }
}

TEST(DisplayPlotProfile, DrawModesAndNoProfile)
{
    ProfileStore st = MakeProfile(5, 50, [](int t, int s) { return std::sin(float(t + s)); });
    FakeControls c;
    SetWindow(c, "1", "5", "1", "50");
    RecordingCanvas cv;
    PlotProfile(st, c, cv);
    ASSERT_GE(cv.prims.size(), 3u);
    EXPECT_EQ(std::vector<Prim>(cv.prims.begin(), cv.prims.begin() + 2), (std::vector<Prim>{{Prim::Mode, DrawCopyPen}, {Prim::Clear}}));
    EXPECT_EQ(cv.prims.back(), (Prim{Prim::Mode, DrawNotXorPen}));
    EXPECT_TRUE(cv.only(Prim::ColorLine).empty()); // all in the foreground colour
    EXPECT_EQ(c.yields, 0);

    ProfileStore none; // nothing drawn, written back or allocated
    const auto before = c.texts;
    RecordingCanvas empty;
    PlotProfile(none, c, empty);
    EXPECT_TRUE(empty.prims.empty());
    EXPECT_EQ(c.texts, before);
    EXPECT_FALSE(none.PlotData.allocated());
}

// The profile plot: field validation, normalization, amplitude range and the primitives it draws.
#include "display/display.h"

#include "support/display_profile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

using namespace orv;
using namespace orv::test;

TEST(DisplayPlotProfile, GainClipAndBaseline)
{
    // Offsets from the baseline: the point (only clipped), then the lines (clipped, then limited to
    // the gain); wide columns must not wrap.
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
    const struct { int ns; const char *t1, *tl, *s1, *sl; std::vector<int> want; } cases[] = {
        {400, "30", "10", "300", "100", {30, 30, 300, 301}}, // one sample more...
        {300, "30", "10", "300", "100", {30, 30, 300, 300}}, // ...never past NSamples
        {400, "3", "3", "4", "4", {3, 3, 4, 4}},             // one sample: only points
        {400, "", "abc", "0", "", {1, 1, 1, 2}},
        {400, "2.5", "3.5", "10", "20", {2, 4, 10, 20}}, // halves to even
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(std::string(k.t1) + "/" + k.tl + "/" + k.s1 + "/" + k.sl);
        ProfileStore st = MakeProfile(50, k.ns, [](int t, int s) { return float(t + s); });
        FakeControls c;
        SetWindow(c, k.t1, k.tl, k.s1, k.sl);
        RecordingCanvas cv;
        PlotProfile(st, c, cv);
        EXPECT_EQ(std::vector<int>({st.FirstTrace, st.LastTrace, st.FirstSample, st.LastSample}), k.want);
        const Field shown[] = {Field::txt1sttr, Field::txtLsttr, Field::txt1stsamp, Field::txtLstsamp};
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(c.texts[shown[i]], " " + std::to_string(k.want[i]));
        const size_t traces = size_t(k.want[1] - k.want[0] + 1);
        EXPECT_EQ(cv.only(Prim::Pset).size(), traces); // one run per trace
        EXPECT_EQ(cv.drawn().size() == traces, k.want[2] == k.want[3]);
    }
}

TEST(DisplayPlotProfile, NormalizationInsideTheSampleWindow)
{
    // Samples 9, t, -(t + 1); trace 2 all 0. Mode 1: gathers of 2 over the whole profile, the
    // incomplete last one raw. Mode 2: each window trace.
    using Rows = std::vector<std::array<float, 3>>;
    const struct { int16_t mode; const char *t1, *tl; Rows want; float lo, hi; } cases[] = {
        {1, "4", "5", {{9, .5f, -1}, {0, 0, 0}, {9, .6f, -.8f}, {9, .8f, -1}, {9, 5, -6}}, -6, 5},
        {2, "1", "3", {{9, .5f, -1}, {0, 0, 0}, {9, .75f, -1}, {9, 4, -5}, {9, 5, -6}}, -1, .75f},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.mode);
        ProfileStore st = MakeProfile(5, 3, [](int t, int s) {
            return t == 2 ? 0.0f : s == 1 ? 9.0f : s == 2 ? float(t) : -float(t + 1);
        });
        st.NormMode = k.mode, st.TracesPerCSG = 2;
        FakeControls c;
        SetWindow(c, k.t1, k.tl, "2", "3");
        RecordingCanvas cv;
        PlotProfile(st, c, cv);
        for (int t = 1; t <= 5; ++t)
            EXPECT_EQ((std::array{st.PlotData(t, 1), st.PlotData(t, 2), st.PlotData(t, 3)}), k.want[size_t(t - 1)]) << t;
        EXPECT_EQ(std::make_pair(st.AmpMin, st.AmpMax), std::make_pair(k.lo, k.hi));
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
        EXPECT_EQ(runs[0][1].y2, std::nearbyint(height));
        for (int m = 1; m <= fills; ++m)
            EXPECT_FLOAT_EQ(runs[0][size_t(1 + m)].y1, height / 2 + float(m));
    }
}

TEST(DisplayPlotProfile, FlatOrNonFiniteAmplitudesLeaveAUsableRange)
{
    // NaN and infinities are left out of the range; a flat window lies on the baselines (vertical
    // lines, no fill, no NaN) in every normalization mode.
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

TEST(DisplayPlotProfile, ExtremeAmplitudesStayInTheirColumn)
{
    // Trace 2 of 3 holds NaN, infinities and float-limit amplitudes; columns of 1000, clip 300.
    // Non-finite samples lie on the baseline; per trace the others draw as if they were 0.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const std::array<float, 11> bad = {0.5f, nan, -0.5f, inf, 3e38f, -inf, -3e38f, 1, nan, -0.25f, 0.75f};
    auto value = [&](bool clean) {
        return [&bad, clean](int t, int s) {
            const float v = bad[size_t(s - 1)];
            return t != 2 ? float(s % 3 - 1) * float(t) : clean && !(std::fabs(v) < 1e30f) ? 0.0f : v;
        };
    };
    const struct { const char *name; int16_t mode; bool redraw; } cases[] = {
        {"per trace", 2, false},
        {"one range", 0, false},
        {"highlight and restore", 0, true},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        auto plot = [&](ProfileStore &st) {
            st.NormMode = k.mode, st.ClipValue = 300;
            FakeControls c;
            SetWindow(c, "1", "3", "1", "11");
            c.texts[Field::txtGainValue] = "400";
            RecordingCanvas cv(3000, 1100);
            PlotProfile(st, c, cv);
            if (k.redraw) {
                for (int s = 1; s <= 11; ++s)
                    st.PlotData(2, s) = bad[size_t(s - 1)];
                cv.prims.clear();
                HighlightTrace(st, c, cv, 2);
                RestorePrevTrace(st, c, cv, 3); // trace 2 again, normal fill
            }
            return cv.runs();
        };
        ProfileStore badSt = MakeProfile(3, 11, value(k.redraw)), cleanSt = MakeProfile(3, 11, value(true));
        const auto runs = plot(badSt), clean = plot(cleanSt);
        ASSERT_EQ(runs.size(), k.redraw ? 2u : 3u);
        for (size_t r = 0; r < runs.size(); ++r) {
            const float x0 = k.redraw ? 1000.0f : 1000.0f * float(r);
            const std::vector<float> at = RecordingCanvas::sampleXs(runs[r], x0, x0 + 1000);
            ASSERT_TRUE(at.empty() || at[0] != -1e30f) << "run " << r << " leaves its column";
            if (x0 == 1000) {
                ASSERT_EQ(at.size(), bad.size());
                for (size_t s = 0; s < bad.size(); ++s)
                    EXPECT_TRUE(std::isfinite(bad[s]) || at[s] == 1500.0f) << "sample " << s + 1;
            }
        }
        if (k.mode == 2) {
            EXPECT_EQ(runs[0], clean[0]);
            EXPECT_EQ(runs[2], clean[2]);
        }
    }
}

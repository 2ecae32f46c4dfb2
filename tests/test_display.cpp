// The display.
#include "display/display.h"
#include "support/display_profile.h"
#include "support/recording_canvas.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <tuple>

using namespace orv;
using namespace orv::test;

TEST(DisplayPlotProfile, GainClipAndBaseline)
{
    // Offsets from the baseline.
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
        FakeControls c = Window("1", "1", "1", "4", k.field);
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
        FakeControls c = Window(k.t1, k.tl, k.s1, k.sl);
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
    // Samples 9, t, -(t + 1).
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
        FakeControls c = Window(k.t1, k.tl, "2", "3");
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
        FakeControls c = Window("1", "1", "1", "2");
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

TEST(DisplayPlotTrace, StretchesTheTraceBetweenTheMargins)
{
    // [-2, 0, 3, 1] on a canvas 1040 wide: sc = 1000 / 5, amplitude 0 at 420.
    const float v[] = {0, -2, 0, 3, 1};
    ProfileStore st = MakeProfile(2, 4, [&](int, int s) { return v[s]; });
    st.FirstTrace = 1, st.LastTrace = 2, st.FirstSample = 1, st.LastSample = 4;
    RecordingCanvas cv(1040, 400);
    PlotTrace(st, cv, 1);
    auto drawn = cv.drawn();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0], (Prim{Prim::Pset, 0, 20, 0})); // smallest amplitude at the left margin
    float maxX = -1;
    for (const Prim &p : drawn) {
        maxX = std::max({maxX, p.x1, p.x2});
        EXPECT_TRUE(!p.isLine() || p.y1 != p.y2 || p.x1 == p.x2 || p.x1 == 420) << p; // fill from amplitude 0
    }
    EXPECT_EQ(maxX, 1020); // largest at ScaleWidth - 20
    EXPECT_TRUE(cv.only(Prim::ColorLine).empty());
    EXPECT_EQ(cv.prims.back(), (Prim{Prim::Mode, DrawNotXorPen}));
    ProfileStore flat = MakeProfile(1, 8, [&](int, int) { return -3.0f; }); // on the margin, no fill
    flat.FirstTrace = flat.LastTrace = 1, flat.FirstSample = 1, flat.LastSample = 8;
    RecordingCanvas fc(1000, 800);
    PlotTrace(flat, fc, 1);
    for (const Prim &p : fc.drawn())
        EXPECT_EQ(p, (Prim{p.kind, 0, 20, p.y1, p.isLine() ? 20.0f : 0, p.y2}));
    EXPECT_EQ(fc.drawn().size(), 8u);
}

// The highlight and the restore draw, primitive for primitive, what the profile plot drew for that trace.
TEST(DisplayHighlightTrace, RedrawsExactlyWhatTheProfilePlotDrew)
{
    // flat: when not 0, every sample's value.
    const struct { const char *name; float width, height; int nt, ns; const char *t1, *tl, *s1, *sl, *gain;
                   int16_t clip, norm; float flat; } cases[] = {
        {"odd column width, half twips", 6255, 4321, 15, 33, "1", "15", "1", "33", "400", 1000, 0, 0},
        {"per gather, small clip, big gain", 5000, 3000, 10, 50, "3", "9", "5", "44", "2500", 60, 1, 0},
        {"per trace, wide columns, fractional dy", 3e6f, 1234, 3, 300, "1", "3", "7", "250", "5000", 32767, 2, 0},
        {"clip 0: on the baseline, no green", 9000, 6000, 12, 40, "1", "12", "1", "40", "400", 0, 0, 0},
        {"flat window", 9000, 6000, 6, 40, "1", "6", "1", "40", "400", 1000, 0, -4},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        ProfileStore st = MakeProfile(k.nt, k.ns, [&](int t, int s) {
            return k.flat != 0 ? k.flat : std::sin(float(s) * 0.37f + float(t)) * float(1 + t % 4) - 0.2f;
        });
        st.ClipValue = k.clip, st.NormMode = k.norm, st.TracesPerCSG = 6;
        FakeControls c = Window(k.t1, k.tl, k.s1, k.sl, k.gain);
        RecordingCanvas profile(k.width, k.height);
        PlotProfile(st, c, profile);
        const auto runs = profile.runs();
        ASSERT_EQ(runs.size(), size_t(st.LastTrace - st.FirstTrace + 1));
        for (int t = st.FirstTrace; t <= st.LastTrace; ++t) {
            SCOPED_TRACE(t);
            std::vector<Prim> want = runs[size_t(t - st.FirstTrace)];
            RecordingCanvas hl(k.width, k.height);
            HighlightTrace(st, c, hl, t);
            auto got = hl.drawn();
            ASSERT_EQ(got.size(), want.size());
            for (size_t i = 0; i < got.size(); ++i) {
                if (got[i].kind == Prim::ColorLine) // the fill, in green
                    want[i].kind = Prim::ColorLine, want[i].colour = ColorGreen;
                ASSERT_EQ(got[i], want[i]) << "primitive " << i;
            }
            EXPECT_EQ(hl.prims.front(), (Prim{Prim::Mode, DrawCopyPen}));
            EXPECT_EQ(hl.prims.back(), (Prim{Prim::Mode, DrawNotXorPen}));
            EXPECT_TRUE(hl.only(Prim::Clear).empty());
            EXPECT_EQ(hl.only(Prim::ColorLine).empty(), k.clip == 0 || k.flat != 0);

            // The restore redraws the trace before (or, for the first, the current one).
            RecordingCanvas rs(k.width, k.height);
            RestorePrevTrace(st, c, rs, t);
            EXPECT_EQ(rs.drawn(), runs[size_t(std::max(t - 1, int(st.FirstTrace)) - st.FirstTrace)]);
        }
    }
}

TEST(DisplayHighlightTrace, StepperOutsideTheWindowOrNoProfileDrawsNothing)
{
    // The trace canvas still shows a trace of the profile outside the window.
    ProfileStore st = MakeProfile(20, 30, [](int t, int s) { return float((t * s) % 5) - 2; });
    FakeControls c = Window("5", "10", "1", "30");
    RecordingCanvas profile;
    PlotProfile(st, c, profile);
    ProfileStore none;
    const std::vector<Prim> cleared = {{Prim::Mode, DrawCopyPen}, {Prim::Clear}, {Prim::Mode, DrawNotXorPen}};
    for (auto [store, v, traceShown] : {std::tuple{&st, 0, false}, {&st, 4, true}, {&st, 11, true}, {&st, 21, false},
                                        {&st, 40000, false}, {&none, 1, false}}) {
        SCOPED_TRACE(v);
        RecordingCanvas trace, cv;
        PlotTrace(*store, trace, v);
        EXPECT_EQ(trace.prims != cleared, traceShown);
        HighlightTrace(*store, c, cv, v);
        RestorePrevTrace(*store, c, cv, v);
        EXPECT_TRUE(cv.prims.empty());
    }
}

TEST(DisplayAxisLabels, SampleNumbersAndTimes)
{
    using Five = std::array<const char *, 5>;
    const struct { float nSamples, totalTime; int16_t fs, ls; Five samp, time; } cases[] = {
        {400, 100, 101, 200, {" 101", " 126", " 151", " 176", " 201"}, {" 25", " 31", " 37", " 44", " 50"}},
        {10, 2, 1, 10, {" 1", " 3", " 6", " 8", " 11"}, {" 0", " 0", " 1", " 1", " 2"}},
        {0, 0, 0, 0, {" 0", " 0", " 0", " 0", " 1"}, {" 0", " 0", " 0", " 0", " 0"}}, // nothing loaded
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(testing::Message() << k.fs << ".." << k.ls << " of " << k.nSamples);
        ProfileStore st;
        st.NSamples = k.nSamples, st.TotalTime = k.totalTime, st.FirstSample = k.fs, st.LastSample = k.ls;
        FakeControls c;
        ShowAxisLabels(st, c);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(c.captions[lblSamp(i)], k.samp[size_t(i)]) << "lblSamp " << i;
            EXPECT_EQ(c.captions[lblTime(i)], k.time[size_t(i)]) << "lblTime " << i;
        }
    }
}

TEST(DisplayPickMarks, CrossAtEveryPickOfTheWindow)
{
    const struct { int ft, lt; const char *firstField; float traceHeight, totalTime;
                   std::vector<std::pair<float, float>> want; } cases[] = {
        {3, 7, " 3", 2000, 50, {{3000, 400}, {7000, 2400}}}, // columns 2000, rows 20
        {4, 4, " 4", 2000, 50, {{5000, 400}}},               // a single trace in the middle
        {1, 10, " 1", 1000, 50, {{1500, 100}, {3500, 200}, {5500, 1200}, {7500, 100}}},
        {3, 7, "4", 2000, 50, {{1000, 400}, {5000, 2400}}},
        {1, 10, " 1", 2000, 0, {}}, // no time window
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(testing::Message() << k.ft << ".." << k.lt << " field " << k.firstField);
        ProfileStore st = MakeProfile(10, 100, [](int, int) { return 0.0f; }, 50);
        st.FirstTrace = int16_t(k.ft), st.LastTrace = int16_t(k.lt), st.FirstSample = 1, st.LastSample = 100;
        st.TotalTime = k.totalTime;
        st.Picks = {0, 0, 5, 0, 10, 0, 60, 0, 5, 0, 0};
        FakeControls c;
        c.texts[Field::txt1sttr] = k.firstField;
        RecordingCanvas profile{10000, 2000}, trace{1000, k.traceHeight};
        profile.mode = DrawNotXorPen; // as the profile plot leaves it
        DrawPickMarks(st, c, profile, trace);
        std::vector<Prim> want;
        for (auto [x, y] : k.want) {
            want.push_back({Prim::ColorLine, 0, x - 150, y, x + 150, y, ColorRed});
            want.push_back({Prim::ColorLine, 0, x, y - 150, x, y + 150, ColorRed});
        }
        EXPECT_EQ(profile.prims, want);
    }
}

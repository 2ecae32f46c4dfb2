// The current trace alone on the trace canvas, and its highlight / restore on the profile canvas,
// which must fall exactly on the profile plot.
#include "display/display.h"

#include "support/display_profile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

using namespace orv;
using namespace orv::test;

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

    // Flat traces and a single sample: a vertical line at the margin, no fill.
    for (auto [value, fs] : {std::pair{0.0f, 1}, {-3.0f, 8}}) {
        SCOPED_TRACE(testing::Message() << value << " from sample " << fs);
        ProfileStore flat = MakeProfile(1, 8, [&](int, int) { return value; });
        flat.FirstTrace = flat.LastTrace = 1, flat.FirstSample = int16_t(fs), flat.LastSample = 8;
        RecordingCanvas fc(1000, 800);
        PlotTrace(flat, fc, 1);
        drawn = fc.drawn();
        ASSERT_EQ(drawn.size(), size_t(9 - fs)); // the point and the wiggle lines
        for (const Prim &p : drawn)
            EXPECT_EQ(p, (Prim{p.kind, 0, 20, p.y1, p.isLine() ? 20.0f : 0, p.y2}));
        EXPECT_EQ(drawn.back().y2, fs == 8 ? 0 : 800);
    }
}

// The highlight and the restore draw, primitive for primitive, what the profile plot drew for that
// trace; the highlight only colours its fill green.
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
        FakeControls c;
        SetWindow(c, k.t1, k.tl, k.s1, k.sl);
        c.texts[Field::txtGainValue] = k.gain;
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
    FakeControls c;
    SetWindow(c, "5", "10", "1", "30");
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

TEST(DisplayPlotTrace, ExtremeAmplitudesStayOnTheCanvas)
{
    // 1540 wide: amplitudes -0.5..1 stretch over 20..1520 with 0 at 520; non-finite samples lie at
    // amplitude 0; with the float limit in the trace its range overflows and it is flat at 20.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const struct { const char *name; std::vector<float> v; float zero; } cases[] = {
        {"NaN and infinities", {0.5f, nan, -0.5f, inf, 1, -inf, -0.25f, nan, 0.75f}, 520},
        {"float limit", {0.5f, nan, 3e38f, inf, 1, -inf, -3e38f, nan, 0.75f}, 20},
        {"non-finite first", {-inf, 1, -0.5f, 3e38f, 0}, 20},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        const int ns = int(k.v.size());
        ProfileStore st = MakeProfile(1, ns, [&](int, int s) { return k.v[size_t(s - 1)]; });
        st.FirstTrace = st.LastTrace = 1, st.FirstSample = 1, st.LastSample = int16_t(ns);
        RecordingCanvas cv(1540, 100.0f * float(ns));
        PlotTrace(st, cv, 1);
        const std::vector<float> at = RecordingCanvas::sampleXs(cv.drawn(), 0, 1540);
        ASSERT_EQ(at.size(), k.v.size()); // also when a primitive leaves the canvas
        for (size_t s = 0; s < k.v.size(); ++s)
            EXPECT_TRUE(std::isfinite(k.v[s]) || at[s] == k.zero) << "sample " << s + 1 << " at " << at[s];
    }
}

// Axis labels beside the profile canvas and the pick marks on it.
#include "display/display.h"

#include "support/display_profile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <array>

using namespace orv;
using namespace orv::test;

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
    // 10 traces over 50 time units; columns follow the first-trace field, rows the trace canvas's
    // height. A pick of 0 or outside the window is not drawn, one below the canvas is; no mode
    // change, no clear.
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
    ProfileStore none; // no profile, no picks
    none.FirstTrace = 1, none.LastTrace = 10;
    FakeControls c;
    RecordingCanvas profile, trace;
    DrawPickMarks(none, c, profile, trace);
    EXPECT_TRUE(profile.prims.empty());
}

// Axis labels beside the profile canvas and the pick marks on it.

#include "display/display.h"

#include "support/display_profile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace orv;
using orv::test::FakeControls;
using orv::test::MakeProfile;
using orv::test::Prim;
using orv::test::RecordingCanvas;

TEST(DisplayAxisLabels, SampleNumbersAndTimes)
{
    using Five = std::array<const char *, 5>;
    struct Case {
        const char *name;
        float nSamples, totalTime;
        int16_t fs, ls;
        Five samp, time;
    } cases[] = {
        {"whole profile", 400, 100, 1, 400, {" 1", " 101", " 201", " 301", " 401"},
         {" 0", " 25", " 50", " 75", " 100"}},
        {"samples 101..200", 400, 100, 101, 200, {" 101", " 126", " 151", " 176", " 201"},
         {" 25", " 31", " 37", " 44", " 50"}},
        {"short time window repeats", 10, 2, 1, 10, {" 1", " 3", " 6", " 8", " 11"},
         {" 0", " 0", " 1", " 1", " 2"}},
        {"no time window", 400, 0, 1, 400, {" 1", " 101", " 201", " 301", " 401"},
         {" 0", " 0", " 0", " 0", " 0"}},
        {"nothing loaded", 0, 0, 0, 0, {" 0", " 0", " 0", " 0", " 1"}, {" 0", " 0", " 0", " 0", " 0"}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        ProfileStore st;
        st.NSamples = k.nSamples;
        st.TotalTime = k.totalTime;
        st.FirstSample = k.fs;
        st.LastSample = k.ls;
        FakeControls c;
        ShowAxisLabels(st, c);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(c.captions[lblSamp(i)], k.samp[size_t(i)]) << "lblSamp " << i;
            EXPECT_EQ(c.captions[lblTime(i)], k.time[size_t(i)]) << "lblTime " << i;
        }
    }
}

namespace {

// 10 traces of 100 samples, 50 time units long (two samples per unit).
struct PickScene {
    ProfileStore st = MakeProfile(10, 100, [](int, int) { return 0.0f; }, 50);
    FakeControls c;
    RecordingCanvas profile{10000, 2000};
    RecordingCanvas trace{1000, 2000};

    PickScene(int ft, int lt)
    {
        st.FirstTrace = int16_t(ft);
        st.LastTrace = int16_t(lt);
        st.FirstSample = 1;
        st.LastSample = 100;
        c.texts[Field::txt1sttr] = " " + std::to_string(ft);
        profile.mode = DrawNotXorPen; // as the profile plot leaves it
    }
};

std::vector<Prim> Cross(float cx, float cy)
{
    return {Prim{Prim::ColorLine, 0, cx - 150, cy, cx + 150, cy, ColorRed},
            Prim{Prim::ColorLine, 0, cx, cy - 150, cx, cy + 150, ColorRed}};
}

} // namespace

TEST(DisplayPickMarks, CrossAtEveryPickOfTheWindow)
{
    PickScene p(3, 7); // columns 2000 wide, rows 20 high
    p.st.Picks[2] = 5;  // left of the window
    p.st.Picks[3] = 0;  // not picked: never drawn
    p.st.Picks[4] = 10; // sample 20
    p.st.Picks[6] = 60; // sample 120, below the canvas: drawn anyway
    p.st.Picks[8] = 5;  // right of the window
    DrawPickMarks(p.st, p.c, p.profile, p.trace);

    std::vector<Prim> want = Cross(3000, 400);
    for (const Prim &q : Cross(7000, 2400))
        want.push_back(q);
    EXPECT_EQ(p.profile.prims, want); // no mode change, no clear
    EXPECT_EQ(p.profile.drawMode(), DrawNotXorPen);
}

TEST(DisplayPickMarks, ColumnsAndRowsFollowTheCanvasesAndTheField)
{
    struct Case {
        const char *name;
        int ft, lt;
        const char *firstField;
        float traceHeight;
        int pickTrace;
        float cx, cy;
    } cases[] = {
        {"single trace sits in the middle", 5, 5, " 5", 2000, 5, 5000, 400},
        {"row height from the trace canvas", 1, 10, " 1", 1000, 1, 500, 200},
        {"column from the first-trace field", 3, 7, "4", 2000, 4, 1000, 400},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        PickScene p(k.ft, k.lt);
        p.c.texts[Field::txt1sttr] = k.firstField;
        p.trace.height = k.traceHeight;
        p.st.Picks[size_t(k.pickTrace)] = 10;
        DrawPickMarks(p.st, p.c, p.profile, p.trace);
        EXPECT_EQ(p.profile.prims, Cross(k.cx, k.cy));
    }
}

TEST(DisplayPickMarks, NothingWithoutATimeWindowOrProfile)
{
    PickScene p(1, 10);
    for (int t = 1; t <= 10; ++t)
        p.st.Picks[size_t(t)] = 3;
    p.st.TotalTime = 0;
    DrawPickMarks(p.st, p.c, p.profile, p.trace);
    EXPECT_TRUE(p.profile.prims.empty());

    ProfileStore none;
    none.FirstTrace = 1;
    none.LastTrace = 10;
    DrawPickMarks(none, p.c, p.profile, p.trace);
    EXPECT_TRUE(p.profile.prims.empty());
}

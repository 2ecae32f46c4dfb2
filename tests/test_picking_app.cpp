// Picking through the command flow: the mouse on the trace canvas with the
// exact marks it draws, the pick rules' menu, Reset, Current Picking with its
// questions, and the picks file through Save Picking and From File.
#include "app/app.h"
#include "core/numbers.h"
#include "picks/picksfile.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace orv;
using test::Prim;

namespace {

// 10 traces of 100 samples over 50 time units; trace t, sample s holds
// sin-like values with a zero crossing from - to + between samples 30 + t
// and 31 + t. With the canvases below dy = 10 and dx = 417.
struct PickingTest : ::testing::Test {
    test::FakeControls c;
    test::FakeDialogs d;
    test::RecordingCanvas profile{4170, 1000}, trace{1935, 1000};
    App app{c, d, profile, trace};
    fs::path dir;

    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("orvane_pick_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir);
        app.Form_Load();
        ProfileStore &s = app.store;
        s.RawData.allocate(10, 100);
        for (int t = 1; t <= 10; ++t)
            for (int k = 1; k <= 100; ++k)
                s.RawData(t, k) = float(k - (30 + t)) - 0.25f;
        s.PlotData = s.RawData;
        s.NTraces = 10;
        s.NSamples = 100;
        s.TotalTime = 50;
        s.Picks.assign(11, 0.0f);
        c.texts[Field::txt1sttr] = "1";
        c.texts[Field::txtLsttr] = "10";
        c.texts[Field::txt1stsamp] = "1";
        c.texts[Field::txtLstsamp] = "100";
        app.cmdRePlot_Click();
        app.upd.setValue(1);
        s.PlotReady = 1;
        profile.prims.clear();
        trace.prims.clear();
    }
    void TearDown() override { fs::remove_all(dir); }

    // The six range-mark lines for column X and rows A, B with dx = 417.
    static std::vector<Prim> marks(float X, float A, float B)
    {
        const float l = X - 150 + 208.5f, r = X + 150 + 208.5f, m = (B - A) / 2 + A;
        return {{Prim::ColorLine, 0, 0, A, 1935, A, ColorRed},      {Prim::ColorLine, 0, l, A, r, A, ColorBlue},
                {Prim::ColorLine, 0, 0, B, 1935, B, ColorBlue},     {Prim::ColorLine, 0, l, B, r, B, ColorBlue},
                {Prim::ColorLine, 0, l, m, r, m, ColorBlue},        {Prim::ColorLine, 0, X + 208.5f, m - 150, X + 208.5f, m + 150, ColorBlue}};
    }
    // Both canvases' primitives interleaved as drawn: the marks go to two
    // canvases, so tests compare each canvas with its share.
    static std::vector<Prim> on(const std::vector<Prim> &all, bool traceCanvas)
    {
        std::vector<Prim> out;
        for (const Prim &p : all)
            if ((p.x2 == 1935 && p.x1 == 0) == traceCanvas)
                out.push_back(p);
        return out;
    }
    static std::vector<Prim> cat(std::vector<Prim> a, const std::vector<Prim> &b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
    static std::vector<Prim> cross(float Xp, float Yp)
    {
        return {{Prim::ColorLine, 0, Xp - 150 + 208.5f, Yp, Xp + 150 + 208.5f, Yp, ColorRed},
                {Prim::ColorLine, 0, Xp + 208.5f, Yp - 150, Xp + 208.5f, Yp + 150, ColorRed}};
    }
    std::vector<Prim> head(const test::RecordingCanvas &cv, size_t n) const
    {
        const auto all = cv.drawn();
        return {all.begin(), all.begin() + std::ptrdiff_t(std::min(n, all.size()))};
    }
    std::string file(const std::string &name, const std::string &text)
    {
        const auto p = (dir / name).string();
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
};

} // namespace

// The worked example: dy = 10, first sample 1, pointer at y = 100 gives
// P = 12; with the range 20 the window is 1..32, drawn at y = 0 and 310. A
// second move first redraws the first move's marks (erasing them).
TEST_F(PickingTest, MovesDrawAndEraseTheRangeMarks)
{
    app.pctTrace_MouseMove(100);
    const auto first = marks(0, 0, 310);
    EXPECT_EQ(profile.drawn(), on(first, false));
    EXPECT_EQ(trace.drawn(), on(first, true));
    EXPECT_EQ(c.pointer(), PointerCross);
    EXPECT_EQ(c.text(Field::txtPickRange), " 20");
    EXPECT_EQ(app.store.RangeShown, 1);

    // Second move, on trace 3, at y = 500 (P = 52, window 32..72).
    app.upd.setValue(3);
    profile.prims.clear();
    trace.prims.clear();
    app.pctTrace_MouseMove(500);
    const auto second = marks(834, 310, 710);
    EXPECT_EQ(profile.drawn(), cat(on(first, false), on(second, false)));
    EXPECT_EQ(trace.drawn(), cat(on(first, true), on(second, true)));
    EXPECT_EQ(app.store.RangeTraceX, 834);
    EXPECT_EQ(app.store.RangeTopY, 310);
    EXPECT_EQ(app.store.RangeBottomY, 710);
}

// A right click stores the pointer's position; the cross sits two sample
// heights below the pointer (y = 120); the range marks are erased first and
// the next trace comes up. A second press with no move erases nothing.
TEST_F(PickingTest, PressAfterMoveErasesMarksDrawsCrossAndSteps)
{
    app.pctTrace_MouseMove(100);
    profile.prims.clear();
    trace.prims.clear();
    app.pctTrace_MouseDown(MouseRight, 100);
    EXPECT_EQ(app.store.Picks[1], 12 * (50.0f / 100.0f));
    EXPECT_EQ(c.caption(Caption::Label3), "Picked Time =  6");
    EXPECT_EQ(app.store.RangeShown, 0);
    EXPECT_EQ(head(profile, 6), cat(on(marks(0, 0, 310), false), cross(0, 120)));
    EXPECT_EQ(head(trace, 2), on(marks(0, 0, 310), true));
    EXPECT_EQ(app.upd.Value(), 2);
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 2");

    profile.prims.clear();
    app.pctTrace_MouseDown(MouseMiddle, 105); // P = 12.5, exact
    EXPECT_EQ(head(profile, 2), cross(417, 125));
    EXPECT_EQ(app.store.Picks[2], 6.25f);
    EXPECT_EQ(c.caption(Caption::Label3), "Picked Time =  6.25");
    EXPECT_EQ(app.upd.Value(), 3);
}

// Left clicks search the window by the rule in force. Trace t crosses zero
// upwards between samples 30 + t and 31 + t, at 30.25 + t.
TEST_F(PickingTest, LeftClickPicksByTheRuleInForce)
{
    const struct {
        void (App::*rule)();
        const char *range;
        float y;        // pointer
        float position; // expected sample position of trace 1
        const char *rangeAfter;
    } cases[] = {
        {&App::mnuZeroPick_Click, "20", 250, 31.25f, " 20"},  // P = 27, window 7..47
        {&App::mnuZeroPick2_Click, "20", 250, 27.0f, " 20"}, // no +ve -> -ve crossing: P
        {&App::mnuMaxPick_Click, "5", 250, 32.0f, " 5"},     // window 22..32: the last is largest
        {&App::mnuMinPick_Click, "5", 250, 22.0f, " 5"},
        {&App::mnuZeroPick_Click, "abc", 250, 27.0f, " 1"},  // range 1: window 26..28, no crossing
        {&App::mnuZeroPick_Click, "-4", 310, 33.0f, " 1"},   // P = 33, window 32..34 misses 31..32
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.range);
        app.upd.setValue(1);
        c.texts[Field::txtPickRange] = k.range;
        (app.*k.rule)();
        app.pctTrace_MouseDown(MouseLeft, k.y);
        EXPECT_FLOAT_EQ(app.store.Picks[1], k.position * 0.5f);
        EXPECT_EQ(c.text(Field::txtPickRange), k.rangeAfter);
    }
}

TEST_F(PickingTest, RuleMenuMovesTheCheckMarkOnly)
{
    app.store.Picks[4] = 3;
    const std::vector<std::pair<void (App::*)(), MenuCheck>> rules = {
        {&App::mnuMaxPick_Click, MenuCheck::mnuMaxPick}, {&App::mnuZeroPick2_Click, MenuCheck::mnuZeroPick2},
        {&App::mnuMinPick_Click, MenuCheck::mnuMinPick}, {&App::mnuZeroPick_Click, MenuCheck::mnuZeroPick}};
    for (const auto &[handler, item] : rules) {
        (app.*handler)();
        for (int k = 0; k < int(MenuCheck::Count); ++k)
            EXPECT_EQ(c.checked(MenuCheck(k)), MenuCheck(k) == item);
        EXPECT_EQ(app.store.PickMode, int(item) + 1);
    }
    EXPECT_EQ(app.store.Picks[4], 3);
    EXPECT_TRUE(profile.prims.empty());
}

// The stepper stops at the last trace of the group; a stepper or window
// left outside the profile, no profile, or a read in progress picks nothing.
TEST_F(PickingTest, PickingLimits)
{
    app.upd.setValue(10);
    app.pctTrace_MouseDown(MouseRight, 100);
    EXPECT_EQ(app.store.Picks[10], 6);
    EXPECT_EQ(app.upd.Value(), 10);

    const auto before = app.store.Picks;
    app.store.PlotReady = 0;
    app.pctTrace_MouseMove(100);
    app.pctTrace_MouseDown(MouseRight, 100);
    app.store.PlotReady = 1;
    EXPECT_EQ(app.store.Picks, before);
    EXPECT_EQ(app.store.RangeShown, 0);

    test::FakeControls c2;
    test::RecordingCanvas p2, t2;
    App empty{c2, d, p2, t2};
    empty.Form_Load();
    c2.texts[Field::txtPickRange] = "abc";
    empty.pctTrace_MouseMove(100);
    empty.pctTrace_MouseDown(MouseLeft, 100);
    EXPECT_EQ(c2.texts[Field::txtPickRange], "abc");
    EXPECT_TRUE(p2.prims.empty() && t2.prims.empty());
    EXPECT_EQ(c2.pointer(), PointerDefault);
}

// Current Picking: the completeness question, the first-trace message, and
// the alignment itself (picks in samples 10, 12, 11 over a 2-unit sample).
TEST_F(PickingTest, CurrentPickingAsksThenAligns)
{
    const struct {
        std::vector<float> picks; // traces 1..10, in time units
        std::deque<bool> answers;
        std::vector<std::string> prompts;
        bool shifted;
    } cases[] = {
        {{5, 6, 5.5, 5, 5, 5, 5, 5, 5, 5}, {}, {}, true},
        {{5, 6, 0, 5, 5, 5, 5, 5, 5, 5}, {false}, {"One or more traces are not picked. Continue anyway?"}, false},
        {{5, 6, 0.5, 5, 5, 5, 5, 5, 5, 5}, {true}, {"One or more traces are not picked. Continue anyway?"}, true},
        {{0, 6, 5, 5, 5, 5, 5, 5, 5, 5},
         {true},
         {"One or more traces are not picked. Continue anyway?", "At least tfrst trace must be picked"},
         false},
    };
    for (const auto &k : cases) {
        SetUp();
        d.messages.clear();
        d.answers = k.answers;
        std::copy(k.picks.begin(), k.picks.end(), app.store.Picks.begin() + 1);
        const Array2D raw = app.store.RawData;
        app.mnuCurrentPick_Click();
        std::vector<std::string> prompts;
        for (const auto &[title, text] : d.messages) {
            EXPECT_EQ(title, "Missing Picks");
            prompts.push_back(text);
        }
        EXPECT_EQ(prompts, k.prompts);
        EXPECT_EQ(!(app.store.RawData == raw), k.shifted);
        if (k.shifted) {
            // Trace 2 (pick at sample 12) moved up by 2 onto the reference 10;
            // the last two samples keep their values.
            EXPECT_EQ(app.store.RawData(2, 1), raw(2, 3));
            EXPECT_EQ(app.store.RawData(2, 98), raw(2, 100));
            EXPECT_EQ(app.store.RawData(2, 99), raw(2, 99));
            EXPECT_EQ(app.store.RawData(1, 50), raw(1, 50));
            // The re-plot drew the new amplitudes and the picks.
            EXPECT_EQ(app.store.PlotData(2, 1), raw(2, 3));
            EXPECT_FALSE(profile.only(Prim::Clear).empty());
        }
        EXPECT_TRUE(std::equal(k.picks.begin(), k.picks.end(), app.store.Picks.begin() + 1));
        TearDown();
    }
}

TEST_F(PickingTest, ResetClearsPicksAndRearmsTheStepper)
{
    app.store.Picks[3] = 4;
    c.texts[Field::txt1sttr] = "2";
    c.texts[Field::txtLsttr] = " 7";
    app.upd.setValue(6);
    app.mnuReset_Click();
    EXPECT_EQ(app.store.Picks, std::vector<float>(11, 0.0f));
    EXPECT_EQ(app.upd.Min(), 2);
    EXPECT_EQ(app.upd.Max(), 7);
    EXPECT_EQ(app.upd.Value(), 2);
    // Redrawn: no crosses (red lines) on the profile, the trace re-plotted.
    EXPECT_FALSE(profile.only(Prim::Clear).empty());
    EXPECT_FALSE(trace.only(Prim::Clear).empty());
    for (const Prim &p : profile.only(Prim::ColorLine))
        EXPECT_NE(p.colour, ColorRed);
}

// Save Picking writes the file; From File reads it back and aligns; refused
// files and cancelled dialogs change nothing.
TEST_F(PickingTest, PicksFileThroughTheMenus)
{
    std::vector<float> picks = {0, 5, 6, 5.5f, 5, 5, 5, 5, 5, 5, 5};
    app.store.Picks = picks;
    const auto saved = (dir / "picks.dat").string();
    d.files = {saved};
    app.mnuSavePick_Click();
    EXPECT_EQ(d.filters.back(), "Ascii files (*.dat)|*.dat| All Filese (*.*)|*.*");
    EXPECT_EQ(app.store.DataFileName, saved);
    std::stringstream text;
    text << std::ifstream(saved, std::ios::binary).rdbuf();
    EXPECT_EQ(text.str().substr(0, 24), " 1  .005 \r\n 2  .006 \r\n 3");

    app.store.Picks.assign(11, 0.0f);
    const Array2D raw = app.store.RawData;
    d.files = {saved};
    app.mnuFromFile_Click();
    EXPECT_EQ(d.filters.back(), "Data files (*.dat)|*.dat| All Filese (*.*)|*.*");
    EXPECT_TRUE(d.messages.empty());
    for (size_t t = 1; t <= 10; ++t)
        EXPECT_FLOAT_EQ(app.store.Picks[t], picks[t]);
    EXPECT_EQ(app.store.RawData(2, 1), raw(2, 3));

    // Refusals and a cancel: picks and profile stay as they were.
    const auto picksNow = app.store.Picks;
    const Array2D rawNow = app.store.RawData;
    const std::string bad[] = {file("short.dat", " 1  .005 \r\n 2  .006 \r\n"),
                               file("text.dat", " 1 abc\r\n"), (dir / "missing.dat").string(), dir.string()};
    for (const auto &path : bad) {
        d.messages.clear();
        d.files = {path};
        app.mnuFromFile_Click();
        ASSERT_EQ(d.messages.size(), 1u) << path;
        EXPECT_NE(d.messages[0].second.find(path), std::string::npos);
        EXPECT_EQ(app.store.Picks, picksNow);
        EXPECT_TRUE(app.store.RawData == rawNow);
    }
    d.files = {""};
    app.mnuFromFile_Click();
    EXPECT_EQ(app.store.Picks, picksNow);
    EXPECT_EQ(app.store.DataFileName, "");

    // A save that fails leaves the old file whole and says so.
    d.messages.clear();
    d.files = {(dir / "no" / "such.dat").string()};
    app.mnuSavePick_Click();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].second.find("no/such.dat"), std::string::npos);
}

TEST_F(PickingTest, AligningWithoutAProfileSaysSo)
{
    test::FakeControls c2;
    test::RecordingCanvas p2, t2;
    App empty{c2, d, p2, t2};
    d.messages.clear();
    empty.mnuCurrentPick_Click();
    empty.mnuFromFile_Click();
    empty.mnuReset_Click();
    EXPECT_EQ(d.messages.size(), 2u);
    EXPECT_TRUE(d.filters.empty());
    // Saving with no profile writes an empty picks file.
    const auto path = (dir / "empty.dat").string();
    d.files = {path};
    empty.mnuSavePick_Click();
    EXPECT_EQ(fs::file_size(path), 0u);
}

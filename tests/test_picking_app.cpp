// Picking through the command flow: the exact marks, the rules, Reset, alignment, the picks file, Automatic.
#include "support/app_fixture.h"
#include "support/display_profile.h"
#include "support/files.h"

#include <cmath>
#include <set>

namespace fs = std::filesystem;
using namespace orv;
using test::Prim;
using Prims = std::vector<Prim>;

namespace {

Prim L(float x1, float y1, float x2, float y2, uint32_t colour = ColorBlue)
{
    return {Prim::ColorLine, 0, x1, y1, x2, y2, colour};
}
Prims cat(Prims a, const Prims &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// The range marks for column X and rows A, B (dx = 417).
Prims marks(float X, float A, float B, bool onTrace)
{
    const float l = X + 58.5f, r = X + 358.5f, m = (B - A) / 2 + A;
    if (onTrace)
        return {L(0, A, 1935, A, ColorRed), L(0, B, 1935, B)};
    return {L(l, A, r, A), L(l, B, r, B), L(l, m, r, m), L(X + 208.5f, m - 150, X + 208.5f, m + 150)};
}
Prims cross(float X, float Y)
{
    return {L(X + 58.5f, Y, X + 358.5f, Y, ColorRed), L(X + 208.5f, Y - 150, X + 208.5f, Y + 150, ColorRed)};
}
Prims head(const test::RecordingCanvas &cv, size_t n) { const auto all = cv.drawn(); return {all.begin(), all.begin() + std::ptrdiff_t(std::min(n, all.size()))}; }

// 10 x 100 over 50 time units; trace t crosses zero upwards at 30.25 + t; dy = 10, dx = 417.
struct PickingTest : test::AppFixture {
    void SetUp() override
    {
        AppFixture::SetUp();
        show(test::Filled(10, 100, [](int t, int k) { return float(k - (30 + t)) - 0.25f; }), 50);
        app.upd.setValue(1);
        s.PlotReady = 1;
        clearCanvases();
    }
    void clearCanvases() { profile.prims.clear(), trace.prims.clear(); }
};

// y = 100: P = 12, window 1..32 drawn at y = 0 and 310; a second move erases the first's marks.
TEST_F(PickingTest, MovesDrawAndEraseTheRangeMarksAndAPressPicks)
{
    app.pctTrace_MouseMove(100);
    EXPECT_EQ(profile.drawn(), marks(0, 0, 310, false));
    EXPECT_EQ(trace.drawn(), marks(0, 0, 310, true));
    EXPECT_EQ(c.pointer(), PointerCross);
    app.upd.setValue(3);
    clearCanvases();
    app.pctTrace_MouseMove(500);
    EXPECT_EQ(profile.drawn(), cat(marks(0, 0, 310, false), marks(834, 310, 710, false)));
    EXPECT_EQ(trace.drawn(), cat(marks(0, 0, 310, true), marks(834, 310, 710, true)));
    app.upd.setValue(1); // a press after a move erases its marks, draws the cross and steps
    app.pctTrace_MouseMove(100);
    clearCanvases();
    app.pctTrace_MouseDown(MouseRight, 100);
    EXPECT_EQ(s.Picks[1], 6);
    EXPECT_EQ(c.caption(Caption::Label3), "Picked Time =  6");
    EXPECT_EQ(head(profile, 6), cat(marks(0, 0, 310, false), cross(0, 120)));
    EXPECT_EQ(head(trace, 2), marks(0, 0, 310, true));
    EXPECT_EQ(app.upd.Value(), 2);
    profile.prims.clear();
    app.pctTrace_MouseDown(MouseMiddle, 105); // P = 12.5, exact
    EXPECT_EQ(head(profile, 2), cross(417, 125));
    EXPECT_EQ(s.Picks[2], 6.25f);
    EXPECT_EQ(c.caption(Caption::Label3), "Picked Time =  6.25");
    app.upd.setValue(9);
    app.pctTrace_MouseDown(MouseRight, 100);
    EXPECT_EQ(app.upd.Value(), 10);
    app.pctTrace_MouseDown(MouseRight, 100);
    EXPECT_EQ(s.Picks[10], 6);
    EXPECT_EQ(app.upd.Value(), 10);
}

TEST_F(PickingTest, LeftClickPicksByTheRuleInForce)
{
    const struct { void (App::*rule)(); MenuCheck item; const char *range; float y, position; const char *rangeAfter; } cases[] = {
        {&App::mnuZeroPick_Click, MenuCheck::mnuZeroPick, "20", 250, 31.25f, " 20"},  // P = 27, window 7..47
        {&App::mnuZeroPick2_Click, MenuCheck::mnuZeroPick2, "20", 250, 27.0f, " 20"}, // no +ve -> -ve crossing: P
        {&App::mnuMaxPick_Click, MenuCheck::mnuMaxPick, "5", 250, 32.0f, " 5"},       // window 22..32: the last is largest
        {&App::mnuMinPick_Click, MenuCheck::mnuMinPick, "5", 250, 22.0f, " 5"},
        {&App::mnuMaxPick_Click, MenuCheck::mnuMaxPick, "5", 940, 100.0f, " 5"},      // P = 96, window 91..101 ends at 100
        {&App::mnuZeroPick_Click, MenuCheck::mnuZeroPick, "abc", 250, 27.0f, " 1"},  // range 1: window 26..28, no crossing
        {&App::mnuZeroPick_Click, MenuCheck::mnuZeroPick, "-4", 310, 33.0f, " 1"},   // P = 33, window 32..34 misses 31..32
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.range);
        app.upd.setValue(1);
        c.texts[Field::txtPickRange] = k.range;
        const auto picks = s.Picks;
        clearCanvases();
        (app.*k.rule)();
        for (int m = 0; m < int(MenuCheck::Count); ++m)
            EXPECT_EQ(c.checked(MenuCheck(m)), MenuCheck(m) == k.item);
        EXPECT_EQ(s.PickMode, int(k.item) + 1);
        EXPECT_EQ(s.Picks, picks);
        EXPECT_TRUE(profile.prims.empty());
        app.pctTrace_MouseDown(MouseLeft, k.y);
        EXPECT_FLOAT_EQ(s.Picks[1], k.position * 0.5f);
        EXPECT_EQ(c.text(Field::txtPickRange), k.rangeAfter);
    }
}

TEST_F(PickingTest, CurrentPickingAsksThenAligns)
{
    using Msg = std::pair<std::string, std::string>;
    const Msg ask{"Missing Picks", "One or more traces are not picked. Continue anyway?"};
    const Msg first{"Missing Picks", "At least tfrst trace must be picked"};
    const struct { std::vector<float> picks; std::deque<bool> answers; std::vector<Msg> said; bool moved; } cases[] = {
        {{5, 6, 5.5}, {}, {}, true},
        {{5, 6, 0}, {false}, {ask}, false},
        {{5, 6, 0.5}, {true}, {ask}, true},
        {{0, 6, 5}, {true}, {ask, first}, false},
    };
    for (const auto &k : cases) {
        SetUp();
        d.messages.clear();
        d.answers = k.answers;
        std::fill(s.Picks.begin() + 1, s.Picks.end(), 5.0f);
        std::copy(k.picks.begin(), k.picks.end(), s.Picks.begin() + 1);
        const auto picks = s.Picks;
        const Array2D raw = s.RawData;
        app.mnuCurrentPick_Click();
        EXPECT_EQ(d.messages, k.said);
        EXPECT_EQ(!(s.RawData == raw), k.moved);
        if (k.moved) {
            EXPECT_EQ(s.RawData(2, 1), raw(2, 3));
            EXPECT_EQ(s.PlotData(2, 1), raw(2, 3));
        }
        EXPECT_EQ(s.Picks, picks);
    }
}

TEST_F(PickingTest, PicksFileThroughTheMenus)
{
    const std::vector<float> picks = {0, 5, 6, 5.5f, 5, 5, 5, 5, 5, 5, 5};
    s.Picks = picks;
    const auto saved = (dir / "picks.dat").string();
    d.files = {saved};
    app.mnuSavePick_Click();
    EXPECT_EQ(d.filters.back(), "Ascii files (*.dat)|*.dat| All Filese (*.*)|*.*");
    EXPECT_EQ(test::FileBytes(saved).substr(0, 24), " 1  .005 \r\n 2  .006 \r\n 3");
    const auto picksNow = s.Picks;
    const Array2D rawNow = s.RawData;
    std::ofstream(dir / "short.dat", std::ios::binary) << " 1  .005 \r\n 2  .006 \r\n";
    std::ofstream(dir / "text.dat", std::ios::binary) << " 1 abc\r\n";
    for (const fs::path &p : {dir / "short.dat", dir / "text.dat", dir / "missing.dat", dir, fs::path()}) {
        const std::string path = p.string();
        SCOPED_TRACE(path);
        d.messages.clear();
        d.files = {path};
        app.mnuFromFile_Click();
        ASSERT_EQ(d.messages.size(), path.empty() ? 0u : 1u);
        EXPECT_TRUE(path.empty() || d.messages[0].second.find(path) != std::string::npos);
        EXPECT_EQ(s.Picks, picksNow);
        EXPECT_TRUE(s.RawData == rawNow);
    }
    EXPECT_EQ(d.filters.back(), "Data files (*.dat)|*.dat| All Filese (*.*)|*.*");
    EXPECT_EQ(s.DataFileName, ""); // the cancel came last
    d.files = {(dir / "no" / "such.dat").string()};
    app.mnuSavePick_Click();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].second, "The picks cannot be saved to " + (dir / "no" / "such.dat").string()
                                        + ": No such file or directory.");
}

// 5 x 100 over 50 time units, a pulse at samples 30, 33, 34, 38 and 39.
struct AutomaticTest : test::AppFixture {
    void SetUp() override
    {
        AppFixture::SetUp();
        const int at[] = {0, 30, 33, 34, 38, 39};
        show(test::Filled(5, 100, [&](int t, int s) { return std::abs(s - at[t]) <= 2 ? 3.0f - float((s - at[t]) * (s - at[t])) : 0.0f; }), 50);
    }
    void automatic(const char *k1, const char *kl, const char *t1, const char *tl)
    {
        app.mnuAutomatic_Click();
        frm.fields = {{DataField::txtKey1st, k1}, {DataField::txtKeyLast, kl},
                      {DataField::txtTarg1st, t1}, {DataField::txtTargLast, tl}};
    }
};

TEST_F(AutomaticTest, PicksEveryTraceAlignsAndReplaces)
{
    s.Picks[5] = 7; // a pick by hand: replaced too
    automatic("28", "40", "1", "100");
    EXPECT_TRUE(frm.crossCorrelation);
    app.frmData_cmdOK2_Click();
    // Key 28..40 of trace t found on t + 1 at 31, 29, 32, 29; 0.5 time units a sample.
    EXPECT_EQ(s.Picks, (std::vector<float>{0, 15.5f, 14.5f, 16, 14.5f, 0}));
    EXPECT_FALSE(frm.open);
    EXPECT_FALSE(frm.working);
    EXPECT_FALSE(app.busy());
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(s.RawData(1, 28), 3.0f);
    EXPECT_EQ(s.RawData(2, 33), 3.0f);
}

TEST_F(AutomaticTest, RefusedCancelledOrStoppedRunsChangeNothing)
{
    s.Picks[2] = 9;
    const auto before = state();
    enum How { Ok, Cancel, Stop };
    const struct { const char *k1, *kl, *t1, *tl, *field; How how = Ok; } rows[] = {
        {"", "", "", "", "The Key Trace's \"1st Samp.\""},
        {"0.5", "10", "1", "100", "The Key Trace's \"1st Samp.\""},
        {"5", "101", "1", "100", "The Key Trace's \"Last Samp\""},
        {"5", "10", "-3", "100", "The Target Trace's \"1st Samp\""},
        {"5", "10", "1", "70000", "The Target Trace's \"Last Samp\""},
        {"5", "10", "1", "1e999", "The Target Trace's \"Last Samp\""},
        {"28", "40", "1", "100", nullptr, Cancel},
        {"28", "40", "1", "100", nullptr, Stop},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.field ? r.field : r.how == Cancel ? "Cancel" : "stop");
        d.messages.clear();
        automatic(r.k1, r.kl, r.t1, r.tl);
        frm.stopAtPoll = r.how == Stop ? frm.polls + 1 : 0;
        r.how == Cancel ? app.frmData_cmdCancel2_Click() : app.frmData_cmdOK2_Click();
        if (r.field) {
            ASSERT_EQ(d.messages.size(), 1u);
            EXPECT_EQ(d.messages[0].second, std::string(r.field) + " must be a sample number from 1 to 100.");
        } else {
            EXPECT_TRUE(d.messages.empty());
        }
        EXPECT_EQ(frm.open, r.field != nullptr);
        EXPECT_FALSE(frm.working);
        EXPECT_FALSE(app.busy());
        EXPECT_TRUE(state() == before);
    }
}

// Nothing picked: with earlier picks "No" keeps them and the dialog; without, said.
TEST_F(AutomaticTest, NothingPickedIsNeverSilent)
{
    const struct { const char *k1, *kl, *t1, *tl, *reason; } rows[] = {
        {"40", "30", "1", "100", "the key window's last sample comes before its first"},
        {"1", "50", "60", "100", "the target range is shorter than the key window"},
        {"90", "100", "1", "20", "no key window correlates positively with the next trace"},
    };
    for (const auto &r : rows) {
        const std::string said = std::string("No trace could be picked: ") + r.reason;
        s.Picks.assign(6, 0.0f);
        s.Picks[3] = 4;
        d.messages.clear();
        d.answers = {false};
        automatic(r.k1, r.kl, r.t1, r.tl);
        app.frmData_cmdOK2_Click();
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].second, said + ". Discard the current picks anyway?");
        EXPECT_TRUE(frm.open);
        EXPECT_EQ(s.Picks[3], 4.0f);
        d.answers = {true};
        app.frmData_cmdOK2_Click();
        EXPECT_FALSE(frm.open);
        EXPECT_EQ(s.Picks, std::vector<float>(6, 0.0f));
        d.messages.clear();
        automatic(r.k1, r.kl, r.t1, r.tl);
        app.frmData_cmdOK2_Click();
        EXPECT_FALSE(frm.open);
        EXPECT_EQ(d.messages, (decltype(d.messages){{"Automatic", said + "."}}));
    }
}

} // namespace

// The traces with a cross drawn on the canvas since its last clear (dx = 417).
std::set<int> CrossedTraces(const test::RecordingCanvas &cv)
{
    std::set<int> traces;
    for (auto it = std::find_if(cv.prims.rbegin(), cv.prims.rend(), [](const Prim &p) { return p.kind == Prim::Clear; }).base();
         it != cv.prims.end(); ++it)
        if (it->kind == Prim::ColorLine && it->colour == ColorRed && it->y1 == it->y2)
            traces.insert(int(std::lround((it->x1 - 58.5f) / 417)) + 1);
    return traces;
}

TEST_F(PickingTest, UndoAndRedoOfThePicks)
{
    std::string odd;
    for (int t = 1; t <= 10; ++t) odd += " " + std::to_string(t) + (t % 2 ? "  .005 \r\n" : "  .006 \r\n");
    const std::string picksFile = file("odd.dat", odd), suFile = file("next.su", test::SUBytes(4, 20));
    Array2D aligned;
    using V = std::vector<float>;
    const V one = {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0}, two = {0, 6, 8.5f, 0, 0, 0, 0, 0, 0, 0, 0}, none(5, 0.0f);
    const struct { const char *step; std::function<void()> act; V picks; std::set<int> crosses; int trace; const char *label3; } steps[] = {
        {"pick", [&] { app.pctTrace_MouseDown(MouseRight, 100); }, one, {1}, 2, "Picked Time =  6"},
        {"pick", [&] { app.pctTrace_MouseDown(MouseRight, 150); }, two, {1, 2}, 3, "Picked Time =  8.5"},
        {"undo", [&] { app.undoPicks(); }, one, {1}, 2, "Picked Time = "},
        {"redo", [&] { app.redoPicks(); }, two, {1, 2}, 2, "Picked Time =  8.5"},
        {"Reset", [&] { app.mnuReset_Click(); }, V(11, 0.0f), {}, 1, "Picked Time =  8.5"},
        {"undo", [&] { app.undoPicks(); }, two, {1, 2}, 1, "Picked Time =  6"},
        {"From File", [&] { d.files = {picksFile}; app.mnuFromFile_Click(); aligned = s.RawData; },
         {0, 5, 6, 5, 6, 5, 6, 5, 6, 5, 6}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 1, "Picked Time =  6"},
        {"undo", [&] { app.undoPicks(); }, two, {1, 2}, 1, "Picked Time =  6"},
        {"load", [&] { open(&App::mnuOpenSU_Click, suFile); }, none, {}, 1, "Picked Time = "},
        {"undo after a load", [&] { app.undoPicks(); }, none, {}, 1, "Picked Time = "},
        {"Reset from trace 2", [&] { range("2", " 3", "1", "20"), app.mnuReset_Click(); }, none, {}, 2, "Picked Time = "},
    };
    for (const auto &k : steps) {
        SCOPED_TRACE(k.step);
        k.act();
        EXPECT_EQ(std::tuple(s.Picks, CrossedTraces(profile), app.upd.Value(), c.caption(Caption::Label3)),
                  std::tuple(k.picks, k.crosses, k.trace, std::string(k.label3)));
        EXPECT_TRUE(!aligned.allocated() || s.NTraces != 10 || s.RawData == aligned);
    }
    EXPECT_EQ(aligned(2, 1), -29.25f);
}

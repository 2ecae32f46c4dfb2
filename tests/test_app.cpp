// Whole command sequences of the main window run against fake controls,
// scripted dialogs and recording canvases.
#include "app/app.h"
#include "app/profile_formats.h"
#include "core/numbers.h"
#include "formats/su.h"
#include "support/store_access.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace fs = std::filesystem;
using namespace orv;

namespace {

// An SU file in the host's byte order; trace k's sample j holds k * 1000 + j.
std::vector<uint8_t> suBytes(int traces, int ns, int dt)
{
    std::vector<uint8_t> b;
    for (int k = 1; k <= traces; ++k) {
        const size_t at = b.size();
        b.resize(at + 240 + 4 * size_t(ns), 0);
        const int16_t nsDt[2] = {int16_t(ns), int16_t(dt)};
        std::memcpy(&b[at + 114], nsDt, 4);
        for (int j = 1; j <= ns; ++j) {
            const float v = float(k * 1000 + j);
            std::memcpy(&b[at + 240 + 4 * size_t(j - 1)], &v, 4);
        }
    }
    return b;
}

struct AppTest : ::testing::Test {
    test::FakeControls c;
    test::FakeDialogs d;
    test::RecordingCanvas profile{10095, 7935}, trace{10095, 7935};
    App app{c, d, profile, trace};
    fs::path dir = fs::temp_directory_path()
        / ("orvane_app_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));

    void SetUp() override
    {
        fs::create_directories(dir);
        app.Form_Load();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        const auto p = (dir / name).string();
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        return p;
    }
    void open(const std::string &path)
    {
        d.files.push_back(path);
        app.mnuOpenSU_Click();
    }
    void load(int traces, int ns, int dt = 1000) { open(file("p.su", suBytes(traces, ns, dt))); }
    void fields(const char *f1, const char *fl, const char *s1, const char *sl)
    {
        c.texts[Field::txt1sttr] = f1;
        c.texts[Field::txtLsttr] = fl;
        c.texts[Field::txt1stsamp] = s1;
        c.texts[Field::txtLstsamp] = sl;
    }
};

} // namespace

TEST_F(AppTest, WithoutAProfileCommandsLeaveEverythingAlone)
{
    EXPECT_EQ(test::StoreOf(app).PickMode, 1);
    fields("5", "abc", "-3", "");
    const auto typed = c.texts;
    app.cmdRePlot_Click();
    app.cmdAll_Click();
    app.cmdNextGroup_Click();
    app.upd.up();
    app.mnuSaveSU_Click(); // said, without a file dialog
    EXPECT_EQ(c.texts, typed);
    EXPECT_TRUE(profile.prims.empty() && trace.prims.empty());
    EXPECT_TRUE(d.filters.empty());
    EXPECT_EQ(d.messages.size(), 1u);
}

TEST_F(AppTest, OpenSUFillsStoreFieldsCaptionsAndTitleThenTheStepperRedraws)
{
    const auto path = file("three.su", suBytes(3, 500, 1000));
    open(path);
    EXPECT_EQ(d.filters, std::vector<std::string>{"Seismic Unix File (*.su)|*.su| All Filese (*.*)|*.*"});
    EXPECT_EQ(c.adjustCalls, 1);
    const ProfileStore &s = test::StoreOf(app);
    ASSERT_EQ(std::vector<float>({s.NTraces, s.NSamples, s.TotalTime}), std::vector<float>({3, 500, 500}));
    EXPECT_EQ(s.PlotReady, 1);
    EXPECT_EQ(s.RawData(2, 1), 2001.0f);
    EXPECT_EQ(s.Picks, std::vector<float>(4, 0.0f));
    const std::map<Field, std::string> want = {
        {Field::Text1, " 1"}, {Field::txt1sttr, " 1"}, {Field::txtLsttr, " 3"},
        {Field::txtLstsamp, " 500"}, {Field::txtAmpClip, " 1000"}, {Field::txtGainValue, " 400"},
        {Field::txtTraceCSG, " 24"}, {Field::txtGroupOverlap, "0"}};
    for (const auto &[f, text] : want)
        EXPECT_EQ(c.text(f), text) << int(f);
    EXPECT_EQ(c.caption(Caption::lblReadTr), "Reading Trace # 3");
    EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
    EXPECT_EQ(c.caption(Caption::Label6), "No. of Samples = 500");
    EXPECT_EQ(c.title(), "Orvane   -  " + path);
    EXPECT_EQ(c.pointerHistory, (std::vector<int>{PointerBusy, PointerDefault}));
    EXPECT_EQ(std::vector<int>({app.upd.Min(), app.upd.Max(), app.upd.Value()}), std::vector<int>({1, 3, 1}));
    EXPECT_FALSE(profile.drawn().empty());
    EXPECT_TRUE(d.messages.empty());

    trace.prims.clear();
    app.upd.up();
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 2");
    EXPECT_FALSE(trace.only(test::Prim::Clear).empty());
    app.upd.setValue(99); // outside the window: labelled, nothing read outside the arrays
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 99");
}

TEST_F(AppTest, ZeroSampleIntervalIsReplacedAndSaid)
{
    open(file("dt0.su", suBytes(4, 100, 0)));
    EXPECT_EQ(test::StoreOf(app).TotalTime, float(SUFallbackIntervalMs * 100));
    EXPECT_EQ(c.text(Field::Text1), SignedText(float(SUFallbackIntervalMs)));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].second.find("dt = 0"), std::string::npos);
}

TEST_F(AppTest, RePlotRangeRules)
{
    load(120, 500);
    const struct {
        const char *f1, *fl, *s1, *sl, *clip, *csg;
        std::vector<int> want; // first and last trace and sample, clip, traces per gather
    } cases[] = {
        {"150", "300", "1", "500", "1000", "24", {120, 120, 1, 500, 1000, 24}},
        {"50", "20", "-5", "500", "1000", "24", {20, 20, 1, 500, 1000, 24}},
        {"12.5", "13.5", "1", "500", "1000", "24", {12, 14, 1, 500, 1000, 24}},
        {"abc", "24", "1", "500", "-3", "0", {1, 24, 1, 500, 0, 1}},
        {"1", "40000", "1", "70000", "99999", "24", {1, 120, 1, 500, 32767, 24}},
        {"5", "0", "3", "-7", "1000", "24", {1, 1, 1, 1, 1000, 24}}, // last values raised to 1
        {"1", "24", "600", "550", "1000", "24", {1, 24, 500, 500, 1000, 24}},
    };
    for (const auto &tc : cases) {
        fields(tc.f1, tc.fl, tc.s1, tc.sl);
        c.texts[Field::txtAmpClip] = tc.clip;
        c.texts[Field::txtTraceCSG] = tc.csg;
        app.cmdRePlot_Click();
        const ProfileStore &s = test::StoreOf(app);
        SCOPED_TRACE(std::string(tc.f1) + ".." + tc.fl + " / " + tc.s1 + ".." + tc.sl);
        EXPECT_EQ(std::vector<int>({s.FirstTrace, s.LastTrace, s.FirstSample, s.LastSample, s.ClipValue, s.TracesPerCSG}),
                  tc.want);
        EXPECT_EQ(c.text(Field::txtAmpClip), SignedText(tc.want[4]));
        // The stepper takes the window the rules left, before the plot sees it.
        EXPECT_EQ(std::vector<int>({app.upd.Min(), app.upd.Max()}), std::vector<int>({tc.want[0], tc.want[1]}));
        EXPECT_GE(app.upd.Value(), s.FirstTrace);
        EXPECT_LE(app.upd.Value(), s.LastTrace);
        EXPECT_EQ(c.caption(Caption::Label1), "Trace # " + PlainText(int(app.upd.Value())));
    }

    // Every re-plot starts again from RawData.
    c.select(Option::optNormTrace);
    app.cmdRePlot_Click();
    EXPECT_EQ(test::StoreOf(app).NormMode, 2);
    c.select(Option::optNormNone);
    app.cmdRePlot_Click();
    EXPECT_EQ(test::StoreOf(app).PlotData, test::StoreOf(app).RawData);

    app.cmdAll_Click();
    EXPECT_EQ(c.text(Field::txtLsttr), " 120");
    EXPECT_EQ(c.text(Field::txtLstsamp), " 500");
    EXPECT_EQ(app.upd.Max(), 120);
}

TEST_F(AppTest, NextGroupSteps)
{
    load(120, 50);
    const struct { const char *f1, *fl, *overlap, *e1, *el, *eo; } cases[] = {
        {"1", "24", "4", " 21", " 44", " 4"},
        {"100", "110", "0", " 110", " 120", " 0"},
        {"97", "120", "0", " 97", " 120", " 0"},
        {"1", "24", "-2", " 25", " 48", " 0"},
        {"abc", "24x", "0", " 25", " 49", " 0"}, // no number: Val's 0..24 steps on
        {"1", "120", "0", "1", "120", "0"},     // whole profile: nothing happens
    };
    for (const auto &tc : cases) {
        fields(tc.f1, tc.fl, "1", "50");
        c.texts[Field::txtGroupOverlap] = tc.overlap;
        test::StoreOf(app).PlotReady = 7; // shows whether the command touched it
        app.cmdNextGroup_Click();
        SCOPED_TRACE(std::string(tc.f1) + ".." + tc.fl + " overlap " + tc.overlap);
        EXPECT_EQ(c.text(Field::txt1sttr) + ".." + c.text(Field::txtLsttr) + "/" + c.text(Field::txtGroupOverlap),
                  std::string(tc.e1) + ".." + tc.el + "/" + tc.eo);
        EXPECT_EQ(test::StoreOf(app).PlotReady, std::string(tc.e1) == "1" ? 7 : 1);
    }
}

TEST_F(AppTest, RefusedOrCancelledLoadLeavesEverythingAsItWas)
{
    const auto good = file("good.su", suBytes(5, 30, 500));
    open(good);
    app.upd.setValue(3);
    test::StoreOf(app).Picks[2] = 1.5f;
    fields("2", "4", "3", "20");
    const auto state = [&] {
        const ProfileStore &s = test::StoreOf(app);
        return std::tuple(s.RawData, s.PlotData, s.Picks, s.DataFileName, c.texts, c.caption(Caption::Label5), c.title(),
                          c.pointer(), c.captionVisible(Caption::lblReadTr), app.upd.Value());
    };
    const auto before = state();

    auto negative = suBytes(3, 10, 500);
    negative[240 + 40 + 114] = 0xfb, negative[240 + 40 + 115] = 0xff; // ns = -5 in trace 2
    for (const auto &path : {file("negative.su", negative), (dir / "missing.su").string(), dir.string()}) {
        d.messages.clear();
        open(path);
        ASSERT_EQ(d.messages.size(), 1u) << path;
        EXPECT_NE(d.messages[0].second.find(path), std::string::npos);
        EXPECT_TRUE(state() == before) << path;
    }
    EXPECT_EQ(d.used, std::vector<std::string>{good}); // the next dialog opens where a file was read

    d.messages.clear();
    open(""); // cancelled dialog: only the file name is forgotten
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(test::StoreOf(app).DataFileName, "");
    test::StoreOf(app).DataFileName = good;
    EXPECT_TRUE(state() == before);
}

TEST_F(AppTest, CommandsWaitWhileAReadRepaints)
{
    // Big enough that the throttled progress caption yields at least once.
    const auto path = file("big.su", suBytes(3000, 1000, 1000));
    load(5, 10);
    const ProfileStore before = test::StoreOf(app);
    int seen = 0;
    c.onYield = [&] {
        ++seen;
        fields("2", "3", "1", "5");
        app.cmdRePlot_Click();
        app.cmdNextGroup_Click();
        app.cmdAll_Click();
        app.mnuOpenSU_Click();
        EXPECT_EQ(test::StoreOf(app).NTraces, before.NTraces); // nothing half-loaded is visible
        EXPECT_EQ(test::StoreOf(app).FirstTrace, before.FirstTrace);
    };
    open(path);
    c.onYield = nullptr;
    EXPECT_GE(seen, 1);
    EXPECT_EQ(test::StoreOf(app).NTraces, 3000);
    EXPECT_FALSE(app.busy());
}

TEST_F(AppTest, ARedrawThatLastsShowsItsProgressThenPutsCaptionAndPointerBack)
{
    load(30, 50);
    const ReadPacing was = Pacing();
    Pacing() = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
    c.setCaptionVisible(Caption::lblReadTr, false);
    const std::string caption = c.caption(Caption::lblReadTr);
    int seen = 0;
    c.onYield = [&] {
        ++seen;
        EXPECT_EQ(c.caption(Caption::lblReadTr), "Drawing Trace # 1");
        EXPECT_TRUE(c.captionVisible(Caption::lblReadTr));
        EXPECT_EQ(c.pointer(), PointerBusy);
        fields("2", "3", "1", "5");
        app.cmdRePlot_Click(); // waits: refused while the redraw runs
    };
    app.cmdAll_Click();
    c.onYield = nullptr;
    Pacing() = was;
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(test::StoreOf(app).LastTrace, 30);
    EXPECT_EQ(c.caption(Caption::lblReadTr), caption);
    EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
    EXPECT_EQ(c.pointer(), PointerDefault);
    EXPECT_FALSE(app.busy());
}

TEST_F(AppTest, SaveWritesPlotDataAndReportsFailure)
{
    load(6, 25, 250);
    c.select(Option::optNormTrace);
    app.cmdRePlot_Click(); // PlotData now differs from RawData
    const auto out = (dir / "out.su").string(), bad = (dir / "no" / "dir.su").string();
    d.files = {out, bad, ""};
    app.mnuSaveSU_Click();
    EXPECT_TRUE(d.messages.empty());
    Profile back;
    SUReadInfo info;
    std::string err;
    ASSERT_TRUE(ReadSUFile(out, back, info, err)) << err;
    EXPECT_EQ(back.RawData, test::StoreOf(app).PlotData);
    EXPECT_EQ(info.intervalMs, 0.25);

    app.mnuSaveSU_Click();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].second.find(bad), std::string::npos);
    EXPECT_EQ(d.used, (std::vector<std::string>{(dir / "p.su").string(), out})); // not the failed one
    EXPECT_EQ(c.pointer(), PointerDefault);
    app.mnuSaveSU_Click(); // cancelled
    EXPECT_EQ(d.messages.size(), 1u);
}

// The display commands and the SU file through the command flow.
#include "core/numbers.h"
#include "formats/su.h"
#include "support/app_fixture.h"

#include <algorithm>
#include <functional>

namespace fs = std::filesystem;
using namespace orv;
using AppTest = test::AppFixture;

TEST_F(AppTest, WithoutAProfileCommandsLeaveEverythingAlone)
{
    EXPECT_EQ(s.PickMode, 1);
    range("5", "abc", "-3", "");
    c.texts[Field::txtPickRange] = "abc";
    const auto typed = c.texts;
    app.cmdRePlot_Click();
    app.cmdAll_Click();
    app.cmdNextGroup_Click();
    app.upd.up();
    app.pctTrace_MouseMove(100);
    app.pctTrace_MouseDown(MouseLeft, 100);
    app.mnuSaveSU_Click();
    app.mnuCurrentPick_Click();
    app.mnuFromFile_Click();
    app.mnuReset_Click();
    app.mnuAutomatic_Click();
    EXPECT_EQ(c.texts, typed);
    EXPECT_TRUE(profile.prims.empty() && trace.prims.empty());
    EXPECT_EQ(c.pointer(), PointerDefault);
    EXPECT_TRUE(d.filters.empty());
    EXPECT_EQ(d.messages.size(), 4u);
    EXPECT_EQ(frm.shows, 0);
    EXPECT_EQ(d.messages.back().second, "There is no profile to pick.");
    d.files = {(dir / "empty.dat").string()};
    app.mnuSavePick_Click();
    EXPECT_EQ(fs::file_size(dir / "empty.dat"), 0u);
}

TEST_F(AppTest, OpenSUFillsStoreFieldsCaptionsAndTitleThenTheStepperRedraws)
{
    const auto path = file("three.su", test::SUBytes(3, 500));
    open(&App::mnuOpenSU_Click, path);
    EXPECT_EQ(d.filters, std::vector<std::string>{"Seismic Unix File (*.su)|*.su| All Filese (*.*)|*.*"});
    EXPECT_EQ(c.adjustCalls, 1);
    ASSERT_EQ(std::vector<float>({s.NTraces, s.NSamples, s.TotalTime}), std::vector<float>({3, 500, 500}));
    EXPECT_EQ(s.PlotReady, 1);
    EXPECT_EQ(s.RawData(2, 1), 2001.0f);
    EXPECT_EQ(s.Picks, std::vector<float>(4, 0.0f));
    for (const auto &[f, text] : std::map<Field, std::string>{
             {Field::Text1, " 1"}, {Field::txt1sttr, " 1"}, {Field::txtLsttr, " 3"}, {Field::txtLstsamp, " 500"},
             {Field::txtAmpClip, " 1000"}, {Field::txtGainValue, " 400"}, {Field::txtTraceCSG, " 24"}, {Field::txtGroupOverlap, "0"}})
        EXPECT_EQ(c.text(f), text) << int(f);
    EXPECT_EQ(c.caption(Caption::lblReadTr), "Reading Trace # 3");
    EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
    EXPECT_EQ(c.caption(Caption::Label6), "No. of Samples = 500");
    EXPECT_EQ(c.title(), "Orvane   -  " + path);
    EXPECT_EQ(c.pointerHistory, (std::vector<int>{PointerBusy, PointerDefault}));
    EXPECT_EQ(std::vector<int>({app.upd.Min(), app.upd.Max(), app.upd.Value()}), std::vector<int>({1, 3, 1}));
    EXPECT_FALSE(profile.drawn().empty());
    EXPECT_TRUE(d.messages.empty());
    profile.prims.clear(), trace.prims.clear();
    app.upd.up();
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 2");
    EXPECT_FALSE(trace.only(test::Prim::Clear).empty());
    const auto lines = profile.only(test::Prim::ColorLine); // the highlight moved
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const test::Prim &p) { return p.colour == ColorGreen; }));
    app.upd.setValue(99); // outside the window: labelled, nothing read outside the arrays
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 99");
}

TEST_F(AppTest, ZeroSampleIntervalIsReplacedAndSaid)
{
    open(&App::mnuOpenSU_Click, file("dt0.su", test::SUBytes(4, 100, 0)));
    EXPECT_EQ(s.TotalTime, float(SUFallbackIntervalMs * 100));
    EXPECT_EQ(c.text(Field::Text1), SignedText(float(SUFallbackIntervalMs)));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].second.find("dt = 0"), std::string::npos);
}

TEST_F(AppTest, RePlotRangeRules)
{
    open(&App::mnuOpenSU_Click, file("p.su", test::SUBytes(120, 500)));
    const struct { const char *f1, *fl, *s1, *sl, *clip, *csg; std::vector<int> want; } cases[] = {
        {"150", "300", "1", "500", "1000", "24", {120, 120, 1, 500, 1000, 24}},
        {"50", "20", "-5", "500", "1000", "24", {20, 20, 1, 500, 1000, 24}},
        {"12.5", "13.5", "1", "500", "1000", "24", {12, 14, 1, 500, 1000, 24}},
        {"abc", "24", "1", "500", "-3", "0", {1, 24, 1, 500, 0, 1}},
        {"1", "24", "1", "500", "-1", "24", {1, 24, 1, 500, 0, 24}},
        {"1", "40000", "1", "70000", "99999", "24", {1, 120, 1, 500, 32767, 24}},
        {"5", "0", "3", "-7", "1000", "24", {1, 1, 1, 1, 1000, 24}}, // last values raised to 1
        {"1", "24", "600", "550", "1000", "24", {1, 24, 500, 500, 1000, 24}},
    };
    for (const auto &tc : cases) {
        range(tc.f1, tc.fl, tc.s1, tc.sl);
        c.texts[Field::txtAmpClip] = tc.clip;
        c.texts[Field::txtTraceCSG] = tc.csg;
        app.cmdRePlot_Click();
        SCOPED_TRACE(std::string(tc.f1) + ".." + tc.fl + " / " + tc.s1 + ".." + tc.sl);
        EXPECT_EQ(std::vector<int>({s.FirstTrace, s.LastTrace, s.FirstSample, s.LastSample, s.ClipValue, s.TracesPerCSG}),
                  tc.want);
        EXPECT_EQ(c.text(Field::txtAmpClip), SignedText(tc.want[4]));
        EXPECT_EQ(std::vector<int>({app.upd.Min(), app.upd.Max()}), std::vector<int>({tc.want[0], tc.want[1]}));
        EXPECT_GE(app.upd.Value(), s.FirstTrace);
        EXPECT_LE(app.upd.Value(), s.LastTrace);
        EXPECT_EQ(c.caption(Caption::Label1), "Trace # " + PlainText(int(app.upd.Value())));
    }
    c.select(Option::optNormTrace);
    app.cmdRePlot_Click();
    EXPECT_EQ(s.NormMode, 2);
    c.select(Option::optNormNone);
    app.cmdRePlot_Click();
    EXPECT_EQ(s.PlotData, s.RawData);
    app.cmdAll_Click();
    EXPECT_EQ(c.text(Field::txtLsttr), " 120");
    EXPECT_EQ(c.text(Field::txtLstsamp), " 500");
    EXPECT_EQ(app.upd.Max(), 120);
}

TEST_F(AppTest, NextGroupSteps)
{
    open(&App::mnuOpenSU_Click, file("p.su", test::SUBytes(120, 50)));
    const struct { const char *f1, *fl, *overlap, *e1, *el, *eo; } cases[] = {
        {"1", "24", "4", " 21", " 44", " 4"},
        {"100", "110", "0", " 110", " 120", " 0"},
        {"97", "120", "0", " 97", " 120", " 0"},
        {"1", "24", "-2", " 25", " 48", " 0"},
        {"abc", "24x", "0", " 25", " 49", " 0"}, // no number: Val's 0..24 steps on
        {"1", "120", "0", "1", "120", "0"},     // whole profile: nothing happens
    };
    for (const auto &tc : cases) {
        range(tc.f1, tc.fl, "1", "50");
        c.texts[Field::txtGroupOverlap] = tc.overlap;
        s.PlotReady = 7; // shows whether the command touched it
        app.cmdNextGroup_Click();
        SCOPED_TRACE(std::string(tc.f1) + ".." + tc.fl + " overlap " + tc.overlap);
        EXPECT_EQ(c.text(Field::txt1sttr) + ".." + c.text(Field::txtLsttr) + "/" + c.text(Field::txtGroupOverlap),
                  std::string(tc.e1) + ".." + tc.el + "/" + tc.eo);
        EXPECT_EQ(s.PlotReady, std::string(tc.e1) == "1" ? 7 : 1);
    }
}

// A read, a redraw, a save and an alignment that last show their progress under the busy pointer, every
// other command waits meanwhile, and the caption and pointer come back.
TEST_F(AppTest, LongCommandsShowTheirProgressWhileOtherCommandsWait)
{
    const auto big = file("big.su", test::SUBytes(1100, 1000)); // past one 4 MB write
    open(&App::mnuOpenSU_Click, file("p.su", test::SUBytes(5, 10)));
    const test::EagerPacing eager;
    const struct { const char *shown; std::function<void()> run; } steps[] = {
        {"Reading Trace # ", [&] { open(&App::mnuOpenSU_Click, big); }}, // leaves "Reading Trace # 1100"
        {"Drawing Trace # 1", [&] { app.cmdAll_Click(); }},
        {"Writing Trace # ", [&] { d.files = {(dir / "out.su").string()}, app.mnuSaveSU_Click(); }},
        {"Aligning Trace # 256", [&] { s.Picks.assign(1101, 1.0f), app.mnuCurrentPick_Click(); }},
    };
    for (const auto &k : steps) {
        SCOPED_TRACE(k.shown);
        const float traces = s.NTraces;
        const std::string caption = c.caption(Caption::lblReadTr);
        int seen = 0;
        c.progress.clear();
        c.onYield = [&] {
            ++seen;
            EXPECT_TRUE(c.captionVisible(Caption::lblReadTr));
            EXPECT_EQ(c.pointer(), PointerBusy);
            const auto shown = std::tuple(s.NTraces, s.FirstTrace, s.LastTrace, c.texts);
            range("2", "3", "1", "5");
            app.cmdRePlot_Click(), app.cmdNextGroup_Click(), app.cmdAll_Click(), app.mnuOpenSU_Click();
            c.texts = std::get<3>(shown);
            EXPECT_EQ(std::tuple(s.NTraces, s.FirstTrace, s.LastTrace), std::tuple(std::get<0>(shown), std::get<1>(shown), std::get<2>(shown)));
            EXPECT_TRUE(s.NTraces == traces || !c.caption(Caption::lblReadTr).starts_with("Reading")); // nothing half-loaded
        };
        k.run();
        c.onYield = nullptr;
        EXPECT_GE(seen, 1);
        EXPECT_TRUE(std::any_of(c.progress.begin(), c.progress.end(), [&](auto &p) { return p.starts_with(k.shown); }));
        EXPECT_EQ(c.caption(Caption::lblReadTr), traces == 5 ? "Reading Trace # 1100" : caption);
        EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
        EXPECT_EQ(c.pointer(), PointerDefault);
        EXPECT_FALSE(app.busy());
    }
}

TEST_F(AppTest, SaveWritesPlotDataAndReportsFailure)
{
    const auto in = file("p.su", test::SUBytes(6, 25, 250));
    open(&App::mnuOpenSU_Click, in);
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
    EXPECT_EQ(back.RawData, s.PlotData);
    EXPECT_EQ(info.intervalMs, 0.25);
    app.mnuSaveSU_Click();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].second.find(bad), std::string::npos);
    EXPECT_EQ(d.used, (std::vector<std::string>{in, out})); // not the failed one
    EXPECT_EQ(c.pointer(), PointerDefault);
    app.mnuSaveSU_Click(); // cancelled
    EXPECT_EQ(d.messages.size(), 1u);
}

// Variable Density: grey columns and no wiggle on a Re-Plot and a step; off again, the wiggles as before.
TEST_F(AppTest, VariableDensityOnAndOffAgain)
{
    open(&App::mnuOpenSU_Click, file("p.su", test::SUBytes(120, 50)));
    range("1", "24", "1", "50");
    profile.prims.clear();
    app.cmdRePlot_Click();
    const std::vector<test::Prim> wiggles = profile.prims;
    profile.prims.clear();
    app.setVariableDensity(true);
    app.upd.setValue(3); // columns of 174 twips: the green trace 1 restored from pixel 0, trace 3 highlighted from 24
    const std::vector<test::Prim> d = profile.only(test::Prim::Density);
    ASSERT_TRUE(profile.only(test::Prim::Pset).empty() && d.size() == 5u);
    EXPECT_TRUE(d[0].x1 == 0 && d[3].x1 == 0 && d[3].mode == 0 && d[4].x1 == 24 && d[4].mode == 1);
    app.setVariableDensity(false);
    app.upd.setValue(1);
    profile.prims.clear();
    app.cmdRePlot_Click();
    EXPECT_EQ(profile.prims, wiggles);
}

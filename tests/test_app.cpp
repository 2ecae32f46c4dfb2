// Whole command sequences of the main window run against fake controls,
// scripted dialogs and canvases that only count what they are asked to draw.
#include "app/app.h"
#include "core/numbers.h"
#include "formats/su.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace orv;

namespace {

class CountingCanvas : public Canvas {
public:
    float ScaleWidth() const override { return 10095; }
    float ScaleHeight() const override { return 7935; }
    void setDrawMode(int m) override { mode = m; }
    int drawMode() const override { return mode; }
    void clear() override { ++clears; }
    void pset(float, float) override { ++prims; }
    void line(float, float, float, float) override { ++prims; }
    void line(float, float, float, float, uint32_t) override { ++prims; }
    int mode = DrawCopyPen, clears = 0;
    long prims = 0;
};

void put16(std::vector<uint8_t> &b, size_t off, int16_t v)
{
    b[off] = uint8_t(v & 0xff);
    b[off + 1] = uint8_t((uint16_t(v) >> 8) & 0xff);
}

// A little-endian SU file; trace k's sample j holds k * 1000 + j.
std::vector<uint8_t> suBytes(int traces, int ns, int dt)
{
    std::vector<uint8_t> b;
    for (int k = 1; k <= traces; ++k) {
        std::vector<uint8_t> h(240, 0);
        put16(h, 114, int16_t(ns));
        put16(h, 116, int16_t(dt));
        b.insert(b.end(), h.begin(), h.end());
        for (int j = 1; j <= ns; ++j) {
            const float v = float(k * 1000 + j);
            uint8_t raw[4];
            std::memcpy(raw, &v, 4);
            b.insert(b.end(), raw, raw + 4);
        }
    }
    return b;
}

struct AppTest : ::testing::Test {
    test::FakeControls c;
    test::FakeDialogs d;
    CountingCanvas profile, trace;
    App app{c, d, profile, trace};
    fs::path dir;

    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("orvane_app_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
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
    EXPECT_EQ(app.store.PickMode, 1);
    EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
    fields("5", "abc", "-3", "");
    const auto typed = c.texts;
    app.cmdRePlot_Click();
    app.cmdAll_Click();
    app.cmdNextGroup_Click();
    app.upd.up();
    EXPECT_EQ(c.texts, typed);
    EXPECT_EQ(profile.prims + trace.prims, 0);

    app.mnuAbout_Click();
    EXPECT_TRUE(c.aboutVisible);
    app.cmdAbouOK_Click();
    EXPECT_FALSE(c.aboutVisible);
    c.setPointer(PointerCross);
    app.Form_MouseMove();
    EXPECT_EQ(c.pointer(), PointerDefault);
    app.mnuExit_Click();
    EXPECT_TRUE(c.quitCalled);
}

TEST_F(AppTest, OpenSUFillsStoreFieldsCaptionsAndTitle)
{
    const auto path = file("three.su", suBytes(3, 500, 1000));
    open(path);
    EXPECT_EQ(d.filters, std::vector<std::string>{"Seismic Unix File (*.su)|*.su| All Filese (*.*)|*.*"});
    EXPECT_EQ(c.adjustCalls, 1);

    const ProfileStore &s = app.store;
    EXPECT_EQ(s.NTraces, 3);
    EXPECT_EQ(s.NSamples, 500);
    EXPECT_EQ(s.TotalTime, 500);
    EXPECT_EQ(s.PlotReady, 1);
    EXPECT_EQ(s.RawData(2, 1), 2001.0f);
    EXPECT_EQ(s.RawData(0, 7) + s.RawData(2, 0), 0.0f);
    EXPECT_EQ(s.Picks, std::vector<float>(4, 0.0f));

    const std::map<Field, std::string> want = {
        {Field::Text1, " 1"}, {Field::txt1sttr, " 1"}, {Field::txtLsttr, " 3"},
        {Field::txtLstsamp, " 500"}, {Field::txtAmpClip, " 1000"}, {Field::txtGainValue, " 400"},
        {Field::txtTraceCSG, " 24"}, {Field::txtGroupOverlap, "0"}};
    for (const auto &[f, text] : want)
        EXPECT_EQ(c.text(f), text) << int(f);
    EXPECT_EQ(c.caption(Caption::lblReadTr), "Reading Trace # 3");
    EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
    EXPECT_EQ(c.caption(Caption::Label5), "No. of Traces = 3");
    EXPECT_EQ(c.caption(Caption::Label6), "No. of Samples = 500");
    EXPECT_EQ(c.title(), "Orvane   -  " + path);
    EXPECT_EQ(c.pointerHistory.front(), PointerBusy);
    EXPECT_EQ(c.pointer(), PointerDefault);
    EXPECT_EQ(app.upd.Min(), 1);
    EXPECT_EQ(app.upd.Max(), 3);
    EXPECT_EQ(app.upd.Value(), 1);
    EXPECT_GT(profile.prims, 0);
    EXPECT_TRUE(d.messages.empty());
}

TEST_F(AppTest, LastTraceFieldCapsAt200)
{
    for (int traces : {250, 200, 1}) {
        load(traces, 8);
        const int last = std::min(traces, 200);
        EXPECT_EQ(c.text(Field::txtLsttr), SignedText(last));
        EXPECT_EQ(app.upd.Max(), last);
        EXPECT_EQ(app.store.Picks.size(), size_t(traces + 1));
    }
}

TEST_F(AppTest, RePlotRangeRules)
{
    load(120, 500);
    const struct {
        const char *f1, *fl, *s1, *sl, *clip, *csg;
        int16_t FT, LT, FS, LS, clipV, csgV;
    } cases[] = {
        {"150", "300", "1", "500", "1000", "24", 120, 120, 1, 500, 1000, 24},
        {"50", "20", "-5", "500", "1000", "24", 20, 20, 1, 500, 1000, 24},
        {"12.5", "13.5", "1", "500", "1000", "24", 12, 14, 1, 500, 1000, 24},
        {"abc", "24", "1", "500", "-3", "0", 1, 24, 1, 500, 0, 1},
        {"1", "40000", "1", "70000", "99999", "24", 1, 120, 1, 500, 32767, 24},
        {"5", "0", "3", "-7", "1000", "24", 1, 1, 1, 1, 1000, 24}, // last values raised to 1
        {"1", "24", "600", "550", "1000", "24", 1, 24, 500, 500, 1000, 24},
    };
    for (const auto &tc : cases) {
        fields(tc.f1, tc.fl, tc.s1, tc.sl);
        c.texts[Field::txtAmpClip] = tc.clip;
        c.texts[Field::txtTraceCSG] = tc.csg;
        app.cmdRePlot_Click();
        const ProfileStore &s = app.store;
        SCOPED_TRACE(std::string(tc.f1) + ".." + tc.fl + " / " + tc.s1 + ".." + tc.sl);
        EXPECT_EQ(std::vector<int>({s.FirstTrace, s.LastTrace, s.FirstSample, s.LastSample, s.ClipValue, s.TracesPerCSG}),
                  std::vector<int>({tc.FT, tc.LT, tc.FS, tc.LS, tc.clipV, tc.csgV}));
        EXPECT_EQ(c.text(Field::txt1sttr), SignedText(int(tc.FT)));
        EXPECT_EQ(c.text(Field::txtAmpClip), SignedText(int(tc.clipV)));
        EXPECT_GE(app.upd.Value(), s.FirstTrace);
        EXPECT_LE(app.upd.Value(), s.LastTrace);
        EXPECT_EQ(c.caption(Caption::Label1), "Trace # " + PlainText(int(app.upd.Value())));
    }

    // Every re-plot starts again from RawData.
    c.select(Option::optNormTrace);
    fields("1", "30", "1", "500");
    app.cmdRePlot_Click();
    EXPECT_EQ(app.store.NormMode, 2);
    EXPECT_NE(app.store.PlotData(3, 5), app.store.RawData(3, 5));
    c.select(Option::optNormNone);
    app.cmdRePlot_Click();
    EXPECT_EQ(app.store.PlotData, app.store.RawData);

    app.cmdAll_Click();
    EXPECT_EQ(c.text(Field::txtLsttr), " 120");
    EXPECT_EQ(c.text(Field::txtLstsamp), " 500");
    EXPECT_EQ(app.upd.Max(), 120);
}

TEST_F(AppTest, NextGroupSteps)
{
    load(120, 50);
    const struct { const char *f1, *fl, *overlap, *e1, *el, *eo; } cases[] = {
        {"1", "24", "0", " 25", " 48", " 0"},
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
        app.store.PlotReady = 7; // shows whether the command touched it
        app.cmdNextGroup_Click();
        SCOPED_TRACE(std::string(tc.f1) + ".." + tc.fl + " overlap " + tc.overlap);
        EXPECT_EQ(c.text(Field::txt1sttr), tc.e1);
        EXPECT_EQ(c.text(Field::txtLsttr), tc.el);
        EXPECT_EQ(c.text(Field::txtGroupOverlap), tc.eo);
        EXPECT_EQ(app.store.PlotReady, std::string(tc.e1) == "1" ? 7 : 1);
    }
}

TEST_F(AppTest, StepperChangeRedrawsAndLabels)
{
    load(10, 20);
    const int clearsBefore = trace.clears;
    app.upd.up();
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 2");
    EXPECT_GT(trace.clears, clearsBefore);
    app.upd.setValue(99); // outside the window: labelled, nothing read outside the arrays
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 99");
}

TEST_F(AppTest, RefusedOrCancelledLoadLeavesEverythingAsItWas)
{
    const auto good = file("good.su", suBytes(5, 30, 500));
    open(good);
    app.upd.setValue(3);
    app.store.Picks[2] = 1.5f;
    fields("2", "4", "3", "20");
    const ProfileStore before = app.store;
    const auto texts = c.texts;
    const auto title = c.title();

    auto negative = suBytes(3, 10, 500);
    put16(negative, 240 + 40 + 114, -5);
    for (const auto &path : {file("empty.su", {}), file("zero.su", std::vector<uint8_t>(480, 0)),
                             file("negative.su", negative), (dir / "missing.su").string(), dir.string()}) {
        d.messages.clear();
        open(path);
        SCOPED_TRACE(path);
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_NE(d.messages[0].second.find(path), std::string::npos);
        EXPECT_EQ(app.store.RawData, before.RawData);
        EXPECT_EQ(app.store.PlotData, before.PlotData);
        EXPECT_EQ(app.store.Picks, before.Picks);
        EXPECT_EQ(app.store.DataFileName, good);
        EXPECT_EQ(c.texts, texts);
        EXPECT_EQ(c.title(), title);
        EXPECT_EQ(c.pointer(), PointerDefault);
        EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
        EXPECT_EQ(app.upd.Value(), 3);
    }

    d.messages.clear();
    open(""); // cancelled dialog
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(app.store.RawData, before.RawData);
    EXPECT_EQ(app.store.DataFileName, "");
    EXPECT_EQ(c.caption(Caption::Label5), "No. of Traces = 5");
    EXPECT_EQ(c.texts, texts);
}

TEST_F(AppTest, ZeroSampleIntervalIsReplacedAndSaid)
{
    open(file("dt0.su", suBytes(4, 100, 0)));
    EXPECT_EQ(app.store.TotalTime, float(SUFallbackIntervalMs * 100));
    EXPECT_EQ(c.text(Field::Text1), SignedText(float(SUFallbackIntervalMs)));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].second.find("dt = 0"), std::string::npos);
}

TEST_F(AppTest, CommandsWaitWhileAReadRepaints)
{
    // Big enough that the throttled progress caption yields at least once.
    const auto path = file("big.su", suBytes(3000, 1000, 1000));
    load(5, 10);
    const ProfileStore before = app.store;
    int seen = 0;
    c.onYield = [&] {
        ++seen;
        fields("2", "3", "1", "5");
        app.cmdRePlot_Click();
        app.cmdNextGroup_Click();
        app.cmdAll_Click();
        app.mnuOpenSU_Click();
        EXPECT_EQ(app.store.NTraces, before.NTraces); // nothing half-loaded is visible
        EXPECT_EQ(app.store.FirstTrace, before.FirstTrace);
    };
    open(path);
    c.onYield = nullptr;
    EXPECT_GE(seen, 1);
    EXPECT_EQ(app.store.NTraces, 3000);
    EXPECT_FALSE(app.busy());
}

TEST_F(AppTest, SaveWritesPlotDataAndReportsFailure)
{
    load(6, 25, 250);
    const auto out = (dir / "out.su").string();
    d.files.push_back(out);
    app.mnuSaveSU_Click();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(fs::file_size(out), 6u * (240 + 4 * 25));
    Profile back;
    SUReadInfo info;
    std::string err;
    ASSERT_TRUE(ReadSUFile(out, back, info, err)) << err;
    EXPECT_EQ(back.RawData, app.store.PlotData);
    EXPECT_EQ(info.intervalMs, 0.25);

    const auto bad = (dir / "no" / "dir.su").string();
    d.files.push_back(bad);
    app.mnuSaveSU_Click();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].second.find(bad), std::string::npos);
    EXPECT_EQ(c.pointer(), PointerDefault);

    d.files.push_back("");
    app.mnuSaveSU_Click(); // cancelled
    EXPECT_EQ(d.messages.size(), 1u);
}

TEST_F(AppTest, ExampleProfileOpens)
{
    open(std::string(ORVANE_EXAMPLES_DIR) + "/radar_line.su");
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(app.store.NTraces, 300);
    EXPECT_EQ(app.store.NSamples, 400);
    EXPECT_FLOAT_EQ(app.store.TotalTime, 80);
    EXPECT_EQ(c.text(Field::txtLsttr), " 200");
}

// Opening and saving the other formats through the command flow: the text
// format's parameter dialog, the one open flow's refusals leaving everything
// as it was, and saving then reopening through the menus.
#include "app/app.h"
#include "core/numbers.h"
#include "formats/ascii.h"
#include "formats/dt1.h"
#include "formats/rd3.h"
#include "formats/su.h"
#include "support/store_access.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace orv;

namespace {

// The two text headers the radar readers take their sizes from.
std::string radHeader(int nt, int ns)
{
    std::string rad = "SAMPLES:" + std::to_string(ns) + "\r\n";
    for (int k = 2; k <= 18; ++k)
        rad += "X:\r\n";
    return rad + "TIMEWINDOW:10\r\nX:\r\nX:\r\nX:\r\nLAST TRACE:" + std::to_string(nt) + "\r\n";
}
std::string hdHeader(int nt, int ns)
{
    return "NUMBER OF TRACES   = " + std::to_string(nt) + "\r\nNUMBER OF PTS/TRC  = " + std::to_string(ns)
        + "\r\nTOTAL TIME WINDOW  = 10\r\nSTEP SIZE USED     = 1\r\n";
}

// Seismic Unix traces of the given sample counts, little-endian, samples 1.
std::string suText(const std::vector<int> &counts)
{
    std::string b;
    for (const int ns : counts) {
        std::string trace(240 + 4 * size_t(ns), '\0');
        const int16_t nsDt[2] = {int16_t(ns), 1000};
        std::memcpy(trace.data() + 114, nsDt, 4);
        for (int j = 0; j < ns; ++j)
            std::memcpy(trace.data() + 240 + 4 * j, "\0\0\x80\x3f", 4);
        b += trace;
    }
    return b;
}

// Every read yields at each report and offers its Cancel button at once.
struct EagerPacing {
    ReadPacing was = Pacing();
    EagerPacing() { Pacing() = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)}; }
    ~EagerPacing() { Pacing() = was; }
};

struct FormatsAppTest : ::testing::Test {
    test::FakeControls c;
    test::FakeDialogs d;
    test::FakeDataDialog frm;
    test::RecordingCanvas profile{3000, 1500}, trace{1935, 1500};
    App app{c, d, profile, trace, &frm};
    fs::path dir = fs::temp_directory_path()
        / ("orvane_fmt_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));

    void SetUp() override
    {
        fs::create_directories(dir);
        app.Form_Load();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string &name, const std::string &text)
    {
        const auto p = (dir / name).string();
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    void ascii(const std::string &nt, const std::string &ns, const std::string &tt)
    {
        app.mnuOpenAscii_Click();
        frm.fields = {{DataField::Text1, nt}, {DataField::Text2, ns}, {DataField::Text3, tt}};
        app.frmData_cmdOK_Click();
    }
    // Opens path through a menu command, or as text (open null) of nt x ns.
    void openWith(void (App::*open)(), const std::string &path, const char *nt = "", const char *ns = "")
    {
        d.messages.clear();
        d.files = {path};
        if (open)
            (app.*open)();
        else
            ascii(nt, ns, "10");
    }
    // A 3 x 5 profile opened as text: sample j of trace k is k * 10 + j.
    void openFirst()
    {
        d.files = {file("first.dat", "11 12 13 14 15 21 22 23 24 25 31 32 33 34 35")};
        ascii("3", "5", "10");
        ASSERT_TRUE(d.messages.empty());
    }
    // Everything a refused or cancelled load must leave as it was.
    struct Snapshot {
        float nt, ns, tt;
        Array2D raw;
        std::vector<float> picks;
        std::map<Field, std::string> texts;
        std::string title, file;
        int32_t updValue, updMax;
        bool operator==(const Snapshot &) const = default;
    };
    Snapshot snap() const
    {
        const ProfileStore &s = test::StoreOf(app);
        return {s.NTraces, s.NSamples, s.TotalTime, s.RawData, s.Picks, c.texts, c.windowTitle,
                s.DataFileName, app.upd.Value(), app.upd.Max()};
    }
};

} // namespace

TEST_F(FormatsAppTest, TextFileThroughTheParameterDialog)
{
    // The dialog holds off bad sizes and stays open.
    app.mnuOpenAscii_Click();
    EXPECT_TRUE(frm.open);
    EXPECT_EQ(c.adjustCalls, 1);
    const std::array<const char *, 3> bad[] = {{"2", "3", "-6"}, {"2", "0", "6"}, {"", "3", "6"}};
    for (const auto &sizes : bad) {
        frm.fields = {{DataField::Text1, sizes[0]}, {DataField::Text2, sizes[1]}, {DataField::Text3, sizes[2]}};
        d.messages.clear();
        app.frmData_cmdOK_Click();
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].second, "All data must be given and be greater than zero");
        EXPECT_TRUE(frm.open);
    }
    frm.fields[DataField::Text1] = "2.5";
    app.frmData_cmdOK_Click();
    EXPECT_EQ(d.messages.back().second, "The numbers of traces and samples must be whole numbers from 1 to 32767");
    EXPECT_EQ(d.criticals, 4); // all with the stop icon
    EXPECT_TRUE(frm.open);
    EXPECT_TRUE(d.filters.empty());

    // Good sizes: the file is read, the dialog closes, picking works at once.
    d.messages.clear();
    d.files = {file("two.dat", "1 2,3\r\n4\r5\n6 7")};
    frm.fields = {{DataField::Text1, "2"}, {DataField::Text2, " 3"}, {DataField::Text3, "6"}};
    app.frmData_cmdOK_Click();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_FALSE(frm.open);
    EXPECT_EQ(d.filters.back(), "Data files (*.dat)|*.dat| All Filese (*.*)|*.*");
    const ProfileStore &s = test::StoreOf(app);
    ASSERT_EQ(std::vector<float>({s.NTraces, s.NSamples, s.TotalTime}), std::vector<float>({2, 3, 6}));
    EXPECT_EQ(s.PlotReady, 1);
    EXPECT_EQ(s.RawData(1, 3), 3);
    EXPECT_EQ(s.RawData(2, 1), 4);
    EXPECT_EQ(c.text(Field::Text1), " 2");
    EXPECT_EQ(c.text(Field::txtLsttr), " 2");
    EXPECT_EQ(c.caption(Caption::Label5), "No. of Traces = 2");
    EXPECT_EQ(c.caption(Caption::Label6), "No. of Samples = 3");
    EXPECT_EQ(c.windowTitle, "Orvane   -  " + s.DataFileName);
    EXPECT_EQ(app.upd.Value(), 1);
    EXPECT_FALSE(profile.drawn().empty());
}

TEST_F(FormatsAppTest, ManyTextTracesShowTheFirst200)
{
    std::string text;
    for (int k = 0; k < 250 * 2; ++k)
        text += "1 ";
    d.files = {file("wide.dat", text)};
    ascii("250", "2", "1");
    EXPECT_EQ(c.text(Field::txtLsttr), " 200"); // written "200", then back by the plot
    EXPECT_EQ(app.upd.Value(), 1);
    EXPECT_EQ(app.upd.Max(), 250);
}

// Cancelling, in the dialog or in the file dialog after "&Ok", keeps the
// loaded profile with its sizes; so does a refused file of any format.
TEST_F(FormatsAppTest, CancelsAndRefusalsKeepTheLoadedProfile)
{
    openFirst();
    test::StoreOf(app).Picks[2] = 4;
    const Snapshot before = snap();

    app.mnuOpenAscii_Click();
    app.frmData_cmdCancel_Click();
    EXPECT_FALSE(frm.open);
    EXPECT_TRUE(snap() == before);

    d.files = {""};
    ascii("2", "3", "6");
    EXPECT_FALSE(frm.open);
    Snapshot cancelled = before;
    cancelled.file.clear(); // a cancelled file dialog empties the file name
    EXPECT_TRUE(snap() == cancelled);
    test::StoreOf(app).DataFileName = before.file;

    const std::string fifo = (dir / "pipe.su").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct { void (App::*open)(); std::string path; } refused[] = {
        {&App::mnuOpenRD3_Click, (dir / "none.rd3").string()},
        {&App::mnuOpenRD3_Click, file("bad.rd3", "")}, // no header beside it
        {&App::mnuOpenDT1_Click, (dir / "none.dt1").string()},
        {&App::mnuOpenDT1_Click, file("ab", "")}, // too short a name for its header
        {nullptr, file("short.dat", "1 2 3 4 5")},
        {nullptr, dir.string()},
        {&App::mnuOpenSU_Click, fifo}, // refused at once, never waited on
    };
    for (const auto &r : refused) {
        SCOPED_TRACE(r.path);
        openWith(r.open, r.path, "2", "3");
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].second.rfind("The file " + r.path + " ", 0), 0u) << d.messages[0].second;
        EXPECT_TRUE(snap() == before);
    }
}

// Saving as RD3 and as text and reading back through the menus.
TEST_F(FormatsAppTest, SaveThenReopen)
{
    openFirst();
    const auto rd3 = (dir / "out.rd3").string(), txt = (dir / "out.dat").string();
    d.files = {rd3, txt};
    d.filters.clear();
    app.mnuSaveRD3_Click();
    app.mnuSaveAscii_Click();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(d.filters.front(), "Ramac files (*.rd3)|*.rd3| All Filese (*.*)|*.*");
    EXPECT_EQ(fs::file_size(rd3), 2u * 3 * 5);
    EXPECT_TRUE(fs::exists(dir / "out.rad"));

    test::StoreOf(app).PlotReady = 0;
    d.files = {rd3};
    app.mnuOpenRD3_Click();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(std::vector<float>({test::StoreOf(app).NTraces, test::StoreOf(app).NSamples, test::StoreOf(app).TotalTime}),
              std::vector<float>({3, 5, 700}));
    EXPECT_EQ(test::StoreOf(app).RawData(2, 3), 23);
    EXPECT_EQ(test::StoreOf(app).PlotReady, 1);
    EXPECT_EQ(c.text(Field::Text1), " 140");

    d.files = {txt};
    ascii("3", "5", "10");
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(test::StoreOf(app).RawData(3, 5), 35);
}

// A click on Cancel stops a read at any stage of any format: nothing changes
// and nothing is said.
TEST_F(FormatsAppTest, CancelledReadsChangeNothing)
{
    openFirst();
    const Snapshot before = snap();
    file("p.rad", radHeader(40, 8));
    file("p.hd", hdHeader(40, 8));
    std::string text;
    for (int k = 0; k < 40 * 8; ++k)
        text += "1 ";
    const std::string tiled = file("tiled.su", suText(std::vector<int>(40, 8)));
    const struct {
        const char *name;
        void (App::*open)();
        std::string path;
        int clickAt; // the yield with the button up that clicks it
    } cases[] = {
        {"SU samples", &App::mnuOpenSU_Click, tiled, 1},
        {"SU working copy", &App::mnuOpenSU_Click, tiled, 2},
        {"SU traces of differing counts", &App::mnuOpenSU_Click, file("mixed.su", suText({8, 3, 9, 8})), 1},
        {"SU header walk", &App::mnuOpenSU_Click, file("empty.su", std::string(240 * 1000, '\0')), 1},
        {"RD3", &App::mnuOpenRD3_Click, file("p.rd3", std::string(2 * 40 * 8, '\1')), 1},
        {"DT1", &App::mnuOpenDT1_Click, file("p.dt1", std::string((128 + 16) * 40, '\1')), 1},
        {"text", nullptr, file("p.dat", text), 1},
    };
    const EagerPacing eager;
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        c.cancelAtYield = k.clickAt;
        c.cancelYields = c.cancelShows = 0;
        openWith(k.open, k.path, "40", "8");
        EXPECT_EQ(c.cancelShows, 1);
        EXPECT_EQ(c.cancelYields, k.clickAt);
        EXPECT_FALSE(c.cancelVisible);
        EXPECT_FALSE(c.captionVisible(Caption::lblReadTr));
        EXPECT_TRUE(d.messages.empty()) << d.messages[0].second;
        EXPECT_TRUE(snap() == before);
        EXPECT_FALSE(app.busy());
    }

    // Left alone, the same read goes through with the button up.
    c.cancelAtYield = 0;
    d.files = {tiled};
    app.mnuOpenSU_Click();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(test::StoreOf(app).NTraces, 40);
    EXPECT_FALSE(c.cancelVisible);
}

// Each reader stops at the first report its caller answers with a stop,
// without filling the profile it was given.
TEST_F(FormatsAppTest, ReadersStopAtOnce)
{
    file("p.rad", radHeader(600, 200));
    file("p.hd", hdHeader(600, 200));
    std::string text;
    for (int k = 0; k < 3000000; ++k) // more than one piece of the text reader
        text += "1 ";
    const std::string tiled = file("tiled.su", suText(std::vector<int>(600, 200)));
    const std::string mixed = file("mixed.su", suText({8, 3, 9, 8})), empty = file("e.su", std::string(2400, '\0'));
    const std::string rd3 = file("p.rd3", std::string(2 * 600 * 200, '\1'));
    const std::string dt1 = file("p.dt1", std::string((128 + 400) * 600, '\1'));
    const std::string dat = file("p.dat", text);
    using Reader = std::function<bool(Profile &, std::string &, const ReadControl &)>;
    const auto su = [](const std::string &path) {
        return Reader([path](Profile &p, std::string &e, const ReadControl &c) {
            SUReadInfo info;
            return ReadSUFile(path, p, info, e, c);
        });
    };
    const struct { const char *name; Reader read; } cases[] = {
        {"SU of one sample count", su(tiled)},
        {"SU of differing counts", su(mixed)},
        {"SU of empty headers", su(empty)},
        {"RD3", [&](Profile &p, std::string &e, const ReadControl &c) { std::string n; return ReadRD3File(rd3, p, n, e, c); }},
        {"DT1", [&](Profile &p, std::string &e, const ReadControl &c) { std::string n; return ReadDT1File(dt1, p, n, e, c); }},
        {"text", [&](Profile &p, std::string &e, const ReadControl &c) { return ReadAsciiFile(dat, 100, 30000, 1, p, e, c); }},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        int reports = 0;
        ReadControl control;
        control.progress = [&](int) { return ++reports > 1; };
        Profile p;
        p.NTraces = 7;
        std::string error;
        EXPECT_FALSE(k.read(p, error, control));
        EXPECT_EQ(error, ReadStoppedText);
        EXPECT_EQ(reports, 1);
        EXPECT_EQ(p.NTraces, 7);
        EXPECT_FALSE(p.RawData.allocated());
    }
}

// A read whose arrays, working copy and the loaded profile's arrays would not
// fit in memory is refused with what it needs; the loaded profile stays.
TEST_F(FormatsAppTest, ReadsThatWouldNotFitInMemoryAreRefused)
{
    // Loaded 512 x 1024 (4 MB with row and column 0), new 1023 x 1023: 12 MB.
    d.files = {file("loaded.su", suText(std::vector<int>(511, 1023)))};
    app.mnuOpenSU_Click();
    ASSERT_EQ(test::StoreOf(app).NTraces, 511);
    const Snapshot before = snap();
    file("big.rad", radHeader(1023, 1023));
    file("big.hd", hdHeader(1023, 1023));
    // 8 MB on disk, but padded to 32767 x 32767 by its first trace: 4 GB.
    std::vector<int> widening(32767, 1);
    widening[0] = 32767;
    std::string ones;
    for (int k = 0; k < 1023 * 1023; ++k)
        ones += "1 ";
    const struct {
        const char *name;
        void (App::*open)();
        std::string path;
        const char *sizes;
    } cases[] = {
        {"RD3", &App::mnuOpenRD3_Click, file("big.rd3", ""), "8 MB for its 1023 traces of 1023 samples"},
        {"DT1", &App::mnuOpenDT1_Click, file("big.dt1", ""), "8 MB for its 1023 traces of 1023 samples"},
        {"text", nullptr, file("big.dat", ones), "8 MB for its 1023 traces of 1023 samples"},
        {"SU", &App::mnuOpenSU_Click, file("widening.su", suText(widening)),
         "8192 MB for its 32767 traces of 32767 samples"},
    };
    const uint64_t MB = uint64_t(1) << 20;
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        for (const uint64_t limit : {12 * MB - 1, 12 * MB}) {
            const bool fits = limit == 12 * MB && std::string(k.name) != "SU";
            const MemoryForLoadOverride memory(limit);
            openWith(k.open, k.path, "1023", "1023");
            if (fits) { // the radar files are empty: said, and read as zeros
                EXPECT_EQ(test::StoreOf(app).NTraces, 1023);
                EXPECT_EQ(d.messages.size(), std::string(k.name) == "text" ? 0u : 1u);
                continue;
            }
            ASSERT_EQ(d.messages.size(), 1u);
            EXPECT_EQ(d.messages[0].second,
                      "The file " + k.path + " is too large to load: it needs "
                          + (std::string(k.name) == "SU" ? "8196" : "12") + " MB of memory (" + k.sizes
                          + " and their working copy, 4 MB for the profile loaded now) and "
                          + std::to_string(limit / MB) + " MB are available.");
            EXPECT_TRUE(snap() == before);
        }
        // Back to the 511-trace profile for the next format.
        d.files = {(dir / "loaded.su").string()};
        app.mnuOpenSU_Click();
    }
}

// With the memory check passed but the address space held to 1 GB more than
// in use, a 32767 x 32767 header is refused and the loaded profile kept.
TEST_F(FormatsAppTest, SizesBeyondMemoryAreRefused)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#else
    openFirst();
    const Snapshot before = snap();
    file("big.hd", hdHeader(32767, 32767));
    file("big.rad", radHeader(32767, 32767));
    const struct { void (App::*open)(); std::string path; } cases[] = {
        {&App::mnuOpenDT1_Click, file("big.dt1", "")}, {&App::mnuOpenRD3_Click, file("big.rd3", "")}};

    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    ASSERT_GT(pages, 0);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &was), 0);
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
    if (was.rlim_max != RLIM_INFINITY && was.rlim_max < limit)
        GTEST_SKIP() << "the address space is already limited";
    const MemoryForLoadOverride unlimited(UINT64_MAX);
    for (const auto &k : cases) {
        d.messages.clear();
        d.files = {k.path};
        rlimit held = was;
        held.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_AS, &held), 0);
        (app.*k.open)();
        setrlimit(RLIMIT_AS, &was);
        ASSERT_EQ(d.messages.size(), 1u) << k.path;
        EXPECT_EQ(d.messages[0].second, "The file " + k.path + " is too large to load (32767 traces of 32767 samples).");
        EXPECT_TRUE(snap() == before);
    }
#endif
}

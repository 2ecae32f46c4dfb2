// Every format through the one open flow: refusals and cancels leave everything as it was.
#include "support/app_fixture.h"
#include "support/files.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace orv;
using test::Ones;
using FormatsAppTest = test::AppFixture;

namespace {
constexpr void (App::*SU)() = &App::mnuOpenSU_Click;
constexpr void (App::*RD3)() = &App::mnuOpenRD3_Click;
constexpr void (App::*DT1)() = &App::mnuOpenDT1_Click;
constexpr void (App::*SEGY)() = &App::mnuOpenSEGY_Click;
constexpr void (App::*DZT)() = &App::mnuOpenDZT_Click;
constexpr void (App::*RD7)() = &App::mnuOpenRD7_Click;
constexpr void (App::*Text)() = nullptr;
} // namespace

TEST_F(FormatsAppTest, TextFileThroughTheParameterDialog)
{
    app.mnuOpenAscii_Click();
    EXPECT_TRUE(frm.open);
    EXPECT_EQ(c.adjustCalls, 1);
    const char *zero = "All data must be given and be greater than zero";
    const std::array<const char *, 4> bad[] = {{"2", "3", "-6", zero}, {"2", "0", "6", zero}, {"", "3", "6", zero},
        {"2.5", "3", "6", "The numbers of traces and samples must be whole numbers from 1 to 32767"}};
    for (const auto &k : bad) {
        frm.fields = {{DataField::Text1, k[0]}, {DataField::Text2, k[1]}, {DataField::Text3, k[2]}};
        d.messages.clear();
        app.frmData_cmdOK_Click();
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].second, k[3]);
        EXPECT_TRUE(frm.open);
    }
    EXPECT_EQ(d.criticals, 4); // all with the stop icon
    EXPECT_TRUE(d.filters.empty());
    d.messages.clear();
    d.files = {file("two.dat", "1 2,3\r\n4\r5\n6 7")};
    frm.fields = {{DataField::Text1, "2"}, {DataField::Text2, " 3"}, {DataField::Text3, "6"}};
    app.frmData_cmdOK_Click();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_FALSE(frm.open);
    EXPECT_EQ(d.filters.back(), "Data files (*.dat)|*.dat| All Filese (*.*)|*.*");
    ASSERT_EQ(std::vector<float>({s.NTraces, s.NSamples, s.TotalTime}), std::vector<float>({2, 3, 6}));
    EXPECT_EQ(s.PlotReady, 1);
    EXPECT_EQ(s.RawData(1, 3), 3);
    EXPECT_EQ(s.RawData(2, 1), 4);
    EXPECT_EQ(c.text(Field::Text1), " 2");
    EXPECT_EQ(c.caption(Caption::Label5), "No. of Traces = 2");
    EXPECT_FALSE(profile.drawn().empty());
    // Of many traces the first 200 are shown.
    open(Text, file("wide.dat", Ones(250 * 2)), "250", "2", "1");
    EXPECT_EQ(c.text(Field::txtLsttr), " 200");
    EXPECT_EQ(app.upd.Value(), 1);
    EXPECT_EQ(app.upd.Max(), 250);
}

TEST_F(FormatsAppTest, CancelsAndRefusalsKeepTheLoadedProfile)
{
    const auto good = file("good.su", test::SUBytes(5, 30, 500));
    open(SU, good);
    app.upd.setValue(3);
    s.Picks[2] = 4;
    range("2", "4", "3", "20");
    const auto before = state();
    app.mnuOpenAscii_Click();
    app.frmData_cmdCancel_Click();
    EXPECT_FALSE(frm.open);
    EXPECT_TRUE(state() == before);
    for (const auto menu : {SU, Text}) { // a cancelled file dialog forgets only the file name
        open(menu, "", "2", "3", "6");
        EXPECT_FALSE(frm.open);
        EXPECT_TRUE(d.messages.empty());
        EXPECT_EQ(s.DataFileName, "");
        s.DataFileName = good;
        EXPECT_TRUE(state() == before);
    }
    const std::string fifo = (dir / "pipe.su").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto negative = test::SUBytes(3, 10, 500);
    negative[240 + 40 + 114] = '\xfb', negative[240 + 40 + 115] = '\xff'; // ns = -5 in trace 2
    const struct { void (App::*open)(); std::string path; } refused[] = {
        {SU, file("negative.su", negative)}, {SU, (dir / "missing.su").string()}, {SU, dir.string()}, {SU, fifo},
        {RD3, (dir / "none.rd3").string()}, {RD3, file("bad.rd3", "")}, {DT1, (dir / "none.dt1").string()},
        {DT1, file("ab", "")}, {Text, file("short.dat", "1 2 3 4 5")}, {Text, dir.string()},
        {SEGY, file("short.sgy", std::string(3599, '\0'))}, {SEGY, (dir / "missing.segy").string()},
        {DZT, file("short.dzt", "DZT")}, {RD7, (dir / "none.rd7").string()},
    };
    for (const auto &r : refused) {
        SCOPED_TRACE(r.path);
        open(r.open, r.path, "2", "3");
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].second.rfind("The file " + r.path + " ", 0), 0u) << d.messages[0].second;
        EXPECT_TRUE(state() == before);
    }
    EXPECT_EQ(d.used, std::vector<std::string>{good}); // the next dialog opens where a file was read
    open(Text, file("t.dat", Ones(6)), "2", "3"); // another format brings no headers
    EXPECT_EQ(std::make_pair(s.Headers.kind, s.Headers.traces.size()), std::make_pair(FileHeaders::Kind::None, size_t(0)));
}

TEST_F(FormatsAppTest, DZTOfSeveralChannelsAsksWhichOne)
{
    open(SU, file("good.su", test::SUBytes(5, 30, 500)));
    const auto before = state();
    const std::string two = file("two.dzt", test::DztFile(16, 2, 2, 6, 4, 50));
    open(DZT, two); // the question cancelled
    EXPECT_EQ(d.offered, (std::vector<std::vector<std::string>>{{"Channel 1: A1", "Channel 2: A2"}}));
    EXPECT_TRUE(state() == before && s.Headers.positions.empty());
    d.choices = {1};
    open(DZT, two);
    EXPECT_EQ(std::vector<float>({s.NTraces, s.NSamples, s.TotalTime, s.RawData(2, 4)}),
              std::vector<float>({4, 6, 20, test::DztValue(16, test::DztRaw(16, 1, 1, 3))}));
    EXPECT_EQ(s.Headers.positions, (std::vector<double>{0, 0.02, 0.04, 0.06}));
    open(DZT, file("one.dzt", test::DztFile(8, 1, 1, 6, 4)));
    EXPECT_TRUE(d.offered.size() == 2 && d.messages.empty() && s.Headers.positions.empty());
}

TEST_F(FormatsAppTest, SaveThenReopen)
{
    open(Text, file("first.dat", "11 12 13 14 15 21 22 23 24 25 31 32 33 34 35"), "3", "5"); // k * 10 + j
    const auto rd3 = (dir / "out.rd3").string();
    d.files = {rd3};
    d.filters.clear();
    app.mnuSaveRD3_Click();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(d.filters.front(), "Ramac files (*.rd3)|*.rd3| All Filese (*.*)|*.*");
    EXPECT_EQ(fs::file_size(rd3), 2u * 3 * 5);
    EXPECT_TRUE(fs::exists(dir / "out.rad"));
    s.PlotReady = 0;
    open(RD3, rd3);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(std::vector<float>({s.NTraces, s.NSamples, s.TotalTime}), std::vector<float>({3, 5, 700}));
    EXPECT_EQ(s.RawData(2, 3), 23);
    EXPECT_EQ(s.PlotReady, 1);
    EXPECT_EQ(c.text(Field::Text1), " 140");
}

TEST_F(FormatsAppTest, CancelledReadsChangeNothing)
{
    open(SU, file("first.su", test::SUBytes(3, 5)));
    const auto before = state();
    file("p.rad", test::RadHeader(40, 8));
    file("p.hd", test::HdHeader(40, 8));
    const std::string tiled = file("tiled.su", test::SUBytes(40, 8));
    const struct { const char *name; void (App::*open)(); std::string path; int clickAt; } cases[] = {
        {"SU samples", SU, tiled, 1},
        {"SU working copy", SU, tiled, 2},
        {"SU traces of differing counts", SU, file("mixed.su", test::SUBytes({8, 3, 9, 8})), 1},
        {"SU header walk", SU, file("empty.su", std::string(240 * 1000, '\0')), 1},
        {"RD3", RD3, file("p.rd3", std::string(2 * 40 * 8, '\1')), 1},
        {"DT1", DT1, file("p.dt1", std::string((128 + 16) * 40, '\1')), 1},
        {"text", Text, file("p.dat", Ones(40 * 8)), 1},
    };
    const test::EagerPacing eager;
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        c.cancelAtYield = k.clickAt;
        c.cancelYields = c.cancelShows = 0;
        open(k.open, k.path, "40", "8");
        EXPECT_EQ(c.cancelShows, 1);
        EXPECT_EQ(c.cancelYields, k.clickAt);
        EXPECT_FALSE(c.cancelVisible);
        EXPECT_TRUE(d.messages.empty()) << d.messages[0].second;
        EXPECT_TRUE(state() == before);
        EXPECT_FALSE(app.busy());
    }
    c.cancelAtYield = 0;
    open(SU, tiled);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(s.NTraces, 40);
    EXPECT_FALSE(c.cancelVisible);
}

TEST_F(FormatsAppTest, ReadsThatWouldNotFitInMemoryAreRefused)
{
    // Loaded 512 x 1024 (4 MB), new 1023 x 1023: 12 MB.
    const std::string loaded = file("loaded.su", test::SUBytes(511, 1023));
    open(SU, loaded);
    ASSERT_EQ(s.NTraces, 511);
    const auto before = state();
    file("big.rad", test::RadHeader(1023, 1023));
    file("big.hd", test::HdHeader(1023, 1023));
    // 8 MB on disk, but padded to 32767 x 32767 by its first trace: 4 GB.
    std::vector<int> widening(32767, 1);
    widening[0] = 32767;
    const char *radar = "8 MB for its 1023 traces of 1023 samples";
    const struct { const char *name; void (App::*open)(); std::string path; const char *sizes; } cases[] = {
        {"RD3", RD3, file("big.rd3", ""), radar},
        {"DT1", DT1, file("big.dt1", ""), radar},
        {"text", Text, file("big.dat", Ones(1023 * 1023)), radar},
        {"SU", SU, file("widening.su", test::SUBytes(widening)), "8192 MB for its 32767 traces of 32767 samples"},
    };
    const uint64_t MB = uint64_t(1) << 20;
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        const bool su = k.open == SU;
        for (const uint64_t limit : {12 * MB - 1, 12 * MB}) {
            const MemoryForLoadOverride memory(limit);
            open(k.open, k.path, "1023", "1023");
            if (limit == 12 * MB && !su) { // fits; the radar files are empty: said, and read as zeros
                EXPECT_EQ(s.NTraces, 1023);
                EXPECT_EQ(d.messages.size(), k.open == Text ? 0u : 1u);
                continue;
            }
            ASSERT_EQ(d.messages.size(), 1u);
            EXPECT_EQ(d.messages[0].second,
                      "The file " + k.path + " is too large to load: it needs " + (su ? "8196" : "12")
                          + " MB of memory (" + k.sizes
                          + " and their working copy, 4 MB for the profile loaded now) and "
                          + std::to_string(limit / MB) + " MB are available.");
            EXPECT_TRUE(state() == before);
        }
        open(SU, loaded); // back to the 511-trace profile for the next format
    }
}

// The address space held to 1 GB more than in use: a 32767 x 32767 header is refused.
TEST_F(FormatsAppTest, SizesBeyondMemoryAreRefused)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#else
    open(SU, file("first.su", test::SUBytes(3, 5)));
    const auto before = state();
    file("big.hd", test::HdHeader(32767, 32767));
    file("big.rad", test::RadHeader(32767, 32767));
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    ASSERT_GT(pages, 0);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &was), 0);
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
    if (was.rlim_max != RLIM_INFINITY && was.rlim_max < limit)
        GTEST_SKIP() << "the address space is already limited";
    const MemoryForLoadOverride unlimited(UINT64_MAX);
    for (const auto &[menu, path] : {std::pair(DT1, file("big.dt1", "")), std::pair(RD3, file("big.rd3", ""))}) {
        rlimit held = was;
        held.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_AS, &held), 0);
        open(menu, path);
        setrlimit(RLIMIT_AS, &was);
        ASSERT_EQ(d.messages.size(), 1u) << path;
        EXPECT_EQ(d.messages[0].second, "The file " + path + " is too large to load (32767 traces of 32767 samples).");
        EXPECT_TRUE(state() == before);
    }
#endif
}

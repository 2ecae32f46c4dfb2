// The batch program: its command line, its outputs against the window's bytes, failures, threads.
#include "batch/runner.h"

#include "core/savefile.h"
#include "formats/ascii.h"
#include "formats/rd3.h"
#include "formats/su.h"
#include "picks/picksfile.h"
#include "support/app_fixture.h"
#include "support/files.h"
#include "support/survey.h"

#include <thread>

namespace fs = std::filesystem;
using namespace orv;
using batch::Options;
using batch::Parsed;
using test::FileBytes;
using test::TempDir;

namespace {

Parsed parse(std::initializer_list<const char *> args) { return batch::ParseArgs({args.begin(), args.end()}); }
int run(const std::vector<std::string> &args) { return batch::BatchMain(args, "test"); }

// A survey line of each input format with a picks file beside each.
struct Inputs {
    static constexpr int nt = 30, ns = 160;
    std::string su, rd3, dt1, ascii;
    explicit Inputs(const TempDir &dir)
    {
        std::string error;
        Array2D a = test::AirWaveProfile(nt, ns, 3);
        su = dir / "line_su.su";
        rd3 = dir / "line_rd3.rd3";
        ascii = dir / "line_text.txt";
        Array2D b = a;
        EXPECT_TRUE(WriteRD3File(rd3, b, nt, ns, error)) << error;
        dt1 = test::WriteDT1Pair(dir.path.string(), "line_dt1", a, 40);
        // Beyond 16 bits: the RD3 writer's clip must not reach the outputs written after it.
        a(2, 100) = 1e6f;
        EXPECT_TRUE(WriteSUFile(su, a, nt, ns, 40.0f, error)) << error;
        EXPECT_TRUE(WriteAsciiFile(ascii, a, nt, ns, error)) << error;
        std::vector<float> picks(nt + 1);
        for (int k = 1; k <= nt; ++k)
            picks[size_t(k)] = 5.0f + 0.25f * float(k % 6);
        for (const std::string &in : {su, rd3, dt1, ascii})
            EXPECT_TRUE(WritePicksFile(batch::PicksFileFor("{dir}/{stem}.dat", in), picks, nt, error)) << error;
    }
};

struct Output { const char *name; void (App::*save)(); std::vector<std::string> extensions; };
const Output outputs[] = {{"su", &App::mnuSaveSU_Click, {".su"}}, {"rd3", &App::mnuSaveRD3_Click, {".rd3", ".rad"}}, {"ascii", &App::mnuSaveAscii_Click, {".dat"}}};

// The window's steps for one input; without alignment picks from a file go straight in.
void windowSteps(const std::string &in, const Options &o, const Output &f, const std::string &stem,
                 const std::string &picksOut)
{
    test::FakeWindow w;
    w.app.Form_Load();
    const std::map<std::string, void (App::*)()> opens = {{".su", &App::mnuOpenSU_Click}, {".rd3", &App::mnuOpenRD3_Click}, {".dt1", &App::mnuOpenDT1_Click}};
    const auto open = opens.find(fs::path(in).extension().string());
    w.open(open == opens.end() ? nullptr : open->second, in, "30", "160", "40");
    ASSERT_TRUE(w.s.hasProfile());
    w.c.select(o.normMode == 2 ? Option::optNormTrace : o.normMode == 1 ? Option::optNormCSG : Option::optNormNone);
    w.c.texts[Field::txtTraceCSG] = std::to_string(o.csgTraces);
    w.app.cmdAll_Click();
    const std::string picksIn = batch::PicksFileFor(o.picksPattern, in);
    if (o.picks == batch::PicksSource::File && o.align) {
        w.d.files = {picksIn};
        w.app.mnuFromFile_Click();
    } else if (o.picks == batch::PicksSource::Auto) {
        w.app.mnuAutomatic_Click();
        const DataField keys[] = {DataField::txtKey1st, DataField::txtKeyLast, DataField::txtTarg1st, DataField::txtTargLast};
        for (int k = 0; k < 4; ++k)
            w.frm.fields[keys[k]] = std::to_string(o.autoWindow[k]);
        o.align ? w.app.frmData_cmdOK2_Click() : void(w.app.pickByCrossCorrelation(false));
    } else {
        std::string error;
        ASSERT_TRUE(ReadPicksFile(picksIn, 30, w.s.Picks, error)) << error;
    }
    w.d.files = {stem + f.extensions[0], picksOut};
    (w.app.*f.save)();
    w.app.mnuSavePick_Click();
    w.d.files = {picksOut + ".csv"};
    w.app.mnuExportPicksCsv_Click();
    ASSERT_TRUE(w.d.messages.empty()) << w.d.messages[0].second;
    ASSERT_EQ(w.d.used.size(), 4u + (o.picks == batch::PicksSource::File && o.align));
}

} // namespace

TEST(BatchCommandLine, OptionsAndWrongUses)
{
    const Parsed full = parse({"--auto", "5", "40", "1", "120", "--normalize", "csg=12", "--align", "--out", "o",
                               "--format", "su,ascii", "--format", "su", "--save-picks", "--overwrite", "-j3",
                               "a.su", "b.DT1"});
    ASSERT_EQ(full.kind, Parsed::Run) << full.error;
    const Options &o = full.options;
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.su", "b.DT1"}));
    EXPECT_EQ(o.picks, batch::PicksSource::Auto);
    EXPECT_EQ(std::vector<int>(o.autoWindow, o.autoWindow + 4), (std::vector<int>{5, 40, 1, 120}));
    EXPECT_EQ(std::make_pair(o.normMode, o.csgTraces), std::make_pair(1, 12));
    EXPECT_TRUE(o.align && o.savePicks && o.overwrite);
    EXPECT_EQ(o.formats, (std::vector<batch::OutputFormat>{batch::OutputFormat::SU, batch::OutputFormat::Ascii}));
    EXPECT_EQ(o.jobs, 3u);
    const Parsed text = parse({"--picks", "{stem}.dat", "--traces", "10", "--samples", "20", "--total-time", "12.5",
                               "--out", "o", "--format", "rd3", "-j", "1", "--channel", "3", "x.txt", "y.asc"});
    ASSERT_EQ(text.kind, Parsed::Run) << text.error;
    EXPECT_EQ(*text.options.totalTime, 12.5);
    EXPECT_EQ(std::make_pair(o.channel, text.options.channel), std::make_pair(1, 3));
    EXPECT_EQ(parse({"--help"}).kind, Parsed::Help);
    EXPECT_EQ(parse({"a.su", "--version"}).kind, Parsed::Version);
    const struct { std::vector<const char *> args; const char *error; } wrong[] = {
        {{"--out", "o", "--format", "su"}, "no input file given"},
        {{"--bogus", "a.su"}, "unknown option \"--bogus\""},
        {{"--picks", "p.dat", "--auto", "1", "2", "3", "4", "--out", "o", "--format", "su", "a.su"}, "--picks and --auto cannot be given together"},
        {{"--auto", "1", "2", "3"}, "--auto needs four sample numbers: KEYFIRST KEYLAST TARGFIRST TARGLAST"},
        {{"--auto", "1", "2", "x", "4", "a.su"}, "--auto takes sample numbers from 1 to 32767, not \"x\""},
        {{"--normalize", "csg=0", "a.su"}, "--normalize csg=N takes a number of traces from 1 to 32767, not \"csg=0\""},
        {{"--normalize", "gather", "a.su"}, "--normalize takes none, trace or csg=N, not \"gather\""},
        {{"--format", "sgy", "--out", "o", "a.su"}, "--format takes su, rd3, ascii, segy or rd7, not \"sgy\""},
        {{"--channel", "0", "a.su"}, "--channel takes a channel number from 1 to 65535, not \"0\""},
        {{"--format", "su", "a.su"}, "--format needs --out, the folder to write to"},
        {{"--out", "o", "a.su"}, "--out needs --format, what to write"},
        {{"a.su"}, "nothing to write: give --out with --format"},
        {{"--align", "--out", "o", "--format", "su", "a.su"}, "--align needs picks: --picks or --auto"},
        {{"--save-picks", "--out", "o", "--format", "su", "a.su"}, "--save-picks needs picks: --picks or --auto"},
        {{"--save-picks-csv", "--out", "o", "--format", "su", "a.su"}, "--save-picks-csv needs picks: --picks or --auto"},
        {{"--picks", "p.dat", "--out", "o", "--format", "su", "a.su", "b.su"}, "--picks with several inputs needs a pattern with {stem}, such as {stem}.dat"},
        {{"-j", "0", "a.su"}, "-j takes a number from 1 to 1024, not \"0\""},
        {{"-j", "1025", "a.su"}, "-j takes a number from 1 to 1024, not \"1025\""},
        {{"--traces", "10", "--samples", "2.5", "a.txt"}, "--samples takes a whole number from 1 to 32767, not \"2.5\""},
        {{"--total-time", "-1", "a.txt"}, "--total-time takes a time in ms above 0, not \"-1\""},
        {{"--out", "o", "--format", "su", "--traces", "10", "a.txt"},
         "the file a.txt is none of .su, .rd3 (or its .rad header), .dt1 (or its .hd header), .sgy (or .segy), .dzt, "
         ".rd7 (or its .rad header); to read it as a text "
         "profile give --traces, --samples and --total-time"},
    };
    for (const auto &w : wrong) {
        const Parsed p = batch::ParseArgs({w.args.begin(), w.args.end()});
        EXPECT_EQ(p.kind, Parsed::Error) << w.error;
        EXPECT_EQ(p.error, w.error);
        EXPECT_EQ(run({w.args.begin(), w.args.end()}), 2) << w.error;
    }
}

TEST(BatchCommandLine, NamesOfFormatsPicksAndOutputs)
{
    for (const auto &[path, stem] : {std::pair("a/L1.su", "L1"), {"L1.SU", "L1"}, {"d/L2.rad", "L2"}, {"x.y/L3.HD", "L3"}, {"x.y/notes", "notes"}})
        EXPECT_EQ(batch::StemOf(path), stem) << path;
    EXPECT_EQ(batch::PicksFileFor("{dir}/picks/{stem}.dat", "s/L9.dt1"), "s/picks/L9.dat");
    EXPECT_EQ(batch::PicksFileFor("{stem}-{stem}.dat", "L9.dt1"), "L9-L9.dat");
    Options o;
    o.inputs = {"a/L1.su", "b/L1.dt1", "L2.rad"};
    o.outDir = "out/";
    o.formats = {batch::OutputFormat::RD3, batch::OutputFormat::Ascii};
    o.savePicks = true;
    std::vector<std::string> clash;
    const auto plans = batch::MakePlans(o, clash);
    ASSERT_EQ(plans.size(), 3u);
    EXPECT_EQ(plans[2].profiles[0].second, "out/L2.rd3");
    EXPECT_EQ(plans[2].profiles[1].second, "out/L2.dat");
    EXPECT_EQ(plans[2].picksOut, "out/L2.picks.dat");
    EXPECT_EQ(clash, (std::vector<std::string>{"", "its output out/L1.rad is written for a/L1.su already (inputs of the same name need different --out folders)", ""}));
}

// Every input and output format, picks from a file or automatic, aligned or not: the window's bytes.
TEST(Batch, WritesWhatTheWindowWrites)
{
    TempDir dir;
    const Inputs in(dir);
    const struct { const char *name; std::vector<std::string> args; } setups[] = {
        {"picks file, aligned", {"--picks", "{dir}/{stem}.dat", "--align"}},
        {"picks file, not aligned", {"--picks", "{dir}/{stem}.dat"}},
        {"automatic, aligned", {"--auto", "18", "34", "1", "120", "--align"}},
        {"automatic, aligned, per trace", {"--auto", "18", "34", "1", "120", "--align", "--normalize", "trace"}},
        {"automatic, not aligned, per gather", {"--auto", "18", "34", "1", "120", "--normalize", "csg=7"}},
    };
    int setupNo = 0;
    for (const auto &s : setups) {
        SCOPED_TRACE(s.name);
        const std::string out = dir / ("out" + std::to_string(setupNo++));
        std::vector<std::string> args = s.args;
        for (const char *a : {"--out", out.c_str(), "--format", "su,rd3,ascii", "--save-picks", "--save-picks-csv", "--traces", "30",
                              "--samples", "160", "--total-time", "40", "-j", "2"})
            args.push_back(a);
        args.insert(args.end(), {in.su, in.rd3, in.dt1, in.ascii});
        ASSERT_EQ(run(args), 0);
        const Parsed p = batch::ParseArgs(args);
        for (const std::string &input : {in.su, in.rd3, in.dt1, in.ascii}) {
            const std::string stem = fs::path(input).stem().string();
            for (const Output &f : outputs) {
                SCOPED_TRACE(stem + " as " + f.name);
                const std::string mine = dir / (stem + ".window"), picks = mine + ".picks.dat";
                windowSteps(input, p.options, f, mine, picks);
                for (const std::string &e : f.extensions) {
                    const std::string b = FileBytes(out + "/" + stem + e);
                    EXPECT_FALSE(b.empty()) << stem + e;
                    EXPECT_EQ(b, FileBytes(mine + e)) << stem + e;
                }
                EXPECT_EQ(FileBytes(out + "/" + stem + ".picks.dat"), FileBytes(picks));
                EXPECT_EQ(FileBytes(out + "/" + stem + ".picks.csv"), FileBytes(picks + ".csv"));
            }
        }
    }
}

// A bad input stops no other; outputs kept unless --overwrite, inputs never replaced; -j changes no byte.
TEST(Batch, FailuresThreadsAndOverwrites)
{
    TempDir dir;
    const Inputs in(dir);
    std::ofstream(dir / "broken.su") << "not a profile";
    const std::string out1 = dir / "j1", out2 = dir / "j2";
    for (const auto &[out, j] : {std::pair(out1, "1"), std::pair(out2, "2")})
        EXPECT_EQ(run({"--out", out, "-j", j, "--auto", "18", "34", "1", "120", "--align", "--format", "su,rd3", "--save-picks",
                       in.su, dir / "broken.su", in.dt1, dir / "missing.dt1", in.rd3}), 1);
    std::vector<std::string> written;
    for (const auto &e : fs::directory_iterator(out1))
        written.push_back(e.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"line_dt1.picks.dat", "line_dt1.rad", "line_dt1.rd3", "line_dt1.su",
        "line_rd3.picks.dat", "line_rd3.rad", "line_rd3.rd3", "line_rd3.su", "line_su.picks.dat", "line_su.rad", "line_su.rd3", "line_su.su"}));
    for (const std::string &name : written)
        EXPECT_EQ(FileBytes(out1 + "/" + name), FileBytes(out2 + "/" + name)) << name;
    std::ofstream(out1 + "/line_su.su") << "older";
    EXPECT_EQ(run({"--picks", "{dir}/{stem}.dat", "--out", out1, "--format", "su", in.su}), 1);
    EXPECT_EQ(FileBytes(out1 + "/line_su.su"), "older");
    EXPECT_EQ(run({"--picks", "{dir}/{stem}.dat", "--out", out1, "--format", "su", "--overwrite", in.su}), 0);
    EXPECT_NE(FileBytes(out1 + "/line_su.su"), "older");
    const std::string before = FileBytes(in.su);
    EXPECT_EQ(run({"--picks", "{dir}/{stem}.dat", "--align", "--out", dir.path.string(), "--format", "su", "--overwrite", in.su}), 1);
    EXPECT_EQ(FileBytes(in.su), before);
}

TEST(BatchMemory, FreedBlocksComeBackZeroedWhenAsked)
{
    RecycleArrayMemory();
    for (const size_t n : {size_t(1) << 18, size_t(1026025)}) { // 1 MB; a 1,000 x 1,024 profile
        float *p = allocFloats(n, false);
        ASSERT_NE(p, nullptr);
        std::fill(p, p + n, -1.0f);
        freeFloats(p, n);
        float *q = allocFloats(n, true);
        EXPECT_EQ(q, p);
        EXPECT_EQ(std::count(q, q + n, 0.0f), static_cast<long>(n));
        freeFloats(q, n);
    }
}

// A folder gone before the end is reported, not passed over as flushed.
TEST(BatchFlush, FlusherReportsWhatItCouldNotFlush)
{
    for (const bool removed : {false, true}) {
        TempDir dir;
        const std::string folder = dir / "out";
        fs::create_directories(folder);
        FolderFlusher flusher(folder);
        std::vector<std::thread> writers;
        for (int t = 0; t < 2; ++t)
            writers.emplace_back([&, t] {
                for (int i = 0; i < 5; ++i, flusher.wrote()) {
                    std::string error;
                    ASSERT_TRUE(SaveWholeFile(folder + "/f" + std::to_string(t * 5 + i), "bytes", error)) << error;
                }
            });
        for (std::thread &w : writers)
            w.join();
        if (removed)
            fs::remove_all(folder);
        std::string error;
        EXPECT_EQ(flusher.finish(error), !removed);
        EXPECT_EQ(error.empty(), !removed) << error;
    }
}

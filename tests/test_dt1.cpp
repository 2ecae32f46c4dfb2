// DT1 reader: header and data pairs written to a temporary folder, and the
// real pairs in the shared sample folder.
#include "formats/dt1.h"

#include "formats/pairname.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("orvane_dt1_" + std::to_string(std::random_device()()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { std::error_code ec; fs::remove_all(path, ec); }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
};

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeFile(const std::string &path, const Bytes &bytes)
{
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

Bytes fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The sample of trace k, sample j in the generated data files.
int16_t sampleAt(int k, int j)
{
    return static_cast<int16_t>(k * 1000 - j * 7 - 20000);
}

// nt records of a 128-byte trace header (filled with 0x7f, which must not
// reach the samples) and ns samples.
Bytes makeData(int nt, int ns)
{
    Bytes b;
    for (int k = 1; k <= nt; ++k) {
        b.insert(b.end(), 128, 0x7f);
        for (int j = 1; j <= ns; ++j) {
            const auto v = static_cast<uint16_t>(sampleAt(k, j));
            b.push_back(uint8_t(v & 0xff));
            b.push_back(uint8_t(v >> 8));
        }
    }
    return b;
}

// A header in the instrument's layout: '=' in column 20, the value from
// column 22, lines the reader passes over before and between the keys.
std::string header(const std::string &traces, const std::string &samples, const std::string &window,
                   const std::string &eol = "\r\n")
{
    return "1234" + eol + "Data Collected with pE PRO (2011-00114-00) " + eol + "2017-04-10 " + eol
        + "NUMBER OF TRACES   = " + traces + " " + eol + "NUMBER OF PTS/TRC  = " + samples + " " + eol
        + "TIMEZERO AT POINT  = 3.18 " + eol + "TOTAL TIME WINDOW  = " + window + " " + eol
        + "STARTING POSITION  = 0.0000 " + eol + "STEP SIZE USED     = 0.5 " + eol
        + "STACKING TYPE      = F1, P8, DynaQ OFF " + eol;
}

// A profile that is already loaded, to show a refused read leaves it alone.
orv::Profile loadedBefore()
{
    orv::Profile p;
    p.RawData.allocate(2, 3);
    p.RawData(1, 1) = 42;
    p.NTraces = 2;
    p.NSamples = 3;
    p.TotalTime = 9;
    return p;
}

struct Read {
    orv::Profile p = loadedBefore();
    std::string notice, error;
    bool ok;
    explicit Read(const std::string &path) { ok = orv::ReadDT1File(path, p, notice, error); }
    bool untouched() const
    {
        const orv::Profile b = loadedBefore();
        return p.RawData == b.RawData && p.NTraces == b.NTraces && p.NSamples == b.NSamples
            && p.TotalTime == b.TotalTime;
    }
};

} // namespace

TEST(DT1Read, HeaderKeysAreFoundInOrderBetweenOtherLines)
{
    TempDir dir;
    writeFile(dir / "line.hd", header("3", "100", "50"));
    writeFile(dir / "line.dt1", makeData(3, 100));
    const Read r(dir / "line.dt1");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NTraces, 3.0f);
    EXPECT_EQ(r.p.NSamples, 100.0f);
    EXPECT_EQ(r.p.TotalTime, 50.0f);
    EXPECT_EQ(r.notice, "");
}

TEST(DT1Read, SamplesComeFromTheirRecordsPastEachTraceHeader)
{
    // Records of 128 + 200 bytes: trace 2 starts at byte 328, its first
    // sample at bytes 456 and 457.
    TempDir dir;
    Bytes b = makeData(3, 100);
    b[456] = 0x34;
    b[457] = 0x82;
    writeFile(dir / "line.hd", header("3", "100", "50"));
    writeFile(dir / "line.dt1", b);
    const Read r(dir / "line.dt1");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.p.RawData.traceBound(), 3);
    ASSERT_EQ(r.p.RawData.sampleBound(), 100);
    EXPECT_EQ(r.p.RawData(2, 1), float(int16_t(0x8234)));
    for (int k = 1; k <= 3; ++k)
        for (int j = 1; j <= 100; ++j) {
            if (k != 2 || j != 1) {
                ASSERT_EQ(r.p.RawData(k, j), float(sampleAt(k, j))) << "trace " << k << " sample " << j;
            }
        }
    EXPECT_EQ(r.p.RawData(0, 5), 0.0f);
    EXPECT_EQ(r.p.RawData(2, 0), 0.0f);
}

TEST(DT1Read, HeaderLineEndsAndLayouts)
{
    const struct { const char *name; std::string text; } cases[] = {
        {"CR LF", header("3", "4", "2.5", "\r\n")},
        {"LF", header("3", "4", "2.5", "\n")},
        {"bare CR", header("3", "4", "2.5", "\r")},
        {"CR CR LF", header("3", "4", "2.5", "\r\r\n")},
        {"lines joined by CR CR", header("3", "4", "2.5", "\r\r")},
        {"blank lines, commas, no final line end",
         "\r\n\r\nA, B, C\r\nNUMBER OF TRACES   = 3,x\r\n\r\nNUMBER OF PTS/TRC  = 4\r\n"
         "TOTAL TIME WINDOW  = 2.5e0 ns\r\nSTEP SIZE USED     = 0.25"},
        {"key not at the start of a line but at the start of an item",
         "X = 1, NUMBER OF TRACES   = 3\nNUMBER OF PTS/TRC  = 4\nTOTAL TIME WINDOW  = 2.5\nSTEP SIZE USED\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir / "a.hd", c.text);
        writeFile(dir / "a.dt1", makeData(3, 4));
        const Read r(dir / "a.dt1");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.p.NTraces, 3.0f);
        EXPECT_EQ(r.p.NSamples, 4.0f);
        EXPECT_EQ(r.p.TotalTime, 2.5f);
        EXPECT_EQ(r.p.RawData(3, 4), float(sampleAt(3, 4)));
    }
}

TEST(DT1Read, UpperCaseHeaderBesideUpperCaseData)
{
    TempDir dir;
    writeFile(dir / "XLINE00.HD", header("2", "5", "10"));
    writeFile(dir / "XLINE00.DT1", makeData(2, 5));
    const Read r(dir / "XLINE00.DT1");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NTraces, 2.0f);
}

TEST(DT1Read, HeaderRefusals)
{
    const std::string keys[] = {"NUMBER OF TRACES   = 3", "NUMBER OF PTS/TRC  = 4", "TOTAL TIME WINDOW  = 2",
                                "STEP SIZE USED     = 1"};
    auto lines = [&](std::initializer_list<int> order) {
        std::string s = "1234\r\n";
        for (int i : order)
            s += keys[i] + "\r\n";
        return s;
    };
    const struct { const char *name; std::string text; std::string why; } cases[] = {
        {"time window before the sample count", lines({0, 2, 1, 3}), "without the item \"TOTAL TIME WINDOW\""},
        {"samples before traces", lines({1, 0, 2, 3}), "without the item \"NUMBER OF PTS/TRC\""},
        {"step before the time window", lines({0, 1, 3, 2}), "without the item \"STEP SIZE USED\""},
        {"no trace count", lines({1, 2, 3}), "without the item \"NUMBER OF TRACES\""},
        {"no step", lines({0, 1, 2}), "without the item \"STEP SIZE USED\""},
        {"key in lower case", "number of traces   = 3\r\n" + lines({1, 2, 3}),
         "without the item \"NUMBER OF TRACES\""},
        {"empty header", "", "without the item \"NUMBER OF TRACES\""},
        {"value before the 21st character", "NUMBER OF TRACES = 3\n" + lines({1, 2, 3}), "announcing 0 traces"},
        {"no traces", header("0", "4", "2"), "announcing 0 traces"},
        {"negative traces", header("-3", "4", "2"), "announcing -3 traces"},
        {"part of a trace", header("2.5", "4", "2"), "announcing 2.5 traces"},
        {"too many traces", header("32768", "4", "2"), "announcing 32768 traces"},
        {"no samples", header("3", "abc", "2"), "announcing 0 samples per trace"},
        {"too many samples", header("3", "40000", "2"), "announcing 40000 samples per trace"},
        {"part of a sample", header("3", "4.01", "2"), "announcing 4.01 samples per trace"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir / "a.hd", c.text);
        writeFile(dir / "a.dt1", makeData(3, 4));
        const Read r(dir / "a.dt1");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.rfind("has a header " + (dir / "a.hd") + " ", 0), 0u) << r.error;
        EXPECT_NE(r.error.find(c.why), std::string::npos) << r.error;
        EXPECT_TRUE(r.untouched());
    }
}

TEST(DT1Read, FileRefusals)
{
    TempDir dir;
    // No header beside the data.
    writeFile(dir / "nohd.dt1", makeData(1, 1));
    // A folder where the header should be.
    writeFile(dir / "dirhd.dt1", makeData(1, 1));
    fs::create_directory(dir.path / "dirhd.hd");
    // A folder picked as the data file, with a good header beside it.
    fs::create_directory(dir.path / "dirdata.dt1");
    writeFile(dir / "dirdata.hd", header("1", "1", "1"));

    std::string tooShort;
    std::string partner;
    ASSERT_FALSE(orv::PartnerName(dir / "dt1", 3, "hd", partner, tooShort));

    const struct { std::string picked; std::string error; } cases[] = {
        {dir / "nohd.dt1", "has no header file beside it: " + (dir / "nohd.hd")
                               + " cannot be opened: No such file or directory"},
        {dir / "dirhd.dt1", "has no header file beside it: " + (dir / "dirhd.hd") + " cannot be opened: Is a directory"},
        {dir / "dirdata.dt1", "cannot be opened: Is a directory"},
        {dir / "missing.dt1", "cannot be opened: No such file or directory"},
        {dir / "dt1", tooShort},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.picked);
        const Read r(c.picked);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
        EXPECT_TRUE(r.untouched());
    }
}

TEST(DT1Read, TooLargeToLoad)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#else
    TempDir dir;
    writeFile(dir / "big.hd", header("32767", "32767", "1"));
    writeFile(dir / "big.dt1", makeData(1, 1));
    // With the address space held to 1 GB above what the process uses now,
    // 32767 traces of 32767 samples (4 GB of amplitudes) cannot be had.
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    ASSERT_GT(pages, 0);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &before), 0);
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
    if (before.rlim_max != RLIM_INFINITY && before.rlim_max < limit)
        GTEST_SKIP() << "the address space is already limited";
    rlimit held = before;
    held.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &held), 0);
    const Read r(dir / "big.dt1");
    setrlimit(RLIMIT_AS, &before);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "is too large to load (32767 traces of 32767 samples)");
    EXPECT_TRUE(r.untouched());
#endif
}

TEST(DT1Read, ShortDataFileReadsMissingSamplesAsZero)
{
    // 3 records of 128 + 8 bytes (4 samples each).
    const struct { const char *name; size_t bytes; int held; } cases[] = {
        {"two whole records", 272, 8},
        {"cut inside the third trace header", 272 + 100, 8},
        {"third trace header only", 272 + 128, 8},
        {"third record cut after one sample", 272 + 130, 9},
        {"half a sample counts as missing", 272 + 133, 10},
        {"empty", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Bytes b = makeData(3, 4);
        b.resize(c.bytes);
        writeFile(dir / "a.hd", header("3", "4", "2"));
        writeFile(dir / "a.dt1", b);
        const Read r(dir / "a.dt1");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.notice, "The file " + (dir / "a.dt1") + " holds " + std::to_string(c.held)
                                + " of the 12 samples its header announces; the missing samples read as 0.");
        for (int k = 1; k <= 3; ++k)
            for (int j = 1; j <= 4; ++j) {
                const bool held = (k - 1) * 4 + j <= c.held;
                EXPECT_EQ(r.p.RawData(k, j), held ? float(sampleAt(k, j)) : 0.0f) << k << "," << j;
            }
    }
}

TEST(DT1Read, LongerDataFileReadsTheAnnouncedTraces)
{
    TempDir dir;
    writeFile(dir / "a.hd", header("2", "4", "2"));
    writeFile(dir / "a.dt1", makeData(5, 4));
    const Read r(dir / "a.dt1");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.RawData.traceBound(), 2);
    EXPECT_EQ(r.p.RawData(2, 4), float(sampleAt(2, 4)));
    EXPECT_EQ(r.notice, "");
}

TEST(DT1Read, ManyTracesCrossTheReadBlocks)
{
    // 300 records of 128 + 2000 bytes are read in several blocks; the cut
    // one ends 2 samples into trace 250.
    const struct { const char *name; size_t bytes; int traces; } cases[] = {
        {"whole", 300 * 2128, 300},
        {"cut in a later block", 249 * 2128 + 132, 249},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Bytes b = makeData(300, 1000);
        b.resize(c.bytes);
        writeFile(dir / "a.hd", header("300", "1000", "100"));
        writeFile(dir / "a.dt1", b);
        const Read r(dir / "a.dt1");
        ASSERT_TRUE(r.ok) << r.error;
        for (int k = 1; k <= 300; ++k) {
            for (int j : {1, 2, 3, 500, 1000}) {
                const bool held = k <= c.traces || (k == 250 && j <= 2);
                ASSERT_EQ(r.p.RawData(k, j), held ? float(sampleAt(k, j)) : 0.0f) << k << "," << j;
            }
        }
        EXPECT_EQ(r.notice.find(" holds 249002 of the 300000 samples") != std::string::npos, c.traces < 300)
            << r.notice;
    }
}

TEST(DT1Read, RealPairs)
{
    const fs::path root = fs::path(ORVANE_REALDATA_DIR) / "dt1";
    if (!fs::is_directory(root))
        GTEST_SKIP() << root << " is absent";
    const struct { const char *data; int traces, samples; float window; } cases[] = {
        {"gprpy_comoffs/XLINE00.DT1", 531, 1500, 1200.0f},
        {"gprpy_warr/XLINE00.DT1", 164, 1900, 760.0f},
        {"rgpr_cornino/cmp.DT1", 51, 500, 400.0f},
        {"rgpr_cornino/yyline3.DT1", 391, 500, 400.0f},
        {"rgpr_isola/XLINEA0.DT1", 1246, 1000, 400.0f},
        {"rgpr_isola/YLINEA0.DT1", 195, 1000, 400.0f},
        {"rgpr_flagogna/XLINE000.DT1", 198, 425, 340.0f},
        {"rgpr_flagogna/XLINE001.DT1", 198, 425, 340.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.data);
        const std::string path = (root / c.data).string();
        const Read r(path);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.notice, "");
        EXPECT_EQ(r.p.NTraces, float(c.traces));
        EXPECT_EQ(r.p.NSamples, float(c.samples));
        EXPECT_EQ(r.p.TotalTime, c.window);

        // One sample against its bytes in the file: the middle trace, the
        // sample a quarter of the way down.
        const Bytes b = fileBytes(path);
        const int k = (c.traces + 1) / 2, j = c.samples / 4;
        const size_t at = size_t(k - 1) * (128 + 2 * size_t(c.samples)) + 128 + 2 * size_t(j - 1);
        ASSERT_LT(at + 1, b.size());
        EXPECT_EQ(r.p.RawData(k, j), float(int16_t(uint16_t(b[at] | (b[at + 1] << 8)))));
    }
}

TEST(DT1Read, HeaderWithoutItsDataFileIsRefused)
{
    const fs::path dir = fs::path(ORVANE_REALDATA_DIR) / "dt1" / "impdar_header_only";
    if (!fs::exists(dir / "test_pe.HD"))
        GTEST_SKIP() << dir << " is absent";
    // The data file it names is not there: the sentence the reason completes,
    // "The file .../test_pe.DT1 cannot be opened: ...", names it.
    const Read r((dir / "test_pe.DT1").string());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "cannot be opened: No such file or directory");
    EXPECT_TRUE(r.untouched());
}

// Ramac RD3 profiles: a RAD text header beside a file of 16-bit samples.
// Pairs are built in a temporary folder; written files are checked byte by
// byte and read back.
#include "formats/rd3.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
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
    fs::path path = fs::temp_directory_path() / ("orvane_rd3_" + std::to_string(std::random_device()()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    fs::path operator/(const std::string &name) const { return path / name; }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(path))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

std::string fileText(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path &p, const std::string &bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

void writeFile(const fs::path &p, const Bytes &bytes)
{
    writeFile(p, std::string(bytes.begin(), bytes.end()));
}

// A RAD header as instruments write it (CR LF, 29 lines) with the three
// values the reader takes.
std::string header(const std::string &samples, const std::string &window, const std::string &traces,
                   const std::string &frequency = "2426.187744")
{
    std::vector<std::string> lines = {
        "SAMPLES:" + samples, "FREQUENCY:" + frequency, "FREQUENCY STEPS:17", "SIGNAL POSITION:",
        "RAW SIGNAL POSITION:49785", "DISTANCE FLAG:0", "TIME FLAG:1", "PROGRAM FLAG:0", "EXTERNAL FLAG:0",
        "TIME INTERVAL: 0.100000", "DISTANCE INTERVAL: 0.000000", "OPERATOR:_", "CUSTOMER:_", "SITE:_",
        "ANTENNAS:500 MHz", "ANTENNA ORIENTATION:NOT VALID FIELD", "ANTENNA SEPARATION: 0.180000", "COMMENT:",
        "TIMEWINDOW:" + window, "STACKS:4", "STACK EXPONENT:2", "STACKING TIME:0.040960", "LAST TRACE:" + traces,
        "STOP POSITION:3569.500000", "SYSTEM CALIBRATION:0.0000242453", "START POSITION:0.000000",
        "SHORT FLAG:0", "INTERMEDIATE FLAG:1", "LONG FLAG:0"};
    std::string text;
    for (const auto &l : lines)
        text += l + "\r\n";
    return text;
}

// nt x ns little-endian samples, the value of sample s of trace t (0-based)
// being value(t, s).
template <typename F>
Bytes makeData(int nt, int ns, F value)
{
    Bytes b;
    for (int t = 0; t < nt; ++t)
        for (int s = 0; s < ns; ++s) {
            const auto v = static_cast<uint16_t>(static_cast<int16_t>(value(t, s)));
            b.push_back(uint8_t(v & 0xff));
            b.push_back(uint8_t(v >> 8));
        }
    return b;
}

// A pattern that tells traces and samples apart and covers both signs.
int pattern(int t, int s) { return (t * 1000 + s * 7) % 65536 - 32768; }

// A profile that a refused read must leave as it was.
orv::Profile before()
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
    orv::Profile p = before();
    std::string notice, error;
    bool ok;
    explicit Read(const fs::path &path) { ok = orv::ReadRD3File(path.string(), p, notice, error); }
    bool untouched() const
    {
        const orv::Profile b = before();
        return p.RawData == b.RawData && p.NTraces == b.NTraces && p.NSamples == b.NSamples
            && p.TotalTime == b.TotalTime;
    }
};

std::string renamed(std::string text, const std::string &from, const std::string &to)
{
    return text.replace(text.find(from), from.size(), to);
}

orv::Array2D amplitudes(int nt, int ns, const std::vector<float> &values)
{
    orv::Array2D a;
    a.allocate(nt, ns);
    for (int t = 1; t <= nt; ++t)
        for (int s = 1; s <= ns; ++s)
            a(t, s) = values[size_t((t - 1) * ns + (s - 1))];
    return a;
}

} // namespace

TEST(RD3Read, SizesAndSamplesTraceAfterTrace)
{
    TempDir dir;
    writeFile(dir / "line.rad", header("512", " 700", " 50"));
    writeFile(dir / "line.rd3", makeData(50, 512, pattern));
    const Read r(dir / "line.rd3");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NSamples, 512);
    EXPECT_EQ(r.p.NTraces, 50);
    EXPECT_EQ(r.p.TotalTime, 700);
    EXPECT_TRUE(r.notice.empty());
    ASSERT_EQ(r.p.RawData.traceBound(), 50);
    ASSERT_EQ(r.p.RawData.sampleBound(), 512);
    for (int t = 0; t < 50; ++t)
        for (int s = 0; s < 512; ++s)
            ASSERT_EQ(r.p.RawData(t + 1, s + 1), float(int16_t(pattern(t, s)))) << t << " " << s;
}

TEST(RD3Read, TimeWindowUnderOneIsInMicroseconds)
{
    const struct { const char *window; float totalTime; } cases[] = {
        {"700", 700}, {"0.35", 350}, {" 0.5", 500}, {"1", 1}, {"422.061312", 422.061312f}, {"", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.window);
        TempDir dir;
        writeFile(dir / "a.rad", header("2", c.window, "1"));
        writeFile(dir / "a.rd3", makeData(1, 2, pattern));
        const Read r(dir / "a.rd3");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_FLOAT_EQ(r.p.TotalTime, c.totalTime);
    }
}

TEST(RD3Read, KeysOutOfPlaceAreLookedUp)
{
    const struct { const char *name; std::string header; } cases[] = {
        // The comma makes two items of line 2, so items 19 and 23 are the
        // lines before the keys.
        {"comma in an early line", header("4", "0.2", "3", "1705,029838")},
        {"only the three keys", "LAST TRACE: 3\nTIMEWINDOW:200\nSAMPLES:4\n"},
        {"keys after other items, bare CR", "FREQUENCY:1\rTIMEWINDOW: 200\rSAMPLES: 4\rLAST TRACE:3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir / "a.rad", c.header);
        writeFile(dir / "a.rd3", makeData(3, 4, pattern));
        const Read r(dir / "a.rd3");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.p.NSamples, 4);
        EXPECT_EQ(r.p.NTraces, 3);
        EXPECT_FLOAT_EQ(r.p.TotalTime, 200);
        EXPECT_EQ(r.p.RawData(3, 4), float(int16_t(pattern(2, 3))));
    }
}

TEST(RD3Read, UpperCaseHeaderBesideData)
{
    TempDir dir;
    writeFile(dir / "LINE.RAD", header("2", "10", "1"));
    writeFile(dir / "LINE.RD3", makeData(1, 2, pattern));
    const Read r(dir / "LINE.RD3");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NSamples, 2);
}

TEST(RD3Read, Refusals)
{
    const struct {
        const char *name;
        std::string header; // not written when empty
        bool data;
        std::string error; // with DIR for the folder
    } cases[] = {
        {"no header", "", true,
         "has no header file beside it: DIR/a.rad cannot be opened: No such file or directory"},
        {"no SAMPLES", "TIMEWINDOW:1\nLAST TRACE:1\n", true, "has no SAMPLES item in its header DIR/a.rad"},
        {"no TIMEWINDOW", "SAMPLES:1\nLAST TRACE:1\n", true, "has no TIMEWINDOW item in its header DIR/a.rad"},
        {"no LAST TRACE", renamed(header("1", "1", "1"), "LAST TRACE:", "LAST_TRACE:"), true,
         "has no LAST TRACE item in its header DIR/a.rad"},
        {"zero samples", header("0", "1", "1"), true,
         "has a header (DIR/a.rad) announcing 0 samples per trace; a profile holds a whole number from 1 to 32767"},
        {"negative samples", header("-4", "1", "1"), true,
         "has a header (DIR/a.rad) announcing -4 samples per trace; a profile holds a whole number from 1 to 32767"},
        {"samples not whole", header("2.5", "1", "1"), true,
         "has a header (DIR/a.rad) announcing 2.5 samples per trace; a profile holds a whole number from 1 to 32767"},
        {"too many samples", header("32768", "1", "1"), true,
         "has a header (DIR/a.rad) announcing 32768 samples per trace; a profile holds a whole number from 1 to 32767"},
        {"no number", header("x", "1", "1"), true,
         "has a header (DIR/a.rad) announcing 0 samples per trace; a profile holds a whole number from 1 to 32767"},
        {"too many traces", header("1", "1", "44300"), true,
         "has a header (DIR/a.rad) announcing 44300 traces; a profile holds a whole number from 1 to 32767"},
        {"zero traces", header("1", "1", "0"), true,
         "has a header (DIR/a.rad) announcing 0 traces; a profile holds a whole number from 1 to 32767"},
        {"no data file", header("1", "1", "1"), false, "cannot be opened: No such file or directory"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (!c.header.empty())
            writeFile(dir / "a.rad", c.header);
        if (c.data)
            writeFile(dir / "a.rd3", makeData(1, 1, pattern));
        const Read r(dir / "a.rd3");
        EXPECT_FALSE(r.ok);
        std::string want = c.error;
        if (const size_t at = want.find("DIR"); at != std::string::npos)
            want.replace(at, 3, dir.path.string());
        EXPECT_EQ(r.error, want);
        EXPECT_TRUE(r.untouched());
    }
}

TEST(RD3Read, NameTooShortForItsHeader)
{
    TempDir dir;
    writeFile(dir / "rd3", makeData(1, 1, pattern));
    const Read r(dir / "rd3");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.rfind("has a name too short", 0), 0u) << r.error;
    EXPECT_TRUE(r.untouched());
}

TEST(RD3Read, TooLargeToLoad)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#else
    TempDir dir;
    writeFile(dir / "big.rad", header("32767", "1", "32767"));
    writeFile(dir / "big.rd3", makeData(1, 1, pattern));
    // With the address space held to 1 GB above what the process uses now,
    // 32767 traces of 32767 samples (4 GB of amplitudes) cannot be had.
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    ASSERT_GT(pages, 0);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &was), 0);
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
    if (was.rlim_max != RLIM_INFINITY && was.rlim_max < limit)
        GTEST_SKIP() << "the address space is already limited";
    rlimit held = was;
    held.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &held), 0);
    const Read r(dir / "big.rd3");
    setrlimit(RLIMIT_AS, &was);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "is too large to load (32767 traces of 32767 samples)");
    EXPECT_TRUE(r.untouched());
#endif
}

TEST(RD3Read, ShortDataFileReadsMissingSamplesAsZero)
{
    const struct { const char *name; size_t bytes; int held; } cases[] = {
        {"two traces of three", 16, 8},
        {"one sample into the third", 18, 9},
        {"half a sample counts as missing", 19, 9},
        {"empty", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Bytes b = makeData(3, 4, pattern);
        b.resize(c.bytes);
        writeFile(dir / "a.rad", header("4", "1", "3"));
        writeFile(dir / "a.rd3", b);
        const Read r(dir / "a.rd3");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.notice, "The file " + (dir / "a.rd3").string() + " holds " + std::to_string(c.held)
                      + " of the 12 samples its header announces; the missing samples read as 0.");
        for (int i = 0; i < 12; ++i) {
            const float want = i < c.held ? float(int16_t(pattern(i / 4, i % 4))) : 0.0f;
            if (i == c.held && c.bytes % 2 == 1)
                EXPECT_EQ(r.p.RawData(i / 4 + 1, i % 4 + 1), float(b[c.bytes - 1])) << "its low byte is kept";
            else
                EXPECT_EQ(r.p.RawData(i / 4 + 1, i % 4 + 1), want) << i;
        }
    }
}

TEST(RD3Write, HeaderBytes)
{
    TempDir dir;
    orv::Array2D a = amplitudes(3, 4, std::vector<float>(12, 1));
    std::string error;
    ASSERT_TRUE(orv::WriteRD3File((dir / "p.rd3").string(), a, 3, 4, error)) << error;
    EXPECT_EQ(fileText(dir / "p.rad"),
              "SAMPLES: 4 \r\n"
              "FREQUENCY:1705.029838\r\n"
              "FREQUENCY STEPS:17\r\n"
              "SIGNAL POSITION:-0.555726\r\n"
              "RAW SIGNAL POSITION:48875\r\n"
              "DISTANCE FLAG:1\r\n"
              "TIME FLAG:0\r\n"
              "PROGRAM FLAG:0\r\n"
              "EXTERNAL FLAG:0\r\n"
              "TIME INTERVAL:0.500000\r\n"
              "DISTANCE INTERVAL:1\r\n"
              "OPERATOR:Nemoris\r\n"
              "CUSTOMER:\r\n"
              "SITE:\r\n"
              "ANTENNAS:50 MHz\r\n"
              "ANTENNA ORIENTATION:NOT VALID FIELD\r\n"
              "ANTENNA SEPARATION:2.000000\r\n"
              "COMMENT:\r\n"
              "TIMEWINDOW: 700\r\n"
              "STACKS:64\r\n"
              "STACK EXPONENT:2\r\n"
              "STACKING TIME:0.020480\r\n"
              "LAST TRACE: 3 \r\n"
              "STOP POSITION: 1\r\n"
              "SYSTEM CALIBRATION:0.0000345000\r\n"
              "START POSITION:0.00\r\n"
              "SHORT FLAG:0\r\n"
              "INTERMEDIATE FLAG:1\r\n"
              "LONG FLAG:0\r\n");
}

TEST(RD3Write, SamplesClippedAndRoundedHalvesToEven)
{
    // In, clipped value kept in PlotData, value in the file.
    const struct { float in, kept; int16_t written; } cases[] = {
        {40000, 32767, 32767},   {32767, 32767, 32767},   {32767.4f, 32767, 32767}, {-40000, -32766, -32766},
        {-32766, -32766, -32766}, {-32767, -32766, -32766}, {2.5f, 2.5f, 2},          {3.5f, 3.5f, 4},
        {-2.5f, -2.5f, -2},      {-3.5f, -3.5f, -4},      {0.49f, 0.49f, 0},        {-1, -1, -1},
        {INFINITY, 32767, 32767}, {-INFINITY, -32766, -32766},
    };
    const int nt = 2, ns = int(std::size(cases));
    std::vector<float> values;
    for (int t = 0; t < nt; ++t)
        for (const auto &c : cases)
            values.push_back(t == 0 ? c.in : -7);
    orv::Array2D a = amplitudes(nt, ns, values);
    TempDir dir;
    std::string error;
    ASSERT_TRUE(orv::WriteRD3File((dir / "p.rd3").string(), a, nt, ns, error)) << error;
    const std::string data = fileText(dir / "p.rd3");
    ASSERT_EQ(data.size(), size_t(2 * nt * ns));
    for (int s = 0; s < ns; ++s) {
        SCOPED_TRACE(cases[s].in);
        const auto v = int16_t(uint16_t(uint8_t(data[2 * s]) | (uint8_t(data[2 * s + 1]) << 8)));
        EXPECT_EQ(v, cases[s].written);
        EXPECT_EQ(a(1, s + 1), cases[s].kept);
        const size_t at = size_t(2 * (ns + s)); // trace 2
        EXPECT_EQ(int16_t(uint16_t(uint8_t(data[at]) | (uint8_t(data[at + 1]) << 8))), -7);
    }
}

TEST(RD3Write, NaNWrittenAsZeroAndLeft)
{
    orv::Array2D a = amplitudes(1, 2, {NAN, 5});
    TempDir dir;
    std::string error;
    ASSERT_TRUE(orv::WriteRD3File((dir / "p.rd3").string(), a, 1, 2, error)) << error;
    EXPECT_EQ(fileText(dir / "p.rd3"), std::string("\0\0\5\0", 4));
    EXPECT_TRUE(std::isnan(a(1, 1)));
}

TEST(RD3Write, PartnerNamesFromThePickedName)
{
    const struct { const char *picked, *header, *data; } cases[] = {
        {"x.dat", "x.rad", "x.rd3"},
        {"x.rd3", "x.rad", "x.rd3"},
        {"X.DAT", "X.RAD", "X.RD3"},
        {"line7", "lirad", "lird3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.picked);
        TempDir dir;
        orv::Array2D a = amplitudes(1, 1, {1});
        std::string error;
        ASSERT_TRUE(orv::WriteRD3File((dir / c.picked).string(), a, 1, 1, error)) << error;
        EXPECT_EQ(dir.names(), (std::vector<std::string>{c.header, c.data}));
    }
}

TEST(RD3Write, LongerOldPairReplacedWhole)
{
    TempDir dir;
    writeFile(dir / "p.rad", header("9999", "1", "9999") + std::string(5000, 'x'));
    writeFile(dir / "p.rd3", std::string(100000, '\x7f'));
    orv::Array2D a = amplitudes(1, 2, {1, -1});
    std::string error;
    ASSERT_TRUE(orv::WriteRD3File((dir / "p.rd3").string(), a, 1, 2, error)) << error;
    EXPECT_EQ(fileText(dir / "p.rd3"), std::string("\1\0\xff\xff", 4));
    const std::string rad = fileText(dir / "p.rad");
    EXPECT_EQ(rad.substr(0, 13), "SAMPLES: 2 \r\n");
    EXPECT_NE(rad.find("\r\nLAST TRACE: 1 \r\n"), std::string::npos);
    EXPECT_TRUE(rad.ends_with("\r\nLONG FLAG:0\r\n"));
    EXPECT_EQ(rad.find('x'), std::string::npos);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"p.rad", "p.rd3"}));
}

TEST(RD3Write, RoundTrip)
{
    const int nt = 7, ns = 33;
    std::vector<float> values;
    std::mt19937 gen(5);
    std::uniform_real_distribution<float> d(-40000, 40000);
    for (int i = 0; i < nt * ns; ++i)
        values.push_back(i % 5 == 0 ? float(i) + 0.5f : d(gen));
    orv::Array2D a = amplitudes(nt, ns, values);
    TempDir dir;
    std::string error;
    ASSERT_TRUE(orv::WriteRD3File((dir / "r.dat").string(), a, nt, ns, error)) << error;
    const Read r(dir / "r.rd3");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NTraces, nt);
    EXPECT_EQ(r.p.NSamples, ns);
    EXPECT_EQ(r.p.TotalTime, 700);
    EXPECT_TRUE(r.notice.empty());
    for (int t = 1; t <= nt; ++t)
        for (int s = 1; s <= ns; ++s)
            ASSERT_EQ(r.p.RawData(t, s), float(std::nearbyint(a(t, s)))) << t << " " << s;
}

TEST(RD3Write, RefusedBeforeWritingAnything)
{
    orv::Array2D small = amplitudes(2, 2, {1, 2, 3, 4});
    const struct { const char *name; float nt, ns; std::string error; } cases[] = {
        {"no traces", 0, 2, "the profile has 0 traces; a Ramac file can hold 1 to 32767"},
        {"too many traces", 32768, 2, "the profile has 32768 traces; a Ramac file can hold 1 to 32767"},
        {"traces not whole", 1.5f, 2, "the profile has 1.5 traces; a Ramac file can hold 1 to 32767"},
        {"no samples", 2, 0, "the profile has 0 samples per trace; a Ramac file can hold 1 to 32767"},
        {"too many samples", 2, 40000, "the profile has 40000 samples per trace; a Ramac file can hold 1 to 32767"},
        {"not covered", 3, 2, "the profile's amplitudes do not cover 3 traces of 2 samples"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir / "p.rad", "old header");
        writeFile(dir / "p.rd3", "old data");
        std::string error;
        EXPECT_FALSE(orv::WriteRD3File((dir / "p.rd3").string(), small, c.nt, c.ns, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(fileText(dir / "p.rad"), "old header");
        EXPECT_EQ(fileText(dir / "p.rd3"), "old data");
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"p.rad", "p.rd3"}));
    }
}

TEST(RD3Write, FailureLeavesBothOldFiles)
{
    TempDir dir;
    orv::Array2D a = amplitudes(1, 1, {1});
    std::string error;

    // The data file's name is taken by a folder: the header, written first,
    // must not replace the old one.
    writeFile(dir / "p.rad", "old header");
    fs::create_directory(dir / "p.rd3");
    EXPECT_FALSE(orv::WriteRD3File((dir / "p.rd3").string(), a, 1, 1, error));
    EXPECT_EQ(error, "the file " + (dir / "p.rd3").string() + " cannot be written: Is a directory");
    EXPECT_EQ(fileText(dir / "p.rad"), "old header");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"p.rad", "p.rd3"}));

    // A missing folder: nothing is written anywhere.
    EXPECT_FALSE(orv::WriteRD3File((dir / "none" / "q.rd3").string(), a, 1, 1, error));
    EXPECT_EQ(error, "the file " + (dir / "none" / "q.rad").string() + " cannot be written: No such file or directory");
    EXPECT_FALSE(fs::exists(dir / "none"));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"p.rad", "p.rd3"}));
}

TEST(RD3RealFiles, TenColumns)
{
    const fs::path pair = fs::path(ORVANE_REALDATA_DIR) / "rd3" / "impdar" / "ten_col.rd3";
    if (!fs::exists(pair))
        GTEST_SKIP() << "no real files at " << ORVANE_REALDATA_DIR;
    const Read r(pair);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NTraces, 10);
    EXPECT_EQ(r.p.NSamples, 512);
    EXPECT_EQ(r.p.TotalTime, 422.061312f);
    EXPECT_TRUE(r.notice.empty());
    // The samples as the file has them.
    const std::string raw = fileText(pair);
    for (int i : {0, 1, 511, 512, 2600, 5119}) {
        const auto v = int16_t(uint16_t(uint8_t(raw[2 * i]) | (uint8_t(raw[2 * i + 1]) << 8)));
        EXPECT_EQ(r.p.RawData(i / 512 + 1, i % 512 + 1), float(v)) << i;
    }
}

TEST(RD3RealFiles, MultichannelHeaderWithoutDataRefused)
{
    const fs::path folder = fs::path(ORVANE_REALDATA_DIR) / "rd3" / "rd3_to_image_header_only";
    if (!fs::exists(folder / "test.rad"))
        GTEST_SKIP() << "no real files at " << ORVANE_REALDATA_DIR;
    const Read r(folder / "test.rd3");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("44300 traces"), std::string::npos) << r.error;
    EXPECT_TRUE(r.untouched());
}

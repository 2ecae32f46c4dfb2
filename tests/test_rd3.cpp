// Ramac RD3 profiles: a RAD text header beside a file of 16-bit samples.
#include "formats/rd3.h"
#include "support/display_profile.h"
#include "support/files.h"
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>

using namespace orv::test;

namespace {

// The text with DIR standing for the folder.
std::string inDir(std::string text, const TempDir &dir)
{
    const size_t at = text.find("DIR");
    return at == std::string::npos ? text : text.replace(at, 3, dir.path.string());
}

int16_t sampleAt(const std::string &data, size_t i) { return int16_t(uint8_t(data[2 * i]) | data[2 * i + 1] << 8); }

// A 29-line CR LF header with the keys at items 1, 19 and 23, where instruments put them.
std::string header(const std::string &samples, const std::string &window, const std::string &traces,
                   const std::string &frequency = "2426.187744")
{
    std::string text = "SAMPLES:" + samples + "\r\nFREQUENCY:" + frequency + "\r\n";
    for (int i = 3; i <= 29; ++i)
        text += (i == 19 ? "TIMEWINDOW:" + window : i == 23 ? "LAST TRACE:" + traces : "FLAG:0") + "\r\n";
    return text;
}

// Tells traces and samples apart and covers both signs (t < 50, s < 512).
int16_t pattern(int t, int s) { return int16_t(t * 1000 + s * 7 - 32768); }

std::string makeData(int nt, int ns)
{
    std::string b;
    for (int i = 0; i < nt * ns; ++i)
        b += {char(pattern(i / ns, i % ns)), char(pattern(i / ns, i % ns) >> 8)};
    return b;
}

Outcome Read(const std::string &path, bool rd7 = false)
{
    Outcome r;
    return r.ok = (rd7 ? orv::ReadRD7File : orv::ReadRD3File)(path, r.p, r.notice, r.error, {}), r;
}

orv::Array2D amplitudes(int nt, int ns, const std::vector<float> &v)
{
    return Filled(nt, ns, [&](int t, int s) { return v[size_t((t - 1) * ns + s - 1)]; });
}

} // namespace

TEST(RD3Read, SizesKeysAndSamplesTraceAfterTrace)
{
    // An upper-case name finds its header.
    const struct { const char *name; std::string header; int nt, ns; float totalTime; } cases[] = {
        {"LINE.RD3", header("512", " 700", " 50"), 50, 512, 700},
        {"a.rd3", header("4", "0.35", "3", "1705,029838"), 3, 4, 350},
        {"b.rd3", "FREQUENCY:1\rTIMEWINDOW: 0.5\rSAMPLES: 4\rLAST TRACE:3", 3, 4, 500},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string stem = std::string(c.name).substr(0, std::strlen(c.name) - 3);
        PutFile(dir / (stem + (stem == "LINE." ? "RAD" : "rad")), c.header);
        PutFile(dir / c.name, makeData(c.nt, c.ns));
        const Outcome r = Read(dir / c.name);
        ASSERT_TRUE(r.ok && r.notice.empty()) << r.error;
        EXPECT_TRUE(r.p.NSamples == c.ns && r.p.NTraces == c.nt);
        EXPECT_FLOAT_EQ(r.p.TotalTime, c.totalTime);
        ASSERT_TRUE(r.p.RawData.traceBound() == c.nt && r.p.RawData.sampleBound() == c.ns);
        for (int t = 0; t < c.nt; ++t)
            for (int s = 0; s < c.ns; ++s)
                ASSERT_EQ(r.p.RawData(t + 1, s + 1), pattern(t, s)) << t << " " << s;
    }
}

TEST(RD3Read, Refusals)
{
    const std::string announcing = "has a header (DIR/a.rad) announcing ";
    const std::string range = "; a profile holds a whole number from 1 to 32767";
    // Header DIR/a.rad (none when empty), data file written (a.rd3 read but not written when empty).
    const struct { std::string header; const char *data; std::string error; } cases[] = {
        {"", "a.rd3", "has no header file beside it: DIR/a.rad cannot be opened: No such file or directory"},
        {"TIMEWINDOW:1\nLAST TRACE:1\n", "a.rd3", "has no SAMPLES item in its header DIR/a.rad"},
        {"SAMPLES:1\nLAST TRACE:1\n", "a.rd3", "has no TIMEWINDOW item in its header DIR/a.rad"},
        {"SAMPLES:1\nTIMEWINDOW:1\nLAST_TRACE:1\n", "a.rd3", "has no LAST TRACE item in its header DIR/a.rad"},
        {header("2.5", "1", "1"), "a.rd3", announcing + "2.5 samples per trace" + range},
        {header("32768", "1", "1"), "a.rd3", announcing + "32768 samples per trace" + range},
        {header("1", "1", "0"), "a.rd3", announcing + "0 traces" + range},
        {header("1", "1", "44300"), "a.rd3", announcing + "44300 traces" + range},
        {header("1", "0", "1"), "a.rd3", "cannot be read with a time window of 0: the time window must be a number greater than 0"},
        {header("1", "-5", "1"), "a.rd3", "cannot be read with a time window of -5: the time window must be a number greater than 0"},
        {header("1", "1e-300", "1"), "a.rd3", "cannot be read with a time window of 1E-300: the time window must be a number greater than 0"},
        {header("1", "1", "1"), "", "cannot be opened: No such file or directory"},
        {"", "rd3", "has a name too short to find the file paired with it (the last 3 characters name the partner)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error);
        TempDir dir;
        if (!c.header.empty())
            PutFile(dir / "a.rad", c.header);
        if (*c.data)
            PutFile(dir / c.data, makeData(1, 1));
        const Outcome r = Read(dir / (*c.data ? c.data : "a.rd3"));
        EXPECT_EQ(r.error, inDir(c.error, dir));
        EXPECT_TRUE(!r.ok && Untouched(r.p));
    }
}

TEST(RD3Read, ShortDataFileReadsMissingSamplesAsZero)
{
    for (auto [bytes, held] : {std::pair{size_t(19), 9}, {size_t(0), 0}}) {
        SCOPED_TRACE(bytes);
        TempDir dir;
        const std::string b = makeData(3, 4).substr(0, bytes);
        PutFile(dir / "a.rad", header("4", "1", "3"));
        PutFile(dir / "a.rd3", b);
        const Outcome r = Read(dir / "a.rd3");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.notice, "The file " + (dir / "a.rd3") + " holds " + std::to_string(held)
                      + " of the 12 samples its header announces; the missing samples read as 0.");
        for (int i = 0; i < 12; ++i) // a sample cut in half keeps its low byte
            EXPECT_EQ(r.p.RawData(i / 4 + 1, i % 4 + 1),
                      i < held ? pattern(i / 4, i % 4) : i == held && bytes % 2 ? uint8_t(b.back()) : 0)
                << i;
    }
}

TEST(RD3Write, ReplacesALongerOldPairWithClippedSamplesRoundedHalvesToEven)
{
    // In, value kept in PlotData, value in the file; NaN is left and written as 0.
    const struct { float in, kept; int16_t written; } cases[] = {
        {40000, 32767, 32767},    {-40000, -32766, -32766},     {-32767, -32766, -32766}, {32767.4f, 32767, 32767},
        {INFINITY, 32767, 32767}, {-INFINITY, -32766, -32766}, {2.5f, 2.5f, 2},          {3.5f, 3.5f, 4},
        {-2.5f, -2.5f, -2},       {0.49f, 0.49f, 0},            {NAN, NAN, 0},
    };
    const int nt = 2, ns = int(std::size(cases));
    std::vector<float> values(size_t(nt * ns), -7); // the second trace all -7
    for (int s = 0; s < ns; ++s)
        values[size_t(s)] = cases[s].in;
    orv::Array2D a = amplitudes(nt, ns, values);
    TempDir dir;
    PutFile(dir / "p.rad", header("9999", "1", "9999") + std::string(5000, 'x'));
    PutFile(dir / "p.rd3", std::string(100000, '\x7f'));
    std::string error;
    ASSERT_TRUE(orv::WriteRD3File(dir / "p.rd3", a, nt, ns, error)) << error;
    EXPECT_EQ(dir.entries(), 2);
    EXPECT_EQ(FileBytes(dir / "p.rad"),
              "SAMPLES: 11 \r\nFREQUENCY:1705.029838\r\nFREQUENCY STEPS:17\r\nSIGNAL POSITION:-0.555726\r\n"
              "RAW SIGNAL POSITION:48875\r\nDISTANCE FLAG:1\r\nTIME FLAG:0\r\nPROGRAM FLAG:0\r\n"
              "EXTERNAL FLAG:0\r\nTIME INTERVAL:0.500000\r\nDISTANCE INTERVAL:1\r\nOPERATOR:Nemoris\r\n"
              "CUSTOMER:\r\nSITE:\r\nANTENNAS:50 MHz\r\nANTENNA ORIENTATION:NOT VALID FIELD\r\n"
              "ANTENNA SEPARATION:2.000000\r\nCOMMENT:\r\nTIMEWINDOW: 700\r\nSTACKS:64\r\nSTACK EXPONENT:2\r\n"
              "STACKING TIME:0.020480\r\nLAST TRACE: 2 \r\nSTOP POSITION: 1\r\n"
              "SYSTEM CALIBRATION:0.0000345000\r\nSTART POSITION:0.00\r\nSHORT FLAG:0\r\n"
              "INTERMEDIATE FLAG:1\r\nLONG FLAG:0\r\n");
    const std::string data = FileBytes(dir / "p.rd3");
    ASSERT_EQ(data.size(), size_t(2 * nt * ns));
    for (int s = 0; s < ns; ++s) {
        SCOPED_TRACE(cases[s].in);
        EXPECT_EQ(sampleAt(data, size_t(s)), cases[s].written);
        EXPECT_EQ(sampleAt(data, size_t(ns + s)), -7);
        EXPECT_TRUE(a(1, s + 1) == cases[s].kept || (std::isnan(a(1, s + 1)) && std::isnan(cases[s].kept)));
    }
}

TEST(RD3Write, RefusalLeavesTheOldPair)
{
    orv::Array2D small = amplitudes(2, 2, {1, 2, 3, 4});
    // Last row: the data file's name is taken by a folder; the header, written first, must not replace the old one.
    const struct { float nt, ns; bool folder; std::string error; } cases[] = {
        {0, 2, false, "the profile has 0 traces; a Ramac file can hold 1 to 32767"},
        {2, 32768, false, "the profile has 32768 samples per trace; a Ramac file can hold 1 to 32767"},
        {3, 2, false, "the profile's amplitudes do not cover 3 traces of 2 samples"},
        {1, 1, true, "Is a directory"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error);
        TempDir dir;
        PutFile(dir / "p.rad", "old header");
        if (c.folder)
            std::filesystem::create_directory(dir / "p.rd3");
        else
            PutFile(dir / "p.rd3", "old data");
        std::string error;
        EXPECT_FALSE(orv::WriteRD3File(dir / "p.rd3", small, c.nt, c.ns, error));
        EXPECT_EQ(error, inDir(c.error, dir));
        EXPECT_EQ(FileBytes(dir / "p.rad"), "old header");
        EXPECT_TRUE(c.folder || FileBytes(dir / "p.rd3") == "old data");
        EXPECT_EQ(dir.entries(), 2);
    }
}

TEST(RD3RealFiles, TenColumnsAndTheirHeaderWith32BitData)
{
    const std::string path = std::string(ORVANE_REALDATA_DIR) + "/rd3/impdar/ten_col.rd3";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no real files at " << ORVANE_REALDATA_DIR;
    const std::string raw = FileBytes(path);
    std::string wide; // each sample times 65536, plus 1, as RD7 data beside the real header
    for (size_t i = 0; i < 5120; ++i)
        wide += std::string{'\x01', '\0', raw[2 * i], raw[2 * i + 1]};
    TempDir dir;
    PutFile(dir / "t.rad", FileBytes(path.substr(0, path.size() - 3) + "rad"));
    PutFile(dir / "t.rd7", wide);
    for (const bool rd7 : {false, true}) {
        const Outcome r = Read(rd7 ? dir / "t.rd7" : path, rd7);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.p.NTraces == 10 && r.p.NSamples == 512 && r.p.TotalTime == 422.061312f && r.notice.empty());
        for (int i : {0, 1, 511, 512, 2600, 5119})
            EXPECT_EQ(r.p.RawData(i / 512 + 1, i % 512 + 1), float(sampleAt(raw, size_t(i)) * (rd7 ? 65536 : 1) + rd7)) << i;
    }
}

TEST(RD7, RoundTripClippedToThe32BitRange)
{
    // In, value in the file (the last three through the one-at-a-time path); the amplitudes stay as they were.
    const std::vector<float> in = {3e9f, -3e9f, 2147483520.0f, -2147483648.0f, 2.5f, -3.5f, 40000.5f, NAN, -2.5f, -3e9f, 16777217.0f};
    const std::vector<int32_t> written = {INT32_MAX, INT32_MIN, 2147483520, INT32_MIN, 2, -4, 40000, 0, -2, INT32_MIN, 16777216};
    const int ns = int(in.size());
    orv::Array2D a = amplitudes(1, ns, in);
    const orv::Array2D kept = a;
    TempDir dir;
    std::string error;
    ASSERT_TRUE(orv::WriteRD7File(dir / "p.rd7", a, 1, float(ns), error)) << error;
    const Outcome back = Read(dir / "p.rd7", true);
    ASSERT_TRUE(back.ok && back.notice.empty()) << back.error;
    EXPECT_TRUE(a == kept && FileBytes(dir / "p.rad").starts_with("SAMPLES: 11 \r\n"));
    const std::string data = FileBytes(dir / "p.rd7");
    std::vector<int32_t> got(in.size());
    ASSERT_EQ(data.size(), 4 * got.size());
    std::memcpy(got.data(), data.data(), data.size());
    EXPECT_EQ(got, written);
    for (int s = 1; s <= ns; ++s)
        EXPECT_EQ(back.p.RawData(1, s), float(written[size_t(s - 1)])) << s;
}

// Plain text profiles: item splitting, refusals, the written text byte by
// byte, and agreement of the fast number paths with Val and PrintText.
#include "formats/ascii.h"

#include "core/numbers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("orvane_ascii_" + std::to_string(std::random_device()()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { std::error_code ec; fs::remove_all(path, ec); }
    std::string operator/(const char *name) const { return (path / name).string(); }
};

void putFile(const std::string &p, const std::string &text)
{
    std::ofstream(p, std::ios::binary) << text;
}

std::string fileText(const std::string &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A profile that a refused read must leave exactly as it was.
orv::Profile before()
{
    orv::Profile p;
    p.RawData.allocate(1, 1);
    p.RawData(1, 1) = 42;
    p.NTraces = 1;
    p.NSamples = 1;
    p.TotalTime = 9;
    return p;
}

void expectUntouched(const orv::Profile &p)
{
    const orv::Profile b = before();
    EXPECT_TRUE(p.RawData == b.RawData);
    EXPECT_EQ(p.NTraces, b.NTraces);
    EXPECT_EQ(p.NSamples, b.NSamples);
    EXPECT_EQ(p.TotalTime, b.TotalTime);
}

// The samples of trace k, 1..NSamples.
std::vector<float> trace(const orv::Profile &p, int k)
{
    std::vector<float> v;
    for (int j = 1; j <= static_cast<int>(p.NSamples); ++j)
        v.push_back(p.RawData(k, j));
    return v;
}

uint32_t bits(float v) { return std::bit_cast<uint32_t>(v); }

} // namespace

TEST(AsciiRead, ArrangementsOfTheSameNumbers)
{
    const struct { const char *name, *text; } cases[] = {
        {"blanks", "1 2 3 4 5 6"},
        {"commas", "1,2,3,4,5,6"},
        {"comma and blanks", "1 , 2 ,3, 4\t,5 ,6 ,"},
        {"one per line, CR LF", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"},
        {"one per line, LF", "1\n2\n3\n4\n5\n6"},
        {"one per line, bare CR", "1\r2\r3\r4\r5\r6\r"},
        {"one trace per line", " 1  2  3 \r\n 4  5  6 \r\n"},
        {"a break inside a trace, blank lines", "\r\n\n1 2\r\n\r\n3 4\r5\n\n 6\n\n"},
        {"comma then line end", "1,\r\n2,\n3,\r4,5,\r\n6"},
        {"more numbers than needed", "1 2 3 4 5 6 7 8 abc"},
    };
    TempDir dir;
    const std::string path = dir / "p.dat";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        putFile(path, c.text);
        orv::Profile p = before();
        std::string error;
        ASSERT_TRUE(orv::ReadAsciiFile(path, 2, 3, 12.5f, p, error)) << error;
        EXPECT_EQ(p.NTraces, 2);
        EXPECT_EQ(p.NSamples, 3);
        EXPECT_EQ(p.TotalTime, 12.5f);
        ASSERT_EQ(p.RawData.traceBound(), 2);
        ASSERT_EQ(p.RawData.sampleBound(), 3);
        EXPECT_EQ(trace(p, 1), (std::vector<float>{1, 2, 3}));
        EXPECT_EQ(trace(p, 2), (std::vector<float>{4, 5, 6}));
    }
}

TEST(AsciiRead, ItemsThatAreNotPlainNumbers)
{
    // Empty items come from a comma that follows a separator other than the
    // one closing an item, exactly as the header reader splits them.
    const struct { const char *text; std::vector<float> want; } cases[] = {
        {"1,,2,3", {1, 0, 2, 3}},
        {",1 2 3", {0, 1, 2, 3}},
        {"1, ,2 3", {1, 0, 2, 3}},
        {"1\n,2 3 4", {1, 0, 2, 3}},
        {"12abc abc -x 7", {12, 0, 0, 7}},
        {"1D2 +7 .5 5.", {100, 7, 0.5f, 5}},
        {"-0 1e 2e+ 3E-1", {0, 1, 2, 0.3f}},
    };
    TempDir dir;
    const std::string path = dir / "p.dat";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        putFile(path, c.text);
        orv::Profile p;
        std::string error;
        ASSERT_TRUE(orv::ReadAsciiFile(path, 1, 4, 1, p, error)) << error;
        const std::vector<float> got = trace(p, 1);
        for (size_t i = 0; i < c.want.size(); ++i)
            EXPECT_EQ(bits(got[i]), bits(c.want[i])) << i << ": " << got[i]; // -0 reads as +0
    }
}

TEST(AsciiRead, RefusalsLeaveTheProfileAlone)
{
    TempDir dir;
    const std::string path = dir / "p.dat";
    putFile(path, "1 2 3\r\n4 5\r\n");
    const std::string fifo = dir / "fifo.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct { std::string path; float nt, ns, time; const char *reason; } cases[] = {
        {path, 2, 3, 1, "holds 5 numbers; 2 traces of 3 samples need 6"},
        {path, 2.5f, 2, 1, "cannot be read as 2.5 traces: the number of traces must be a whole number from 1 to 32767"},
        {path, 0, 2, 1, "cannot be read as 0 traces"},
        {path, 32768, 1, 1, "cannot be read as 32768 traces"},
        {path, 1, 40000, 1, "cannot be read with 40000 samples per trace"},
        {path, 1, 2, 0, "cannot be read with a time window of 0: the time window must be a number greater than 0"},
        {path, 1, 2, -4, "time window of -4"},
        {path, 1, 2, std::numeric_limits<float>::quiet_NaN(), "time window of NaN"},
        {dir / "none.dat", 1, 1, 1, "cannot be opened: No such file or directory"},
        {dir.path.string(), 1, 1, 1, "cannot be opened: Is a directory"},
        {fifo, 1, 1, 1, "cannot be opened: not a regular file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        orv::Profile p = before();
        std::string error;
        EXPECT_FALSE(orv::ReadAsciiFile(c.path, c.nt, c.ns, c.time, p, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        expectUntouched(p);
    }
}

TEST(AsciiRead, ItemsAcrossTheReadersPieces)
{
    // Several megabytes, so items and separators straddle the pieces the
    // file is read in; the long blank runs move where the pieces end.
    const int nt = 300, ns = 2000;
    std::string text;
    std::mt19937 rng(7);
    std::vector<float> want;
    for (int i = 0; i < nt * ns; ++i) {
        const int v = static_cast<int>(rng() % 2000001) - 1000000;
        const std::string item = orv::PlainText(static_cast<float>(v) / 64);
        want.push_back(static_cast<float>(orv::Val(item)));
        text += item;
        const unsigned sep = rng() % 6;
        text += sep == 0 ? "," : sep == 1 ? "\r\n" : sep == 2 ? " , " : sep == 3 ? std::string(rng() % 40, ' ') + "\r" : " ";
    }
    TempDir dir;
    const std::string path = dir / "big.dat";
    putFile(path, text);
    orv::Profile p;
    std::string error;
    ASSERT_TRUE(orv::ReadAsciiFile(path, nt, ns, 1, p, error)) << error;
    int wrong = 0;
    for (int i = 0; i < nt * ns; ++i)
        wrong += p.RawData(i / ns + 1, i % ns + 1) != want[static_cast<size_t>(i)];
    EXPECT_EQ(wrong, 0);
}

TEST(AsciiRead, FastPathAgreesWithVal)
{
    const std::vector<std::string> items = {
        "0", "-0", "+0", "00012", "1.5", "-1.5", ".5", "-.5", "+.5", "5.", "-5.", ".", "-", "+", "-.",
        "1e5", "1E5", "1e+5", "1e-5", "1.e5", ".5e1", "1d2", "1D-2", "+7", "+7e1", "1e", "1e+", "1E-",
        "12abc", "abc", "inf", "-inf", "nan", "Infinity", "0x10", "1_000", "1.2.3", "1e5e5", "--1",
        "1e400", "-1e400", "1e-400", "-1e-400", "3.4028235e38", "3.4028236e38", "1e39", "1.4e-45",
        "7e-46", "0.1", "0.3", "16777217", "9999999.5", "1.0000000596046448", "123456789012345678901234567890",
        "0.000000000000000000000000000000000000000000001", "1e0000000000000000000005", "2e-0308",
    };
    std::string text;
    for (const auto &s : items)
        text += s + " ";
    TempDir dir;
    const std::string path = dir / "odd.dat";
    putFile(path, text);
    orv::Profile p;
    std::string error;
    ASSERT_TRUE(orv::ReadAsciiFile(path, 1, static_cast<float>(items.size()), 1, p, error)) << error;
    for (size_t i = 0; i < items.size(); ++i) {
        const double v = orv::Val(items[i]);
        const float want = v == 0 ? 0.0f : static_cast<float>(v);
        EXPECT_EQ(bits(p.RawData(1, static_cast<int>(i) + 1)), bits(want)) << items[i];
    }
}

TEST(AsciiWrite, OneLinePerTraceInThePrintForm)
{
    orv::Array2D d;
    d.allocate(2, 3);
    const float v[2][3] = {{1, 2.5f, -3}, {0.25f, -0.0f, 1e7f}};
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < 3; ++j)
            d(k + 1, j + 1) = v[k][j];
    TempDir dir;
    const std::string path = dir / "out.dat";
    std::string error;
    ASSERT_TRUE(orv::WriteAsciiFile(path, d, 2, 3, error)) << error;
    EXPECT_EQ(fileText(path), " 1  2.5 -3 \r\n .25  0  1E+07 \r\n");

    orv::Profile back;
    ASSERT_TRUE(orv::ReadAsciiFile(path, 2, 3, 4, back, error)) << error;
    d(2, 2) = 0; // -0 comes back as 0
    EXPECT_TRUE(back.RawData == d);
}

TEST(AsciiWrite, RefusedBeforeWriting)
{
    orv::Array2D d;
    d.allocate(2, 3);
    const struct { float nt, ns; const char *reason; } cases[] = {
        {0, 3, "the profile has 0 traces"},
        {32768, 3, "the profile has 32768 traces"},
        {2, std::numeric_limits<float>::quiet_NaN(), "the profile has NaN samples per trace"},
        {3, 3, "the profile's amplitudes do not cover 3 traces of 3 samples"},
        {2, 4, "the profile's amplitudes do not cover 2 traces of 4 samples"},
    };
    TempDir dir;
    const std::string path = dir / "old.dat";
    putFile(path, "old");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        std::string error;
        EXPECT_FALSE(orv::WriteAsciiFile(path, d, c.nt, c.ns, error));
        EXPECT_EQ(error.rfind(c.reason, 0), 0u) << error;
        EXPECT_EQ(fileText(path), "old");
    }
    std::string error;
    EXPECT_FALSE(orv::WriteAsciiFile(path, orv::Array2D(), 1, 1, error));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1);
}

TEST(AsciiWrite, FastFormatMatchesPrintText)
{
    // Random bit patterns cover every exponent; the rest sit on the edges of
    // the fixed form (1E-05, 1E+07), on ties at the seventh digit and on
    // values that round up into one digit more.
    std::vector<float> v = {
        1e-5f, 9.999999e-6f, 1.0000001e-5f, 1e-4f, 0.0001f, 9.9999997e-5f, 9.99999e-5f, 0.00099999995f,
        9999999, 9999999.5f, 10000000, 1e7f, -1e7f, 16777216, 8388607.5f, 1234567.5f, 1234566.5f,
        123456.75f, 123456.25f, -123456.75f, 0.5f, -0.5f, 1, -1, 0.1f, 0.3f, 0.99999994f, 9.9999995f,
        99999.995f, 0.099999994f, 1.4e-45f, -1.4e-45f, 3.4028235e38f, -3.4028235e38f, 1.17549435e-38f,
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
        std::numeric_limits<float>::quiet_NaN(), 0.0f, -0.0f,
    };
    std::mt19937 rng(20240601);
    for (int i = 0; i < 40000; ++i)
        v.push_back(std::bit_cast<float>(static_cast<uint32_t>(rng())));
    std::uniform_real_distribution<float> amp(-40000, 40000);
    for (int i = 0; i < 40000; ++i)
        v.push_back(i % 2 ? amp(rng) : std::round(amp(rng)));
    for (int e = -6; e <= 8; ++e)
        for (int i = 0; i < 2000; ++i)
            v.push_back(std::pow(10.0f, static_cast<float>(e)) * std::uniform_real_distribution<float>(0.9f, 1.1f)(rng));

    // Written as traces of 32767 samples; each line must be the PrintText
    // forms one after another.
    const int ns = 32767;
    const int nt = static_cast<int>((v.size() + ns - 1) / ns);
    orv::Array2D d;
    d.allocate(nt, ns);
    std::vector<std::string> want(static_cast<size_t>(nt));
    for (int i = 0; i < nt * ns; ++i) {
        const float x = i < static_cast<int>(v.size()) ? v[static_cast<size_t>(i)] : 0.0f;
        d(i / ns + 1, i % ns + 1) = x;
        want[static_cast<size_t>(i / ns)] += orv::PrintText(x);
    }
    TempDir dir;
    const std::string path = dir / "forms.dat";
    std::string error;
    ASSERT_TRUE(orv::WriteAsciiFile(path, d, nt, ns, error)) << error;
    const std::string text = fileText(path);
    size_t at = 0;
    for (int k = 0; k < nt; ++k) {
        const size_t eol = text.find("\r\n", at);
        ASSERT_NE(eol, std::string::npos);
        const std::string line = text.substr(at, eol - at);
        const std::string &w = want[static_cast<size_t>(k)];
        if (line != w) {
            size_t i = 0;
            while (i < line.size() && i < w.size() && line[i] == w[i])
                ++i;
            const size_t from = i > 30 ? i - 30 : 0;
            FAIL() << "trace " << k + 1 << " differs at column " << i << ":\n  written " << line.substr(from, 60)
                   << "\n  wanted  " << w.substr(from, 60);
        }
        at = eol + 2;
    }
    EXPECT_EQ(at, text.size());
}

TEST(AsciiRead, SplitsItemsAsTheHeaderReaderDoes)
{
    // Random runs of numbers, words and separators: the reader must find the
    // very items TextItemReader::readNumber finds, with the same values.
    const char *pieces[] = {"1", "-2.5", "7e1", "x", " ", "  ", ",", ",,", "\r", "\n", "\r\n", "\t", " ,", ", "};
    std::mt19937 rng(99);
    TempDir dir;
    const std::string path = dir / "mix.dat";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int n = 1 + static_cast<int>(rng() % 30);
        for (int i = 0; i < n; ++i)
            text += pieces[rng() % std::size(pieces)];
        std::vector<float> want;
        orv::TextItemReader r(text);
        while (!r.atEnd())
            want.push_back(static_cast<float>(r.readNumber()));
        SCOPED_TRACE(testing::PrintToString(text));
        putFile(path, text);
        orv::Profile p;
        std::string error;
        if (!want.empty()) {
            ASSERT_TRUE(orv::ReadAsciiFile(path, 1, static_cast<float>(want.size()), 1, p, error)) << error;
            EXPECT_EQ(trace(p, 1), want);
        }
        EXPECT_FALSE(orv::ReadAsciiFile(path, 1, static_cast<float>(want.size() + 1), 1, p, error));
        EXPECT_NE(error.find("holds " + std::to_string(want.size()) + " number"), std::string::npos) << error;
    }
}

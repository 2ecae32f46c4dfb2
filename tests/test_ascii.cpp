// Plain text profiles.
#include "formats/ascii.h"
#include "core/numbers.h"
#include <gtest/gtest.h>
#include "support/display_profile.h"
#include "support/files.h"
#include <sys/stat.h>
#include <bit>
#include <cmath>

using orv::test::FileBytes;

namespace {

uint32_t bits(float v) { return std::bit_cast<uint32_t>(v); }

class AsciiRead : public testing::Test {
protected:
    orv::test::TempDir dir;
    std::string path = dir / "p.dat";
    orv::Profile p;
    std::string error;
    void put(const std::string &text) const { orv::test::PutFile(path, text); }
    std::vector<float> readOneTrace(size_t n)
    {
        if (!orv::ReadAsciiFile(path, 1, static_cast<float>(n), 1, p, error)) {
            ADD_FAILURE() << error;
            return {};
        }
        return std::vector<float>(p.RawData.row(1) + 1, p.RawData.row(1) + 1 + n);
    }
};
using AsciiWrite = AsciiRead;

} // namespace

TEST_F(AsciiRead, ArrangementsOfTheSameNumbers)
{
    const char *cases[] = {
        "1 2 3 4 5 6", "1,2,3,4,5,6", "1 , 2 ,3, 4\t,5 ,6 ,", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n", "1\n2\n3\n4\n5\n6",
        "1\r2\r3\r4\r5\r6\r", " 1  2  3 \r\n 4  5  6 \r\n", "\r\n\n1 2\r\n\r\n3 4\r5\n\n 6\n\n",
        "1,\r\n2,\n3,\r4,5,\r\n6", "1 2 3 4 5 6 7 8 abc",
    };
    const orv::Array2D want = orv::test::Filled(2, 3, [](int t, int s) { return float(3 * t + s - 3); });
    for (const char *text : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        put(text);
        ASSERT_TRUE(orv::ReadAsciiFile(path, 2, 3, 12.5f, p, error)) << error;
        EXPECT_TRUE(p.RawData == want); // traces 1 2 3 and 4 5 6, nothing more
        EXPECT_TRUE(p.NTraces == 2 && p.NSamples == 3 && p.TotalTime == 12.5f);
    }
}

TEST_F(AsciiRead, RefusalsLeaveTheProfileAlone)
{
    put("42");
    ASSERT_TRUE(orv::ReadAsciiFile(path, 1, 1, 9, p, error)) << error;
    const orv::Array2D old = p.RawData;
    put("1 2 3\r\n4 5\r\n");
    const std::string fifo = dir / "fifo.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct { std::string path; float nt, ns, time; const char *reason; } cases[] = {
        {path, 2, 3, 1, "holds 5 numbers; 2 traces of 3 samples need 6"},
        {path, 2.5f, 2, 1, "cannot be read as 2.5 traces: the number of traces must be a whole number from 1 to 32767"},
        {path, 0, 2, 1, "cannot be read as 0 traces"},
        {path, 32768, 1, 1, "cannot be read as 32768 traces"},
        {path, 1, 40000, 1, "cannot be read with 40000 samples per trace"},
        {path, 1, 2, 0, "cannot be read with a time window of 0: the time window must be a number greater than 0"},
        {path, 1, 2, NAN, "time window of NaN"},
        {dir / "none.dat", 1, 1, 1, "cannot be opened: No such file or directory"},
        {dir.path.string(), 1, 1, 1, "cannot be opened: Is a directory"},
        {fifo, 1, 1, 1, "cannot be opened: not a regular file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_FALSE(orv::ReadAsciiFile(c.path, c.nt, c.ns, c.time, p, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(p.RawData == old && p.NTraces == 1 && p.NSamples == 1 && p.TotalTime == 9);
    }
}

TEST_F(AsciiRead, ItemsAcrossTheReadersPieces)
{
    // Pieces of 4 MiB: blank padding moves the end of the first over every character of the items.
    const std::string tail = "-12.5,\r\n,7";
    for (size_t cut = 0; cut <= tail.size(); ++cut) {
        SCOPED_TRACE(cut);
        put(std::string((size_t(4) << 20) - cut, ' ') + tail);
        EXPECT_EQ(readOneTrace(3), (std::vector<float>{-12.5f, 0, 7}));
    }
}

TEST_F(AsciiRead, OddItemsAgreeWithVal)
{
    const std::vector<std::string> items = {
        "-0", "00012", "-.5", "+.5", "5.", ".", "-", "-.", "1E5", "1e-5", "1.e5", "1D-2", "1e", "1E-", "12abc", "abc",
        "inf", "nan", "0x10", "1.2.3", "1e5e5", "--1", "1e400", "-1e400", "-1e-400", "3.4028236e38", "1.4e-45",
        "7e-46", "16777217", "1.0000000596046448", "123456789012345678901234567890", "1e0000000000000000000005",
    };
    std::string text;
    for (const auto &s : items)
        text += s + " ";
    put(text);
    const std::vector<float> got = readOneTrace(items.size());
    ASSERT_EQ(got.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const double v = orv::Val(items[i]);
        EXPECT_EQ(bits(got[i]), bits(v == 0 ? 0.0f : static_cast<float>(v))) << items[i]; // -0 reads as +0
    }
}

TEST_F(AsciiWrite, OneLinePerTraceInThePrintForm)
{
    const float v[] = {1, 2.5f, -3, 0.25f, -0.0f, 1e7f};
    orv::Array2D d = orv::test::Filled(2, 3, [&](int t, int s) { return v[3 * t + s - 4]; }), none;
    const std::string want = " 1  2.5 -3 \r\n .25  0  1E+07 \r\n";
    ASSERT_TRUE(orv::WriteAsciiFile(path, d, 2, 3, error)) << error;
    EXPECT_EQ(FileBytes(path), want);
    ASSERT_TRUE(orv::ReadAsciiFile(path, 2, 3, 4, p, error)) << error;
    d(2, 2) = 0; // -0 comes back as 0
    EXPECT_TRUE(p.RawData == d);
    const struct { const orv::Array2D &data; float nt, ns; const char *reason; } cases[] = {
        {d, 0, 3, "the profile has 0 traces"},
        {d, 32768, 3, "the profile has 32768 traces"},
        {d, 2, NAN, "the profile has NaN samples per trace"},
        {d, 3, 3, "the profile's amplitudes do not cover 3 traces of 3 samples"},
        {none, 1, 1, "the profile's amplitudes do not cover 1 traces of 1 samples"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_FALSE(orv::WriteAsciiFile(path, c.data, c.nt, c.ns, error));
        EXPECT_EQ(error.rfind(c.reason, 0), 0u) << error;
        EXPECT_EQ(FileBytes(path), want);
    }
    EXPECT_EQ(dir.entries(), 1); // no stray temporary file
}

TEST_F(AsciiWrite, FastFormatMatchesPrintText)
{
    // Random bit patterns cover every exponent.
    std::vector<float> v = {
        1e-5f, 9.999999e-6f, 1e-4f, 9.9999997e-5f, 0.00099999995f, 9999999, 9999999.5f, 1e7f, -1e7f, 8388607.5f,
        1234567.5f, 1234566.5f, 123456.75f, -123456.25f, -0.5f, 1, 0.3f, 0.99999994f, 9.9999995f, 99999.995f,
        1.4e-45f, -3.4028235e38f, INFINITY, -INFINITY, NAN, -0.0f,
    };
    std::mt19937 rng(20240601);
    std::uniform_real_distribution<float> amp(-40000, 40000), near1(0.9f, 1.1f);
    for (int i = 0; i < 2000; ++i) {
        v.push_back(std::bit_cast<float>(static_cast<uint32_t>(rng())));
        v.push_back(i % 2 ? amp(rng) : std::round(amp(rng)));
        v.push_back(std::pow(10.0f, static_cast<float>(i % 15 - 6)) * near1(rng)); // 1E-06 .. 1E+08
    }
    orv::Array2D d;
    d.allocate(1, static_cast<int>(v.size()));
    std::copy(v.begin(), v.end(), d.row(1) + 1);
    ASSERT_TRUE(orv::WriteAsciiFile(path, d, 1, static_cast<float>(v.size()), error)) << error;
    const std::string text = FileBytes(path);
    size_t at = 0;
    for (const float x : v) {
        const std::string want = orv::PrintText(x);
        ASSERT_EQ(text.substr(at, want.size()), want) << "bits 0x" << std::hex << bits(x);
        at += want.size();
    }
    EXPECT_EQ(text.substr(at), "\r\n");
}

// GSSI DZT profiles: built files of every sample size and channel layout, and the real files.
#include "formats/dzt.h"
#include "support/files.h"
#include <gtest/gtest.h>
#include <tuple>

using namespace orv::test;

namespace {

Outcome Read(const std::string &b, int channel = 1)
{
    orv::MemorySource src(std::vector<uint8_t>(b.begin(), b.end()));
    Outcome r;
    return r.ok = orv::ReadDZT(src, "a.dzt", channel, r.p, r.notice, r.error), r;
}

std::string withU16(std::string b, size_t at, int v) { return b[at] = char(v), b[at + 1] = char(v >> 8), b; }

} // namespace

TEST(DZTRead, BitsChannelsAndDataStart)
{
    // cut: bytes taken off the end; nt, held: scans and whole samples of the channel read.
    const struct { int bits, channels, dataWord, ns, scans, cut, channel, nt, held; } cases[] = {
        {8, 1, 1, 5, 4, 0, 1, 4, 20},   {16, 1, 1024, 6, 3, 0, 1, 3, 18}, {16, 2, 2, 4, 3, 0, 2, 3, 12},
        {32, 3, 1024, 5, 2, 0, 3, 2, 10}, {16, 2, 4, 5, 3, 0, 1, 3, 15}, {32, 1, 1, 1024, 100, 0, 1, 100, 102400},
        {16, 1, 1, 4, 3, 3, 1, 3, 10},  {16, 2, 2, 4, 3, 9, 1, 3, 11},   {16, 2, 2, 4, 3, 9, 2, 2, 8},
        {8, 2, 2, 2, 3, 0, 2, 3, 6},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, channel " << c.channel << " of " << c.channels << ", cut " << c.cut);
        const std::string b = DztFile(c.bits, c.channels, c.dataWord, c.ns, c.scans, 40);
        const auto [p, notice, error, ok] = Read(b.substr(0, b.size() - size_t(c.cut)), c.channel);
        ASSERT_TRUE(ok) << error;
        EXPECT_EQ(std::tuple(p.NTraces, p.NSamples, p.TotalTime), std::tuple(float(c.nt), float(c.ns), 10.0f * float(c.channel)));
        EXPECT_EQ(notice, c.held == c.nt * c.ns ? "" : "The file a.dzt holds " + std::to_string(c.held) + " of the "
                      + std::to_string(c.nt * c.ns) + " samples its header announces; the missing samples read as 0.");
        EXPECT_DOUBLE_EQ(p.Headers.positions.at(size_t(c.nt - 1)), (c.nt - 1) / 40.0);
        for (int i = 0; i < c.nt * c.ns; ++i) { // the scan marks take the third sample's value, or 0
            const int j = std::max(i % c.ns, 2), at = i / c.ns * c.ns + j;
            ASSERT_EQ(p.RawData(i / c.ns + 1, i % c.ns + 1),
                      j < c.ns && at < c.held ? DztValue(c.bits, DztRaw(c.bits, c.channel - 1, i / c.ns, j)) : 0) << i;
        }
    }
}

TEST(DZTRead, RefusalsLeaveTheProfileAlone)
{
    const std::string good = DztFile(16, 1, 1, 4, 3), range = "; a profile holds a whole number from 1 to 32767";
    const struct { std::string bytes; int channel; std::string error; } cases[] = {
        {good.substr(0, 1000), 1, "is too short for a DZT file: it holds 1000 bytes, and its header alone takes 1024"},
        {withU16(good, 6, 12), 1, "has a header announcing 12 bits per sample; a DZT file holds 8, 16 or 32"},
        {withU16(good, 4, 0), 1, "has a header announcing 0 samples per scan" + range},
        {withU16(good, 4, 32768), 1, "has a header announcing 32768 samples per scan" + range},
        {withU16(good, 52, 0), 1, "has a header announcing 0 channels"},
        {withU16(good, 2, 5), 1, "has its data start at byte 5120, beyond its end (it holds 1048 bytes)"},
        {good.substr(0, 1024), 1, "holds 0 scans of channel 1" + range},
        {DztFile(8, 1, 1, 1, 32768), 1, "holds 32768 scans of channel 1" + range},
        {good, 2, "holds 1 channel; channel 2 cannot be read"},
        {withU16(good, 28, 0), 1, "cannot be read with a time window of 0: the time window must be a number greater than 0"},
    };
    for (const auto &c : cases) {
        const auto [p, notice, error, ok] = Read(c.bytes, c.channel);
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(!ok && Untouched(p)) << c.error;
    }
}

TEST(DZTRead, RealFiles)
{
    const std::string root = std::string(ORVANE_REALDATA_DIR) + "/dzt/";
    if (!std::filesystem::is_directory(root))
        GTEST_SKIP() << root << " is absent";
    const struct { const char *file; int scans, samples, bits; float range; size_t start; const char *antenna; } cases[] = {
        {"gprpy/FILE____032.DZT", 1040, 512, 16, 48, 1024, "400MHz"},
        {"impdar/test_gssi.DZT", 345, 2048, 32, 2300, 131072, "5106"},
    };
    for (const auto &c : cases) {
        const std::string b = FileBytes(root + c.file);
        const auto [p, notice, error, ok] = Read(b);
        std::vector<std::string> names;
        std::string why;
        ASSERT_TRUE(ok && notice.empty() && orv::DZTChannelsOfFile(root + c.file, names, why)) << error << why;
        EXPECT_EQ(std::tuple(p.NTraces, p.NSamples, p.TotalTime, names), std::tuple(float(c.scans), float(c.samples), c.range, std::vector<std::string>{c.antenna}));
        const int k = (c.scans + 1) / 2, j = c.samples / 4, w = c.bits / 8; // mid-line, a quarter down
        uint32_t raw = 0;
        for (int i = 0; i < w; ++i)
            raw |= uint32_t(uint8_t(b[c.start + size_t(((k - 1) * c.samples + j - 1) * w + i)])) << (8 * i);
        EXPECT_TRUE(p.RawData(k, j) == DztValue(c.bits, raw) && p.RawData(k, 1) == p.RawData(k, 3)) << c.file;
    }
}

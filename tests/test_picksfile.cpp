// The picks file: exact bytes written, the layouts read, every refusal.
#include "picks/pickscsv.h"
#include "picks/picksfile.h"
#include "support/files.h"
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <array>
#include <climits>
#include <cmath>

using orv::ParsePicks;
using Picks = std::vector<float>;

namespace {

TEST(PicksFormat, ExactBytes)
{
    const struct { Picks picks; int n; const char *text; } cases[] = {
        {{0, 12.5f, 0, 20}, 3, " 1  .0125 \r\n 2  0 \r\n 3  .02 \r\n"},
        {{0, 12.5f}, 0, ""},
        {{0, -250, 1e10f}, 3, " 1 -.25 \r\n 2  1E+07 \r\n 3  0 \r\n"}, // trace 3 has no element
    };
    for (const auto &c : cases)
        EXPECT_EQ(orv::FormatPicks(c.picks, c.n), c.text) << c.n;
}

// Trace headers of 240 bytes: scalco, sx, sy, gx, gy, offset, in either byte order.
std::vector<unsigned char> Heads(bool little, std::vector<std::array<int32_t, 6>> rows)
{
    std::vector<unsigned char> h(240 * rows.size(), 0xee);
    const size_t at[] = {70, 72, 76, 80, 84, 36};
    for (size_t k = 0; k < rows.size() * 6; ++k)
        for (size_t i = 0, n = k % 6 ? 4 : 2; i < n; ++i)
            h[240 * (k / 6) + at[k % 6] + (little ? i : n - 1 - i)] = (unsigned char)(uint32_t(rows[k / 6][k % 6]) >> (8 * i));
    return h;
}

TEST(PicksCsv, ExactBytes)
{
    using K = orv::FileHeaders::Kind;
    const int32_t lo = INT32_MIN, hi = INT32_MAX;
    const struct { const char *name; K kind; bool little; std::vector<std::array<int32_t, 6>> heads; std::vector<double> positions; const char *csv; } cases[] = {
        {"SU, scalars -100, 10, 0, -1", K::SU, true, {{-100, 123456, -5, 0, 7, -250}, {10, 3, -2, 1, hi, 0}, {0, lo, hi, 1, 2, lo}, {-1, 9, 8, 7, 6, 5}}, {},
         "trace,pick_time,pick_sample,source_x,source_y,receiver_x,receiver_y,offset\r\n"
         "1,12.5,25,1234.56,-0.05,0,0.07,-250\r\n2,,,30,-20,10,21474836470,0\r\n"
         "3,0.1,0.2,-2147483648,2147483647,1,2,-2147483648\r\n4,0.0001,0.0002,9,8,7,6,5\r\n"},
        {"SEG-Y, big-endian", K::SEGY, false, {{-1000, 1, 2, 3, 4, 5}, {1, -1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}, {},
         "trace,pick_time,pick_sample,source_x,source_y,receiver_x,receiver_y,offset\r\n"
         "1,12.5,25,0.001,0.002,0.003,0.004,5\r\n2,,,-1,0,0,0,0\r\n3,0.1,0.2,0,0,0,0,0\r\n4,0.0001,0.0002,0,0,0,0,0\r\n"},
        {"text profile", K::None, false, {}, {},
         "trace,pick_time,pick_sample\r\n1,12.5,25\r\n2,,\r\n3,0.1,0.2\r\n4,0.0001,0.0002\r\n"},
        {"positions; headers of fewer traces", K::SU, true, {{1, 1, 1, 1, 1, 1}}, {0, 0.25, NAN, -1.5},
         "trace,pick_time,pick_sample,position\r\n1,12.5,25,0\r\n2,,,0.25\r\n3,0.1,0.2,\r\n4,0.0001,0.0002,-1.5\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        orv::ProfileStore st;
        st.NTraces = 4, st.NSamples = 100, st.TotalTime = 50;
        st.Picks = {0, 12.5f, 0, 0.1f, 0.0001f};
        st.Headers.kind = c.kind, st.Headers.littleEndian = c.little, st.Headers.traces = Heads(c.little, c.heads);
        st.Headers.positions = c.positions;
        EXPECT_EQ(orv::FormatPicksCsv(st), c.csv);
    }
}

TEST(PicksParse, AcceptedLayouts)
{
    const struct { const char *text; int n; Picks want; } cases[] = {
        {"1,.0125,2,0,3,.02", 3, {0, 12.5f, 0, 20}},
        {" 1  .001 \r\n 2  .002 \r\n 3 xyz ,, \x01\xff", 2, {0, 1, 2}}, // the rest is never looked at
        {"3 .003\n1 .001\n2 .002\n", 3, {0, 3, 1, 2}},                  // assigned by order
        {"1 .5\r2 .25\n\n  \r\n3\t-.125  \r", 3, {0, 500, 250, -125}},
        {"32767.4 .001 -32768.5 .002 +5 -0", 3, {0, 1, 2, 0}}, // in range after rounding
        {"", 0, {0}},
    };
    for (const auto &c : cases) {
        Picks got{7, 7};
        std::string error;
        EXPECT_TRUE(ParsePicks(c.text, c.n, got, error)) << c.text << ": " << error;
        EXPECT_EQ(got, c.want) << c.text;
    }
}

TEST(PicksParse, RefusalsNameTheLineAndKeepThePicks)
{
    const struct { std::string text; int n; const char *error; } cases[] = {
        {"1 .1\r\n2 .2\r\n", 3, "holds picks for 2 traces; the profile has 3"},
        {"1 .1\r\n2", 3, "holds picks for 1 trace; the profile has 3"}, // half a pair
        {" \r\n\r\n", 2, "holds no picks; the profile has 2 traces"},
        {"1 .1\r\n2 .2\r\n3 .3\r\nabc .4", 4, "has \"abc\" where a trace number is due on line 4"},
        {"1 .1\n2 12abc", 2, "has \"12abc\" where a pick is due on line 2"},
        {"1,,2 .2", 2, "has an empty item where a pick is due on line 1"},
        {"1 .1\r\n40000 .2", 2, "has the trace number 40000 on line 2, beyond 32767"},
        {"1 .1\r2 .2\r-32769 .3", 3, "has the trace number -32769 on line 3, below -32768"},
        {"32767.5 .1", 1, "has the trace number 32767.5 on line 1, beyond 32767"}, // rounds to 32768
        {"1 .1\n\n\r\n\r2 1e38", 2, "has the pick 1e38 on line 5, too large to hold"},
        {"1 1e400", 1, "has the pick 1e400 on line 1, too large to hold"},
        {"1 a\x01" + std::string(40, 'b'), 1,
         "has \"a?bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb...\" where a pick is due on line 1"},
    };
    for (const auto &c : cases) {
        Picks got{7, 8, 9};
        std::string error;
        EXPECT_FALSE(ParsePicks(c.text, c.n, got, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(got, (Picks{7, 8, 9})) << c.text;
    }
}

TEST(PicksFile, FilesOnDisk)
{
    orv::test::TempDir dir;
    std::string error;
    const std::string old = dir / "old.dat";
    orv::test::PutFile(old, std::string(1000, 'x'));
    ASSERT_TRUE(orv::WritePicksFile(old, {0, 1}, 1, error)) << error;
    EXPECT_EQ(orv::test::FileBytes(old), " 1  .001 \r\n"); // replaced whole, nothing of the old tail
    // A name at the file system's limit still leaves room for the temporary file beside it.
    const std::string longName = dir / (std::string(251, 'p') + ".dat");
    ASSERT_TRUE(orv::WritePicksFile(longName, {0, 1}, 1, error)) << error;
    std::filesystem::remove(longName);
    EXPECT_FALSE(orv::WritePicksFile(dir / "none/p.dat", {0, 1}, 1, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const struct { std::string path; const char *error; } refused[] = {
        {dir.path.string(), "is a folder, not a file"},
        {dir / "missing.dat", "cannot be opened: No such file or directory"},
        {dir / "fifo", "is not a regular file"}, // returns at once, no writer needed
    };
    for (const auto &r : refused) {
        Picks got{7, 8};
        EXPECT_FALSE(orv::ReadPicksFile(r.path, 1, got, error)) << r.path;
        EXPECT_EQ(error, r.error) << r.path;
        EXPECT_EQ(got, (Picks{7, 8}));
    }
    EXPECT_EQ(dir.entries(), 2); // old.dat and the fifo
}

} // namespace

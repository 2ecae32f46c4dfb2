// DT1 reader: pairs written to a temporary folder, and the real pairs.
#include "formats/dt1.h"
#include "support/files.h"
#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <tuple>

using namespace orv::test;

namespace {

std::string pair(const TempDir &dir, const std::string &hd, const std::string &dt1, const char *h = "a.hd",
                 const char *d = "a.dt1")
{
    PutFile(dir / h, hd);
    PutFile(dir / d, dt1);
    return dir / d;
}

int16_t sampleAt(int k, int j) { return static_cast<int16_t>(k * 1000 - j * 7 - 20000); }

// nt records of a 128-byte trace header (0x7f, which must not reach the samples, but for the
// position k / 4 at byte 4) and ns samples.
std::string makeData(int nt, int ns)
{
    std::string b;
    for (int k = 1; k <= nt; ++k) {
        b.append(128, '\x7f');
        for (int i = 0; i < 4; ++i)
            b[b.size() - 124 + size_t(i)] = char(std::bit_cast<uint32_t>(float(k) / 4) >> (8 * i));
        for (int j = 1; j <= ns; ++j)
            b += {char(sampleAt(k, j) & 0xff), char(uint16_t(sampleAt(k, j)) >> 8)};
    }
    return b;
}

// The instrument's layout: '=' in column 20, the value from column 22, other lines among the keys.
std::string header(std::string traces, std::string samples, std::string window, std::string eol = "\r\n")
{
    return "1234" + eol + "Data Collected with pE PRO " + eol + "NUMBER OF TRACES   = " + traces + " " + eol
        + "NUMBER OF PTS/TRC  = " + samples + " " + eol + "TIMEZERO AT POINT  = 3.18 " + eol
        + "TOTAL TIME WINDOW  = " + window + " " + eol + "STEP SIZE USED     = 0.5 " + eol
        + "STACKING TYPE      = F1, P8, DynaQ OFF " + eol;
}

Outcome Read(const std::string &path)
{
    Outcome r;
    return r.ok = orv::ReadDT1File(path, r.p, r.notice, r.error), r;
}

} // namespace

TEST(DT1Read, HeaderLayoutsAndSamplesPastEachTraceHeader)
{
    std::string data = makeData(3, 100);
    data[456] = '\x34', data[457] = '\x82'; // trace 2's first sample (records of 128 + 200)
    const struct { const char *name; std::string text; const char *hd = "a.hd", *dt1 = "a.dt1"; } cases[] = {
        {"CR LF", header("3", "100", "50")},
        {"bare CR", header("3", "100", "50", "\r")},
        {"CR CR LF", header("3", "100", "50", "\r\r\n")},
        {"blank lines, commas, no final line end",
         "\r\n\r\nA, B, C\r\nNUMBER OF TRACES   = 3,x\r\n\r\nNUMBER OF PTS/TRC  = 100\r\n"
         "TOTAL TIME WINDOW  = 5e1 ns\r\nX = 1, STEP SIZE USED"},
        {"upper-case pair", header("3", "100", "50"), "XLINE00.HD", "XLINE00.DT1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const Outcome r = Read(pair(dir, c.text, data, c.hd, c.dt1));
        ASSERT_TRUE(r.ok && r.notice.empty()) << r.error;
        EXPECT_EQ(std::tuple(r.p.NTraces, r.p.NSamples, r.p.TotalTime), std::tuple(3.0f, 100.0f, 50.0f));
        ASSERT_EQ(r.p.RawData.sampleBound(), 100);
        for (int k = 1; k <= 3; ++k)
            for (int j = 1; j <= 100; ++j)
                ASSERT_EQ(r.p.RawData(k, j), k == 2 && j == 1 ? float(int16_t(0x8234)) : float(sampleAt(k, j)))
                    << k << "," << j;
    }
}

TEST(DT1Read, RefusalsLeaveTheProfileAlone)
{
    const std::string tr = "NUMBER OF TRACES   = 3\n", pt = "NUMBER OF PTS/TRC  = 4\n",
                      tw = "TOTAL TIME WINDOW  = 2\n", st = "STEP SIZE USED     = 1\n", good = tr + pt + tw + st;
    const struct { const char *name; std::string hd, why; const char *remove = "nothing", *pick = "a.dt1"; } cases[] = {
        {"no header", good, "has no header file beside it: ", "a.hd"},
        {"no data", good, "cannot be opened: No such file or directory", "a.dt1"},
        {"name too short", good, "has a name too short", "nothing", "dt1"},
        {"samples before traces", pt + tr + tw + st, "without the item \"NUMBER OF PTS/TRC\""},
        {"no step", tr + pt + tw, "without the item \"STEP SIZE USED\""},
        {"value before the 21st character", "NUMBER OF TRACES = 3\n" + pt + tw + st, "announcing 0 traces"},
        {"part of a trace", header("2.5", "4", "2"), "announcing 2.5 traces"},
        {"negative samples", header("3", "-4", "2"), "announcing -4 samples per trace"},
        {"too many traces", header("32768", "4", "2"), "announcing 32768 traces"},
        {"no window", header("3", "4", "0"), "cannot be read with a time window of 0: the time window must be a number greater than 0"},
        {"window beyond a Single", header("3", "4", "1e400"), "cannot be read with a time window of "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        pair(dir, c.hd, makeData(3, 4));
        std::filesystem::remove(dir / c.remove);
        const Outcome r = Read(dir / c.pick);
        EXPECT_NE(r.error.find(c.why), std::string::npos) << r.error;
        EXPECT_TRUE(!r.ok && Untouched(r.p));
    }
}

TEST(DT1Read, DataFileShorterOrLongerThanAnnounced)
{
    // Whole records are read in blocks of about 256 KB: 300 records of 128 + 2000 bytes take three.
    // positioned: the traces whose header is there whole, which give their position (bytes 4..7).
    const struct { const char *name; int nt, ns; size_t bytes; int held, positioned; } cases[] = {
        {"third trace header only", 3, 4, 2 * 136 + 128, 8, 3}, {"half a sample is missing", 3, 4, 2 * 136 + 133, 10, 3},
        {"empty", 3, 4, 0, 0, 0}, {"longer", 3, 4, 5 * 136, 12, 3}, {"a header cut", 3, 4, 2 * 136 + 7, 8, 2},
        {"cut in the third block", 300, 1000, 249 * 2128 + 132, 249002, 250},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const Outcome r = Read(pair(dir, header(std::to_string(c.nt), std::to_string(c.ns), "2"),
                          makeData(c.nt + 2, c.ns).substr(0, c.bytes)));
        ASSERT_TRUE(r.ok) << r.error;
        const std::string all = std::to_string(c.nt * c.ns), held = std::to_string(c.held);
        EXPECT_EQ(r.notice, held == all ? "" : "The file " + (dir / "a.dt1") + " holds " + held + " of the " + all
                      + " samples its header announces; the missing samples read as 0.");
        ASSERT_EQ(r.p.RawData.traceBound(), c.nt);
        ASSERT_EQ(r.p.Headers.positions.size(), size_t(c.nt));
        for (int k = 1; k <= c.nt; ++k) {
            const double at = r.p.Headers.positions[size_t(k - 1)];
            EXPECT_TRUE(k <= c.positioned ? at == k / 4.0 : std::isnan(at)) << k;
            for (int j = 1; j <= c.ns; ++j)
                ASSERT_EQ(r.p.RawData(k, j), (k - 1) * c.ns + j <= c.held ? float(sampleAt(k, j)) : 0.0f)
                    << k << "," << j;
        }
    }
}

TEST(DT1Read, RealPairs)
{
    const std::string root = std::string(ORVANE_REALDATA_DIR) + "/dt1/";
    if (!std::filesystem::is_directory(root))
        GTEST_SKIP() << root << " is absent";
    const struct { const char *data; int traces, samples; float window; } cases[] = {
        {"gprpy_comoffs/XLINE00.DT1", 531, 1500, 1200.0f}, {"gprpy_warr/XLINE00.DT1", 164, 1900, 760.0f},
        {"rgpr_cornino/cmp.DT1", 51, 500, 400.0f},         {"rgpr_isola/XLINEA0.DT1", 1246, 1000, 400.0f},
        {"rgpr_flagogna/XLINE000.DT1", 198, 425, 340.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.data);
        const Outcome r = Read(root + c.data);
        ASSERT_TRUE(r.ok && r.notice.empty()) << r.error;
        EXPECT_EQ(std::tuple(r.p.NTraces, r.p.NSamples, r.p.TotalTime),
                  std::tuple(float(c.traces), float(c.samples), c.window));
        // The middle trace, a quarter of the way down, against its bytes.
        const int k = (c.traces + 1) / 2, j = c.samples / 4;
        const std::string b = FileBytes(root + c.data).substr(size_t((k - 1) * (128 + 2 * c.samples) + 128 + 2 * (j - 1)), 2);
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(r.p.RawData(k, j), float(int16_t(uint8_t(b[0]) | uint8_t(b[1]) << 8)));
    }
}

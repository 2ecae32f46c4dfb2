// SEG-Y reader and writer: files built in memory, the real files, round trips, segyio as the
// independent reader.
#include "formats/segy.h"
#include "formats/su.h"
#include "support/files.h"
#include <gtest/gtest.h>
#include <bit>
#include <cstring>
#include <sys/wait.h>

using namespace orv::test;
using Bytes = std::vector<uint8_t>;

namespace {

void put(Bytes &b, size_t at, uint64_t v, int width, bool be)
{
    for (int i = 0; i < width; ++i)
        b[at + size_t(i)] = uint8_t(v >> (be ? 8 * (width - 1 - i) : 8 * i));
}

struct Layout {
    int format = 5;
    bool be = true;
    int nt = 3, ns = 4;
    int binDt = 2000, trDt = 0, binNs = -1; // binNs -1: ns
    int extText = 0, extBlocks = 0;         // the count the binary header gives, the blocks there
    bool rev2 = false;
    double extDt = 0;
    std::vector<int> traceNs; // each trace header's ns, when given
    int cut = 0, append = 0;
    int gap = 0, trailers = 0; // bytes before the first trace, 3200-byte blocks after the last
    uint64_t firstTrace = 0;   // the first trace's offset the binary header gives
};

// Trace k, sample j (both from 1) holds k * 10 - j.
Bytes segy(const Layout &s)
{
    const int bps = s.format == 3 ? 2 : s.format == 8 ? 1 : s.format == 6 ? 8 : 4;
    Bytes b(3600 + 3200 * size_t(s.extBlocks), 0x40);
    std::fill(b.begin() + 3200, b.begin() + 3600, 0);
    put(b, 3216, uint16_t(s.binDt), 2, s.be);
    put(b, 3220, uint16_t(s.binNs < 0 ? s.ns : s.binNs), 2, s.be);
    put(b, 3224, uint16_t(s.format), 2, s.be);
    put(b, 3504, uint16_t(s.extText), 2, s.be);
    if (s.rev2) {
        b[3500] = 2;
        put(b, 3296, 16909060, 4, s.be);
        put(b, 3272, std::bit_cast<uint64_t>(s.extDt), 8, s.be);
    }
    if (s.extBlocks > 0 && s.extText == -1)
        std::memcpy(&b[b.size() - 100], "((SEG: EndText))", 16);
    put(b, 3520, s.firstTrace, 8, s.be);
    put(b, 3528, uint32_t(s.trailers), 4, s.be);
    b.resize(b.size() + size_t(s.gap), 0x40);
    for (int k = 1; k <= s.nt; ++k) {
        const int ns = s.traceNs.empty() ? s.ns : s.traceNs[size_t(k - 1)];
        const size_t at = b.size();
        b.resize(at + 240 + size_t(ns * bps), 0);
        put(b, at, uint32_t(k), 4, s.be);
        put(b, at + 114, s.traceNs.empty() ? 0 : uint16_t(ns), 2, s.be);
        put(b, at + 116, uint16_t(s.trDt), 2, s.be);
        for (int j = 1; j <= ns; ++j) {
            const int v = k * 10 - j; // IBM: exponent 0x42, fraction v / 256
            const uint64_t bits = s.format == 1 ? uint32_t(0x42000000 | v << 16)
                : s.format == 5             ? std::bit_cast<uint32_t>(float(v))
                : s.format == 6             ? std::bit_cast<uint64_t>(double(v))
                                            : uint64_t(int64_t(v));
            put(b, at + 240 + size_t((j - 1) * bps), bits, bps, s.be);
        }
    }
    b.resize(b.size() - size_t(s.cut) + size_t(s.append), 0);
    b.resize(b.size() + 3200 * size_t(s.trailers), 0x40);
    return b;
}

struct Read {
    orv::Profile p = Staged();
    orv::SEGYReadInfo info;
    std::string error;
    bool ok;
    explicit Read(Bytes b, bool stop = false)
    {
        orv::MemorySource src(std::move(b));
        orv::ReadControl control;
        if (stop)
            control.progress = [](int) { return false; };
        ok = orv::ReadSEGYProfile(src, p, info, error, control);
    }
};

const std::string Real = std::string(ORVANE_REALDATA_DIR) + "/segy/";
const bool Python = std::system("/usr/bin/python3 -c 'import segyio' >/dev/null 2>&1") == 0;

// What segyio makes of `path` against what the program read into p: 0 the same shape,
// interval (unless ms < 0) and sample bits, 1 not, 2 segyio refuses the file.
int segyio(const std::string &path, const orv::Profile &p, bool be, double ms)
{
    const TempDir dir;
    std::string ours;
    for (int k = 1; k <= int(p.NTraces); ++k)
        ours.append(reinterpret_cast<const char *>(p.RawData.row(k) + 1), 4 * size_t(p.NSamples));
    PutFile(dir / "ours", ours);
    const std::string cmd = "/usr/bin/python3 -c 'import sys, segyio, numpy as np\n"
        "try: f = segyio.open(sys.argv[1], \"r\", ignore_geometry=True, endian=sys.argv[2])\n"
        "except Exception: sys.exit(2)\n"
        "d, o = np.ascontiguousarray(f.trace.raw[:], dtype=\"<f4\"), np.fromfile(sys.argv[3], \"<u4\")\n"
        "sys.exit(0 if d.shape == (" + std::to_string(int(p.NTraces)) + ", " + std::to_string(int(p.NSamples))
        + ") and (d.view(\"<u4\").ravel() == o).all() and (sys.argv[4] == \"-\" or segyio.tools.dt(f, 4000.0) == "
          "float(sys.argv[4])) else 1)' '" + path + "' " + (be ? "big" : "little") + " " + dir / "ours" + " "
        + (ms >= 0 ? std::to_string(ms * 1000) : "-") + " 2>/dev/null";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

} // namespace

TEST(SegyIBM, ConversionIsExactOrCorrectlyRounded)
{
    const struct { uint32_t ibm, single; } cases[] = {
        {0x00000000, 0x00000000}, {0x80000000, 0x80000000}, // zeros keep their sign
        {0x41100000, 0x3f800000}, {0xc1100000, 0xbf800000}, {0xc276a000, 0xc2ed4000}, {0x40200000, 0x3e000000},
        {0x60ffffff, 0x7f7fffff}, // the largest single
        {0x61100000, 0x7f800000}, {0x7fffffff, 0x7f800000}, {0xffffffff, 0xff800000}, // beyond it
        {0x00100000, 0x00000000}, // the smallest normal IBM value, 16^-65
        {0x21ffffff, 0x017fffff}, {0x20ffffff, 0x00200000}, // 24 bits normal; subnormal, rounded up
        {0x1b800000, 0x00000001}, {0x1b400000, 0x00000000}, {0x1b400001, 0x00000001}, // ties to even
        {0x1bc00000, 0x00000002}, {0x2000000c, 0x00000002}, // 1.5 x 2^-149, normalised or not
    };
    for (const auto &c : cases)
        EXPECT_EQ(std::bit_cast<uint32_t>(orv::IBMToFloat(c.ibm)), c.single) << std::hex << c.ibm;
    // The same words as one trace: the reader's vector groups and their fallback agree.
    const int n = int(std::size(cases));
    Bytes b = segy({.format = 1, .nt = 1, .ns = n});
    for (int j = 0; j < n; ++j)
        put(b, 3840 + 4 * size_t(j), cases[j].ibm, 4, true);
    const Read r(b);
    ASSERT_TRUE(r.ok) << r.error;
    for (int j = 0; j < n; ++j)
        EXPECT_EQ(std::bit_cast<uint32_t>(r.p.RawData(1, j + 1)), cases[j].single) << std::hex << cases[j].ibm;
}

TEST(SegyRead, FormatsByteOrdersAndLayouts)
{
    const struct { const char *name; Layout s; int nt; double ms; int fitted = 0, cutTrace = 0; } cases[] = {
        {"IBM", {1, true}, 3, 2}, {"IBM lsb", {1, false}, 3, 2}, {"int32", {2, true}, 3, 2},
        {"int32 lsb", {2, false}, 3, 2}, {"int16", {3, true}, 3, 2}, {"int16 lsb", {3, false}, 3, 2},
        {"IEEE", {5, true}, 3, 2}, {"IEEE lsb", {5, false}, 3, 2}, {"double", {6, true}, 3, 2},
        {"double lsb", {6, false}, 3, 2}, {"int8", {8, true}, 3, 2}, {"int8 lsb", {8, false}, 3, 2},
        {"interval from the trace header", {.binDt = 0, .trDt = 500}, 3, 0.5},
        {"no interval", {.binDt = -5}, 3, orv::SUFallbackIntervalMs},
        {"count from the trace headers", {.binNs = 0, .traceNs = {4, 4, 4}}, 3, 2},
        {"two extended headers", {.extText = 2, .extBlocks = 2}, 3, 2},
        {"extended headers up to the stanza", {.extText = -1, .extBlocks = 3}, 3, 2},
        {"revision 2, sub-microsecond interval", {.rev2 = true, .extDt = 0.125}, 3, 0.000125},
        {"revision 2, an extended interval too small", {.rev2 = true, .extDt = 1e-300}, 3, 2},
        {"revision 2 lsb", {.format = 1, .be = false, .rev2 = true}, 3, 2},
        {"traces of their own counts", {.traceNs = {4, 2, 5}}, 3, 2, 2},
        {"last trace cut", {.cut = 3}, 3, 2, 0, 3},
        {"a header and no samples", {.append = 240}, 4, 2, 0, 4},
        {"revision 2, the first trace past a gap", {.format = 1, .be = false, .rev2 = true, .gap = 100, .firstTrace = 3700}, 3, 2},
        {"revision 2, data trailers", {.rev2 = true, .trailers = 2}, 3, 2},
        {"revision 1 has no first trace offset", {.firstTrace = 3000}, 3, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes b = segy(c.s);
        const Read r(b);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(std::make_pair(r.p.NTraces, r.p.NSamples), std::make_pair(float(c.nt), 4.0f));
        EXPECT_EQ(std::make_pair(r.info.intervalMs, r.p.TotalTime), std::make_pair(c.ms, float(c.ms * 4)));
        EXPECT_EQ(r.info.intervalSubstituted, c.ms == orv::SUFallbackIntervalMs);
        EXPECT_EQ(std::make_tuple(r.info.bigEndian, r.info.fittedTraces, r.info.cutTrace),
                  std::make_tuple(c.s.be, c.fitted, c.cutTrace));
        for (int k = 1; k <= 3; ++k)
            for (int j = 1; j <= 4; ++j) {
                const bool there = j <= (c.s.traceNs.empty() ? 4 : c.s.traceNs[size_t(k - 1)]) && !(k == 3 && c.s.cut && j == 4);
                EXPECT_EQ(r.p.RawData(k, j), there ? float(k * 10 - j) : 0.0f) << k << " " << j;
            }
        EXPECT_EQ(std::make_pair(r.p.Headers.kind, r.p.Headers.littleEndian), std::make_pair(orv::FileHeaders::Kind::SEGY, !c.s.be));
        EXPECT_EQ(r.p.Headers.file, Bytes(b.begin(), b.begin() + 3600 + 3200 * c.s.extBlocks));
        ASSERT_EQ(r.p.Headers.traces.size(), 240u * size_t(c.nt));
        EXPECT_EQ(r.p.Headers.traces[480 + (c.s.be ? 3 : 0)], 3); // trace 3's sequence number
    }
}

TEST(SegyRead, RefusalsLeaveTheProfileUntouched)
{
    const struct { const char *name; Bytes b; const char *error; bool stop = false; } cases[] = {
        {"short", Bytes(3599, 0), "is shorter than its headers (3599 bytes; a SEG-Y file has at least 3600)"},
        {"format 4", segy({.format = 4}), "has samples in format 4, which cannot be read (formats 1, 2, 3, 5, 6 and 8 can)"},
        {"format 0", segy({.format = 0}), "has samples in format 0, which cannot be read (formats 1, 2, 3, 5, 6 and 8 can)"},
        {"no trace", segy({.nt = 0}), "contains no trace"},
        {"extended headers past the end", segy({.nt = 0, .extText = 3}),
         "is shorter than its headers (3600 bytes; its 3 extended textual headers end at byte 13200)"},
        {"no stanza", segy({.extText = -1}), "has extended textual headers without the ((SEG: EndText)) stanza that ends them"},
        {"count -2", segy({.extText = -2}), "gives -2 as its number of extended textual headers"},
        {"no count", segy({.binNs = 0}), "gives no sample count in its binary header or its first trace header"},
        {"40000 samples", segy({.nt = 1, .binNs = 40000}), "has 40000 samples per trace; at most 32767 can be loaded"},
        {"inside a header", segy({.append = 100}),
         "ends inside the header of trace 4: after its headers (3600 bytes) come 868 bytes, which traces of 256 bytes do not fill"},
        {"first trace inside the headers", segy({.rev2 = true, .firstTrace = 3000}),
         "puts its first trace at byte 3000, inside its headers (3600 bytes)"},
        {"first trace past the end", segy({.rev2 = true, .firstTrace = 5000}),
         "puts its first trace at byte 5000, past its end (4368 bytes)"},
        {"trailers beyond the traces", [] { Bytes b = segy({.rev2 = true, .trailers = 1}); return put(b, 3528, 2, 4, true), b; }(),
         "announces 2 data trailers of 3200 bytes, more than the 3968 bytes from its first trace on"},
        {"32768 traces", segy({.format = 8, .nt = 32768, .ns = 1}), "has 32768 traces; at most 32767 can be loaded"},
        {"stopped", segy({}), orv::ReadStoppedText, true},
    };
    for (const auto &c : cases) {
        const Read r(c.b, c.stop);
        EXPECT_EQ(std::make_pair(r.ok, r.error), std::make_pair(false, std::string(c.error))) << c.name;
        EXPECT_TRUE(Untouched(r.p)) << c.name;
    }
}

TEST(SegyRealData, EveryFileOpensOrIsRefusedAndSegyioAgrees)
{
    if (!std::filesystem::exists(Real + "fbp/real_gather.sgy"))
        GTEST_SKIP() << "no real files at " << Real;
    const char *cut = "ends inside the header of trace 4: after its headers (10000 bytes) come 836 bytes, which "
                      "traces of 256 bytes do not fill";
    // segyio 1.8.3 refuses revision 2's additional trace headers, and takes 4 ms where the
    // binary header's interval is positive and the trace header's negative.
    const struct { const char *path; int nt, ns; double ms; int format; bool be; int segyio = 0; const char *refused = nullptr; } cases[] = {
        {"fbp/real_gather.sgy", 96, 1000, 0.25, 5, true}, {"segyio/shot-gather.sgy", 61, 25, 1, 1, true},
        {"segyio/small.sgy", 25, 50, 4, 1, true}, {"segyio/small-lsb.sgy", 25, 50, 4, 1, false},
        {"segyio/f3.sgy", 414, 75, 4, 3, true}, {"segyio/f3-lsb.sgy", 414, 75, 4, 3, false},
        {"segyio/multi-text.sgy", 1, 1, 4, 1, true}, {"segyio/1x1.sgy", 4, 10, 4, 1, true},
        {"segyio/rotated-small-rev2.sgy", 25, 50, 4, 1, true, 2},
        {"segyio/interval-neg-bin-neg-trace.sgy", 1, 1, 4, 1, true},
        {"segyio/interval-neg-bin-pos-trace.sgy", 1, 1, 4, 1, true},
        {"segyio/interval-pos-bin-neg-trace.sgy", 1, 1, 2, 1, true, -1},
        {"segyio/multiformats/Format5msb.sgy", 414, 75, 4, 5, true}, {"segyio/multiformats/Format5lsb.sgy", 414, 75, 4, 5, false},
        {"segyio/multiformats/Format1msb.sgy", 414, 75, 4, 1, true}, {"segyio/multiformats/Format1lsb.sgy", 414, 75, 4, 1, false},
        {"segyio/multiformats/Format2msb.sgy", 414, 75, 4, 2, true}, {"segyio/multiformats/Format2lsb.sgy", 414, 75, 4, 2, false},
        {"segyio/multiformats/Format3msb.sgy", 414, 75, 4, 3, true}, {"segyio/multiformats/Format3lsb.sgy", 414, 75, 4, 3, false},
        {"segyio/multiformats/Format8msb.sgy", 414, 75, 4, 8, true}, {"segyio/multiformats/Format8lsb.sgy", 414, 75, 4, 8, false},
        {"segyio/long.sgy", 0, 0, 0, 0, true, 0, "has 60000 samples per trace; at most 32767 can be loaded"},
        {"segyio/text.sgy", 0, 0, 0, 0, true, 0, "contains no trace"},
        {"segyio/broken.sgy", 0, 0, 0, 0, true, 0, cut},
    };
    orv::Profile ieee;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        orv::Profile p = Staged();
        orv::SEGYReadInfo info;
        std::string error;
        ASSERT_EQ(orv::ReadSEGYFile(Real + c.path, p, info, error), !c.refused) << error;
        if (c.refused) {
            EXPECT_EQ(error, c.refused);
            EXPECT_TRUE(Untouched(p));
            continue;
        }
        EXPECT_EQ(std::make_pair(p.NTraces, p.NSamples), std::make_pair(float(c.nt), float(c.ns)));
        EXPECT_EQ(std::make_tuple(info.intervalMs, info.format, info.bigEndian), std::make_tuple(c.ms, c.format, c.be));
        // The multiformat files: one profile of whole numbers, wrapped to 8 bits in format 8.
        if (std::strstr(c.path, "multiformats/Format5msb"))
            ieee = p;
        orv::Array2D want = ieee.RawData;
        for (int k = 1; std::strstr(c.path, "Format8") && k <= 414; ++k)
            for (int j = 1; j <= 75; ++j)
                want(k, j) = float(int8_t(int32_t(want(k, j))));
        EXPECT_TRUE(!std::strstr(c.path, "multiformats") || p.RawData == want);
        if (Python)
            EXPECT_EQ(segyio(Real + c.path, p, c.be, c.segyio == 0 ? c.ms : -1), std::max(c.segyio, 0));
    }
}

TEST(SegyWrite, RoundTripsKeepTheHeadersAndSegyioReadsThem)
{
    const TempDir dir;
    // From SU: the SU writer's file back through SEG-Y gives the same SU file.
    orv::Array2D a;
    a.allocate(5, 7);
    for (int k = 1; k <= 5; ++k)
        for (int j = 1; j <= 7; ++j)
            a(k, j) = float(k) * 1.5f - float(j) / 3.0f;
    std::string error;
    orv::Profile su, sg, made;
    orv::SUReadInfo suInfo;
    orv::SEGYReadInfo info;
    ASSERT_TRUE(orv::WriteSUFile(dir / "a.su", a, 5, 7, 3.5f, error));
    ASSERT_TRUE(orv::ReadSUFile(dir / "a.su", su, suInfo, error));
    ASSERT_TRUE(orv::WriteSEGYFile(dir / "a.sgy", su.RawData, 5, 7, su.TotalTime, su.Headers, error)) << error;
    ASSERT_TRUE(orv::ReadSEGYFile(dir / "a.sgy", sg, info, error)) << error;
    EXPECT_EQ(std::make_pair(int(sg.Headers.traces[3 * 240 + 3]), int(sg.Headers.traces[3 * 240 + 75])), std::make_pair(4, 0x90)); // tracl 4, sx 400
    ASSERT_TRUE(orv::WriteSUFile(dir / "b.su", sg.RawData, sg.NTraces, sg.NSamples, sg.TotalTime, error));
    EXPECT_EQ(FileBytes(dir / "a.su"), FileBytes(dir / "b.su"));
    EXPECT_TRUE(!Python || segyio(dir / "a.sgy", sg, true, info.intervalMs) == 0);
    // Made headers: an EBCDIC "C01 ..." card image.
    ASSERT_TRUE(orv::WriteSEGYFile(dir / "made.sgy", a, 5, 7, 3.5f, {}, error)) << error;
    EXPECT_EQ(FileBytes(dir / "made.sgy").substr(0, 4), "\xc3\xf0\xf1\x40");
    ASSERT_TRUE(orv::ReadSEGYFile(dir / "made.sgy", made, info, error)) << error;
    EXPECT_EQ(std::make_pair(made.RawData, info.intervalMs), std::make_pair(a, 0.5));
    EXPECT_TRUE(!Python || segyio(dir / "made.sgy", made, true, 0.5) == 0);

    const struct { float nt, total; const char *error; } refused[] = {
        {0, 1, "the profile has 0 traces; a SEG-Y file can hold 1 to 32767"},
        {5, 7 * 40.0f, "the sample interval of 40 ms does not fit a SEG-Y header (at most 32.767 ms)"},
        {5, 0.0028f, "the sample interval of 0.0004 ms does not fit a SEG-Y header (at least 0.001 ms)"},
    };
    for (const auto &r : refused) {
        EXPECT_FALSE(orv::WriteSEGYFile(dir / "no.sgy", a, r.nt, 7, r.total, {}, error));
        EXPECT_EQ(error, r.error);
        EXPECT_FALSE(std::filesystem::exists(dir / "no.sgy"));
    }

    // From SEG-Y: every byte kept but the fields describing the samples written; a
    // little-endian file gives the bytes of its big-endian twin.
    if (!std::filesystem::exists(Real + "fbp/real_gather.sgy"))
        GTEST_SKIP() << "no real files at " << Real;
    const auto rewrite = [&](const std::string &in) {
        orv::Profile p;
        EXPECT_TRUE(orv::ReadSEGYFile(Real + in, p, info, error)) << error;
        EXPECT_TRUE(orv::WriteSEGYFile(dir / "out.sgy", p.RawData, p.NTraces, p.NSamples, p.TotalTime, p.Headers, error));
        EXPECT_TRUE(!Python || segyio(dir / "out.sgy", p, true, info.intervalMs) == 0) << in;
        return FileBytes(dir / "out.sgy");
    };
    const std::string in = FileBytes(Real + "fbp/real_gather.sgy"), out = rewrite("fbp/real_gather.sgy");
    std::vector<size_t> changed;
    for (size_t i = 0; i < in.size() && in.size() == out.size(); ++i)
        if (in[i] != out[i])
            changed.push_back(i);
    EXPECT_EQ(changed, (std::vector<size_t>{3500, 3503})); // revision 1, fixed-length traces
    EXPECT_EQ(rewrite("segyio/multiformats/Format5lsb.sgy"), rewrite("segyio/multiformats/Format5msb.sgy"));
}

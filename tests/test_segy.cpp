// SEG-Y reader and writer: files built in memory, the real files, round trips and segyio as the
// independent reader.
#include "formats/segy.h"
#include "formats/su.h"
#include "support/files.h"
#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace orv::test;
using Bytes = std::vector<uint8_t>;

namespace {

void put(Bytes &b, size_t at, uint64_t v, int width, bool be)
{
    for (int i = 0; i < width; ++i)
        b[at + size_t(i)] = uint8_t(v >> (be ? 8 * (width - 1 - i) : 8 * i));
}

// The IBM encoding of a whole number of magnitude below 2^24.
uint32_t ibm(int v)
{
    if (v == 0)
        return 0;
    uint32_t f = uint32_t(std::abs(v)), e = 64 + 6;
    while (f < 0x100000)
        f <<= 4, --e;
    return (v < 0 ? 0x80000000u : 0) | e << 24 | f;
}

struct Spec {
    int format = 5;
    bool be = true;
    int nt = 3, ns = 4;
    int binDt = 2000, trDt = 0, binNs = -1; // binNs -1: ns
    int extText = 0, extBlocks = 0;         // the count the binary header gives, the blocks there
    bool rev2 = false;
    double extDt = 0;
    std::vector<int> traceNs;               // each trace header's ns, when given
    int cut = 0, append = 0;
};

// Trace k (from 1), sample j (from 1) holds k * 10 - j.
Bytes segy(const Spec &s)
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
    for (int k = 1; k <= s.nt; ++k) {
        const int ns = s.traceNs.empty() ? s.ns : s.traceNs[size_t(k - 1)];
        const size_t at = b.size();
        b.resize(at + 240 + size_t(ns * bps), 0);
        put(b, at, uint32_t(k), 4, s.be);
        if (!s.traceNs.empty())
            put(b, at + 114, uint16_t(ns), 2, s.be);
        put(b, at + 116, uint16_t(s.trDt), 2, s.be);
        for (int j = 1; j <= ns; ++j) {
            const int v = k * 10 - j;
            const size_t p = at + 240 + size_t((j - 1) * bps);
            switch (s.format) {
            case 1: put(b, p, ibm(v), 4, s.be); break;
            case 2: put(b, p, uint32_t(v), 4, s.be); break;
            case 3: put(b, p, uint16_t(v), 2, s.be); break;
            case 5: put(b, p, std::bit_cast<uint32_t>(float(v)), 4, s.be); break;
            case 6: put(b, p, std::bit_cast<uint64_t>(double(v)), 8, s.be); break;
            default: put(b, p, uint8_t(v), 1, s.be); break;
            }
        }
    }
    b.resize(b.size() - size_t(s.cut) + size_t(s.append), 0);
    return b;
}

struct Read {
    orv::Profile p = Staged();
    orv::SEGYReadInfo info;
    std::string error;
    bool ok;
    explicit Read(Bytes b, int stopAt = -1)
    {
        orv::MemorySource src(std::move(b));
        orv::ReadControl control;
        if (stopAt >= 0)
            control.progress = [stopAt](int n) { return n < stopAt; };
        ok = orv::ReadSEGYProfile(src, p, info, error, control);
    }
};

const std::string Real = std::string(ORVANE_REALDATA_DIR) + "/segy/";

bool segyioThere() { return std::system("/usr/bin/python3 -c 'import segyio' >/dev/null 2>&1") == 0; }

// segyio's reading of a file: traces, samples, interval in us, then the samples as floats.
struct SegyioRead {
    int nt = 0, ns = 0;
    double dtUs = 0;
    std::vector<float> samples;
    bool ok = false;
};

SegyioRead segyio(const std::string &path, bool be, const std::string &out)
{
    const std::string cmd = "/usr/bin/python3 -c '"
        "import sys, struct, segyio, numpy as np\n"
        "with segyio.open(sys.argv[1], \"r\", ignore_geometry=True, endian=sys.argv[2]) as f:\n"
        "    d = np.ascontiguousarray(f.trace.raw[:], dtype=\"<f4\")\n"
        "    open(sys.argv[3], \"wb\").write(struct.pack(\"<iid\", f.tracecount, len(f.samples), "
        "segyio.tools.dt(f, 4000.0)) + d.tobytes())\n"
        "' '" + path + "' " + (be ? "big" : "little") + " '" + out + "' 2>/dev/null";
    SegyioRead r;
    if (std::system(cmd.c_str()) != 0)
        return r;
    const std::string bytes = FileBytes(out);
    if (bytes.size() < 16)
        return r;
    std::memcpy(&r.nt, bytes.data(), 4);
    std::memcpy(&r.ns, bytes.data() + 4, 4);
    std::memcpy(&r.dtUs, bytes.data() + 8, 8);
    r.samples.resize((bytes.size() - 16) / 4);
    std::memcpy(r.samples.data(), bytes.data() + 16, 4 * r.samples.size());
    r.ok = r.samples.size() == size_t(r.nt) * size_t(r.ns);
    return r;
}

bool sameAsSegyio(const orv::Profile &p, double intervalMs, const SegyioRead &s, bool interval)
{
    if (!s.ok || s.nt != int(p.NTraces) || s.ns != int(p.NSamples) || (interval && s.dtUs != intervalMs * 1000))
        return false;
    for (int k = 1; k <= s.nt; ++k)
        if (std::memcmp(p.RawData.row(k) + 1, &s.samples[size_t(k - 1) * size_t(s.ns)], 4 * size_t(s.ns)) != 0)
            return false;
    return true;
}

} // namespace

TEST(SegyIBM, ConversionIsExactOrCorrectlyRounded)
{
    const struct { uint32_t ibm, single; } cases[] = {
        {0x00000000, 0x00000000}, {0x80000000, 0x80000000}, // zeros keep their sign
        {0x41100000, 0x3f800000}, {0xc1100000, 0xbf800000}, // +-1
        {0xc276a000, 0xc2ed4000},                           // -118.625
        {0x40200000, 0x3e000000},                           // 0.125
        {0x60ffffff, 0x7f7fffff},                           // the largest single
        {0x61100000, 0x7f800000}, {0x7fffffff, 0x7f800000}, {0xffffffff, 0xff800000}, // beyond it
        {0x00100000, 0x00000000},                           // the smallest normal IBM value: 16^-65
        {0x21ffffff, 0x017fffff},                           // 24 bits, normal
        {0x20ffffff, 0x00200000},                           // subnormal, rounds up
        {0x1b800000, 0x00000001}, {0x1b400000, 0x00000000}, {0x1b400001, 0x00000001}, // 2^-149, ties to even
        {0x1bc00000, 0x00000002},                           // 1.5 x 2^-149 ties to even
        {0x2000000c, 0x00000002},                           // unnormalised, the same value
    };
    for (const auto &c : cases)
        EXPECT_EQ(std::bit_cast<uint32_t>(orv::IBMToFloat(c.ibm)), c.single) << std::hex << c.ibm;
}

TEST(SegyRead, FormatsByteOrdersAndLayouts)
{
    const struct { const char *name; Spec s; int nt, ns; double ms; int fitted, cutTrace; } cases[] = {
        {"IBM", {1, true}, 3, 4, 2, 0, 0},
        {"IBM lsb", {1, false}, 3, 4, 2, 0, 0},
        {"int32", {2, true}, 3, 4, 2, 0, 0},
        {"int32 lsb", {2, false}, 3, 4, 2, 0, 0},
        {"int16", {3, true}, 3, 4, 2, 0, 0},
        {"int16 lsb", {3, false}, 3, 4, 2, 0, 0},
        {"IEEE", {5, true}, 3, 4, 2, 0, 0},
        {"IEEE lsb", {5, false}, 3, 4, 2, 0, 0},
        {"double", {6, true}, 3, 4, 2, 0, 0},
        {"double lsb", {6, false}, 3, 4, 2, 0, 0},
        {"int8", {8, true}, 3, 4, 2, 0, 0},
        {"int8 lsb", {8, false}, 3, 4, 2, 0, 0},
        {"interval from the trace header", {.binDt = 0, .trDt = 500}, 3, 4, 0.5, 0, 0},
        {"no interval", {.binDt = -5}, 3, 4, orv::SUFallbackIntervalMs, 0, 0},
        {"count from the trace headers", {.binNs = 0, .traceNs = {4, 4, 4}}, 3, 4, 2, 0, 0},
        {"two extended headers", {.extText = 2, .extBlocks = 2}, 3, 4, 2, 0, 0},
        {"extended headers up to the stanza", {.extText = -1, .extBlocks = 3}, 3, 4, 2, 0, 0},
        {"revision 2, sub-microsecond interval", {.rev2 = true, .extDt = 0.125}, 3, 4, 0.000125, 0, 0},
        {"revision 2 lsb", {.format = 1, .be = false, .rev2 = true}, 3, 4, 2, 0, 0},
        {"revision 2, an extended interval too small to count", {.rev2 = true, .extDt = 1e-300}, 3, 4, 2, 0, 0},
        {"traces of their own counts", {.traceNs = {4, 2, 5}}, 3, 4, 2, 2, 0},
        {"last trace cut", {.cut = 3}, 3, 4, 2, 0, 3},
        {"a header and no samples", {.append = 240}, 4, 4, 2, 0, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes b = segy(c.s);
        const Read r(b);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(std::make_pair(r.p.NTraces, r.p.NSamples), std::make_pair(float(c.nt), float(c.ns)));
        EXPECT_EQ(r.info.intervalMs, c.ms);
        EXPECT_EQ(r.info.intervalSubstituted, c.ms == orv::SUFallbackIntervalMs);
        EXPECT_EQ(r.p.TotalTime, float(c.ms * c.ns));
        EXPECT_EQ(r.info.bigEndian, c.s.be);
        EXPECT_EQ(r.info.fittedTraces, c.fitted);
        EXPECT_EQ(r.info.cutTrace, c.cutTrace);
        for (int k = 1; k <= 3; ++k)
            for (int j = 1; j <= c.ns; ++j) {
                const int have = c.s.traceNs.empty() ? c.ns : c.s.traceNs[size_t(k - 1)];
                const bool there = j <= have && !(k == 3 && c.s.cut && j == c.ns);
                EXPECT_EQ(r.p.RawData(k, j), there ? float(k * 10 - j) : 0.0f) << k << " " << j;
            }
        ASSERT_EQ(r.p.Headers.kind, orv::FileHeaders::Kind::SEGY);
        EXPECT_EQ(r.p.Headers.littleEndian, !c.s.be);
        EXPECT_EQ(r.p.Headers.file, Bytes(b.begin(), b.begin() + 3600 + 3200 * c.s.extBlocks));
        ASSERT_EQ(r.p.Headers.traces.size(), 240u * size_t(c.nt));
        EXPECT_EQ(r.p.Headers.traces[480 + (c.s.be ? 3 : 0)], 3); // trace 3's sequence number
    }
}

TEST(SegyRead, RefusalsLeaveTheProfileUntouched)
{
    Bytes many = segy({.format = 8, .nt = 32768, .ns = 1});
    const struct { const char *name; Bytes b; const char *error; int stopAt = -1; } cases[] = {
        {"short", Bytes(3599, 0), "is shorter than its headers (3599 bytes; a SEG-Y file has at least 3600)"},
        {"format 4", segy({.format = 4}), "has samples in format 4, which cannot be read (formats 1, 2, 3, 5, 6 and 8 can)"},
        {"format 0 lsb", [] { Bytes b = segy({}); b[3225] = 0; return b; }(), "has samples in format 0, which cannot be read (formats 1, 2, 3, 5, 6 and 8 can)"},
        {"no trace", segy({.nt = 0}), "contains no trace"},
        {"extended headers past the end", segy({.nt = 0, .extText = 3}),
         "is shorter than its headers (3600 bytes; its 3 extended textual headers end at byte 13200)"},
        {"no stanza", segy({.extText = -1, .extBlocks = 0}),
         "has extended textual headers without the ((SEG: EndText)) stanza that ends them"},
        {"count -2", segy({.extText = -2}), "gives -2 as its number of extended textual headers"},
        {"no count", segy({.binNs = 0}), "gives no sample count in its binary header or its first trace header"},
        {"40000 samples", segy({.nt = 1, .binNs = 40000}), "has 40000 samples per trace; at most 32767 can be loaded"},
        {"inside a header", segy({.append = 100}),
         "ends inside the header of trace 4: after its headers (3600 bytes) come 868 bytes, which traces of 256 bytes do not fill"},
        {"32768 traces", many, "has 32768 traces; at most 32767 can be loaded"},
        {"stopped", segy({}), orv::ReadStoppedText, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Read r(c.b, c.stopAt);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
        EXPECT_TRUE(Untouched(r.p));
    }
}

TEST(SegyRealData, EveryFileOpensOrIsRefusedAndSegyioAgrees)
{
    if (!std::filesystem::exists(Real + "fbp/real_gather.sgy"))
        GTEST_SKIP() << "no real files at " << Real;
    const bool python = segyioThere();
    const TempDir dir;
    const struct { const char *path; int nt, ns; double ms; int format; bool be; const char *refused = nullptr; } cases[] = {
        {"fbp/real_gather.sgy", 96, 1000, 0.25, 5, true},
        {"segyio/shot-gather.sgy", 61, 25, 1, 1, true},
        {"segyio/small.sgy", 25, 50, 4, 1, true},
        {"segyio/small-lsb.sgy", 25, 50, 4, 1, false},
        {"segyio/f3.sgy", 414, 75, 4, 3, true},
        {"segyio/f3-lsb.sgy", 414, 75, 4, 3, false},
        {"segyio/multi-text.sgy", 1, 1, 4, 1, true},
        {"segyio/1x1.sgy", 4, 10, 4, 1, true},
        {"segyio/rotated-small-rev2.sgy", 25, 50, 4, 1, true},
        {"segyio/interval-neg-bin-neg-trace.sgy", 1, 1, 4, 1, true},
        {"segyio/interval-neg-bin-pos-trace.sgy", 1, 1, 4, 1, true},
        {"segyio/interval-pos-bin-neg-trace.sgy", 1, 1, 2, 1, true}, // segyio takes neither: 4 ms
        {"segyio/long.sgy", 0, 0, 0, 0, true, "has 60000 samples per trace; at most 32767 can be loaded"},
        {"segyio/text.sgy", 0, 0, 0, 0, true, "contains no trace"},
        {"segyio/broken.sgy", 0, 0, 0, 0, true,
         "ends inside the header of trace 4: after its headers (10000 bytes) come 836 bytes, which traces of 256 "
         "bytes do not fill"},
    };
    std::vector<std::pair<std::string, bool>> files;
    for (const auto &c : cases)
        files.push_back({c.path, c.be});
    for (const char *f : {"5", "1", "2", "3", "8"})
        for (const char *order : {"msb", "lsb"})
            files.push_back({std::string("segyio/multiformats/Format") + f + order + ".sgy", order[0] == 'm'});
    orv::Profile ieee;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string path = Real + files[i].first;
        SCOPED_TRACE(path);
        orv::Profile p = Staged();
        orv::SEGYReadInfo info;
        std::string error;
        const bool ok = orv::ReadSEGYFile(path, p, info, error);
        if (i < std::size(cases)) {
            const auto &c = cases[i];
            EXPECT_EQ(ok, !c.refused) << error;
            if (!ok) {
                EXPECT_EQ(error, c.refused ? c.refused : "");
                EXPECT_TRUE(Untouched(p));
                continue;
            }
            EXPECT_EQ(std::make_pair(p.NTraces, p.NSamples), std::make_pair(float(c.nt), float(c.ns)));
            EXPECT_EQ(info.intervalMs, c.ms);
            EXPECT_EQ(info.format, c.format);
            EXPECT_EQ(info.bigEndian, c.be);
        } else {
            // One profile of whole numbers, wrapped to 8 bits in format 8.
            ASSERT_TRUE(ok) << error;
            EXPECT_EQ(info.bigEndian, files[i].second);
            EXPECT_EQ(std::make_pair(p.NTraces, p.NSamples), std::make_pair(414.0f, 75.0f));
            if (files[i].first.find("Format5msb") != std::string::npos)
                ieee = p;
            orv::Array2D want = ieee.RawData;
            if (info.format == 8)
                for (int k = 1; k <= 414; ++k)
                    for (int j = 1; j <= 75; ++j)
                        want(k, j) = float(int8_t(int32_t(want(k, j))));
            EXPECT_TRUE(p.RawData == want);
        }
        // segyio 1.8.3 does not know revision 2's additional trace headers and refuses such a file.
        const SegyioRead theirs = python ? segyio(path, info.bigEndian, dir / "s.bin") : SegyioRead{};
        EXPECT_EQ(theirs.ok, python && files[i].first.find("rev2") == std::string::npos);
        if (theirs.ok) {
            const bool contradictory = files[i].first.find("interval-pos-bin-neg") != std::string::npos;
            EXPECT_TRUE(sameAsSegyio(p, info.intervalMs, theirs, !contradictory));
        }
    }
}

TEST(SegyWrite, RoundTripsKeepTheHeadersAndSegyioReadsThem)
{
    const TempDir dir;
    const bool python = segyioThere();
    // From SU: the SU writer's file back through SEG-Y gives the same SU file.
    orv::Array2D a;
    a.allocate(5, 7);
    for (int k = 1; k <= 5; ++k)
        for (int j = 1; j <= 7; ++j)
            a(k, j) = float(k) * 1.5f - float(j) / 3.0f;
    std::string error;
    ASSERT_TRUE(orv::WriteSUFile(dir / "a.su", a, 5, 7, 3.5f, error));
    orv::Profile su, sg;
    orv::SUReadInfo suInfo;
    orv::SEGYReadInfo info;
    ASSERT_TRUE(orv::ReadSUFile(dir / "a.su", su, suInfo, error));
    ASSERT_TRUE(orv::WriteSEGYFile(dir / "a.sgy", su.RawData, 5, 7, su.TotalTime, su.Headers, error)) << error;
    ASSERT_TRUE(orv::ReadSEGYFile(dir / "a.sgy", sg, info, error)) << error;
    EXPECT_EQ(sg.Headers.traces[3 * 240 + 3], 4); // tracl of trace 4, now big-endian
    EXPECT_EQ(sg.Headers.traces[3 * 240 + 75], 0x90); // sx = 400
    ASSERT_TRUE(orv::WriteSUFile(dir / "b.su", sg.RawData, sg.NTraces, sg.NSamples, sg.TotalTime, error));
    EXPECT_EQ(FileBytes(dir / "a.su"), FileBytes(dir / "b.su"));
    if (python)
        EXPECT_TRUE(sameAsSegyio(sg, info.intervalMs, segyio(dir / "a.sgy", true, dir / "s.bin"), true));

    // Made headers: EBCDIC "C01 ...", readable by segyio.
    ASSERT_TRUE(orv::WriteSEGYFile(dir / "made.sgy", a, 5, 7, 3.5f, {}, error)) << error;
    EXPECT_EQ(FileBytes(dir / "made.sgy").substr(0, 4), "\xc3\xf0\xf1\x40");
    orv::Profile made;
    ASSERT_TRUE(orv::ReadSEGYFile(dir / "made.sgy", made, info, error)) << error;
    EXPECT_EQ(made.RawData, a);
    EXPECT_EQ(info.intervalMs, 0.5);
    if (python)
        EXPECT_TRUE(sameAsSegyio(made, info.intervalMs, segyio(dir / "made.sgy", true, dir / "s.bin"), true));

    // Refusals write nothing.
    const struct { float nt, ns, total; const char *error; } refused[] = {
        {0, 7, 1, "the profile has 0 traces; a SEG-Y file can hold 1 to 32767"},
        {5, 7, 7 * 40.0f, "the sample interval of 40 ms does not fit a SEG-Y header (at most 32.767 ms)"},
        {5, 7, 0.0028f, "the sample interval of 0.0004 ms does not fit a SEG-Y header (at least 0.001 ms)"},
    };
    for (const auto &r : refused) {
        EXPECT_FALSE(orv::WriteSEGYFile(dir / "no.sgy", a, r.nt, r.ns, r.total, {}, error));
        EXPECT_EQ(error, r.error);
        EXPECT_FALSE(std::filesystem::exists(dir / "no.sgy"));
    }

    // From SEG-Y: every byte is kept but the fields describing the samples written; a
    // little-endian file gives the same bytes as its big-endian twin.
    if (!std::filesystem::exists(Real + "fbp/real_gather.sgy"))
        GTEST_SKIP() << "no real files at " << Real;
    const auto rewrite = [&](const std::string &in, const std::string &out) {
        orv::Profile p;
        EXPECT_TRUE(orv::ReadSEGYFile(in, p, info, error)) << error;
        EXPECT_TRUE(orv::WriteSEGYFile(out, p.RawData, p.NTraces, p.NSamples, p.TotalTime, p.Headers, error)) << error;
        if (python)
            EXPECT_TRUE(sameAsSegyio(p, info.intervalMs, segyio(out, true, dir / "s.bin"), true)) << in;
        return FileBytes(out);
    };
    const std::string in = FileBytes(Real + "fbp/real_gather.sgy"), out = rewrite(Real + "fbp/real_gather.sgy", dir / "g.sgy");
    ASSERT_EQ(in.size(), out.size());
    std::vector<size_t> changed;
    for (size_t i = 0; i < in.size(); ++i)
        if (in[i] != out[i])
            changed.push_back(i);
    EXPECT_EQ(changed, (std::vector<size_t>{3500, 3503})); // revision 1, fixed-length traces
    EXPECT_EQ(rewrite(Real + "segyio/multiformats/Format5lsb.sgy", dir / "l.sgy"),
              rewrite(Real + "segyio/multiformats/Format5msb.sgy", dir / "m.sgy"));
}

// Seismic Unix reader and writer: inputs built in memory, outputs checked byte by byte.
#include "formats/su.h"
#include "support/files.h"
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <bit>

using namespace orv::test;
using Bytes = std::vector<uint8_t>;

namespace {

// Appends a 240-byte header carrying ns and dt, then the samples (whose count may differ from ns).
void addTrace(Bytes &b, int ns, uint16_t dt, const std::vector<float> &samples, bool be = false)
{
    auto put = [&](size_t at, uint32_t v, int width) {
        for (int i = 0; i < width; ++i)
            b[at + size_t(i)] = uint8_t(v >> (be ? 8 * (width - 1 - i) : 8 * i));
    };
    const size_t at = b.size();
    b.resize(at + 240 + 4 * samples.size(), 0);
    put(at + 114, uint16_t(int16_t(ns)), 2);
    put(at + 116, dt, 2);
    for (size_t j = 0; j < samples.size(); ++j)
        put(at + 240 + 4 * j, std::bit_cast<uint32_t>(samples[j]), 4);
}

// Three traces; sample j (from 0) of trace k holds k + 0.01 j.
Bytes threeTraces(bool be, int ns, uint16_t dt)
{
    Bytes b;
    for (int k = 1; k <= 3; ++k) {
        std::vector<float> samples(static_cast<size_t>(ns));
        for (size_t j = 0; j < samples.size(); ++j)
            samples[j] = float(k) + 0.01f * float(j);
        addTrace(b, ns, dt, samples, be);
    }
    return b;
}

// A source whose read fails at byte failAt, as a bad disk block would.
struct FailingSource : orv::MemorySource {
    FailingSource(Bytes b, uint64_t failAt) : orv::MemorySource(std::move(b)), failAt(failAt) {}
    size_t read(uint64_t offset, void *dst, size_t n) override
    {
        if (failAt >= offset && failAt < offset + n)
            failedRead = true, n = size_t(failAt - offset);
        return n ? orv::MemorySource::read(offset, dst, n) : 0;
    }
    bool failed() const override { return failedRead; }
    std::string errorText() const override { return "Input/output error"; }
    uint64_t failAt;
    bool failedRead = false;
};

struct Read {
    orv::Profile p = Staged();
    orv::SUReadInfo info;
    std::string error;
    bool ok;
    explicit Read(Bytes b, uint64_t failAt = UINT64_MAX)
    {
        FailingSource src(std::move(b), failAt);
        ok = orv::ReadSUProfile(src, p, info, error);
    }
};

// nt x ns distinct values; row and column 0 stay 0.
orv::Array2D makeData(int nt, int ns)
{
    orv::Array2D a;
    a.allocate(nt, ns);
    for (int k = 1; k <= nt; ++k)
        for (int j = 1; j <= ns; ++j)
            a(k, j) = float(k) * 1000.0f - float(j) * 0.25f;
    return a;
}

} // namespace

TEST(SURead, ByteOrderAndSampleInterval)
{
    // Swapped, ns = 128 is negative and ns = 3 misses the file's end.
    const struct { bool be; int ns; uint16_t dt; double wantMs; int emptyFirst, cut, append; bool guessed; } cases[] = {
        {false, 128, 0, orv::SUFallbackIntervalMs, 0, 0, 0, false}, // dt = 0 takes the fallback
        {true, 128, 40000, 40.0, 0, 0, 0, false},                   // dt above 32767 us is unsigned
        {true, 3, 1000, 1.0, 0, 0, 0, false},
        {true, 3, 1000, 1.0, 2, 0, 0, false},
        {true, 50, 4000, 4.0, 0, 1, 0, true},
        {true, 50, 4000, 4.0, 0, 0, 3, true},
        {false, 50, 4000, 4.0, 0, 1, 0, true},
        {true, 1028, 4000, 4.0, 0, 0, 0, true},
        {false, 1028, 4000, 4.0, 0, 0, 0, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "ns " << c.ns << " be " << c.be << " cut " << c.cut << " + " << c.append);
        Bytes b;
        for (int k = 0; k < c.emptyFirst; ++k)
            addTrace(b, 0, 7, {}, c.be);
        const Bytes traces = threeTraces(c.be, c.ns, c.dt);
        b.insert(b.end(), traces.begin(), traces.end() - c.cut);
        b.insert(b.end(), size_t(c.append), uint8_t(7));
        const size_t third = size_t(c.emptyFirst) * 240 + 2 * (240 + 4 * size_t(c.ns));
        b[third + 2] = 0x5a;
        const Read r(b);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.bigEndian, c.be);
        EXPECT_EQ(r.info.byteOrderGuessed, c.guessed);
        EXPECT_DOUBLE_EQ(r.info.intervalMs, c.wantMs);
        EXPECT_EQ(r.info.intervalSubstituted, c.dt == 0);
        EXPECT_EQ(r.p.TotalTime, float(c.wantMs * c.ns));
        EXPECT_EQ(std::make_pair(r.p.NTraces, r.p.NSamples), std::make_pair(3.0f, float(c.ns)));
        EXPECT_EQ(r.p.RawData(2, 2), 2.01f);
        EXPECT_EQ(r.p.RawData(3, c.ns - 1), 3.0f + 0.01f * float(c.ns - 2));
        EXPECT_TRUE(c.cut || r.p.RawData(3, c.ns) == 3.0f + 0.01f * float(c.ns - 1));
        EXPECT_EQ(r.p.Headers.kind, orv::FileHeaders::Kind::SU);
        EXPECT_EQ(r.p.Headers.littleEndian, !c.be);
        ASSERT_EQ(r.p.Headers.traces.size(), 3 * 240u);
        EXPECT_TRUE(std::equal(b.begin() + long(third), b.begin() + long(third) + 240, r.p.Headers.traces.begin() + 480));
    }
}

TEST(SURead, TraceWalkFitsCountsAndZeroFillsShortEnds)
{
    Bytes mixed, two, tiledByFirst;
    addTrace(mixed, 4, 1000, {1, 2, 3, 4});
    addTrace(mixed, 0, 1000, {});                       // adds no trace
    addTrace(mixed, 6, 1000, {11, 12, 13, 14, 15, 16}); // longer: cut
    addTrace(mixed, 2, 1000, {21, 22});                 // shorter: padded
    addTrace(mixed, 4, 1000, {31, 32, 33, 34});         // found only if the steps above were right
    addTrace(two, 4, 1000, {1, 2, 3, 4});
    addTrace(two, 4, 1000, {5, 6, 7, 8});
    Bytes three = two; // a third header (ns = 3) follows
    addTrace(three, 3, 1000, {9, 9, 9});
    // Two records of 240 + 16 bytes, the second an empty header and 16 bytes that make no header.
    addTrace(tiledByFirst, 4, 1000, {1, 2, 3, 4});
    addTrace(tiledByFirst, 0, 1000, {5, 6, 7, 8});
    auto cut = [](Bytes b, size_t n) { return Bytes(b.begin(), b.end() - long(n)); };
    const struct { const char *name; Bytes bytes; int fitted; std::vector<std::vector<float>> traces; } cases[] = {
        {"differing counts", mixed, 2, {{1, 2, 3, 4}, {11, 12, 13, 14}, {21, 22, 0, 0}, {31, 32, 33, 34}}},
        {"cut inside a sample", cut(two, 6), 0, {{1, 2, 3, 4}, {5, 6, 0, 0}}},
        {"only the header of the last trace", cut(two, 16), 0, {{1, 2, 3, 4}, {0, 0, 0, 0}}},
        {"partial header with ns > 0", cut(three, 132), 1, {{1, 2, 3, 4}, {5, 6, 7, 8}, {0, 0, 0, 0}}},
        {"partial header too short to hold ns", cut(three, 152), 0, {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"sized as traces of the first count, a later header says otherwise", tiledByFirst, 0, {{1, 2, 3, 4}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Read r(c.bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.fittedTraces, c.fitted);
        const int nt = int(c.traces.size());
        ASSERT_EQ(std::make_pair(r.p.NTraces, r.p.NSamples), std::make_pair(float(nt), 4.0f));
        for (int k = 0; k <= nt; ++k) // row and column 0 stay 0
            for (int j = 0; j <= 4; ++j)
                EXPECT_EQ(r.p.RawData(k, j), k && j ? c.traces[size_t(k - 1)][size_t(j - 1)] : 0.0f) << k << "," << j;
    }
}

TEST(SURead, RefusedFilesLeaveTheProfileUntouched)
{
    Bytes negative, tooMany, good;
    addTrace(negative, 2, 1000, {1, 2});
    addTrace(negative, 0, 1000, {});
    addTrace(negative, -5, 1000, {});
    for (int k = 0; k < 32768; ++k)
        addTrace(tooMany, 1, 1000, {1});
    addTrace(good, 100, 1000, std::vector<float>(100, 1.0f));
    addTrace(good, 100, 1000, std::vector<float>(100, 2.0f));
    const struct { Bytes bytes; uint64_t failAt; std::string error; } cases[] = {
        {Bytes(240, 0), UINT64_MAX, "contains no trace"},
        {negative, UINT64_MAX, "has a negative sample count in trace 3 (ns = -5)"},
        {tooMany, UINT64_MAX, "has 32768 traces; at most 32767 can be loaded"},
        {good, 300, "cannot be read: Input/output error (at byte 300)"}, // in the samples
        {good, 740, "cannot be read: Input/output error (at byte 740)"}, // in a header
    };
    for (const auto &c : cases) {
        const Read r(c.bytes, c.failAt);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
        EXPECT_TRUE(Untouched(r.p)) << c.error;
    }
}

// Two threads read a large file as one thread does, also with a late odd header or a stop.
TEST(SURead, LargeFilesReadOnTwoThreadsAsOnOne)
{
    constexpr int nt = 1100, ns = 4000; // about 18 MB
    const struct { const char *name; bool be; int oddTrace; int stopAfter; } cases[] = {
        {"little-endian", false, 0, 0},
        {"big-endian", true, 0, 0},
        {"a header in the last block says another count", false, nt - 3, 0},
        {"stopped after the first report", false, 0, 1},
    };
    TempDir tmp;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes;
        bytes.reserve(size_t(nt) * (240 + 4 * ns));
        std::vector<float> samples(ns);
        for (int k = 1; k <= nt; ++k) {
            for (int j = 0; j < ns; ++j)
                samples[size_t(j)] = float(k) - 0.001f * float(j);
            addTrace(bytes, k == c.oddTrace ? ns - 1 : ns, 2000, samples, c.be);
        }
        PutFile(tmp / "large.su", std::string(bytes.begin(), bytes.end()));
        int reports = 0;
        orv::ReadControl control;
        control.progress = [&](int) { return c.stopAfter == 0 || ++reports < c.stopAfter; };
        orv::Profile fromFile, inMemory;
        orv::SUReadInfo fileInfo, memoryInfo;
        std::string fileError, memoryError;
        const bool fileOk = orv::ReadSUFile(tmp / "large.su", fromFile, fileInfo, fileError, control);
        if (c.stopAfter) {
            EXPECT_FALSE(fileOk);
            EXPECT_EQ(fileError, orv::ReadStoppedText);
            EXPECT_FALSE(fromFile.RawData.allocated());
            continue;
        }
        orv::MemorySource src(bytes);
        ASSERT_TRUE(orv::ReadSUProfile(src, inMemory, memoryInfo, memoryError)) << memoryError;
        ASSERT_TRUE(fileOk) << fileError;
        EXPECT_EQ(fromFile.RawData, inMemory.RawData);
        EXPECT_EQ(fileInfo.bigEndian, c.be);
        EXPECT_EQ(fileInfo.fittedTraces, memoryInfo.fittedTraces);
        EXPECT_TRUE(c.oddTrace || fromFile.RawData(nt, ns) == float(nt) - 0.001f * float(ns - 1));
    }
}

TEST(SURealData, TheSameSmallFileInBothByteOrders)
{
    const std::string dir = std::string(ORVANE_REALDATA_DIR) + "/su/segyio/";
    if (!std::filesystem::exists(dir + "small.su") || !std::filesystem::exists(dir + "small-lsb.su"))
        GTEST_SKIP() << "real sample files not present";
    orv::Profile be, le;
    orv::SUReadInfo ib, il;
    std::string error;
    ASSERT_TRUE(orv::ReadSUFile(dir + "small.su", be, ib, error)) << error;
    ASSERT_TRUE(orv::ReadSUFile(dir + "small-lsb.su", le, il, error)) << error;
    EXPECT_TRUE(ib.bigEndian && !il.bigEndian);
    EXPECT_TRUE(ib.intervalSubstituted); // the files say dt = 0
    EXPECT_EQ(std::make_pair(be.NTraces, be.NSamples), std::make_pair(25.0f, 50.0f));
    EXPECT_EQ(be.RawData, le.RawData);
    // Trace (inline il, crossline xl), sample s from 0 holds il + 0.01 xl + 1e-5 s.
    EXPECT_NEAR(be.RawData(1, 2), 1.20001f, 2e-6f);
    EXPECT_NEAR(be.RawData(6, 1), 2.2f, 2e-6f);
    EXPECT_NEAR(be.RawData(25, 50), 5.24049f, 2e-6f);
}

TEST(SUWrite, HeaderBytesRoundTripOrARefusalThatWritesNothing)
{
    // dt rounded halves to even, unsigned up to 65535 us; a file written keeps its permissions.
    const struct { float nt, ns, total; int wantDt; const char *error; } cases[] = {
        {3, 500, 250, 500, ""},
        {5, 333, 33.3f, 100, ""},
        {1, 1, 65.535f, 65535, ""},
        {3, 1000, 1, 1, ""},
        {2, 4, 0.05f, 12, ""},
        {2, 4, 0.03f, 8, ""},
        {2, 10, 0, 0, ""}, // no time window: dt = 0, "unknown"
        {0, 10, 10, 0, "the profile has 0 traces; a Seismic Unix file can hold 1 to 32767"},
        {32768, 10, 10, 0, "the profile has 32768 traces; a Seismic Unix file can hold 1 to 32767"},
        {2, 40000, 10, 0, "the profile has 40000 samples per trace; a Seismic Unix trace can hold 1 to 32767"},
        {2, 10, 655.355f, 0, "the sample interval of 65.5355 ms does not fit a Seismic Unix header (at most 65.535 ms)"},
        {2, 10, -10, 0, "the sample interval of -1 ms does not fit a Seismic Unix header (it cannot be negative)"},
        {2, 10, 0.004f, 0, "the sample interval of 0.0004 ms does not fit a Seismic Unix header (at least 0.001 ms)"},
        {3, 10, 10, 0, "the profile's amplitudes do not cover 3 traces of 10 samples"},
    };
    TempDir dir;
    PutFile(dir / "keep.su", "earlier contents");
    const std::string rt = dir / "rt.su";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.nt << "x" << c.ns << " over " << c.total << " ms");
        const bool ok = !*c.error;
        const orv::Array2D data = ok ? makeData(int(c.nt), int(c.ns)) : makeData(2, 10);
        const std::string path = ok ? rt : dir / "keep.su";
        std::string error;
        ASSERT_EQ(orv::WriteSUFile(path, data, c.nt, c.ns, c.total, error), ok) << error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(dir.entries(), 2); // keep.su and rt.su, no temporary file
        if (!ok) {
            EXPECT_EQ(FileBytes(path), "earlier contents");
            continue;
        }
        const std::string b = FileBytes(path);
        const size_t record = 240 + 4 * size_t(c.ns);
        ASSERT_EQ(b.size(), size_t(c.nt) * record);
        auto le = [&](size_t at, int width) { // little-endian, 16-bit fields signed except dt
            uint32_t v = 0;
            for (int i = width - 1; i >= 0; --i)
                v = v << 8 | uint8_t(b[at + size_t(i)]);
            return width == 2 ? int32_t(int16_t(v)) : int32_t(v);
        };
        for (int k = 1; k <= int(c.nt); ++k) {
            const size_t h = size_t(k - 1) * record;
            const struct { size_t offset; int width; int32_t value; } fields[] = {
                {0, 4, k},    {4, 4, k},        {8, 4, k},        {12, 4, 1},         {28, 2, 1},
                {36, 4, 100}, {72, 4, k * 100}, {80, 4, k * 100}, {114, 2, int(c.ns)}, {116, 2, int16_t(c.wantDt)}};
            std::string rest = b.substr(h, 240);
            for (const auto &f : fields) {
                EXPECT_EQ(le(h + f.offset, f.width), f.value) << "trace " << k << " offset " << f.offset;
                rest.replace(f.offset, size_t(f.width), size_t(f.width), '\0');
            }
            EXPECT_EQ(rest, std::string(240, '\0')) << "header bytes outside the fields of trace " << k;
            EXPECT_EQ(std::bit_cast<float>(le(h + 240, 4)), data(k, 1));
            EXPECT_EQ(std::bit_cast<float>(le(h + record - 4, 4)), data(k, int(c.ns)));
        }
        EXPECT_EQ(uint8_t(b[116]) | uint8_t(b[117]) << 8, c.wantDt); // unsigned
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, &c == cases ? 0644 & ~mask : 0600u);
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        orv::Profile p;
        orv::SUReadInfo info;
        ASSERT_TRUE(orv::ReadSUFile(path, p, info, error)) << error;
        EXPECT_EQ(std::make_pair(p.NTraces, p.NSamples), std::make_pair(c.nt, c.ns));
        EXPECT_EQ(p.RawData, data);
        EXPECT_DOUBLE_EQ(info.intervalMs, c.wantDt ? c.wantDt / 1000.0 : orv::SUFallbackIntervalMs);
    }
}

// Seismic Unix reader and writer: inputs built in memory, outputs checked byte by byte.
#include "formats/su.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// Appends a 240-byte header carrying ns and dt, then the samples (whose
// count may differ from ns).
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

// A source whose read fails at byte failAt, as a bad disk block would. Bytes
// from `end` on are gone without an error, as in a file cut short after it
// was opened (size() still counts them).
struct FailingSource : orv::MemorySource {
    FailingSource(Bytes b, uint64_t failAt, uint64_t end) : orv::MemorySource(std::move(b)), failAt(failAt), end(end) {}
    size_t read(uint64_t offset, void *dst, size_t n) override
    {
        if (failAt >= offset && failAt < offset + n)
            failedRead = true, n = size_t(failAt - offset);
        n = offset >= end ? 0 : size_t(std::min<uint64_t>(n, end - offset));
        return n ? orv::MemorySource::read(offset, dst, n) : 0;
    }
    bool failed() const override { return failedRead; }
    std::string errorText() const override { return "Input/output error"; }
    uint64_t failAt, end;
    bool failedRead = false;
};

// Reads b into a copy of before.
struct Read {
    orv::Profile p;
    orv::SUReadInfo info;
    std::string error;
    bool ok;
    Read(Bytes b, uint64_t failAt = UINT64_MAX, orv::Profile before = {}, uint64_t end = UINT64_MAX)
        : p(std::move(before))
    {
        FailingSource src(std::move(b), failAt, end);
        ok = orv::ReadSUProfile(src, p, info, error);
    }
};

std::string fileText(const std::string &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("orvane_su_" + std::to_string(std::random_device()()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { std::error_code ec; fs::remove_all(path, ec); }
    std::string operator/(const char *name) const { return (path / name).string(); }
    long entries() const { return std::distance(fs::directory_iterator(path), {}); }
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
    // Swapped, ns = 128 is negative and ns = 3 misses the file's end; empty
    // headers read the same both ways, so the walks part only after them.
    const struct { bool be; int ns; uint16_t dt; double wantMs; int emptyFirst; } cases[] = {
        {false, 128, 0, orv::SUFallbackIntervalMs, 0}, // dt = 0 takes the fallback
        {true, 128, 40000, 40.0, 0},                   // dt above 32767 us is unsigned
        {true, 3, 1000, 1.0, 0},
        {true, 3, 1000, 1.0, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "ns " << c.ns << " dt " << c.dt << " after " << c.emptyFirst);
        Bytes b;
        for (int k = 0; k < c.emptyFirst; ++k)
            addTrace(b, 0, 7, {}, c.be);
        const Bytes traces = threeTraces(c.be, c.ns, c.dt);
        b.insert(b.end(), traces.begin(), traces.end());
        const Read r(b);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.bigEndian, c.be);
        EXPECT_FALSE(r.info.byteOrderGuessed);
        EXPECT_DOUBLE_EQ(r.info.intervalMs, c.wantMs);
        EXPECT_EQ(r.info.intervalSubstituted, c.dt == 0);
        EXPECT_EQ(r.p.TotalTime, float(c.wantMs * c.ns));
        EXPECT_EQ(std::make_pair(r.p.NTraces, r.p.NSamples), std::make_pair(3.0f, float(c.ns)));
        EXPECT_EQ(r.p.RawData(2, 2), 2.01f);
        EXPECT_EQ(r.p.RawData(3, c.ns), 3.0f + 0.01f * float(c.ns - 1));
    }
}

// Files whose headers tile them in neither order (cut short, bytes
// appended) or in both (ns = 1028 reads the same both ways) are read in the
// order the headers or the samples point to, and the guess is reported.
TEST(SURead, ByteOrderWhenTheHeadersDoNotSettleIt)
{
    const struct { const char *name; bool be; int ns; int cut, append; } cases[] = {
        {"big-endian cut by one byte", true, 50, 1, 0},
        {"big-endian with three bytes appended", true, 50, 0, 3},
        {"little-endian cut by one byte", false, 50, 1, 0},
        {"big-endian, 1028 samples read the same both ways", true, 1028, 0, 0},
        {"little-endian, 1028 samples", false, 1028, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = threeTraces(c.be, c.ns, 4000);
        b.resize(b.size() - size_t(c.cut));
        b.insert(b.end(), size_t(c.append), uint8_t(7));
        const Read r(b);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.bigEndian, c.be);
        EXPECT_TRUE(r.info.byteOrderGuessed);
        EXPECT_EQ(std::make_pair(r.p.NTraces, r.p.NSamples), std::make_pair(3.0f, float(c.ns)));
        EXPECT_EQ(r.p.RawData(2, 2), 2.01f);
        EXPECT_EQ(r.p.RawData(3, c.ns - 1), 3.0f + 0.01f * float(c.ns - 2));
    }
}

TEST(SURead, TraceWalkFitsCountsAndZeroFillsShortEnds)
{
    Bytes mixed, two;
    addTrace(mixed, 4, 1000, {1, 2, 3, 4});
    addTrace(mixed, 0, 1000, {});                       // adds no trace
    addTrace(mixed, 6, 1000, {11, 12, 13, 14, 15, 16}); // longer: cut
    addTrace(mixed, 2, 1000, {21, 22});                 // shorter: padded
    addTrace(mixed, 4, 1000, {31, 32, 33, 34});         // found only if the steps above were right
    addTrace(two, 4, 1000, {1, 2, 3, 4});
    addTrace(two, 4, 1000, {5, 6, 7, 8});
    Bytes three = two; // a third header (ns = 3) follows
    addTrace(three, 3, 1000, {9, 9, 9});
    // Two records of 240 + 16 bytes, the second an empty header and 16
    // bytes that do not make a header.
    Bytes tiledByFirst;
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

TEST(SURead, ASampleCutShortKeepsTheBytesItHas)
{
    // The second sample, 0x40E01234, loses its last bytes in file order. Cut
    // on disk, a file walks as little-endian; cut after opening, it keeps
    // the order its size gave.
    const struct { bool be, afterOpen; int present; uint32_t want; } cases[] = {
        {false, false, 3, 0x00E01234},
        {false, true, 2, 0x00001234},
        {true, true, 2, 0x40E00000},
        {true, true, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.be << c.afterOpen << c.present);
        Bytes b;
        addTrace(b, 2, 1000, {1.5f, std::bit_cast<float>(0x40E01234u)}, c.be);
        const uint64_t end = 240 + 4 + uint64_t(c.present);
        if (!c.afterOpen)
            b.resize(end);
        const Read r(b, UINT64_MAX, {}, end);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.bigEndian, c.be);
        EXPECT_EQ(r.p.RawData(1, 1), 1.5f);
        EXPECT_EQ(std::bit_cast<uint32_t>(r.p.RawData(1, 2)), c.want);
    }
}

TEST(SURead, RefusedFilesLeaveTheProfileUntouched)
{
    Bytes negative, negativeBE, tooMany, good;
    addTrace(negative, 2, 1000, {1, 2});
    addTrace(negative, 0, 1000, {});
    addTrace(negative, -5, 1000, {});
    addTrace(negativeBE, 0, 1000, {}, true);
    addTrace(negativeBE, 2, 1000, {1, 2}, true);
    addTrace(negativeBE, -5, 1000, {}, true);
    for (int k = 0; k < 32768; ++k)
        addTrace(tooMany, 1, 1000, {1});
    addTrace(good, 100, 1000, std::vector<float>(100, 1.0f));
    addTrace(good, 100, 1000, std::vector<float>(100, 2.0f));
    const uint64_t never = UINT64_MAX;
    const struct { Bytes bytes; uint64_t failAt; std::string error; } cases[] = {
        {Bytes(240, 0), never, "contains no trace"},
        {negative, never, "has a negative sample count in trace 3 (ns = -5)"},
        {negativeBE, never, "has a negative sample count in trace 3 (ns = -5)"},
        {tooMany, never, "has 32768 traces; at most 32767 can be loaded"},
        {good, 300, "cannot be read: Input/output error (at byte 300)"}, // in the samples
        {good, 740, "cannot be read: Input/output error (at byte 740)"}, // in a header
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error);
        const Read r(c.bytes, c.failAt, {makeData(2, 3), 2, 3, 12});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.p.RawData, makeData(2, 3));
        EXPECT_EQ(std::vector<float>({r.p.NTraces, r.p.NSamples, r.p.TotalTime}), std::vector<float>({2, 3, 12}));
    }
}

// A large file read on two threads gives what one thread makes of the same
// bytes, also when a late header breaks the tiling or the read is stopped.
TEST(SURead, LargeFilesReadOnTwoThreadsAsOnOne)
{
    constexpr int nt = 1100, ns = 4000; // about 18 MB
    auto profile = [](bool be, int oddTrace) {
        Bytes b;
        b.reserve(size_t(nt) * (240 + 4 * ns));
        std::vector<float> samples(ns);
        for (int k = 1; k <= nt; ++k) {
            for (int j = 0; j < ns; ++j)
                samples[size_t(j)] = float(k) - 0.001f * float(j);
            addTrace(b, k == oddTrace ? ns - 1 : ns, 2000, samples, be);
        }
        return b;
    };
    TempDir tmp;
    const struct { const char *name; bool be; int oddTrace; int stopAfter; } cases[] = {
        {"little-endian", false, 0, 0},
        {"big-endian", true, 0, 0},
        {"a header in the last block says another count", false, nt - 3, 0},
        {"stopped after the first report", false, 0, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = profile(c.be, c.oddTrace);
        const std::string path = tmp / "large.su";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), long(bytes.size()));
        int reports = 0;
        orv::ReadControl control;
        control.progress = [&](int) { return c.stopAfter == 0 || ++reports < c.stopAfter; };
        orv::Profile fromFile, inMemory;
        orv::SUReadInfo fileInfo, memoryInfo;
        std::string fileError, memoryError;
        const bool fileOk = orv::ReadSUFile(path, fromFile, fileInfo, fileError, control);
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
        if (!c.oddTrace) {
            EXPECT_EQ(fromFile.RawData(nt, ns), float(nt) - 0.001f * float(ns - 1));
        }
    }
}

#ifdef ORVANE_REALDATA_DIR
TEST(SURealData, TheSameSmallFileInBothByteOrders)
{
    const fs::path dir = fs::path(ORVANE_REALDATA_DIR) / "su/segyio";
    if (!fs::exists(dir / "small.su") || !fs::exists(dir / "small-lsb.su"))
        GTEST_SKIP() << "real sample files not present";
    orv::Profile be, le;
    orv::SUReadInfo ib, il;
    std::string error;
    ASSERT_TRUE(orv::ReadSUFile((dir / "small.su").string(), be, ib, error)) << error;
    ASSERT_TRUE(orv::ReadSUFile((dir / "small-lsb.su").string(), le, il, error)) << error;
    EXPECT_TRUE(ib.bigEndian);
    EXPECT_FALSE(il.bigEndian);
    EXPECT_TRUE(ib.intervalSubstituted); // the files say dt = 0
    EXPECT_EQ(std::make_pair(be.NTraces, be.NSamples), std::make_pair(25.0f, 50.0f));
    EXPECT_EQ(be.RawData, le.RawData);
    // Trace (inline il, crossline xl), sample s from 0 holds il + 0.01 xl + 1e-5 s;
    // traces run crossline 20..24 within each inline 1..5.
    EXPECT_NEAR(be.RawData(1, 2), 1.20001f, 2e-6f);
    EXPECT_NEAR(be.RawData(6, 1), 2.2f, 2e-6f);
    EXPECT_NEAR(be.RawData(25, 50), 5.24049f, 2e-6f);

    // The real file cut by a byte or with bytes appended still reads
    // big-endian, with the guess said.
    const std::string whole = fileText((dir / "small.su").string());
    TempDir tmp;
    for (const std::string &bytes : {whole.substr(0, whole.size() - 1), whole + "abc"}) {
        const std::string path = tmp / "damaged.su";
        std::ofstream(path, std::ios::binary) << bytes;
        orv::Profile d;
        ASSERT_TRUE(orv::ReadSUFile(path, d, ib, error)) << error;
        EXPECT_TRUE(ib.bigEndian && ib.byteOrderGuessed);
        EXPECT_EQ(std::make_pair(d.NTraces, d.NSamples), std::make_pair(25.0f, 50.0f));
        EXPECT_EQ(d.RawData(25, 49), be.RawData(25, 49));
    }
}
#endif

TEST(SUWrite, HeaderLayoutLengthAndPermissions)
{
    TempDir dir;
    const std::string out = dir / "out.su";
    const orv::Array2D data = makeData(3, 500);
    std::string error;
    ASSERT_TRUE(orv::WriteSUFile(out, data, 3, 500, 250, error)) << error;
    const std::string b = fileText(out);
    ASSERT_EQ(b.size(), 3u * (240 + 4 * 500));
    auto le = [&](size_t at, int width) { // little-endian, 16-bit fields signed
        uint32_t v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = v << 8 | uint8_t(b[at + size_t(i)]);
        return width == 2 ? int32_t(int16_t(v)) : int32_t(v);
    };
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        const size_t h = size_t(k - 1) * (240 + 4 * 500);
        const struct { size_t offset; int width; int32_t value; } fields[] = {
            {0, 4, k},    {4, 4, k},        {8, 4, k},        {12, 4, 1},    {28, 2, 1},
            {36, 4, 100}, {72, 4, k * 100}, {80, 4, k * 100}, {114, 2, 500}, {116, 2, 500}};
        std::string rest = b.substr(h, 240);
        for (const auto &f : fields) {
            EXPECT_EQ(le(h + f.offset, f.width), f.value) << "offset " << f.offset;
            rest.replace(f.offset, size_t(f.width), size_t(f.width), '\0');
        }
        EXPECT_EQ(rest, std::string(240, '\0')) << "header bytes outside the fields";
        EXPECT_EQ(std::bit_cast<float>(le(h + 240, 4)), data(k, 1));
        EXPECT_EQ(std::bit_cast<float>(le(h + 240 + 4 * 499, 4)), data(k, 500));
    }
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0644 & ~mask);

    // A longer earlier file is replaced whole and keeps its permissions.
    ASSERT_EQ(::chmod(out.c_str(), 0600), 0);
    ASSERT_TRUE(orv::WriteSUFile(out, data, 2, 10, 10, error)) << error;
    EXPECT_EQ(fs::file_size(out), 2u * (240 + 40));
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.entries(), 1); // no temporary file left behind
}

TEST(SUWrite, RoundTripOrARefusalThatWritesNothing)
{
    // dt is rounded (33.3 / 333 is just below 0.1 ms in floats), halves to
    // even (12.5 and 7.5 us), and unsigned up to 65535 us.
    const struct { float nt, ns, total; int wantDt; const char *error; } cases[] = {
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
    std::ofstream(dir / "keep.su", std::ios::binary) << "earlier contents";
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.nt << "x" << c.ns << " over " << c.total << " ms");
        const bool ok = !*c.error;
        const orv::Array2D data = ok ? makeData(int(c.nt), int(c.ns)) : makeData(2, 10);
        const std::string path = dir / (ok ? "rt.su" : "keep.su");
        std::string error;
        ASSERT_EQ(orv::WriteSUFile(path, data, c.nt, c.ns, c.total, error), ok) << error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(dir.entries(), 2); // keep.su and rt.su, no temporary file
        if (!ok) {
            EXPECT_EQ(fileText(path), "earlier contents");
            continue;
        }
        const std::string b = fileText(path);
        ASSERT_GE(b.size(), 240u);
        EXPECT_EQ(uint8_t(b[116]) | uint8_t(b[117]) << 8, c.wantDt); // unsigned, little-endian
        orv::Profile p;
        orv::SUReadInfo info;
        ASSERT_TRUE(orv::ReadSUFile(path, p, info, error)) << error;
        EXPECT_EQ(std::make_pair(p.NTraces, p.NSamples), std::make_pair(c.nt, c.ns));
        EXPECT_EQ(p.RawData, data);
        EXPECT_DOUBLE_EQ(info.intervalMs, c.wantDt ? c.wantDt / 1000.0 : orv::SUFallbackIntervalMs);
    }
}

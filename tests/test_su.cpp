// Seismic Unix reader and writer: inputs are built in memory, written files
// are checked byte by byte.
#include "formats/su.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes &b, size_t at, uint32_t v, int width, bool be)
{
    for (int i = 0; i < width; ++i) {
        const int shift = be ? 8 * (width - 1 - i) : 8 * i;
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>((v >> shift) & 0xff);
    }
}

// Appends one trace: a 240-byte header carrying ns and dt, then the samples.
// `ns` may differ from samples.size() to build inconsistent files.
void addTrace(Bytes &b, int ns, uint16_t dt, const std::vector<float> &samples, bool be = false)
{
    const size_t at = b.size();
    b.resize(at + 240 + 4 * samples.size(), 0);
    put(b, at + 114, static_cast<uint16_t>(static_cast<int16_t>(ns)), 2, be);
    put(b, at + 116, dt, 2, be);
    for (size_t j = 0; j < samples.size(); ++j)
        put(b, at + 240 + 4 * j, std::bit_cast<uint32_t>(samples[j]), 4, be);
}

std::vector<float> ramp(int n, float base)
{
    std::vector<float> v(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j)
        v[static_cast<size_t>(j)] = base + static_cast<float>(j) * 0.5f;
    return v;
}

struct ReadResult {
    bool ok = false;
    orv::Profile p;
    orv::SUReadInfo info;
    std::string error;
    std::vector<int> progress;
};

ReadResult readBytes(Bytes b)
{
    ReadResult r;
    orv::MemorySource src(std::move(b));
    r.ok = orv::ReadSUProfile(src, r.p, r.info, r.error, [&](int n) { r.progress.push_back(n); });
    return r;
}

Bytes fileBytes(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

int32_t le32(const Bytes &b, size_t at)
{
    return static_cast<int32_t>(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16
                                | uint32_t(b[at + 3]) << 24);
}

int16_t le16(const Bytes &b, size_t at)
{
    return static_cast<int16_t>(uint16_t(b[at] | b[at + 1] << 8));
}

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("orvane_su_" + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string &name) const { return path_ / name; }
    size_t entries() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
    }

private:
    fs::path path_;
};

// A profile of nt x ns with distinct values; row and column 0 stay 0.
orv::Array2D makeData(int nt, int ns)
{
    orv::Array2D a;
    a.allocate(nt, ns);
    for (int k = 1; k <= nt; ++k)
        for (int j = 1; j <= ns; ++j)
            a(k, j) = static_cast<float>(k) * 1000.0f - static_cast<float>(j) * 0.25f;
    return a;
}

} // namespace

TEST(SURead, ThreeTracesOf500)
{
    Bytes b;
    for (int k = 1; k <= 3; ++k)
        addTrace(b, 500, 1000, ramp(500, static_cast<float>(k) * 100.0f));
    ReadResult r = readBytes(b);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NTraces, 3.0f);
    EXPECT_EQ(r.p.NSamples, 500.0f);
    EXPECT_EQ(r.p.TotalTime, 500.0f);
    EXPECT_DOUBLE_EQ(r.info.intervalMs, 1.0);
    EXPECT_FALSE(r.info.intervalSubstituted);
    EXPECT_FALSE(r.info.bigEndian);
    EXPECT_EQ(r.info.fittedTraces, 0);
    ASSERT_EQ(r.p.RawData.traceBound(), 3);
    ASSERT_EQ(r.p.RawData.sampleBound(), 500);
    EXPECT_EQ(r.p.RawData(2, 1), 200.0f);
    EXPECT_EQ(r.p.RawData(3, 500), 300.0f + 499 * 0.5f);
    for (int j = 0; j <= 500; ++j)
        EXPECT_EQ(r.p.RawData(0, j), 0.0f);
    for (int k = 0; k <= 3; ++k)
        EXPECT_EQ(r.p.RawData(k, 0), 0.0f);
    ASSERT_FALSE(r.progress.empty());
    EXPECT_EQ(r.progress.back(), 3);
    EXPECT_TRUE(std::is_sorted(r.progress.begin(), r.progress.end()));
}

TEST(SURead, ZeroSampleHeaderAddsNoTrace)
{
    Bytes b;
    addTrace(b, 4, 500, {1, 2, 3, 4});
    addTrace(b, 0, 500, {});
    addTrace(b, 4, 500, {5, 6, 7, 8});
    ReadResult r = readBytes(b);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NTraces, 2.0f);
    EXPECT_EQ(r.p.RawData(2, 1), 5.0f);
    EXPECT_EQ(r.p.RawData(2, 4), 8.0f);
}

TEST(SURead, DifferingSampleCountsAreFittedAndSteppedCorrectly)
{
    Bytes b;
    addTrace(b, 4, 1000, {1, 2, 3, 4});
    addTrace(b, 6, 1000, {11, 12, 13, 14, 15, 16}); // longer: cut
    addTrace(b, 2, 1000, {21, 22});                 // shorter: padded
    addTrace(b, 4, 1000, {31, 32, 33, 34});         // found only if the steps above were right
    ReadResult r = readBytes(b);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.p.NTraces, 4.0f);
    EXPECT_EQ(r.p.NSamples, 4.0f);
    EXPECT_EQ(r.info.fittedTraces, 2);
    const float want[5][5] = {{0, 0, 0, 0, 0}, {0, 1, 2, 3, 4}, {0, 11, 12, 13, 14},
                              {0, 21, 22, 0, 0}, {0, 31, 32, 33, 34}};
    for (int k = 0; k <= 4; ++k)
        for (int j = 0; j <= 4; ++j)
            EXPECT_EQ(r.p.RawData(k, j), want[k][j]) << "trace " << k << " sample " << j;
}

TEST(SURead, ShortEndsReadMissingBytesAsZero)
{
    struct Case {
        const char *name;
        size_t cut;            // bytes removed from the end of two 4-sample traces + extra
        bool extraHeader;      // a third header (ns = 3) follows the two traces
        float wantTraces;
        std::vector<float> lastTrace; // expected samples of the last trace
    };
    const Case cases[] = {
        {"last two samples missing", 8, false, 2, {5, 6, 0, 0}},
        {"cut inside a sample", 6, false, 2, {5, 6, 0, 0}},
        {"only the header of the last trace", 16, false, 2, {0, 0, 0, 0}},
        {"partial header with ns > 0", 240 + 12 - 120, true, 3, {0, 0, 0, 0}},
        {"partial header too short to hold ns", 240 + 12 - 100, true, 2, {5, 6, 7, 8}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b;
        addTrace(b, 4, 1000, {1, 2, 3, 4});
        addTrace(b, 4, 1000, {5, 6, 7, 8});
        if (c.extraHeader)
            addTrace(b, 3, 1000, {9, 9, 9});
        b.resize(b.size() - c.cut);
        ReadResult r = readBytes(b);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_FALSE(r.info.bigEndian);
        ASSERT_EQ(r.p.NTraces, c.wantTraces);
        ASSERT_EQ(r.p.NSamples, 4.0f);
        const int last = static_cast<int>(c.wantTraces);
        for (int j = 1; j <= 4; ++j)
            EXPECT_EQ(r.p.RawData(last, j), c.lastTrace[static_cast<size_t>(j - 1)]) << j;
    }
}

TEST(SURead, RefusedFilesLeaveTheProfileUntouched)
{
    Bytes onlyZero;
    addTrace(onlyZero, 0, 1000, {});
    addTrace(onlyZero, 0, 1000, {});
    Bytes negative;
    addTrace(negative, 2, 1000, {1, 2});
    addTrace(negative, 0, 1000, {});
    addTrace(negative, -5, 1000, {});
    Bytes tooMany;
    tooMany.reserve(32768u * 244u);
    for (int k = 0; k < 32768; ++k)
        addTrace(tooMany, 1, 1000, {1});
    Bytes tinyNoNs(100, 0); // a partial header whose ns field lies past the end

    struct Case {
        const char *name;
        const Bytes *bytes;
        const char *error;
    };
    const Bytes empty;
    const Case cases[] = {
        {"empty", &empty, "contains no trace"},
        {"only ns = 0 headers", &onlyZero, "contains no trace"},
        {"short header without ns", &tinyNoNs, "contains no trace"},
        {"negative ns", &negative, "trace 3 has a negative sample count (ns = -5)"},
        {"too many traces", &tooMany, "has 32768 traces; at most 32767 can be loaded"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        orv::Profile p;
        p.RawData = makeData(2, 3);
        p.NTraces = 2;
        p.NSamples = 3;
        p.TotalTime = 12;
        const orv::Profile before = p;
        orv::SUReadInfo info;
        std::string error;
        orv::MemorySource src(*c.bytes);
        EXPECT_FALSE(orv::ReadSUProfile(src, p, info, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(p.RawData, before.RawData);
        EXPECT_EQ(p.NTraces, before.NTraces);
        EXPECT_EQ(p.NSamples, before.NSamples);
        EXPECT_EQ(p.TotalTime, before.TotalTime);
    }
}

TEST(SURead, SourceErrorIsReported)
{
    // A source whose read fails at one byte, as a bad disk block would.
    class FailingSource : public orv::ByteSource {
    public:
        FailingSource(Bytes b, uint64_t failAt) : b_(std::move(b)), failAt_(failAt) {}
        uint64_t size() const override { return b_.size(); }
        size_t read(uint64_t offset, void *dst, size_t n) override
        {
            uint64_t end = std::min<uint64_t>(offset + n, b_.size());
            if (failAt_ >= offset && failAt_ < end) {
                failed_ = true;
                end = failAt_;
            }
            if (end <= offset)
                return 0;
            std::memcpy(dst, b_.data() + offset, end - offset);
            return static_cast<size_t>(end - offset);
        }
        bool failed() const override { return failed_; }
        std::string errorText() const override { return "Input/output error"; }

    private:
        Bytes b_;
        uint64_t failAt_;
        bool failed_ = false;
    };
    Bytes b;
    addTrace(b, 100, 1000, ramp(100, 1));
    addTrace(b, 100, 1000, ramp(100, 2));
    for (uint64_t failAt : {uint64_t(300), uint64_t(640 + 100)}) { // in the samples, in a header
        SCOPED_TRACE(failAt);
        FailingSource src(b, failAt);
        orv::Profile p;
        orv::SUReadInfo info;
        std::string error;
        EXPECT_FALSE(orv::ReadSUProfile(src, p, info, error));
        EXPECT_EQ(error.rfind("cannot be read: Input/output error", 0), 0u) << error;
        EXPECT_FALSE(p.RawData.allocated());
        EXPECT_EQ(p.NTraces, 0.0f);
    }
}

TEST(SURead, ByteOrderAndSampleInterval)
{
    struct Case {
        const char *name;
        bool be;
        uint16_t dt;
        double wantMs;
        bool substituted;
    };
    const Case cases[] = {
        {"little-endian", false, 250, 0.25, false},
        {"big-endian", true, 250, 0.25, false},
        {"dt above 32767 us is unsigned", false, 40000, 40.0, false},
        {"big-endian unsigned dt", true, 40000, 40.0, false},
        {"dt = 0 takes the fallback", false, 0, orv::SUFallbackIntervalMs, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b;
        // ns = 128 reads as -32768 the other way round; ns = 3 reads as 768.
        addTrace(b, 128, c.dt, ramp(128, -3.25f), c.be);
        addTrace(b, 128, c.dt, ramp(128, 7.5f), c.be);
        ReadResult r = readBytes(b);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.bigEndian, c.be);
        EXPECT_EQ(r.p.NTraces, 2.0f);
        EXPECT_EQ(r.p.NSamples, 128.0f);
        EXPECT_EQ(r.p.RawData(1, 1), -3.25f);
        EXPECT_EQ(r.p.RawData(2, 128), 7.5f + 127 * 0.5f);
        EXPECT_DOUBLE_EQ(r.info.intervalMs, c.wantMs);
        EXPECT_EQ(r.info.intervalSubstituted, c.substituted);
        EXPECT_EQ(r.p.TotalTime, static_cast<float>(c.wantMs * 128));
    }
    // A big-endian file whose little-endian reading also walks without a
    // negative count but does not end at the file size.
    Bytes b;
    addTrace(b, 3, 1000, {1, 2, 3}, true);
    addTrace(b, 3, 1000, {4, 5, 6}, true);
    ReadResult r = readBytes(b);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.info.bigEndian);
    EXPECT_EQ(r.p.RawData(2, 3), 6.0f);
}

TEST(SURead, OpenErrorNamesTheReason)
{
    TempDir dir;
    orv::Profile p;
    orv::SUReadInfo info;
    std::string error;
    EXPECT_FALSE(orv::ReadSUFile((dir / "missing.su").string(), p, info, error));
    EXPECT_EQ(error, "cannot be opened: No such file or directory");
    EXPECT_FALSE(orv::ReadSUFile((dir / "").string(), p, info, error));
    EXPECT_EQ(error, "cannot be opened: Is a directory");
}

#ifdef ORVANE_REALDATA_DIR
namespace {
fs::path realData(const char *rel)
{
    return fs::path(ORVANE_REALDATA_DIR) / rel;
}
} // namespace

TEST(SURealData, SegyioSmallInBothByteOrders)
{
    const fs::path be = realData("su/segyio/small.su");
    const fs::path le = realData("su/segyio/small-lsb.su");
    if (!fs::exists(be) || !fs::exists(le))
        GTEST_SKIP() << "real sample files not present";
    orv::Profile pb, pl;
    orv::SUReadInfo ib, il;
    std::string error;
    ASSERT_TRUE(orv::ReadSUFile(be.string(), pb, ib, error)) << error;
    ASSERT_TRUE(orv::ReadSUFile(le.string(), pl, il, error)) << error;
    EXPECT_TRUE(ib.bigEndian);
    EXPECT_FALSE(il.bigEndian);
    for (const orv::Profile *p : {&pb, &pl}) {
        EXPECT_EQ(p->NTraces, 25.0f);
        EXPECT_EQ(p->NSamples, 50.0f);
    }
    EXPECT_TRUE(ib.intervalSubstituted); // the files say dt = 0
    EXPECT_EQ(pb.TotalTime, static_cast<float>(orv::SUFallbackIntervalMs * 50));
    EXPECT_EQ(pb.RawData, pl.RawData);
    // Trace (inline il, crossline xl), sample s from 0 holds il + 0.01 xl + 1e-5 s;
    // traces run crossline 20..24 within each inline 1..5.
    struct Probe {
        int trace, sample;
        float value;
    };
    const Probe probes[] = {{1, 1, 1.2f}, {1, 2, 1.20001f}, {2, 1, 1.21f}, {6, 1, 2.2f}, {25, 50, 5.24049f}};
    for (const Probe &pr : probes)
        EXPECT_NEAR(pb.RawData(pr.trace, pr.sample), pr.value, 2e-6f)
            << "trace " << pr.trace << " sample " << pr.sample;
}

TEST(SURealData, ObspyFirstTrace)
{
    const fs::path f = realData("su/obspy/1.su_first_trace");
    if (!fs::exists(f))
        GTEST_SKIP() << "real sample file not present";
    orv::Profile p;
    orv::SUReadInfo info;
    std::string error;
    ASSERT_TRUE(orv::ReadSUFile(f.string(), p, info, error)) << error;
    EXPECT_FALSE(info.bigEndian);
    EXPECT_EQ(p.NTraces, 1.0f);
    EXPECT_EQ(p.NSamples, 8000.0f);
    EXPECT_DOUBLE_EQ(info.intervalMs, 0.25);
    EXPECT_EQ(p.TotalTime, 2000.0f);
    EXPECT_EQ(p.RawData(1, 1), -12.0f);
    EXPECT_EQ(p.RawData(1, 2), -31.0f);
    EXPECT_EQ(p.RawData(1, 8000), -28.0f);
}
#endif

TEST(SUWrite, HeaderLayoutAndLength)
{
    TempDir dir;
    const fs::path out = dir / "out.su";
    const orv::Array2D data = makeData(3, 500);
    std::string error;
    ASSERT_TRUE(orv::WriteSUFile(out.string(), data, 3, 500, 250, error)) << error;
    const Bytes b = fileBytes(out);
    ASSERT_EQ(b.size(), 3u * (240 + 4 * 500));
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        const size_t h = static_cast<size_t>(k - 1) * (240 + 4 * 500);
        // offset -> expected 32-bit (width 4) or 16-bit (width 2) value
        struct Field {
            size_t offset;
            int width;
            int32_t value;
        };
        const Field fields[] = {{0, 4, k},   {4, 4, k},         {8, 4, k},         {12, 4, 1},
                                {28, 2, 1},  {36, 4, 100},      {72, 4, k * 100},  {80, 4, k * 100},
                                {114, 2, 500}, {116, 2, 500}};
        std::vector<bool> covered(240, false);
        for (const Field &f : fields) {
            EXPECT_EQ(f.width == 4 ? le32(b, h + f.offset) : le16(b, h + f.offset), f.value)
                << "offset " << f.offset;
            for (int i = 0; i < f.width; ++i)
                covered[f.offset + static_cast<size_t>(i)] = true;
        }
        for (size_t i = 0; i < 240; ++i) {
            if (!covered[i]) {
                EXPECT_EQ(b[h + i], 0) << "header byte " << i;
            }
        }
        EXPECT_EQ(std::bit_cast<float>(static_cast<uint32_t>(le32(b, h + 240))), data(k, 1));
        EXPECT_EQ(std::bit_cast<float>(static_cast<uint32_t>(le32(b, h + 240 + 4 * 499))), data(k, 500));
    }
    EXPECT_EQ(dir.entries(), 1u); // no temporary file left behind
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0644 & ~mask);
}

TEST(SUWrite, RoundTripAndSampleInterval)
{
    struct Case {
        int nt, ns;
        double intervalMs;
        int wantDt;
    };
    const Case cases[] = {{4, 7, 0.25, 250}, {2, 8000, 0.25, 250}, {5, 333, 0.1, 100},
                          {1, 1, 32.767, 32767}, {3, 1000, 0.001, 1}};
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.nt << "x" << c.ns << " dt " << c.wantDt);
        const fs::path out = dir / "rt.su";
        const orv::Array2D data = makeData(c.nt, c.ns);
        const float total = static_cast<float>(c.intervalMs * c.ns);
        std::string error;
        ASSERT_TRUE(orv::WriteSUFile(out.string(), data, static_cast<float>(c.nt),
                                     static_cast<float>(c.ns), total, error))
            << error;
        orv::Profile p;
        orv::SUReadInfo info;
        ASSERT_TRUE(orv::ReadSUFile(out.string(), p, info, error)) << error;
        EXPECT_EQ(p.NTraces, static_cast<float>(c.nt));
        EXPECT_EQ(p.NSamples, static_cast<float>(c.ns));
        EXPECT_EQ(p.RawData, data);
        EXPECT_DOUBLE_EQ(info.intervalMs, c.wantDt / 1000.0);
    }
}

TEST(SUWrite, ReplacesALongerFileWholeAndKeepsItsPermissions)
{
    TempDir dir;
    const fs::path out = dir / "old.su";
    {
        std::ofstream f(out, std::ios::binary);
        const std::string junk(100000, 'x');
        f << junk;
    }
    ASSERT_EQ(::chmod(out.c_str(), 0600), 0);
    const orv::Array2D data = makeData(2, 10);
    std::string error;
    ASSERT_TRUE(orv::WriteSUFile(out.string(), data, 2, 10, 10, error)) << error;
    EXPECT_EQ(fs::file_size(out), 2u * (240 + 40));
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(SUWrite, RefusalsWriteNothing)
{
    struct Case {
        const char *name;
        float nt, ns, total;
        const char *error;
    };
    const Case cases[] = {
        {"no traces", 0, 10, 10, "has 0 traces; a Seismic Unix file can hold 1 to 32767"},
        {"too many traces", 32768, 10, 10, "has 32768 traces; a Seismic Unix file can hold 1 to 32767"},
        {"no samples", 2, 0, 10, "has 0 samples per trace; a Seismic Unix trace can hold 1 to 32767"},
        {"too many samples", 2, 40000, 10,
         "has 40000 samples per trace; a Seismic Unix trace can hold 1 to 32767"},
        {"interval too long", 2, 10, 400,
         "the sample interval of 40 ms does not fit a Seismic Unix header (at most 32.767 ms)"},
        {"interval rounds to 32768 us", 2, 10, 327.676f,
         "the sample interval of 32.7676 ms does not fit a Seismic Unix header (at most 32.767 ms)"},
        {"no interval", 2, 10, 0,
         "the sample interval of 0 ms does not fit a Seismic Unix header (at least 0.001 ms)"},
        {"data smaller than the counts", 3, 10, 10,
         "cannot be written: the profile's amplitudes do not cover 3 traces of 10 samples"},
    };
    TempDir dir;
    const fs::path out = dir / "keep.su";
    {
        std::ofstream f(out, std::ios::binary);
        f << "earlier contents";
    }
    const orv::Array2D data = makeData(2, 10);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(orv::WriteSUFile(out.string(), data, c.nt, c.ns, c.total, error));
        EXPECT_EQ(error, c.error);
        const Bytes b = fileBytes(out);
        ASSERT_TRUE(std::string(b.begin(), b.end()) == "earlier contents");
        EXPECT_EQ(dir.entries(), 1u);
    }
}

TEST(SUWrite, UnwritableLocationIsReported)
{
    TempDir dir;
    const orv::Array2D data = makeData(2, 10);
    std::string error;
    EXPECT_FALSE(orv::WriteSUFile((dir / "no-such-dir/out.su").string(), data, 2, 10, 10, error));
    EXPECT_EQ(error, "cannot be written: No such file or directory");
    EXPECT_FALSE(orv::WriteSUFile((dir / "").string(), data, 2, 10, 10, error));
    EXPECT_EQ(error, "cannot be written: Is a directory");
    EXPECT_EQ(dir.entries(), 0u);
}

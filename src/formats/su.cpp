#include "formats/su.h"
#include "formats/counts.h"
#include "formats/interval.h"
#include "formats/samples16.h"

#include "core/numbers.h"
#include "core/savefile.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>


namespace orv {

namespace {

constexpr uint64_t kHeaderBytes = 240;
constexpr uint64_t kNsOffset = 114;
constexpr uint64_t kDtOffset = 116;

int16_t get16(const uint8_t *p, bool bigEndian)
{
    const unsigned v = bigEndian ? (unsigned(p[0]) << 8) | p[1] : unsigned(p[0]) | (unsigned(p[1]) << 8);
    return static_cast<int16_t>(static_cast<uint16_t>(v));
}

uint16_t getU16(const uint8_t *p, bool bigEndian)
{
    return static_cast<uint16_t>(get16(p, bigEndian));
}

void putU16(uint8_t *p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v & 0xff);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t *p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u & 0xff);
    p[1] = static_cast<uint8_t>((u >> 8) & 0xff);
    p[2] = static_cast<uint8_t>((u >> 16) & 0xff);
    p[3] = static_cast<uint8_t>(u >> 24);
}

uint32_t swap32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0x0000ff00u) | ((v << 8) & 0x00ff0000u) | (v << 24);
}

// Turns n floats read in the file's byte order into host floats, in place.
void decodeInPlace(float *v, size_t n, bool fileBigEndian)
{
    const bool hostBig = std::endian::native == std::endian::big;
    if (fileBigEndian == hostBig)
        return;
    for (size_t i = 0; i < n; ++i)
        v[i] = std::bit_cast<float>(swap32(std::bit_cast<uint32_t>(v[i])));
}

struct TraceEntry {
    uint64_t dataOffset; // first sample byte
    int32_t ns;          // the header's own sample count
};

// Reads at rising offsets served from a block of the file read ahead, so a
// walk over many small traces costs a few large reads instead of one per
// header. A read far past the previous one (a long trace stepped over) or a
// long read goes to the source by itself: reading the gap would cost more
// than the call.
class BlockReader {
public:
    explicit BlockReader(ByteSource &src) : src_(src) {}

    bool failed() const { return src_.failed(); }

    // As ByteSource::read.
    size_t read(uint64_t offset, void *dst, size_t n)
    {
        size_t got = 0;
        const uint8_t *p = view(offset, n, got, static_cast<uint8_t *>(dst));
        if (p != dst && got > 0)
            std::memcpy(dst, p, got);
        return got;
    }

    // The n bytes at offset without copying them where they are buffered:
    // a pointer to them, `got` of them there (short as read() is). Bytes
    // not buffered are read into `scratch` (n bytes) and it is returned.
    const uint8_t *view(uint64_t offset, size_t n, size_t &got, uint8_t *scratch)
    {
        const uint64_t gap = offset > lastEnd_ ? offset - lastEnd_ : 0;
        lastEnd_ = offset + n;
        if (offset >= at_ && offset - at_ <= have_ && n <= have_ - (offset - at_)) {
            got = n;
            return buf_.data() + (offset - at_);
        }
        if (n == 0 || n >= kDirect || gap > kFarGap) {
            got = n ? src_.read(offset, scratch, n) : 0;
            return scratch;
        }
        const uint64_t size = src_.size();
        if (offset >= size) {
            got = 0;
            return scratch;
        }
        // A block, or what is left of a smaller file.
        const auto want = static_cast<size_t>(std::min<uint64_t>(kBlock, size - offset));
        if (buf_.size() < want)
            buf_.resize(want);
        at_ = offset;
        have_ = src_.read(offset, buf_.data(), want);
        got = std::min(n, have_);
        return buf_.data();
    }

private:
    static constexpr size_t kBlock = size_t(1) << 20;
    static constexpr uint64_t kFarGap = uint64_t(32) << 10;
    static constexpr size_t kDirect = size_t(64) << 10;
    ByteSource &src_;
    std::vector<uint8_t> buf_;
    uint64_t at_ = 0;   // file offset of buf_[0]
    size_t have_ = 0;   // bytes of buf_ read
    uint64_t lastEnd_ = 0;
};

// The two bytes of ns read the same in both byte orders.
bool symmetricNs(const uint8_t *h) { return h[kNsOffset] == h[kNsOffset + 1]; }

// The result of walking the trace headers in one byte order.
struct HeaderWalk {
    bool fits = false;        // every ns >= 0 and the walk ended exactly at the file size
    bool readFailed = false;  // the source reported an error
    bool stopped = false;     // the progress callback asked to stop
    uint64_t failedAt = 0;
    int64_t traceCount = 0;   // headers with ns > 0
    int64_t agreeing = 0;     // leading traces with the first trace's ns lying whole in the file
    int64_t negativeHeader = 0; // 1-based number of the first header with ns < 0, 0 if none
    int negativeNs = 0;
    uint8_t firstDt[2] = {0, 0}; // dt of the first trace, as in the file
    std::vector<TraceEntry> traces; // at most kMaxCount + 1 entries are kept
};

// Where a walk stands: the next header's offset and number, and what it has
// found so far.
struct WalkPoint {
    uint64_t offset = 0;
    int64_t header = 0;
    HeaderWalk w;
};

// Headers between two looks at the progress callback.
constexpr int64_t kWalkPoll = 256;

// Steps from header to header (offset += 240 + 4 ns) and records where each
// trace's samples start. A header cut short by the end of the file reads its
// missing bytes as 0; a negative ns stops the walk, since the next header
// cannot be found from it. `split`, when given, receives the point before
// the first header whose ns reads differently in the other byte order: up
// to there a walk in that order goes exactly the same way.
HeaderWalk walkHeaders(BlockReader &in, uint64_t size, bool bigEndian, WalkPoint from,
                       const ReadControl &control, std::optional<WalkPoint> *split = nullptr)
{
    HeaderWalk w = std::move(from.w);
    uint64_t offset = from.offset;
    int64_t header = from.header;
    uint8_t scratch[kHeaderBytes];
    while (offset < size) {
        if (header % kWalkPoll == 0 && !control.report(0)) {
            w.stopped = true;
            return w;
        }
        const uint64_t want = std::min<uint64_t>(kHeaderBytes, size - offset);
        size_t got = 0;
        const uint8_t *h = in.view(offset, static_cast<size_t>(want), got, scratch);
        if (got < want && in.failed()) {
            w.readFailed = true;
            w.failedAt = offset + got;
            return w;
        }
        if (got < kHeaderBytes) { // the missing bytes read as 0
            if (h != scratch)
                std::memcpy(scratch, h, got);
            std::memset(scratch + got, 0, kHeaderBytes - got);
            h = scratch;
        }
        if (split && !*split && !symmetricNs(h))
            *split = WalkPoint{offset, header, w};
        ++header;
        const bool partial = want < kHeaderBytes;
        const int ns = get16(h + kNsOffset, bigEndian);
        if (ns < 0) {
            w.negativeHeader = header;
            w.negativeNs = ns;
            return w;
        }
        if (ns > 0) {
            if (w.traceCount == 0)
                std::memcpy(w.firstDt, h + kDtOffset, 2);
            const bool whole = !partial && offset + kHeaderBytes + 4 * static_cast<uint64_t>(ns) <= size;
            if (w.agreeing == w.traceCount && whole && (w.traces.empty() || w.traces.front().ns == ns))
                ++w.agreeing;
            ++w.traceCount;
            if (w.traceCount <= kMaxCount + 1)
                w.traces.push_back({offset + kHeaderBytes, ns});
        }
        if (partial)
            return w; // the file ends inside this header
        offset += kHeaderBytes + 4 * static_cast<uint64_t>(ns);
    }
    w.fits = offset == size;
    return w;
}

// How many of the first trace's first samples (up to 1024) read as floats
// of a plausible size (0, or a magnitude from 1e-20 to 1e20) in the given
// byte order.
int plausibleSamples(ByteSource &src, const HeaderWalk &w, bool bigEndian)
{
    if (w.traces.empty())
        return 0;
    const TraceEntry &t = w.traces.front();
    std::vector<float> v(static_cast<size_t>(std::min(t.ns, 1024)));
    const size_t got = src.read(t.dataOffset, v.data(), 4 * v.size()) / 4;
    decodeInPlace(v.data(), got, bigEndian);
    int n = 0;
    for (size_t i = 0; i < got; ++i) {
        const float a = std::fabs(v[i]);
        n += a == 0 || (a >= 1e-20f && a <= 1e20f);
    }
    return n;
}

enum class Tiled { Read, No, Stopped };

// Bytes of file a single scatter read takes at most; 512 traces at most,
// two pieces each, stay within the system's limit on pieces.
constexpr size_t kTiledBytes = size_t(8) << 20;
constexpr size_t kTiledTraces = 512;
// Files from this size on are read by two threads where the source allows:
// a large read spends most of its time in the kernel's copy and in faulting
// in fresh pages, and both go twice as fast on two cores.
constexpr uint64_t kSharedReadBytes = uint64_t(16) << 20;

// The common file: nTraces traces of ns samples back to back, up to its
// last byte. Many traces are read at a time with one scatter read that puts
// each trace's samples straight into its row and its header into its place
// in `headers` (240 bytes a trace); every header must then say ns in the
// given byte order. Anything
// else (another ns, a read error, a short read) answers No with `data` in
// an undefined state, and the general walk takes the file over and says
// what is wrong with it.
//
// The file goes in blocks of traces, which the calling thread and, for a
// large file, one helper take in turn from a shared counter; only the
// calling thread reports progress, and a stop or a failure on either side
// ends both.
Tiled readTiled(ByteSource &src, bool bigEndian, int nTraces, int ns, Array2D &data, uint8_t *allHeaders,
                const ReadControl &control)
{
    const size_t sampleBytes = 4 * static_cast<size_t>(ns);
    const size_t traceBytes = kHeaderBytes + sampleBytes;
    const int perRead = static_cast<int>(std::clamp<size_t>(kTiledBytes / traceBytes, 1, kTiledTraces));
    const int blocks = (nTraces + perRead - 1) / perRead;

    std::atomic<int> nextBlock{0};
    std::atomic<int> tracesDone{0};
    std::atomic<bool> failed{false}; // a block was not what the first header says
    std::atomic<bool> stop{false};   // failed, or the read was stopped

    // Takes blocks until none is left or the read is to end; false when a
    // block did not read whole or one of its headers says another ns.
    const auto work = [&](bool shared, ByteSource::Piece *pieces, bool reports) {
        for (;;) {
            if (stop.load(std::memory_order_relaxed))
                return;
            const int block = nextBlock.fetch_add(1, std::memory_order_relaxed);
            if (block >= blocks)
                return;
            const int first = 1 + block * perRead;
            const int count = std::min(perRead, nTraces - first + 1);
            uint8_t *headers = allHeaders + kHeaderBytes * size_t(first - 1);
            for (int i = 0; i < count; ++i) {
                pieces[2 * size_t(i)] = {headers + kHeaderBytes * size_t(i), kHeaderBytes};
                pieces[2 * size_t(i) + 1] = {data.row(first + i) + 1, sampleBytes};
            }
            const uint64_t offset = static_cast<uint64_t>(first - 1) * traceBytes;
            const size_t want = static_cast<size_t>(count) * traceBytes;
            const size_t got = shared ? src.readPiecesShared(offset, pieces, 2 * size_t(count))
                                      : src.readPieces(offset, pieces, 2 * size_t(count));
            bool whole = got == want;
            for (int i = 0; whole && i < count; ++i)
                whole = get16(headers + kHeaderBytes * size_t(i) + kNsOffset, bigEndian) == ns;
            if (!whole) {
                failed.store(true);
                stop.store(true);
                return;
            }
            for (int i = 0; i < count; ++i)
                decodeInPlace(data.row(first + i) + 1, static_cast<size_t>(ns), bigEndian);
            const int done = tracesDone.fetch_add(count) + count;
            if (reports && !control.report(done)) {
                stop.store(true);
                return;
            }
        }
    };

    const auto buffers = [&] { return std::unique_ptr<ByteSource::Piece[]>(new ByteSource::Piece[2 * size_t(perRead)]); };
    const auto mine = buffers();
    std::thread helper;
    std::unique_ptr<ByteSource::Piece[]> its;
    const bool twoThreads = src.sharedReads() && src.size() >= kSharedReadBytes && blocks > 1
        && std::thread::hardware_concurrency() > 1;
    if (twoThreads) {
        try {
            its = buffers();
            helper = std::thread(work, true, its.get(), false);
        } catch (const std::exception &) { // no memory or no thread: one thread reads it all
        }
    }
    work(helper.joinable(), mine.get(), true);
    // The helper may have taken every block: the caller hears of the read,
    // and can stop it, at least once.
    if (!stop.load() && !control.report(tracesDone.load()))
        stop.store(true);
    if (helper.joinable())
        helper.join();
    if (failed.load())
        return Tiled::No;
    return stop.load() ? Tiled::Stopped : Tiled::Read;
}

// Tries the file as tiled by the first header's ns in one byte order:
// Tiled::Read with `data` and `headers` filled, or No with both empty.
Tiled tryTiled(ByteSource &src, const uint8_t *firstHeader, bool bigEndian, Array2D &data,
               std::vector<uint8_t> &headers, const ReadControl &control)
{
    const int ns = get16(firstHeader + kNsOffset, bigEndian);
    if (ns <= 0 || symmetricNs(firstHeader))
        return Tiled::No;
    const uint64_t traceBytes = kHeaderBytes + 4 * static_cast<uint64_t>(ns);
    const uint64_t size = src.size();
    if (size % traceBytes != 0 || size / traceBytes > static_cast<uint64_t>(kMaxCount))
        return Tiled::No;
    const int nTraces = static_cast<int>(size / traceBytes);
    // A profile that does not fit is refused by the general walk, once it
    // has found everything else the file might be refused for.
    std::string tooLarge;
    if (!LoadFitsInMemory(nTraces, ns, control, tooLarge))
        return Tiled::No;
    try {
        data.allocate(nTraces, ns);
        headers.resize(kHeaderBytes * size_t(nTraces));
    } catch (const std::exception &) {
        data.clear();
        return Tiled::No;
    }
    const Tiled r = readTiled(src, bigEndian, nTraces, ns, data, headers.data(), control);
    if (r != Tiled::Read) {
        data.clear();
        headers.clear();
    }
    return r;
}

// Which byte order the file is read in. A file whose headers tile it exactly
// in one order only is read in that order. Otherwise the order is a guess:
// when both tile (a sample count such as 1028 reads the same both ways), the
// one whose samples look like floats of a plausible size; when neither does
// (a file cut short or with bytes appended), the one in which more leading
// traces lie whole in the file with the first trace's sample count. Ties go
// to little-endian.
struct ByteOrder {
    bool bigEndian = false;
    bool guessed = false;
    bool readFailed = false;
    bool stopped = false;
    uint64_t failedAt = 0;
    HeaderWalk walk;
    Tiled tiled = Tiled::No; // Read: the file turned out to tile big-endian and is in `data`
};

ByteOrder chooseByteOrder(ByteSource &src, BlockReader &in, const uint8_t *firstHeader, Array2D &data,
                          std::vector<uint8_t> &headers, const ReadControl &control)
{
    ByteOrder o;
    const uint64_t size = src.size();
    std::optional<WalkPoint> split;
    HeaderWalk le = walkHeaders(in, size, false, {}, control, &split);
    auto failed = [&](const HeaderWalk &w) {
        o.readFailed = w.readFailed;
        o.stopped = w.stopped;
        o.failedAt = w.failedAt;
        return o;
    };
    if (le.readFailed || le.stopped)
        return failed(le);
    const bool symmetric = !le.traces.empty() && (le.traces.front().ns >> 8) == (le.traces.front().ns & 0xff);
    if (le.fits && !symmetric) {
        o.walk = std::move(le);
        return o;
    }
    // The headers do not tile the file little-endian: big-endian files
    // land here, and the common one tiles it and is read at once.
    if (!le.fits && firstHeader) {
        o.tiled = tryTiled(src, firstHeader, true, data, headers, control);
        if (o.tiled == Tiled::Stopped) {
            o.stopped = true;
            return o;
        }
        if (o.tiled == Tiled::Read) {
            o.bigEndian = true;
            return o;
        }
    }
    // Up to the first header whose ns differs between the byte orders both
    // walks are the same; only the rest is walked again.
    HeaderWalk be;
    if (split) {
        be = walkHeaders(in, size, true, std::move(*split), control);
        if (be.readFailed || be.stopped)
            return failed(be);
    } else {
        be = le;
    }
    bool pickBig = false;
    if (le.fits != be.fits) {
        pickBig = be.fits;
    } else {
        o.guessed = le.traceCount + be.traceCount > 0;
        if (le.fits)
            pickBig = plausibleSamples(src, be, true) > plausibleSamples(src, le, false);
        else
            pickBig = be.agreeing > le.agreeing;
    }
    o.bigEndian = pickBig;
    o.walk = pickBig ? std::move(be) : std::move(le);
    return o;
}

} // namespace

bool ReadSUProfile(ByteSource &src, Profile &out, SUReadInfo &info, std::string &error,
                   const ReadControl &control)
{
    const uint64_t size = src.size();
    Array2D data;
    std::vector<uint8_t> headers; // 240 bytes a trace, as in the file

    // Most files are traces of one sample count back to back: read straight
    // into place in one pass, little-endian first (a file that tiles
    // little-endian is read so whatever it reads big-endian).
    uint8_t first[kHeaderBytes];
    const bool haveFirst = size >= kHeaderBytes && src.read(0, first, kHeaderBytes) == kHeaderBytes;
    Tiled tiled = haveFirst ? tryTiled(src, first, false, data, headers, control) : Tiled::No;
    if (tiled == Tiled::Stopped) {
        error = ReadStoppedText;
        return false;
    }
    bool bigEndian = false;

    // Otherwise pass 1: the headers only, to find the byte order, the traces
    // and their sample counts.
    BlockReader in(src);
    ByteOrder order;
    if (tiled == Tiled::No) {
        order = chooseByteOrder(src, in, haveFirst ? first : nullptr, data, headers, control);
        if (order.stopped) {
            error = ReadStoppedText;
            return false;
        }
        if (order.readFailed) {
            error = ReadErrorText(src, order.failedAt);
            return false;
        }
        tiled = order.tiled;
        bigEndian = order.bigEndian;
    }

    int nTraces = 0, nSamples = 0, fitted = 0;
    uint16_t firstDt = 0;
    if (tiled == Tiled::Read) {
        nTraces = data.traceBound();
        nSamples = data.sampleBound();
        firstDt = getU16(first + kDtOffset, bigEndian);
    } else {
        const HeaderWalk &chosen = order.walk;
        if (chosen.negativeHeader > 0) {
            error = "has a negative sample count in trace " + std::to_string(chosen.negativeHeader)
                + " (ns = " + std::to_string(chosen.negativeNs) + ")";
            return false;
        }
        if (chosen.traceCount == 0) {
            error = "contains no trace";
            return false;
        }
        if (chosen.traceCount > kMaxCount) {
            error = "has " + std::to_string(chosen.traceCount) + " traces; at most "
                + std::to_string(kMaxCount) + " can be loaded";
            return false;
        }

        nTraces = static_cast<int>(chosen.traceCount);
        nSamples = chosen.traces.front().ns;
        firstDt = getU16(chosen.firstDt, bigEndian);

        if (!LoadFitsInMemory(nTraces, nSamples, control, error))
            return false;
        try {
            data.allocate(nTraces, nSamples);
            headers.assign(kHeaderBytes * size_t(nTraces), 0);
        } catch (const std::exception &) { // bad_alloc, length_error
            error = "is too large to load (" + std::to_string(nTraces) + " traces of "
                + std::to_string(nSamples) + " samples)";
            return false;
        }

        // Pass 2: each trace's samples straight into its row, decoded in
        // place. Samples past the end of the file stay 0; a trace longer
        // than the first is cut, a shorter one padded with 0. A sample cut
        // short by the end of the file keeps the bytes it has and reads the
        // missing ones as 0.
        for (int k = 1; k <= nTraces; ++k) {
            const TraceEntry &t = chosen.traces[static_cast<size_t>(k - 1)];
            if (t.ns != nSamples)
                ++fitted;
            // The header as read; bytes past the end of the file stay 0.
            const uint64_t at = t.dataOffset - kHeaderBytes;
            const size_t hgot = in.read(at, headers.data() + kHeaderBytes * size_t(k - 1),
                                        static_cast<size_t>(std::min<uint64_t>(kHeaderBytes, size - at)));
            if (hgot < std::min<uint64_t>(kHeaderBytes, size - at) && src.failed()) {
                error = ReadErrorText(src, at + hgot);
                return false;
            }
            const size_t count = static_cast<size_t>(std::min(t.ns, nSamples));
            float *row = data.row(k) + 1;
            uint64_t want = 4 * static_cast<uint64_t>(count);
            if (t.dataOffset >= size)
                want = 0;
            else
                want = std::min<uint64_t>(want, size - t.dataOffset);
            if (want > 0) {
                const size_t got = in.read(t.dataOffset, row, static_cast<size_t>(want));
                if (got < want && src.failed()) {
                    error = ReadErrorText(src, t.dataOffset + got);
                    return false;
                }
                // A read that stopped inside a sample leaves its bytes
                // partly written. Its missing bytes are cleared in file
                // order, so they are the high-order bytes of a
                // little-endian sample and the low-order ones of a
                // big-endian sample; it is then decoded with the whole
                // ones. What follows it is cleared.
                size_t kept = got / 4;
                if (got % 4 != 0) {
                    auto *bytes = reinterpret_cast<uint8_t *>(row);
                    std::fill(bytes + got, bytes + 4 * (kept + 1), uint8_t(0));
                    ++kept;
                }
                std::fill(row + kept, row + count, 0.0f);
                decodeInPlace(row, kept, bigEndian);
            }
            if (!control.report(k)) {
                error = ReadStoppedText;
                return false;
            }
        }
    }

    double intervalMs = firstDt / 1000.0;
    bool substituted = false;
    if (firstDt == 0) {
        intervalMs = SUFallbackIntervalMs;
        substituted = true;
    }

    out.RawData = std::move(data);
    out.NTraces = static_cast<float>(nTraces);
    out.NSamples = static_cast<float>(nSamples);
    out.TotalTime = static_cast<float>(intervalMs * nSamples);
    out.Headers = FileHeaders{};
    out.Headers.kind = FileHeaders::Kind::SU;
    out.Headers.littleEndian = !bigEndian;
    out.Headers.traces = std::move(headers);
    info.intervalMs = intervalMs;
    info.intervalSubstituted = substituted;
    info.bigEndian = bigEndian;
    info.byteOrderGuessed = order.guessed;
    info.fittedTraces = fitted;
    return true;
}

bool ReadSUFile(const std::string &path, Profile &out, SUReadInfo &info, std::string &error,
                const ReadControl &control)
{
    FileSource src;
    if (!src.open(path, error))
        return false;
    return ReadSUProfile(src, out, info, error, control);
}

bool WriteSUFile(const std::string &path, const Array2D &PlotData, float NTraces, float NSamples,
                 float TotalTime, std::string &error, const WriteProgress &progress)
{
    // Everything that can refuse the profile is checked before a byte is
    // written.
    if (!CountInRange(NTraces)) {
        error = "the profile has " + PlainText(NTraces)
            + " traces; a Seismic Unix file can hold 1 to 32767";
        return false;
    }
    if (!CountInRange(NSamples)) {
        error = "the profile has " + PlainText(NSamples)
            + " samples per trace; a Seismic Unix trace can hold 1 to 32767";
        return false;
    }
    const int16_t nt = CInt(NTraces);
    const int16_t ns = CInt(NSamples);
    if (!PlotData.allocated() || PlotData.traceBound() < nt || PlotData.sampleBound() < ns) {
        error = "the profile's amplitudes do not cover "
            + std::to_string(nt) + " traces of " + std::to_string(ns) + " samples";
        return false;
    }
    // dt is an unsigned 16-bit count of microseconds.
    uint32_t interval = 0;
    if (!HeaderInterval(TotalTime, ns, 65535, "Seismic Unix", interval, error))
        return false;
    const auto dt = static_cast<uint16_t>(interval);

    SaveFile out;
    if (!out.open(path, error))
        return false;

    // Headers and samples go through one large buffer.
    const size_t traceBytes = kHeaderBytes + 4 * static_cast<size_t>(ns);
    const size_t bufBytes = std::max<size_t>(
        static_cast<size_t>(std::min<uint64_t>(uint64_t(4) << 20, uint64_t(traceBytes) * static_cast<uint64_t>(nt))),
        traceBytes);
    ByteBlock buf(bufBytes);
    if (!buf) {
        error = "out of memory";
        return false;
    }
    size_t used = 0; // bytes of buf filled
    const bool hostLittle = std::endian::native == std::endian::little;
    for (int k = 1; k <= nt; ++k) {
        if (used + traceBytes > bufBytes) {
            if (!out.write(buf.data(), used, error))
                return false;
            used = 0;
            if (progress)
                progress(k - 1);
        }
        uint8_t *h = buf.data() + used;
        used += traceBytes;
        std::memset(h, 0, kHeaderBytes);
        put32(h + 0, k);  // tracl
        put32(h + 4, k);  // tracr
        put32(h + 8, k);  // fldr
        put32(h + 12, 1); // tracf
        PutLE16(h + 28, 1); // trid
        put32(h + 36, 100);                              // offset
        put32(h + 72, static_cast<int32_t>(k) * 100);    // sx
        put32(h + 80, static_cast<int32_t>(k) * 100);    // gx
        PutLE16(h + kNsOffset, ns);
        putU16(h + kDtOffset, dt);
        uint8_t *s = h + kHeaderBytes;
        const float *row = PlotData.row(k) + 1;
        if (hostLittle) {
            std::memcpy(s, row, 4 * static_cast<size_t>(ns));
        } else {
            for (int j = 0; j < ns; ++j)
                put32(s + 4 * j, static_cast<int32_t>(std::bit_cast<uint32_t>(row[j])));
        }
    }
    if (used > 0 && !out.write(buf.data(), used, error))
        return false;
    return out.commit(error);
}

} // namespace orv

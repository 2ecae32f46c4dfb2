#include "formats/segy.h"
#include "formats/counts.h"
#include "formats/interval.h"
#include "formats/su.h"

#include "core/cpu.h"
#include "core/numbers.h"
#include "core/savefile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {

constexpr size_t kTextBytes = 3200;
constexpr size_t kBinaryAt = 3200;
constexpr size_t kFileHeaderBytes = 3600;
constexpr size_t kTraceHeaderBytes = 240;

// Binary header fields, from the start of the file.
constexpr size_t kBinDt = 3216, kBinNs = 3220, kBinFormat = 3224, kBinExtNs = 3268, kBinExtDt = 3272,
                 kBinByteOrder = 3296, kBinRevision = 3500, kBinFixed = 3502, kBinExtText = 3504,
                 kBinExtraHeaders = 3506, kBinFirstTrace = 3520, kBinTrailers = 3528;
// Trace header fields.
constexpr size_t kTrNs = 114, kTrDt = 116;

uint32_t load(const uint8_t *p, int n, bool bigEndian)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= uint32_t(p[bigEndian ? i : n - 1 - i]) << (8 * (n - 1 - i));
    return v;
}
int16_t get16(const uint8_t *p, bool be) { return static_cast<int16_t>(load(p, 2, be)); }
uint16_t getU16(const uint8_t *p, bool be) { return static_cast<uint16_t>(load(p, 2, be)); }
int32_t get32(const uint8_t *p, bool be) { return static_cast<int32_t>(load(p, 4, be)); }
uint64_t get64(const uint8_t *p, bool be)
{
    const uint64_t hi = load(p, 4, be), lo = load(p + 4, 4, be);
    return be ? hi << 32 | lo : lo << 32 | hi;
}
double getDouble(const uint8_t *p, bool be) { return std::bit_cast<double>(get64(p, be)); }
void putBE(uint8_t *p, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * (n - 1 - i)));
}

int bytesPerSample(int code)
{
    switch (code) {
    case 1: case 2: case 5: return 4;
    case 3: return 2;
    case 6: return 8;
    case 8: return 1;
    default: return 0;
    }
}

// The nearest single to d, ties to even, infinite past the largest.
float narrow(double d)
{
    constexpr double kInfFrom = 0x1.ffffffp127; // halfway from FLT_MAX to 2^128
    const double a = std::fabs(d);
    if (a > FLT_MAX && !std::isnan(d))
        return std::copysign(a >= kInfFrom ? std::numeric_limits<float>::infinity() : FLT_MAX, static_cast<float>(d > 0 ? 1 : -1));
    return static_cast<float>(d);
}

// 16^(e - 64) x 2^-24 for each IBM exponent e: a fraction of 24 bits times
// it is exact in a double.
constexpr std::array<double, 128> kIbmScale = [] {
    std::array<double, 128> t{};
    for (int e = 0; e < 128; ++e)
        t[size_t(e)] = std::bit_cast<double>(uint64_t(4 * e - 280 + 1023) << 52);
    return t;
}();

// IBM floats whose exponent keeps the scale 16^(e - 64) x 2^-24 and every
// product with a 24-bit fraction among the normal singles: e in 39..95, or
// a zero fraction. Their product is exact in single precision.
constexpr uint32_t kIbmSafeLow = 39, kIbmSafeSpan = 95 - 39;

#if defined(__SSE2__)
inline __m128i swapWords(__m128i x)
{
    x = _mm_or_si128(_mm_slli_epi32(x, 16), _mm_srli_epi32(x, 16));
    return _mm_or_si128(_mm_slli_epi16(x, 8), _mm_srli_epi16(x, 8));
}
#endif

// 4-byte samples, four at once where the processor can: each group of four
// is loaded before its results are stored in its place, so raw may be dst
// itself. Checked: `vector` may mark lanes it cannot do exactly (all ones);
// such a group is done again by `scalar` from the words it loaded.

template <bool Swap, bool Checked, typename Vector, typename Scalar>
void decode4Ordered(const uint8_t *raw, float *dst, size_t n, Vector vector, Scalar scalar)
{
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4) {
        __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i *>(raw + 4 * i));
        if constexpr (Swap)
            w = swapWords(w);
        const __m128i inexact = vector(w, dst + i);
        if (Checked && _mm_movemask_epi8(inexact) != 0) {
            alignas(16) uint32_t words[4];
            _mm_store_si128(reinterpret_cast<__m128i *>(words), w);
            for (size_t k = 0; k < 4; ++k)
                dst[i + k] = scalar(words[k]);
        }
    }
#else
    (void)vector;
#endif
    for (; i < n; ++i) {
        uint32_t w;
        std::memcpy(&w, raw + 4 * i, 4);
        dst[i] = scalar(Swap ? __builtin_bswap32(w) : w);
    }
}

template <bool Checked, typename Vector, typename Scalar>
void decode4(const uint8_t *raw, float *dst, size_t n, bool swap, Vector vector, Scalar scalar)
{
    if (swap)
        decode4Ordered<true, Checked>(raw, dst, n, vector, scalar);
    else
        decode4Ordered<false, Checked>(raw, dst, n, vector, scalar);
}

#if defined(ORV_AVX2)
// Formats 1, 2 and 5 eight samples at once where the processor runs AVX2,
// as decode4 does four: the same arithmetic, a group of eight holding an
// IBM value it cannot do exactly done again by IBMToFloat.
template <int Code, bool Swap>
__attribute__((target("avx2"))) void decode8(const uint8_t *raw, float *dst, size_t n)
{
    const __m256i order = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2, 1, 0, 7, 6, 5,
                                           4, 11, 10, 9, 8, 15, 14, 13, 12);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(raw + 4 * i));
        if constexpr (Swap)
            w = _mm256_shuffle_epi8(w, order);
        if constexpr (Code == 5) {
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + i), w);
        } else if constexpr (Code == 2) {
            _mm256_storeu_ps(dst + i, _mm256_cvtepi32_ps(w));
        } else {
            const __m256i f = _mm256_and_si256(w, _mm256_set1_epi32(0xffffff));
            const __m256i zero = _mm256_cmpeq_epi32(f, _mm256_setzero_si256());
            const __m256i e = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(w, 24), _mm256_set1_epi32(0x7f)),
                                              _mm256_and_si256(zero, _mm256_set1_epi32(64)));
            // In range where e - kIbmSafeLow, unsigned, is at most kIbmSafeSpan.
            const __m256i t = _mm256_sub_epi32(e, _mm256_set1_epi32(int(kIbmSafeLow)));
            const __m256i fine = _mm256_cmpeq_epi32(t, _mm256_min_epu32(t, _mm256_set1_epi32(int(kIbmSafeSpan))));
            const __m256i scale = _mm256_slli_epi32(_mm256_sub_epi32(_mm256_slli_epi32(e, 2), _mm256_set1_epi32(153)), 23);
            const __m256 r = _mm256_mul_ps(_mm256_cvtepi32_ps(f), _mm256_castsi256_ps(scale));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + i),
                                _mm256_or_si256(_mm256_castps_si256(r), _mm256_and_si256(w, _mm256_set1_epi32(INT32_MIN))));
            if (_mm256_movemask_epi8(fine) != -1) {
                alignas(32) uint32_t words[8];
                _mm256_store_si256(reinterpret_cast<__m256i *>(words), w);
                for (size_t k = 0; k < 8; ++k)
                    dst[i + k] = IBMToFloat(words[k]);
            }
        }
    }
    for (; i < n; ++i) {
        uint32_t w;
        std::memcpy(&w, raw + 4 * i, 4);
        if constexpr (Swap)
            w = __builtin_bswap32(w);
        dst[i] = Code == 1 ? IBMToFloat(w) : Code == 2 ? static_cast<float>(static_cast<int32_t>(w)) : std::bit_cast<float>(w);
    }
}

template <int Code>
void decode8(const uint8_t *raw, float *dst, size_t n, bool swap)
{
    if (swap)
        decode8<Code, true>(raw, dst, n);
    else
        decode8<Code, false>(raw, dst, n);
}
#endif

// Turns n samples of format `code` lying at `raw` in the file's byte order
// into floats at dst. raw may be dst itself (samples of at most 4 bytes):
// 4-byte samples go a group at a time, each group loaded before its results
// are stored, shorter ones from the last to the first, so none is
// overwritten before it is read.
void decode(int code, bool be, const uint8_t *raw, float *dst, size_t n)
{
    const bool swap = be != (std::endian::native == std::endian::big);
#if defined(ORV_AVX2)
    if ((code == 1 || code == 2 || code == 5) && HasAvx2()) {
        if (code == 1)
            decode8<1>(raw, dst, n, swap);
        else if (code == 2)
            decode8<2>(raw, dst, n, swap);
        else
            decode8<5>(raw, dst, n, swap);
        return;
    }
#endif
    switch (code) {
    case 1:
        // The common values by exact single-precision arithmetic (see
        // kIbmSafeLow); a group holding any other goes through IBMToFloat.
        decode4<true>(
            raw, dst, n, swap,
            [](auto w, float *out) {
#if defined(__SSE2__)
                const __m128i f = _mm_and_si128(w, _mm_set1_epi32(0xffffff));
                // A zero fraction takes an exponent in range (64 where it is 0).
                const __m128i zero = _mm_cmpeq_epi32(f, _mm_setzero_si128());
                const __m128i e = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(w, 24), _mm_set1_epi32(0x7f)),
                                               _mm_and_si128(zero, _mm_set1_epi32(64)));
                // e - kIbmSafeLow above kIbmSafeSpan, unsigned (below 0 wraps
                // round), compared signed with the sign bits flipped.
                const __m128i bad = _mm_cmpgt_epi32(
                    _mm_xor_si128(_mm_sub_epi32(e, _mm_set1_epi32(int(kIbmSafeLow))), _mm_set1_epi32(INT32_MIN)),
                    _mm_set1_epi32(int(kIbmSafeSpan ^ 0x80000000u)));
                const __m128i scale = _mm_slli_epi32(_mm_sub_epi32(_mm_slli_epi32(e, 2), _mm_set1_epi32(153)), 23);
                const __m128 r = _mm_mul_ps(_mm_cvtepi32_ps(f), _mm_castsi128_ps(scale));
                _mm_storeu_ps(out, _mm_castsi128_ps(_mm_or_si128(_mm_castps_si128(r),
                                                                _mm_and_si128(w, _mm_set1_epi32(int(0x80000000u))))));
                return bad;
#else
                (void)w, (void)out;
                return 0;
#endif
            },
            [](uint32_t w) { return IBMToFloat(w); });
        break;
    case 2:
        decode4<false>(
            raw, dst, n, swap,
            [](auto w, float *out) {
#if defined(__SSE2__)
                _mm_storeu_ps(out, _mm_cvtepi32_ps(w));
                return _mm_setzero_si128();
#else
                (void)w, (void)out;
                return 0;
#endif
            },
            [](uint32_t w) { return static_cast<float>(static_cast<int32_t>(w)); });
        break;
    case 5:
        decode4<false>(
            raw, dst, n, swap,
            [](auto w, float *out) {
#if defined(__SSE2__)
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out), w);
                return _mm_setzero_si128();
#else
                (void)w, (void)out;
                return 0;
#endif
            },
            [](uint32_t w) { return std::bit_cast<float>(w); });
        break;
    case 3:
        for (size_t i = n; i-- > 0;)
            dst[i] = static_cast<float>(get16(raw + 2 * i, be));
        break;
    case 8:
        for (size_t i = n; i-- > 0;)
            dst[i] = static_cast<float>(static_cast<int8_t>(raw[i]));
        break;
    case 6:
        for (size_t i = 0; i < n; ++i)
            dst[i] = narrow(getDouble(raw + 8 * i, be));
        break;
    default:
        break;
    }
}

// "((SEG: EndText))" in ASCII and in EBCDIC, the stanza that closes a
// variable number of extended textual headers.
constexpr std::string_view kEndTextAscii = "((SEG: EndText))";
constexpr unsigned char kEndTextEbcdic[] = {0x4D, 0x4D, 0xE2, 0xC5, 0xC7, 0x7A, 0x40, 0xC5,
                                            0x95, 0x84, 0xE3, 0x85, 0xA7, 0xA3, 0x5D, 0x5D};

bool holds(const uint8_t *block, size_t n, const unsigned char *what, size_t len)
{
    return std::search(block, block + n, what, what + len) != block + n;
}

// The layout of the traces after the file headers.
struct Layout {
    bool bigEndian = true;
    int format = 0;
    int bps = 0;                // bytes per sample
    uint64_t dataStart = 0;     // first trace header
    uint64_t dataEnd = 0;       // where the traces end: the file's end or its first data trailer
    uint64_t headerBytes = 0;   // of each trace: 240 and any additional headers
    uint32_t ns = 0;            // samples per trace
    double dtUs = 0;            // 0: none given
};

struct TraceAt {
    uint64_t offset; // its header
    uint32_t ns;     // samples it holds in the file
};

// ASCII code 0x20..0x7E to EBCDIC (code page 037).
constexpr unsigned char kEbcdic[95] = {
    0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xBA, 0xE0, 0xBB, 0xB0, 0x6D,
    0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x4F, 0xD0, 0xA1};

std::string sizeText(uint64_t n) { return std::to_string(n); }

// Reads the file headers and settles the layout of the traces. False with
// a reason.
bool readLayout(ByteSource &src, Layout &l, std::vector<uint8_t> &fileHeaders, const ReadControl &control,
                std::string &error)
{
    const uint64_t size = src.size();
    uint8_t h[kFileHeaderBytes];
    if (size < kFileHeaderBytes) {
        error = "is shorter than its headers (" + sizeText(size) + " bytes; a SEG-Y file has at least "
            + sizeText(kFileHeaderBytes) + ")";
        return false;
    }
    if (const size_t got = src.read(0, h, kFileHeaderBytes); got != kFileHeaderBytes) {
        error = ReadErrorText(src, got);
        return false;
    }
    // The byte order: the revision-2 constant 16909060 where it is there,
    // else the order in which the sample format code is one of the codes
    // the standard defines; big-endian when neither says.
    const uint8_t *bo = h + kBinByteOrder;
    auto plausible = [](int code) { return code >= 1 && code <= 16; };
    if (get32(bo, true) == 16909060)
        l.bigEndian = true;
    else if (get32(bo, false) == 16909060)
        l.bigEndian = false;
    else
        l.bigEndian = plausible(get16(h + kBinFormat, true)) || !plausible(get16(h + kBinFormat, false));
    const bool be = l.bigEndian;

    l.format = get16(h + kBinFormat, be);
    l.bps = bytesPerSample(l.format);
    if (l.bps == 0) {
        error = "has samples in format " + std::to_string(l.format)
            + ", which cannot be read (formats 1, 2, 3, 5, 6 and 8 can)";
        return false;
    }
    const bool rev2 = h[kBinRevision] >= 2 && h[kBinRevision] <= 3;
    int64_t extra = 0;
    if (rev2 && get32(h + kBinExtraHeaders, be) > 0)
        extra = get32(h + kBinExtraHeaders, be);
    // Some writers put the count in the field's first two bytes only.
    if (extra > 0xffff && (extra & 0xffff) == 0)
        extra >>= 16;
    if (extra > 1024) {
        error = "announces " + std::to_string(extra) + " additional headers per trace; at most 1024 can be read";
        return false;
    }
    l.headerBytes = kTraceHeaderBytes * uint64_t(1 + extra);

    // The extended textual headers: a count, or -1 for as many as it takes
    // to reach the stanza that ends them.
    const int extText = get16(h + kBinExtText, be);
    uint64_t start = kFileHeaderBytes;
    if (extText > 0) {
        start += kTextBytes * uint64_t(extText);
    } else if (extText == -1) {
        std::vector<uint8_t> block(kTextBytes);
        for (bool ended = false; !ended; start += kTextBytes) {
            if (start + kTextBytes > size) {
                error = "has extended textual headers without the ((SEG: EndText)) stanza that ends them";
                return false;
            }
            if (src.read(start, block.data(), kTextBytes) != kTextBytes) {
                error = ReadErrorText(src, start);
                return false;
            }
            ended = holds(block.data(), kTextBytes, reinterpret_cast<const unsigned char *>(kEndTextAscii.data()),
                          kEndTextAscii.size())
                || holds(block.data(), kTextBytes, kEndTextEbcdic, sizeof kEndTextEbcdic);
            if (((start - kFileHeaderBytes) / kTextBytes) % 256 == 255 && !control.report(0)) {
                error = ReadStoppedText;
                return false;
            }
        }
    } else if (extText < 0) {
        error = "gives " + std::to_string(extText) + " as its number of extended textual headers";
        return false;
    }
    if (start > size) {
        error = "is shorter than its headers (" + sizeText(size) + " bytes; its " + std::to_string(extText)
            + " extended textual headers end at byte " + sizeText(start) + ")";
        return false;
    }
    l.dataStart = start;
    l.dataEnd = size;
    // Revision 2 may give where the first trace starts (0: after the
    // headers), past a gap, and a count of 3200-byte data trailers after
    // the last trace (-1: not known).
    if (rev2) {
        const uint64_t at = get64(h + kBinFirstTrace, be);
        if (at != 0 && at < start) {
            error = "puts its first trace at byte " + sizeText(at) + ", inside its headers (" + sizeText(start)
                + " bytes)";
            return false;
        }
        if (at > size) {
            error = "puts its first trace at byte " + sizeText(at) + ", past its end (" + sizeText(size) + " bytes)";
            return false;
        }
        if (at != 0)
            l.dataStart = at;
        if (const int32_t trailers = get32(h + kBinTrailers, be); trailers > 0) {
            const uint64_t bytes = kTextBytes * uint64_t(trailers);
            if (bytes > size - l.dataStart) {
                error = "announces " + std::to_string(trailers) + " data trailers of 3200 bytes, more than the "
                    + sizeText(size - l.dataStart) + " bytes from its first trace on";
                return false;
            }
            l.dataEnd = size - bytes;
        }
    }

    // Sample count and interval: the binary header's (revision 2's
    // extended fields where set), else the first trace header's.
    uint8_t first[kTraceHeaderBytes] = {};
    const bool haveFirst = l.dataEnd - l.dataStart >= kTraceHeaderBytes;
    if (haveFirst && src.read(l.dataStart, first, kTraceHeaderBytes) != kTraceHeaderBytes) {
        error = ReadErrorText(src, l.dataStart);
        return false;
    }
    l.ns = getU16(h + kBinNs, be);
    if (rev2 && get32(h + kBinExtNs, be) != 0)
        l.ns = static_cast<uint32_t>(get32(h + kBinExtNs, be));
    if (l.ns == 0)
        l.ns = getU16(first + kTrNs, be);
    // An extended interval counts from 1e-6 us (a femtosecond) to 1e12 us;
    // one beyond either end is taken as not set.
    const double extDt = rev2 ? getDouble(h + kBinExtDt, be) : 0;
    if (extDt >= 1e-6 && extDt <= 1e12)
        l.dtUs = extDt;
    else if (get16(h + kBinDt, be) > 0)
        l.dtUs = get16(h + kBinDt, be);
    else if (get16(first + kTrDt, be) > 0)
        l.dtUs = get16(first + kTrDt, be);

    if (l.dataStart == l.dataEnd) {
        error = "contains no trace";
        return false;
    }
    if (l.ns == 0) {
        error = "gives no sample count in its binary header or its first trace header";
        return false;
    }
    if (l.ns > static_cast<uint32_t>(kMaxCount)) {
        error = "has " + std::to_string(l.ns) + " samples per trace; at most " + std::to_string(kMaxCount)
            + " can be loaded";
        return false;
    }
    fileHeaders.resize(start);
    if (src.read(0, fileHeaders.data(), start) != start) {
        error = ReadErrorText(src, 0);
        return false;
    }
    return true;
}

// The traces, up to any data trailers: all of the layout's length when
// they tile the file; else each header's own count where that walk ends at
// the file's end; else the layout's length with the last trace cut short,
// when at least its header is whole. Traces of their own counts are fitted
// to the first one's, which becomes the layout's. False with a reason when
// none of them fits.
bool findTraces(ByteSource &src, Layout &l, std::vector<TraceAt> &traces, int &cutTrace,
                const ReadControl &control, std::string &error)
{
    const uint64_t dataEnd = l.dataEnd;
    const uint64_t traceBytes = l.headerBytes + uint64_t(l.ns) * uint64_t(l.bps);
    const uint64_t rest = dataEnd - l.dataStart;
    const uint64_t whole = rest / traceBytes, left = rest % traceBytes;
    const uint64_t limit = uint64_t(kMaxCount);
    auto tooMany = [&](uint64_t n) {
        error = "has " + sizeText(n) + " traces; at most " + std::to_string(kMaxCount) + " can be loaded";
        return false;
    };
    auto fixed = [&](uint64_t n) {
        if (n > limit)
            return tooMany(n);
        traces.resize(n);
        for (uint64_t k = 0; k < n; ++k)
            traces[k] = {l.dataStart + k * traceBytes, l.ns};
        return true;
    };
    if (left == 0)
        return fixed(whole);

    // Each header's own sample count (0: the layout's).
    std::vector<TraceAt> walk;
    uint64_t at = l.dataStart;
    uint8_t ns[2];
    while (at + l.headerBytes <= dataEnd && walk.size() <= limit) {
        if (walk.size() % 256 == 255 && !control.report(0)) {
            error = ReadStoppedText;
            return false;
        }
        if (src.read(at + kTrNs, ns, 2) != 2) {
            error = ReadErrorText(src, at + kTrNs);
            return false;
        }
        const uint32_t n = getU16(ns, l.bigEndian) ? getU16(ns, l.bigEndian) : l.ns;
        walk.push_back({at, n});
        at += l.headerBytes + uint64_t(n) * uint64_t(l.bps);
    }
    if (at == dataEnd) {
        if (walk.size() > limit)
            return tooMany(walk.size());
        if (walk.front().ns > uint32_t(kMaxCount)) {
            error = "has " + std::to_string(walk.front().ns) + " samples in its first trace; at most "
                + std::to_string(kMaxCount) + " can be loaded";
            return false;
        }
        l.ns = walk.front().ns;
        traces = std::move(walk);
        return true;
    }
    if (left >= l.headerBytes) {
        cutTrace = static_cast<int>(std::min(whole + 1, limit + 1));
        return fixed(whole + 1);
    }
    error = "ends inside the header of trace " + sizeText(whole + 1) + ": after its headers (" + sizeText(l.dataStart)
        + " bytes) come " + sizeText(rest) + " bytes, which traces of " + sizeText(traceBytes)
        + " bytes do not fill";
    return false;
}

} // namespace

float IBMToFloat(uint32_t ibm)
{
    const float f = narrow(double(ibm & 0xffffffu) * kIbmScale[(ibm >> 24) & 0x7f]);
    return ibm >> 31 ? -f : f;
}

bool ReadSEGYProfile(ByteSource &src, Profile &out, SEGYReadInfo &info, std::string &error,
                     const ReadControl &control)
{
    Layout l;
    FileHeaders headers;
    if (!readLayout(src, l, headers.file, control, error))
        return false;
    std::vector<TraceAt> traces;
    int cutTrace = 0;
    if (!findTraces(src, l, traces, cutTrace, control, error))
        return false;
    if (traces.empty()) {
        error = "contains no trace";
        return false;
    }
    const int nTraces = static_cast<int>(traces.size());
    const int ns = static_cast<int>(l.ns);
    if (!LoadFitsInMemory(nTraces, ns, control, error))
        return false;
    Array2D data;
    try {
        data.allocate(nTraces, ns);
        headers.traces.assign(kTraceHeaderBytes * size_t(nTraces), 0);
    } catch (const std::exception &) {
        error = "is too large to load (" + std::to_string(nTraces) + " traces of " + std::to_string(ns) + " samples)";
        return false;
    }

    // Traces that lie back to back go in one scatter read of many traces,
    // each header into its place and the samples into their row, decoded
    // there.
    const uint64_t dataEnd = l.dataEnd;
    const size_t bps = static_cast<size_t>(l.bps);
    // Blocks of about 256 kB: the decoding pass finds them still in the cache.
    const size_t perRead = std::clamp<size_t>((size_t(256) << 10) / (l.headerBytes + size_t(ns) * bps), 1, 256);
    int fitted = 0;
    {
        std::vector<ByteSource::Piece> pieces;
        std::vector<size_t> counts;
        std::vector<uint8_t> wide; // samples of 8 bytes, before they are narrowed
        std::vector<uint8_t> skipped(l.headerBytes - kTraceHeaderBytes + 1); // additional trace headers
        if (bps == 8)
            wide.resize(perRead * size_t(ns) * 8);
        for (size_t k = 0; k < traces.size();) {
            pieces.clear();
            counts.clear();
            const uint64_t from = traces[k].offset;
            uint64_t end = from;
            const size_t first = k;
            while (k < traces.size() && k - first < perRead && traces[k].offset == end) {
                const TraceAt &t = traces[k];
                const uint64_t avail = dataEnd - t.offset - l.headerBytes;
                const size_t count = static_cast<size_t>(std::min<uint64_t>({t.ns, uint64_t(ns), avail / bps}));
                fitted += t.ns != l.ns;
                pieces.push_back({headers.traces.data() + kTraceHeaderBytes * k, kTraceHeaderBytes});
                if (l.headerBytes > kTraceHeaderBytes)
                    pieces.push_back({skipped.data(), l.headerBytes - kTraceHeaderBytes});
                uint8_t *raw = bps == 8 ? wide.data() + (k - first) * size_t(ns) * 8
                                        : reinterpret_cast<uint8_t *>(data.row(static_cast<int>(k) + 1) + 1);
                pieces.push_back({raw, count * bps});
                counts.push_back(count);
                end = t.offset + l.headerBytes + uint64_t(t.ns) * bps;
                ++k;
                if (t.ns > count) // a longer trace's tail, or the end of the file, is not read
                    break;
            }
            size_t want = 0;
            for (const ByteSource::Piece &p : pieces)
                want += p.n;
            if (const size_t got = src.readPieces(from, pieces.data(), pieces.size()); got != want) {
                error = ReadErrorText(src, from + got);
                return false;
            }
            for (size_t i = 0; i < counts.size(); ++i) {
                float *row = data.row(static_cast<int>(first + i) + 1) + 1;
                const uint8_t *raw = bps == 8 ? wide.data() + i * size_t(ns) * 8 : reinterpret_cast<const uint8_t *>(row);
                decode(l.format, l.bigEndian, raw, row, counts[i]);
            }
            if (!control.report(static_cast<int>(k))) {
                error = ReadStoppedText;
                return false;
            }
        }
    }

    const bool substituted = !(l.dtUs > 0);
    const double intervalMs = substituted ? SUFallbackIntervalMs : l.dtUs / 1000.0;
    headers.kind = FileHeaders::Kind::SEGY;
    headers.littleEndian = !l.bigEndian;
    out.RawData = std::move(data);
    out.NTraces = static_cast<float>(nTraces);
    out.NSamples = static_cast<float>(ns);
    out.TotalTime = static_cast<float>(intervalMs * ns);
    out.Headers = std::move(headers);
    info = {};
    info.intervalMs = intervalMs;
    info.intervalSubstituted = substituted;
    info.bigEndian = l.bigEndian;
    info.format = l.format;
    info.fittedTraces = fitted;
    info.cutTrace = cutTrace;
    return true;
}

bool ReadSEGYFile(const std::string &path, Profile &out, SEGYReadInfo &info, std::string &error,
                  const ReadControl &control)
{
    FileSource src;
    if (!src.open(path, error))
        return false;
    return ReadSEGYProfile(src, out, info, error, control);
}

namespace {

// The widths of the fields of a header, for turning it into big-endian:
// {first byte, bytes per field}, each run up to the next one's first byte;
// a width of 1 leaves bytes as they are (text, unassigned).
struct Run {
    uint16_t from;
    uint8_t width;
};
constexpr Run kBinaryRuns[] = {{0, 4},   {12, 2},  {60, 4},  {72, 8},  {88, 4},  {100, 1}, {300, 1},
                               {302, 2}, {306, 4}, {310, 2}, {312, 8}, {328, 4}, {332, 1}, {400, 0}};
constexpr Run kSEGYTraceRuns[] = {{0, 4},   {28, 2},  {36, 4},  {68, 2},  {72, 4},  {88, 2},  {180, 4},
                                  {200, 2}, {204, 4}, {208, 2}, {224, 4}, {228, 2}, {232, 1}, {240, 0}};
// Seismic Unix's own fields from byte 180 on: floats, an int, shorts.
constexpr Run kSUTraceRuns[] = {{0, 4},  {28, 2},  {36, 4},  {68, 2},  {72, 4},
                                {88, 2}, {180, 4}, {208, 2}, {240, 0}};

template <size_t N>
void toBigEndian(uint8_t *h, const Run (&runs)[N])
{
    for (size_t r = 0; r + 1 < N; ++r)
        if (runs[r].width > 1)
            for (size_t at = runs[r].from; at < runs[r + 1].from; at += runs[r].width)
                std::reverse(h + at, h + at + runs[r].width);
}

void putText(uint8_t *line, const std::string &text)
{
    std::memset(line, kEbcdic[0], 80);
    for (size_t i = 0; i < text.size() && i < 80; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        line[i] = c >= 0x20 && c <= 0x7e ? kEbcdic[c - 0x20] : kEbcdic[0];
    }
}

// The file headers of a profile that brings none: an EBCDIC card image
// saying what wrote it, and a binary header of the profile's sizes.
std::vector<uint8_t> madeFileHeaders(int nt, int ns, float TotalTime, uint32_t dt)
{
    std::vector<uint8_t> f(kFileHeaderBytes, 0);
    std::string lines[40];
    lines[0] = "Written by Orvane";
    lines[1] = std::to_string(nt) + " traces of " + std::to_string(ns) + " samples";
    lines[2] = "sample interval " + PlainText(static_cast<float>(static_cast<double>(TotalTime) / ns)) + " ms";
    lines[38] = "SEG Y REV1";
    lines[39] = "END TEXTUAL HEADER";
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i + 1);
        putText(f.data() + 80 * i, "C" + std::string(n.size() < 2 ? "0" : "") + n + " " + lines[i]);
    }
    putBE(f.data() + 3200, 1, 4); // job
    putBE(f.data() + 3204, 1, 4); // line
    putBE(f.data() + 3208, 1, 4); // reel
    putBE(f.data() + 3212, static_cast<uint32_t>(nt), 2); // traces per ensemble
    putBE(f.data() + 3218, dt, 2);                        // of the recording
    putBE(f.data() + 3222, static_cast<uint32_t>(ns), 2);
    putBE(f.data() + 3228, 1, 2); // sorted as recorded
    putBE(f.data() + 3254, 1, 2); // metres
    return f;
}

} // namespace

bool WriteSEGYFile(const std::string &path, const Array2D &PlotData, float NTraces, float NSamples,
                   float TotalTime, const FileHeaders &headers, std::string &error, const WriteProgress &progress)
{
    if (!CountInRange(NTraces)) {
        error = "the profile has " + PlainText(NTraces) + " traces; a SEG-Y file can hold 1 to 32767";
        return false;
    }
    if (!CountInRange(NSamples)) {
        error = "the profile has " + PlainText(NSamples) + " samples per trace; a SEG-Y trace can hold 1 to 32767";
        return false;
    }
    const int nt = CInt(NTraces), ns = CInt(NSamples);
    if (!PlotData.allocated() || PlotData.traceBound() < nt || PlotData.sampleBound() < ns) {
        error = "the profile's amplitudes do not cover " + std::to_string(nt) + " traces of " + std::to_string(ns)
            + " samples";
        return false;
    }
    // The interval as the SU writer forms it; the field is read signed, so
    // it holds at most 32767 us.
    uint32_t dt = 0;
    if (!HeaderInterval(TotalTime, ns, 32767, "SEG-Y", dt, error))
        return false;

    const bool kept = headers.kind != FileHeaders::Kind::None && headers.traces.size() == kTraceHeaderBytes * size_t(nt);
    const bool keptFile = kept && headers.kind == FileHeaders::Kind::SEGY && headers.file.size() >= kFileHeaderBytes
        && (headers.file.size() - kFileHeaderBytes) % kTextBytes == 0;
    std::vector<uint8_t> file;
    if (keptFile) {
        file = headers.file;
        if (headers.littleEndian)
            toBigEndian(file.data() + kBinaryAt, kBinaryRuns);
        // Revision 1 knows none of these: the extended count and interval
        // would contradict the ones written, and no trace has additional
        // headers or a trailer.
        std::memset(file.data() + kBinExtNs, 0, 12);
        std::memset(file.data() + kBinExtraHeaders, 0, 4);
        std::memset(file.data() + 3520, 0, 12);
        // The byte-order constant, where there is one, says big-endian now.
        if (get32(file.data() + kBinByteOrder, false) == 16909060)
            putBE(file.data() + kBinByteOrder, 16909060, 4);
    } else {
        file = madeFileHeaders(nt, ns, TotalTime, dt);
    }
    putBE(file.data() + kBinDt, dt, 2);
    putBE(file.data() + kBinNs, static_cast<uint32_t>(ns), 2);
    putBE(file.data() + kBinFormat, 5, 2);
    putBE(file.data() + kBinRevision, 0x0100, 2);
    putBE(file.data() + kBinFixed, 1, 2);
    putBE(file.data() + kBinExtText, static_cast<uint32_t>((file.size() - kFileHeaderBytes) / kTextBytes), 2);

    SaveFile out;
    if (!out.open(path, error) || !out.write(file.data(), file.size(), error))
        return false;

    const size_t traceBytes = kTraceHeaderBytes + 4 * size_t(ns);
    const size_t bufBytes = std::max(std::min<size_t>(size_t(4) << 20, traceBytes * size_t(nt)), traceBytes);
    std::unique_ptr<uint8_t[]> buf(new (std::nothrow) uint8_t[bufBytes]);
    if (!buf) {
        error = "out of memory";
        return false;
    }
    size_t used = 0;
    for (int k = 1; k <= nt; ++k) {
        if (used + traceBytes > bufBytes) {
            if (!out.write(buf.get(), used, error))
                return false;
            used = 0;
            if (progress)
                progress(k - 1);
        }
        uint8_t *h = buf.get() + used;
        used += traceBytes;
        if (kept) {
            std::memcpy(h, headers.traces.data() + kTraceHeaderBytes * size_t(k - 1), kTraceHeaderBytes);
            if (headers.littleEndian) {
                if (headers.kind == FileHeaders::Kind::SU)
                    toBigEndian(h, kSUTraceRuns);
                else
                    toBigEndian(h, kSEGYTraceRuns);
            }
        } else {
            std::memset(h, 0, kTraceHeaderBytes);
            putBE(h + 0, static_cast<uint32_t>(k), 4);   // tracl
            putBE(h + 4, static_cast<uint32_t>(k), 4);   // tracr
            putBE(h + 8, static_cast<uint32_t>(k), 4);   // fldr
            putBE(h + 12, 1, 4);                         // tracf
            putBE(h + 28, 1, 2);                         // trid
            putBE(h + 36, 100, 4);                       // offset
            putBE(h + 72, static_cast<uint32_t>(k * 100), 4); // sx
            putBE(h + 80, static_cast<uint32_t>(k * 100), 4); // gx
        }
        putBE(h + kTrNs, static_cast<uint32_t>(ns), 2);
        putBE(h + kTrDt, dt, 2);
        const float *row = PlotData.row(k) + 1;
        uint8_t *s = h + kTraceHeaderBytes;
        for (int j = 0; j < ns; ++j) {
            uint32_t u = std::bit_cast<uint32_t>(row[j]);
            if constexpr (std::endian::native == std::endian::little)
                u = __builtin_bswap32(u);
            std::memcpy(s + 4 * j, &u, 4);
        }
    }
    if (used > 0 && !out.write(buf.get(), used, error))
        return false;
    return out.commit(error);
}

} // namespace orv

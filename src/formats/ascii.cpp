#include "formats/ascii.h"

#include "formats/counts.h"
#include "core/inputfile.h"

#include "core/numbers.h"
#include "core/savefile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace orv {

namespace {

constexpr size_t kChunk = size_t(4) << 20;
constexpr size_t kMinChunk = size_t(4) << 10;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isDelimiter(char c) { return c == ',' || isBlank(c) || isLineEnd(c); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of one number item, as Val gives it, in single precision. Plain
// items ([-]digits[.digits][e[+|-]digits]) go straight through from_chars on
// the item itself, which gives the very double Val forms from the same digits;
// everything else (a plus sign, a D exponent, trailing letters, a value out
// of range) is left to Val.
float itemValue(const char *first, const char *last)
{
    const char *p = first;
    if (p < last && *p == '-')
        ++p;
    if (p < last && (isDigit(*p) || *p == '.')) {
        double v = 0;
        const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::general);
        if (ec == std::errc() && end == last)
            return v == 0 ? 0.0f : static_cast<float>(v); // Val gives +0 for -0
    }
    return static_cast<float>(Val(std::string_view(first, static_cast<size_t>(last - first))));
}

// Splits text into number items the way TextItemReader::readNumber does and
// stores their values, trace after trace. Text may arrive in pieces, each
// ending on a separator, so no item is ever cut in two.
class ItemParser {
public:
    ItemParser(Array2D &data, int nSamples, uint64_t want) : data_(data), ns_(nSamples), want_(want) {}

    // Takes the items of [p, end); stops early once enough numbers are in.
    void feed(const char *p, const char *end)
    {
        while (p < end && count_ < want_) {
            const char c = *p;
            if (isBlank(c)) {
                ++p;
            } else if (isLineEnd(c)) {
                afterItem_ = false; // the reader takes one line end after an item
                ++p;
            } else if (c == ',') {
                if (!afterItem_)
                    store(0.0f); // nothing between two separators: an empty item
                afterItem_ = false;
                ++p;
            } else {
                const char *q = p + 1;
                while (q < end && !isDelimiter(*q))
                    ++q;
                store(itemValue(p, q));
                afterItem_ = true;
                p = q;
            }
        }
    }

    bool full() const { return count_ >= want_; }
    uint64_t count() const { return count_; }

private:
    void store(float v)
    {
        if (count_ < want_)
            data_(trace_, sample_) = v;
        ++count_;
        if (++sample_ > ns_) {
            sample_ = 1;
            ++trace_;
        }
    }

    Array2D &data_;
    int ns_;
    uint64_t want_;
    uint64_t count_ = 0;
    int trace_ = 1;
    int sample_ = 1;
    bool afterItem_ = false; // an item just ended; a comma here belongs to it
};

// An open descriptor that is closed on every way out.
// The fixed text of |v| to 7 significant digits with the trailing zeros cut,
// as "%.7G" writes it, into p; nothing (nullptr) where that form would be the
// exponent one or v is not an ordinary value. Exact integer arithmetic on
// the float's own binary value, rounding halves to even like the C library.
char *fixedDigits(char *p, float v)
{
    static constexpr uint64_t pow10[] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
                                         10000000ull, 100000000ull, 1000000000ull, 10000000000ull,
                                         100000000000ull, 1000000000000ull};
    const float a = std::fabs(v);
    if (!(a >= 9.9e-6f && a < 1e7f)) // NaN and Inf land here too
        return nullptr;
    // A normal float: a = mant / 2^shift with a 24-bit mant.
    const uint32_t b = std::bit_cast<uint32_t>(a);
    const int biased = static_cast<int>(b >> 23);
    const uint64_t mant = (b & 0x7fffffu) | 0x800000u;
    const int shift = 150 - biased;
    if (shift < 0 || shift > 63)
        return nullptr;
    // s decimals: the s with 10^6 <= floor(a * 10^s) < 10^7, i.e. 7 digits.
    // The power of ten from the power of two is right or one too small.
    const int exp2 = biased - 127;
    int s = 6 - ((exp2 * 1233) >> 12); // floor(exp2 * log10(2))
    auto truncated = [&](int dec) {
        return (mant * pow10[dec]) >> shift; // below 2^24 * 10^12 < 2^64
    };
    if (s < 0 || s > 12)
        return nullptr;
    if (truncated(s) >= pow10[7]) {
        if (--s < 0)
            return nullptr;
    } else if (truncated(s) < pow10[6]) {
        if (++s > 12)
            return nullptr;
    }
    const uint64_t scaled = mant * pow10[s];
    uint64_t n = scaled >> shift;
    if (shift > 0) {
        const uint64_t rem = scaled & ((uint64_t(1) << shift) - 1);
        const uint64_t half = uint64_t(1) << (shift - 1);
        if (rem > half || (rem == half && (n & 1)))
            ++n;
    }
    if (n >= pow10[7]) { // 9999999.6 -> 10000000: one digit fewer after the point
        n /= 10;
        --s;
    }
    const int x = 6 - s; // the decimal exponent of the rounded value
    if (x < -4 || x > 6)
        return nullptr;
    // Trailing zeros after the point go.
    while (s > 0 && n % 10 == 0) {
        n /= 10;
        --s;
    }
    char digits[8];
    int nd = 0;
    do {
        digits[nd++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n);
    // digits holds nd digits, lowest first; s of them go after the point.
    if (s >= nd) {
        *p++ = '0';
        *p++ = '.';
        for (int i = 0; i < s - nd; ++i)
            *p++ = '0';
        for (int i = nd - 1; i >= 0; --i)
            *p++ = digits[i];
    } else {
        for (int i = nd - 1; i >= 0; --i) {
            *p++ = digits[i];
            if (i == s && s > 0)
                *p++ = '.';
        }
    }
    return p;
}

// Writes PrintText(v) at p (at most 24 characters); returns its end.
char *putPrintText(char *p, float v)
{
    if (v == 0) { // also -0
        std::memcpy(p, " 0 ", 3);
        return p + 3;
    }
    *p = std::signbit(v) ? '-' : ' ';
    char *const digitsAt = p + 1;
    char *end = fixedDigits(digitsAt, v);
    if (!end) {
        const std::string t = PrintText(v);
        std::memcpy(p, t.data(), t.size());
        return p + t.size();
    }
    // No 0 before the point, as in the signed form.
    if (end - digitsAt > 1 && digitsAt[0] == '0' && digitsAt[1] == '.') {
        std::memmove(digitsAt, digitsAt + 1, static_cast<size_t>(end - digitsAt - 1));
        --end;
    }
    *end++ = ' ';
    return end;
}

} // namespace

bool ReadAsciiFile(const std::string &path, float NTraces, float NSamples, float TotalTime, Profile &out,
                   std::string &error, const ReadControl &control)
{
    if (!WholeCount(NTraces)) {
        error = "cannot be read as " + PlainText(NTraces)
            + " traces: the number of traces must be a whole number from 1 to 32767";
        return false;
    }
    if (!WholeCount(NSamples)) {
        error = "cannot be read with " + PlainText(NSamples)
            + " samples per trace: the number of samples must be a whole number from 1 to 32767";
        return false;
    }
    if (!(TotalTime > 0) || std::isinf(TotalTime)) {
        error = "cannot be read with a time window of " + PlainText(TotalTime)
            + ": the time window must be a number greater than 0";
        return false;
    }
    const int nt = static_cast<int>(NTraces);
    const int ns = static_cast<int>(NSamples);

    InputFile f;
    if (const auto r = f.open(path); r != InputFile::Refusal::None) {
        error = f.refusalText(r);
        return false;
    }

    if (!LoadFitsInMemory(nt, ns, control, error))
        return false;
    Profile p;
    std::vector<char> buf;
    // A piece is the whole of a small file, so a short read costs no more
    // than its size.
    const size_t chunk = static_cast<size_t>(std::clamp<uint64_t>(f.size() + 1, kMinChunk, kChunk));
    try {
        p.RawData.allocate(nt, ns);
        buf.resize(chunk);
    } catch (const std::exception &) { // bad_alloc, length_error
        error = "is too large to load (" + std::to_string(nt) + " traces of " + std::to_string(ns)
            + " samples)";
        return false;
    }

    // The file goes through in large pieces. Each piece is parsed up to its
    // last separator; an item cut by the end of the piece waits for the next.
    const uint64_t want = static_cast<uint64_t>(nt) * static_cast<uint64_t>(ns);
    ItemParser items(p.RawData, ns, want);
    size_t kept = 0; // bytes of an unfinished item at the front of buf
    for (;;) {
        if (buf.size() - kept < chunk / 2) {
            try {
                buf.resize(buf.size() * 2); // one item longer than a piece
            } catch (const std::exception &) {
                error = "is too large to load (an item of more than " + std::to_string(kept)
                    + " characters)";
                return false;
            }
        }
        const ssize_t got = f.readFully(buf.data() + kept, buf.size() - kept);
        if (got < 0) {
            error = std::string("cannot be read: ") + std::strerror(errno);
            return false;
        }
        const size_t have = kept + static_cast<size_t>(got);
        const bool last = static_cast<size_t>(got) < buf.size() - kept;
        size_t upTo = have;
        if (!last) {
            while (upTo > 0 && !isDelimiter(buf[upTo - 1]))
                --upTo;
        }
        items.feed(buf.data(), buf.data() + upTo);
        if (last || items.full())
            break;
        if (!control.report(static_cast<int>(items.count() / static_cast<uint64_t>(ns)))) {
            error = ReadStoppedText;
            return false;
        }
        kept = have - upTo;
        std::memmove(buf.data(), buf.data() + upTo, kept);
    }

    if (!items.full()) {
        error = "holds " + std::to_string(items.count()) + (items.count() == 1 ? " number; " : " numbers; ")
            + std::to_string(nt) + (nt == 1 ? " trace of " : " traces of ") + std::to_string(ns)
            + (ns == 1 ? " sample needs " : " samples need ") + std::to_string(want);
        return false;
    }

    p.NTraces = static_cast<float>(nt);
    p.NSamples = static_cast<float>(ns);
    p.TotalTime = TotalTime;
    out = std::move(p);
    return true;
}

bool WriteAsciiFile(const std::string &path, const Array2D &PlotData, float NTraces, float NSamples,
                    std::string &error, const WriteProgress &progress)
{
    if (!CountInRange(NTraces)) {
        error = "the profile has " + PlainText(NTraces) + " traces; a text profile can hold 1 to 32767";
        return false;
    }
    if (!CountInRange(NSamples)) {
        error = "the profile has " + PlainText(NSamples)
            + " samples per trace; a text profile can hold 1 to 32767";
        return false;
    }
    const int nt = CInt(NTraces);
    const int ns = CInt(NSamples);
    if (!PlotData.allocated() || PlotData.traceBound() < nt || PlotData.sampleBound() < ns) {
        error = "the profile's amplitudes do not cover " + std::to_string(nt) + " traces of "
            + std::to_string(ns) + " samples";
        return false;
    }

    SaveFile file;
    if (!file.open(path, error))
        return false;
    // Filled up to `fill`, then written; one sample or line end takes at
    // most 24 characters, so a small profile needs no more than its size.
    const size_t fill = static_cast<size_t>(
        std::min<uint64_t>(kChunk, static_cast<uint64_t>(nt) * (static_cast<uint64_t>(ns) * 24 + 2)));
    std::vector<char> text;
    try {
        text.resize(fill + 64);
    } catch (const std::exception &) {
        error = "out of memory";
        return false;
    }
    char *const first = text.data();
    char *p = first;
    for (int k = 1; k <= nt; ++k) {
        const float *row = PlotData.row(k);
        for (int j = 1; j <= ns; ++j) {
            p = putPrintText(p, row[j]);
            if (p - first >= static_cast<std::ptrdiff_t>(fill)) {
                if (!file.write(first, static_cast<size_t>(p - first), error))
                    return false;
                p = first;
                if (progress)
                    progress(k - 1);
            }
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    if (p != first && !file.write(first, static_cast<size_t>(p - first), error))
        return false;
    return file.commit(error);
}

} // namespace orv

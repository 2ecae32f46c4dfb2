#include "formats/dt1.h"
#include "formats/counts.h"
#include "formats/samples16.h"

#include "core/numbers.h"
#include "formats/bytesource.h"
#include "formats/pairname.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace orv {

namespace {

constexpr uint64_t kTraceHeaderBytes = 128;
// The value of a header item starts at its 21st character ('=' stands in
// the 20th).
constexpr size_t kValueColumn = 20;
// Whole records are read in blocks of about this size.
constexpr uint64_t kChunkBytes = uint64_t(256) << 10;

struct HeaderValues {
    double traces = 0;
    double samples = 0;
    double totalTime = 0;
};

// Finds the four keys in their order, each search going on from the item
// after the previous match. An item matches when it starts with the key; its
// value is read from the 21st character on.
bool parseHeader(std::string text, const std::string &hdPath, HeaderValues &v, std::string &error)
{
    struct Key {
        std::string_view name;
        double *value; // null: the key must be there, its value is not kept
    };
    const Key keys[] = {
        {"NUMBER OF TRACES", &v.traces},
        {"NUMBER OF PTS/TRC", &v.samples},
        {"TOTAL TIME WINDOW", &v.totalTime},
        {"STEP SIZE USED", nullptr},
    };
    TextItemReader reader(std::move(text));
    for (const Key &key : keys) {
        bool found = false;
        while (!found && !reader.atEnd()) {
            const std::string item = reader.readText();
            if (std::string_view(item).starts_with(key.name)) {
                found = true;
                if (key.value)
                    *key.value = item.size() > kValueColumn ? Val(std::string_view(item).substr(kValueColumn)) : 0.0;
            }
        }
        if (!found) {
            error = "has a header " + hdPath + " without the item \"" + std::string(key.name) + "\"";
            return false;
        }
    }
    return true;
}

} // namespace

bool ReadDT1File(const std::string &path, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control)
{
    std::string hdPath;
    if (!PartnerName(path, 3, "hd", hdPath, error))
        return false;

    // The data file first: without it there is nothing to read, whatever
    // the header says.
    FileSource data;
    if (!data.open(path, error))
        return false;

    std::string text;
    if (!ReadHeaderFile(hdPath, text, error))
        return false;
    HeaderValues hv;
    if (!parseHeader(std::move(text), hdPath, hv, error))
        return false;
    if (!WholeCount(hv.traces)) {
        error = "has a header " + hdPath + " announcing " + PlainText(hv.traces)
            + " traces; a profile can hold a whole number of 1 to 32767";
        return false;
    }
    if (!WholeCount(hv.samples)) {
        error = "has a header " + hdPath + " announcing " + PlainText(hv.samples)
            + " samples per trace; a profile can hold a whole number of 1 to 32767";
        return false;
    }
    if (!(static_cast<float>(hv.totalTime) > 0) || !std::isfinite(static_cast<float>(hv.totalTime))) {
        error = "cannot be read with a time window of " + PlainText(hv.totalTime)
            + ": the time window must be a number greater than 0";
        return false;
    }
    const int nTraces = static_cast<int>(hv.traces);
    const int nSamples = static_cast<int>(hv.samples);

    if (!LoadFitsInMemory(nTraces, nSamples, control, error))
        return false;
    // Records are read a cache-sized group at a time: each trace header
    // into a scratch block, the samples straight into the second half of
    // their row, where they are widened.
    const uint64_t recordBytes = kTraceHeaderBytes + 2 * static_cast<uint64_t>(nSamples);
    const uint64_t recordsPerChunk
        = std::max<uint64_t>(1, kChunkBytes / (kTraceHeaderBytes + 4 * static_cast<uint64_t>(nSamples)));
    const size_t inChunk = static_cast<size_t>(std::min<uint64_t>(recordsPerChunk, static_cast<uint64_t>(nTraces)));
    Array2D raw;
    // The position each trace header gives (a 4-byte little-endian real at
    // byte 4); NaN for a trace whose header the file does not hold whole.
    std::vector<double> positions;
    std::vector<uint8_t> headers;
    std::vector<ByteSource::Piece> pieces;
    try {
        headers.resize(inChunk * kTraceHeaderBytes);
        pieces.resize(2 * inChunk);
        positions.assign(static_cast<size_t>(nTraces), std::numeric_limits<double>::quiet_NaN());
        raw.allocate(nTraces, nSamples);
    } catch (const std::exception &) { // bad_alloc, length_error
        error = "is too large to load (" + std::to_string(nTraces) + " traces of " + std::to_string(nSamples)
            + " samples)";
        return false;
    }

    // Past the end of the file the samples stay 0 (the array comes zeroed);
    // a sample whose two bytes are not both there counts as missing.
    const uint64_t size = data.size();
    const size_t ns = static_cast<size_t>(nSamples);
    uint64_t held = 0;
    for (int first = 1; first <= nTraces; first += static_cast<int>(recordsPerChunk)) {
        const int count = static_cast<int>(std::min<uint64_t>(recordsPerChunk, static_cast<uint64_t>(nTraces - first + 1)));
        const uint64_t offset = static_cast<uint64_t>(first - 1) * recordBytes;
        if (offset >= size)
            break;
        const uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(count) * recordBytes, size - offset);
        for (int r = 0; r < count; ++r) {
            pieces[2 * r] = {headers.data() + r * kTraceHeaderBytes, kTraceHeaderBytes};
            pieces[2 * r + 1] = {Samples16At(raw.row(first + r) + 1, ns), 2 * ns};
        }
        const size_t got = data.readPieces(offset, pieces.data(), 2 * static_cast<size_t>(count));
        if (got < want && data.failed()) {
            error = ReadErrorText(data, offset + got);
            return false;
        }
        for (int r = 0; r < count; ++r) {
            const uint64_t at = static_cast<uint64_t>(r) * recordBytes + kTraceHeaderBytes;
            if (at > got)
                break;
            const uint8_t *b = headers.data() + r * kTraceHeaderBytes + 4;
            const uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
            positions[static_cast<size_t>(first + r - 1)] = static_cast<double>(std::bit_cast<float>(bits));
            if (at == got)
                break;
            const size_t n = static_cast<size_t>(std::min<uint64_t>(ns, (got - at) / 2));
            float *row = raw.row(first + r) + 1;
            DecodeLE16(Samples16At(row, ns), row, ns);
            // A last, short record: what it lacks reads as 0, and so does a
            // half sample.
            std::fill(row + n, row + ns, 0.0f);
            held += n;
        }
        if (!control.report(first + count - 1)) {
            error = ReadStoppedText;
            return false;
        }
    }

    const uint64_t announced = static_cast<uint64_t>(nTraces) * static_cast<uint64_t>(nSamples);
    out.RawData = std::move(raw);
    out.NTraces = static_cast<float>(nTraces);
    out.NSamples = static_cast<float>(nSamples);
    out.TotalTime = static_cast<float>(hv.totalTime);
    out.Headers = FileHeaders();
    out.Headers.littleEndian = true;
    out.Headers.positions = std::move(positions);
    if (held < announced)
        notice = "The file " + path + " holds " + std::to_string(held) + " of the " + std::to_string(announced)
            + " samples its header announces; the missing samples read as 0.";
    return true;
}

} // namespace orv

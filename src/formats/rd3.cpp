#include "formats/rd3.h"
#include "formats/counts.h"
#include "formats/samples16.h"
#include "formats/samples32.h"

#include "core/numbers.h"
#include "core/savefile.h"
#include "formats/bytesource.h"
#include "formats/pairname.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

namespace orv {

namespace {


// One of the three values the reader takes from a RAD header.
struct RadKey {
    std::string_view key; // as the item begins, e.g. "LAST TRACE"
    size_t item;          // 1-based item where every real header has it
};

constexpr RadKey kSamplesKey{"SAMPLES", 1};
constexpr RadKey kTimeWindowKey{"TIMEWINDOW", 19};
constexpr RadKey kLastTraceKey{"LAST TRACE", 23};

// The value of a key: read by position (the text after "KEY:") when the item
// where it belongs begins with the key, otherwise the first item that begins
// with "KEY:". Nothing when the header has no such item.
std::optional<double> RadValue(const std::vector<std::string> &items, const RadKey &k)
{
    if (items.size() >= k.item) {
        const std::string &at = items[k.item - 1];
        if (at.starts_with(k.key)) {
            const size_t from = k.key.size() + 1; // past the colon
            return Val(at.size() > from ? std::string_view(at).substr(from) : std::string_view());
        }
    }
    const std::string withColon = std::string(k.key) + ":";
    for (const std::string &item : items)
        if (item.starts_with(withColon))
            return Val(std::string_view(item).substr(withColon.size()));
    return std::nullopt;
}

// The 29 lines of a RAD header: the sizes of the profile, and the settings
// of a 50 MHz survey for every other key (the time window is always 700).
std::string RadHeader(float NTraces, float NSamples)
{
    const char *const lines[] = {
        nullptr, // SAMPLES
        "FREQUENCY:1705.029838",
        "FREQUENCY STEPS:17",
        "SIGNAL POSITION:-0.555726",
        "RAW SIGNAL POSITION:48875",
        "DISTANCE FLAG:1",
        "TIME FLAG:0",
        "PROGRAM FLAG:0",
        "EXTERNAL FLAG:0",
        "TIME INTERVAL:0.500000",
        "DISTANCE INTERVAL:1",
        "OPERATOR:Nemoris",
        "CUSTOMER:",
        "SITE:",
        "ANTENNAS:50 MHz",
        "ANTENNA ORIENTATION:NOT VALID FIELD",
        "ANTENNA SEPARATION:2.000000",
        "COMMENT:",
        "TIMEWINDOW: 700",
        "STACKS:64",
        "STACK EXPONENT:2",
        "STACKING TIME:0.020480",
        nullptr, // LAST TRACE
        "STOP POSITION: 1",
        "SYSTEM CALIBRATION:0.0000345000",
        "START POSITION:0.00",
        "SHORT FLAG:0",
        "INTERMEDIATE FLAG:1",
        "LONG FLAG:0",
    };
    std::string text;
    for (size_t i = 0; i < std::size(lines); ++i) {
        if (i == 0)
            text += "SAMPLES:" + PrintText(NSamples);
        else if (i == 22)
            text += "LAST TRACE:" + PrintText(NTraces);
        else
            text += lines[i];
        text += "\r\n";
    }
    return text;
}

// The two data files a RAD header describes: 16-bit samples (RD3) or
// 32-bit ones (RD7).
struct RamacData {
    size_t sampleBytes;
    const char *extension;
};
constexpr RamacData kRD3{2, "rd3"};
constexpr RamacData kRD7{4, "rd7"};

bool readRamac(const RamacData &kind, const std::string &path, Profile &out, std::string &notice,
               std::string &error, const ReadControl &control)
{
    std::string headerPath;
    if (!PartnerName(path, 3, "rad", headerPath, error))
        return false;

    // The header: text items (each ends at a comma or a line end).
    std::vector<std::string> items;
    {
        std::string text;
        if (!ReadHeaderFile(headerPath, text, error))
            return false;
        TextItemReader reader(std::move(text));
        while (!reader.atEnd())
            items.push_back(reader.readText());
    }

    const std::optional<double> samples = RadValue(items, kSamplesKey);
    const std::optional<double> window = RadValue(items, kTimeWindowKey);
    const std::optional<double> traces = RadValue(items, kLastTraceKey);
    for (const auto &[value, key] : {std::pair{samples, kSamplesKey.key}, std::pair{window, kTimeWindowKey.key},
                                     std::pair{traces, kLastTraceKey.key}}) {
        if (!value) {
            error = "has no " + std::string(key) + " item in its header " + headerPath;
            return false;
        }
    }
    if (!WholeCount(*samples)) {
        error = "has a header (" + headerPath + ") announcing " + PlainText(*samples)
            + " samples per trace; a profile holds a whole number from 1 to 32767";
        return false;
    }
    if (!WholeCount(*traces)) {
        error = "has a header (" + headerPath + ") announcing " + PlainText(*traces)
            + " traces; a profile holds a whole number from 1 to 32767";
        return false;
    }
    const int ns = static_cast<int>(*samples);
    const int nt = static_cast<int>(*traces);
    // A window under 1 is taken to be given in microseconds.
    double totalTime = *window;
    if (totalTime < 1)
        totalTime *= 1000;
    // As the profile holds it: a window too small for a Single is 0.
    if (!(static_cast<float>(totalTime) > 0) || !std::isfinite(static_cast<float>(totalTime))) {
        error = "cannot be read with a time window of " + PlainText(*window)
            + ": the time window must be a number greater than 0";
        return false;
    }

    if (!LoadFitsInMemory(nt, ns, control, error))
        return false;
    Profile p;
    const size_t traceBytes = kind.sampleBytes * static_cast<size_t>(ns);
    // Traces are read a cache-sized group at a time, each straight into its
    // row (16-bit samples into its second half) and widened there.
    const size_t tracesPerChunk = std::max<size_t>(1, kDecodeChunkBytes / (2 * traceBytes));
    std::vector<ByteSource::Piece> pieces;
    try {
        pieces.resize(std::min<size_t>(tracesPerChunk, static_cast<size_t>(nt)));
        p.RawData.allocate(nt, ns);
    } catch (const std::exception &) { // bad_alloc, length_error
        error = "is too large to load (" + std::to_string(nt) + " traces of " + std::to_string(ns) + " samples)";
        return false;
    }

    FileSource data;
    if (!data.open(path, error))
        return false;

    // Trace after trace. Samples past the end of the file stay 0 (the array
    // comes zeroed); a sample cut in half keeps its low byte.
    const uint64_t announced = static_cast<uint64_t>(nt) * static_cast<uint64_t>(ns);
    const uint64_t fileSize = data.size();
    for (int first = 1; first <= nt;) {
        const int count = static_cast<int>(std::min<size_t>(tracesPerChunk, static_cast<size_t>(nt - first + 1)));
        const uint64_t offset = static_cast<uint64_t>(first - 1) * traceBytes;
        if (offset >= fileSize)
            break;
        const size_t want = static_cast<size_t>(std::min<uint64_t>(count * traceBytes, fileSize - offset));
        for (int i = 0; i < count; ++i) {
            float *row = p.RawData.row(first + i) + 1;
            pieces[i] = {kind.sampleBytes == 2 ? Samples16At(row, static_cast<size_t>(ns))
                                               : reinterpret_cast<uint8_t *>(row),
                         traceBytes};
        }
        const size_t got = data.readPieces(offset, pieces.data(), static_cast<size_t>(count));
        if (got < want && data.failed()) {
            error = ReadErrorText(data, offset + got);
            return false;
        }
        const int reached = static_cast<int>((got + traceBytes - 1) / traceBytes);
        for (int t = first; t < first + reached; ++t) {
            float *row = p.RawData.row(t) + 1;
            if (kind.sampleBytes == 2)
                DecodeLE16(Samples16At(row, static_cast<size_t>(ns)), row, static_cast<size_t>(ns));
            else
                DecodeLE32InPlace(row, static_cast<size_t>(ns));
        }
        first += count;
        if (!control.report(first - 1)) {
            error = ReadStoppedText;
            return false;
        }
    }

    const uint64_t held = std::min<uint64_t>(fileSize / kind.sampleBytes, announced);
    if (held < announced)
        notice = "The file " + path + " holds " + std::to_string(held) + " of the " + std::to_string(announced)
            + " samples its header announces; the missing samples read as 0.";

    p.NTraces = static_cast<float>(nt);
    p.NSamples = static_cast<float>(ns);
    p.TotalTime = static_cast<float>(totalTime);
    out = std::move(p);
    return true;
}

bool writeRamac(const RamacData &kind, const std::string &path, Array2D &PlotData, float NTraces, float NSamples,
                std::string &error, const WriteProgress &progress)
{
    // Everything that can refuse the profile is checked before a byte is
    // written.
    if (!WholeCount(NTraces)) {
        error = "the profile has " + PlainText(NTraces) + " traces; a Ramac file can hold 1 to 32767";
        return false;
    }
    if (!WholeCount(NSamples)) {
        error = "the profile has " + PlainText(NSamples)
            + " samples per trace; a Ramac file can hold 1 to 32767";
        return false;
    }
    const int nt = static_cast<int>(NTraces);
    const int ns = static_cast<int>(NSamples);
    if (!PlotData.allocated() || PlotData.traceBound() < nt || PlotData.sampleBound() < ns) {
        error = "the profile's amplitudes do not cover " + std::to_string(nt) + " traces of "
            + std::to_string(ns) + " samples";
        return false;
    }
    std::string headerPath, dataPath;
    if (!PartnerNameToWrite(path, 3, "rad", headerPath, error)
        || !PartnerNameToWrite(path, 3, kind.extension, dataPath, error)) {
        error = "the name is too short to name the header and the data file (its last 3 characters are "
                "replaced by \"rad\" and \""
            + std::string(kind.extension) + "\")";
        return false;
    }

    // Both files go to temporaries; only when both are whole on the disk do
    // they replace the earlier pair.
    // The reason alone, as it follows "cannot be saved to <path>: "; the file
    // is named when it is not the one picked.
    auto failed = [&](const std::string &file, const std::string &why) {
        error = file == path ? why : why + " (writing " + file + ")";
        return false;
    };
    std::string why;
    SaveFile header, data;
    if (!header.open(headerPath, why))
        return failed(headerPath, why);
    const std::string headerText = RadHeader(NTraces, NSamples);
    if (!header.write(headerText.data(), headerText.size(), why))
        return failed(headerPath, why);
    if (!data.open(dataPath, why))
        return failed(dataPath, why);

    const size_t traceBytes = kind.sampleBytes * static_cast<size_t>(ns);
    ByteBlock buf(std::max(
        static_cast<size_t>(std::min<uint64_t>(kDecodeChunkBytes, uint64_t(traceBytes) * static_cast<uint64_t>(nt))),
        traceBytes));
    if (!buf)
        return failed(path, "out of memory");
    size_t used = 0; // bytes of buf filled
    for (int t = 1; t <= nt; ++t) {
        if (used + traceBytes > buf.size()) {
            if (!data.write(buf.data(), used, why))
                return failed(dataPath, why);
            used = 0;
            if (progress)
                progress(t - 1);
        }
        // The working amplitudes keep the clipped values; NaN is left as
        // it is and written as 0.
        if (kind.sampleBytes == 2)
            EncodeLE16(PlotData.row(t) + 1, buf.data() + used, static_cast<size_t>(ns));
        else
            EncodeLE32(PlotData.row(t) + 1, buf.data() + used, static_cast<size_t>(ns));
        used += traceBytes;
    }
    if (used > 0 && !data.write(buf.data(), used, why))
        return failed(dataPath, why);

    if (!header.finish(why))
        return failed(headerPath, why);
    if (!data.finish(why))
        return failed(dataPath, why);
    // Two renames cannot be one step: should the second fail, the data file
    // is new and the header old.
    if (!data.replace(why))
        return failed(dataPath, why);
    if (!header.replace(why))
        return failed(headerPath, why);
    return true;
}

} // namespace

bool ReadRD3File(const std::string &path, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control)
{
    return readRamac(kRD3, path, out, notice, error, control);
}

bool ReadRD7File(const std::string &path, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control)
{
    return readRamac(kRD7, path, out, notice, error, control);
}

bool WriteRD3File(const std::string &path, Array2D &PlotData, float NTraces, float NSamples, std::string &error,
                  const WriteProgress &progress)
{
    return writeRamac(kRD3, path, PlotData, NTraces, NSamples, error, progress);
}

bool WriteRD7File(const std::string &path, Array2D &PlotData, float NTraces, float NSamples,
                  std::string &error, const WriteProgress &progress)
{
    // Nothing is clipped in place: the 32-bit range holds every amplitude
    // a profile shows.
    return writeRamac(kRD7, path, PlotData, NTraces, NSamples, error, progress);
}

} // namespace orv

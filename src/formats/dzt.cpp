#include "formats/dzt.h"
#include "formats/counts.h"
#include "formats/samples16.h"
#include "formats/samples32.h"

#include "core/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>

namespace orv {

namespace {

constexpr uint64_t kHeaderBytes = 1024;

uint16_t u16At(const uint8_t *h, size_t at) { return static_cast<uint16_t>(h[at] | h[at + 1] << 8); }

float f32At(const uint8_t *h, size_t at)
{
    const uint32_t u = uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16
        | uint32_t(h[at + 3]) << 24;
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// What a channel's header says for that channel alone.
struct Channel {
    std::string antenna;
    float range = 0;         // ns
    float scansPerMetre = 0;
};

struct Layout {
    int samples = 0;
    int bits = 0;
    int channels = 0;
    uint64_t dataStart = 0;
    std::vector<Channel> each; // the channels whose header is in the file, 1 at 0

    // What channel k (1-based) is known by: its own header, or nothing.
    Channel of(int k) const { return static_cast<size_t>(k) <= each.size() ? each[static_cast<size_t>(k - 1)] : Channel{}; }
};

Channel channelAt(const uint8_t *h)
{
    Channel c;
    for (size_t i = 98; i < 98 + 14 && h[i] != 0; ++i)
        c.antenna += h[i] >= 0x20 && h[i] < 0x7f ? static_cast<char>(h[i]) : '?';
    while (!c.antenna.empty() && c.antenna.back() == ' ')
        c.antenna.pop_back();
    c.range = f32At(h, 26);
    c.scansPerMetre = f32At(h, 14);
    return c;
}

// The first header gives the layout of the whole file; every channel whose
// header lies before the data gives its own antenna, range and scan spacing.
bool readLayout(ByteSource &src, Layout &l, std::string &error)
{
    uint8_t h[kHeaderBytes];
    const uint64_t size = src.size();
    const size_t got = src.read(0, h, sizeof h);
    if (got < sizeof h) {
        error = src.failed() ? ReadErrorText(src, got)
                             : "is too short for a DZT file: it holds " + std::to_string(size)
                + " bytes, and its header alone takes 1024";
        return false;
    }
    const uint16_t data = u16At(h, 2);
    l.samples = u16At(h, 4);
    l.bits = u16At(h, 6);
    l.channels = u16At(h, 52);
    if (l.bits != 8 && l.bits != 16 && l.bits != 32) {
        error = "has a header announcing " + std::to_string(l.bits)
            + " bits per sample; a DZT file holds 8, 16 or 32";
        return false;
    }
    if (!WholeCount(l.samples)) {
        error = "has a header announcing " + std::to_string(l.samples)
            + " samples per scan; a profile holds a whole number from 1 to 32767";
        return false;
    }
    if (l.channels == 0) {
        error = "has a header announcing 0 channels";
        return false;
    }
    l.dataStart = kHeaderBytes * (data < kHeaderBytes ? data : static_cast<uint64_t>(l.channels));
    if (l.dataStart > size) {
        error = "has its data start at byte " + std::to_string(l.dataStart) + ", beyond its end (it holds "
            + std::to_string(size) + " bytes)";
        return false;
    }
    l.each.push_back(channelAt(h));
    for (uint64_t k = 1; k < static_cast<uint64_t>(l.channels) && (k + 1) * kHeaderBytes <= l.dataStart; ++k) {
        if (src.read(k * kHeaderBytes, h, sizeof h) < sizeof h) {
            error = ReadErrorText(src, k * kHeaderBytes);
            return false;
        }
        l.each.push_back(channelAt(h));
    }
    return true;
}

} // namespace

bool DZTChannels(ByteSource &src, std::vector<std::string> &antennas, std::string &error)
{
    Layout l;
    try {
        if (!readLayout(src, l, error))
            return false;
        antennas.assign(static_cast<size_t>(l.channels), std::string());
        for (size_t k = 0; k < l.each.size(); ++k)
            antennas[k] = l.each[k].antenna;
    } catch (const std::exception &) { // bad_alloc
        error = "is too large to load: there is not enough memory for its channels";
        return false;
    }
    return true;
}

bool DZTChannelsOfFile(const std::string &path, std::vector<std::string> &antennas, std::string &error)
{
    FileSource data;
    return data.open(path, error) && DZTChannels(data, antennas, error);
}

bool ReadDZT(ByteSource &src, const std::string &path, int channel, Profile &out, std::string &notice,
             std::string &error, const ReadControl &control)
{
    Layout l;
    try {
        if (!readLayout(src, l, error))
            return false;
    } catch (const std::exception &) {
        error = "is too large to load: there is not enough memory for its channels";
        return false;
    }
    if (channel < 1 || channel > l.channels) {
        error = "holds " + std::to_string(l.channels) + (l.channels == 1 ? " channel" : " channels")
            + "; channel " + std::to_string(channel) + " cannot be read";
        return false;
    }
    const Channel chosen = l.of(channel);
    if (!(chosen.range > 0) || std::isinf(chosen.range)) {
        error = "cannot be read with a time window of " + PlainText(chosen.range)
            + ": the time window must be a number greater than 0";
        return false;
    }

    // The scans of the chosen channel the file holds, the last one whole or not.
    const size_t ns = static_cast<size_t>(l.samples);
    const size_t sampleBytes = static_cast<size_t>(l.bits / 8);
    const uint64_t traceBytes = sampleBytes * ns;
    const uint64_t scanBytes = traceBytes * static_cast<uint64_t>(l.channels); // of all channels
    const uint64_t skip = traceBytes * static_cast<uint64_t>(channel - 1);      // to the chosen one
    const uint64_t rest = src.size() - l.dataStart;
    const uint64_t scans = rest / scanBytes + (rest % scanBytes > skip ? 1 : 0);
    if (!WholeCount(static_cast<double>(scans))) {
        error = "holds " + std::to_string(scans) + " scans of channel " + std::to_string(channel)
            + "; a profile holds a whole number from 1 to 32767";
        return false;
    }
    const int nt = static_cast<int>(scans);
    if (!LoadFitsInMemory(nt, l.samples, control, error))
        return false;
    Profile p;
    try {
        p.RawData.allocate(nt, l.samples);
        if (chosen.scansPerMetre > 0 && std::isfinite(chosen.scansPerMetre)) {
            p.Headers.positions.resize(static_cast<size_t>(nt));
            for (int t = 0; t < nt; ++t)
                p.Headers.positions[static_cast<size_t>(t)] = t / static_cast<double>(chosen.scansPerMetre);
        }
    } catch (const std::exception &) { // bad_alloc, length_error
        error = "is too large to load (" + std::to_string(nt) + " traces of " + std::to_string(ns) + " samples)";
        return false;
    }

    // Where a scan's bytes go in its row so that it widens in place: the
    // row's last quarter (8 bits), its second half (16) or the row itself.
    auto placeOf = [&](float *row) { return reinterpret_cast<uint8_t *>(row) + (4 - sampleBytes) * ns; };
    // One channel: a cache-sized group of scans in one read; several: a
    // read per scan, past the other channels'.
    const size_t perChunk = l.channels == 1
        ? std::max<size_t>(1, static_cast<size_t>(kDecodeChunkBytes / (2 * traceBytes)))
        : 1;
    std::vector<ByteSource::Piece> pieces;
    try {
        pieces.resize(std::min<size_t>(perChunk, static_cast<size_t>(nt)));
    } catch (const std::exception &) {
        error = "is too large to load: there is not enough memory for it";
        return false;
    }
    uint64_t held = 0;
    for (int first = 1; first <= nt;) {
        const int count = static_cast<int>(std::min<size_t>(perChunk, static_cast<size_t>(nt - first + 1)));
        const uint64_t offset = l.dataStart + static_cast<uint64_t>(first - 1) * scanBytes + skip;
        const uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(count) * traceBytes, src.size() - offset);
        for (int i = 0; i < count; ++i)
            pieces[static_cast<size_t>(i)] = {placeOf(p.RawData.row(first + i) + 1), static_cast<size_t>(traceBytes)};
        const size_t got = src.readPieces(offset, pieces.data(), static_cast<size_t>(count));
        if (got < want && src.failed()) {
            error = ReadErrorText(src, offset + got);
            return false;
        }
        for (int i = 0; i < count; ++i) {
            const uint64_t at = static_cast<uint64_t>(i) * traceBytes;
            const size_t n = got > at ? static_cast<size_t>(std::min<uint64_t>(ns, (got - at) / sampleBytes)) : 0;
            float *row = p.RawData.row(first + i) + 1;
            uint8_t *bytes = placeOf(row);
            if (l.bits == 8) {
                for (size_t j = 0; j < ns; ++j)
                    row[j] = static_cast<float>(static_cast<int>(bytes[j]) - 128);
            } else if (l.bits == 16) {
                DecodeLE16(bytes, row, ns, 0x8000);
            } else {
                DecodeLE32InPlace(row, ns);
            }
            // What a short last scan lacks reads as 0, and so does a sample
            // not whole.
            std::fill(row + n, row + ns, 0.0f);
            const float quiet = ns >= 3 ? row[2] : 0.0f;
            row[0] = quiet;
            if (ns >= 2)
                row[1] = quiet;
            held += n;
        }
        first += count;
        if (!control.report(first - 1)) {
            error = ReadStoppedText;
            return false;
        }
    }

    const uint64_t announced = static_cast<uint64_t>(nt) * ns;
    if (held < announced)
        notice = "The file " + path + " holds " + std::to_string(held) + " of the " + std::to_string(announced)
            + " samples its header announces; the missing samples read as 0.";
    p.NTraces = static_cast<float>(nt);
    p.NSamples = static_cast<float>(l.samples);
    p.TotalTime = chosen.range;
    out = std::move(p);
    return true;
}

bool ReadDZTFile(const std::string &path, int channel, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control)
{
    FileSource data;
    return data.open(path, error) && ReadDZT(data, path, channel, out, notice, error, control);
}

} // namespace orv

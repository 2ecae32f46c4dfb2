// DZT reader: the input's first byte picks the channel (1 to 3), the rest is the file.
#include "formats/dzt.h"
#include "fuzz_support.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The memory check without reading /proc/meminfo every input.
    static const orv::MemoryForLoadOverride memory(uint64_t(1) << 30);
    if (size == 0)
        return 0;
    const int channel = 1 + data[0] % 3;
    const std::vector<uint8_t> file(data + 1, data + size);
    orv::MemorySource src(file);
    orv::Profile out = fuzz::staging();
    std::string notice, error;
    const bool ok = orv::ReadDZT(src, "in.dzt", channel, out, notice, error, orv::ReadControl{});
    fuzz::checkOutcome(ok, out, error);
    if (!ok)
        return 0;
    // The layout as the first header gives it.
    const auto u16 = [&](size_t at) { return unsigned(file[at] | file[at + 1] << 8); };
    const uint64_t bits = u16(6), ns = u16(4), channels = u16(52), word = u16(2);
    std::vector<std::string> names;
    std::string why;
    // The listing of every channel, for counts a run can afford to list each input.
    FUZZ_CHECK(channels > 256 || (orv::DZTChannels(src, names, why) && names.size() == channels));
    const uint64_t w = bits / 8, start = 1024 * (word < 1024 ? word : channels);
    const uint64_t nt = static_cast<uint64_t>(out.NTraces);
    FUZZ_CHECK(out.NSamples == float(ns) && std::isfinite(out.TotalTime) && out.TotalTime > 0);
    FUZZ_CHECK(out.Headers.positions.empty() || out.Headers.positions.size() == nt);
    for (size_t t = 1; t < out.Headers.positions.size(); ++t)
        FUZZ_CHECK(out.Headers.positions[t] > out.Headers.positions[t - 1]);
    const auto sampleAt = [&](uint64_t scan, uint64_t j, bool &whole) {
        const uint64_t at = start + ((scan * channels + uint64_t(channel - 1)) * ns + j) * w;
        whole = at + w <= file.size();
        if (!whole)
            return 0.0f;
        uint32_t v = 0;
        for (uint64_t k = 0; k < w; ++k)
            v |= uint32_t(file[at + k]) << (8 * k);
        return bits == 32 ? float(int32_t(v)) : float(int64_t(v) - (int64_t(1) << (bits - 1)));
    };
    bool whole = true, lastWhole = true;
    sampleAt(nt - 1, ns - 1, lastWhole);
    FUZZ_CHECK(notice.empty() == lastWhole);
    // None after the last scan starts in the file.
    FUZZ_CHECK(start + ((nt * channels + uint64_t(channel - 1)) * ns) * w >= file.size());
    if (fuzz::sampleCount(out) > fuzz::kWalkLimit)
        return 0;
    for (uint64_t t = 0; t < nt; ++t)
        for (uint64_t j = 0; j < ns; ++j) {
            const uint64_t from = ns >= 3 ? std::max<uint64_t>(j, 2) : j;
            const float want = ns < 3 && j < 2 ? 0.0f : sampleAt(t, from, whole);
            FUZZ_CHECK_MSG(out.RawData(int(t + 1), int(j + 1)) == want,
                           std::to_string(t) + "," + std::to_string(j));
        }
    return 0;
}

// DZT reader: the input's first byte picks the channel (1 to 3), the rest is the file.
#include "formats/dzt.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const orv::MemoryForLoadOverride memory(uint64_t(1) << 30); // no /proc/meminfo read per input
    if (size == 0)
        return 0;
    const uint64_t channel = 1 + data[0] % 3;
    const std::vector<uint8_t> file(data + 1, data + size);
    orv::MemorySource src(file);
    orv::Profile out = fuzz::Staged();
    std::string notice, error;
    const bool ok = orv::ReadDZT(src, "in.dzt", int(channel), out, notice, error);
    fuzz::checkOutcome(ok, out, error);
    if (!ok)
        return 0;
    const auto u16 = [&](size_t at) { return uint64_t(file[at] | file[at + 1] << 8); };
    const uint64_t w = u16(6) / 8, ns = u16(4), channels = u16(52), start = 1024 * (u16(2) < 1024 ? u16(2) : channels);
    const uint64_t nt = uint64_t(out.NTraces);
    std::vector<std::string> names; // listed where a run can afford it
    FUZZ_CHECK(channels > 256 || (orv::DZTChannels(src, names, error) && names.size() == channels));
    FUZZ_CHECK(out.NSamples == float(ns) && out.TotalTime > 0 && std::isfinite(out.TotalTime)
               && (out.Headers.positions.empty() || out.Headers.positions.size() == nt));
    // The sample at j of scan t, 0 where it is not whole in the file.
    const auto sample = [&](uint64_t t, uint64_t j) {
        const uint64_t at = start + ((t * channels + channel - 1) * ns + j) * w;
        uint32_t v = 0;
        for (uint64_t k = 0; k < w && at + w <= file.size(); ++k)
            v |= uint32_t(file[at + k]) << (8 * k);
        return at + w > file.size() ? 0.0f : w == 4 ? float(int32_t(v)) : float(int64_t(v) - (int64_t(1) << (8 * w - 1)));
    };
    const uint64_t last = start + ((nt - 1) * channels + channel) * ns * w; // the end of the last scan
    FUZZ_CHECK(notice.empty() == (last <= file.size()) && last + (channels - 1) * ns * w >= file.size());
    for (uint64_t t = 0; fuzz::sampleCount(out) <= fuzz::kWalkLimit && t < nt; ++t)
        for (uint64_t j = 0; j < ns; ++j) // the scan marks take the third sample's value, or 0
            FUZZ_CHECK(out.RawData(int(t + 1), int(j + 1)) == (ns < 3 && j < 2 ? 0.0f : sample(t, std::max<uint64_t>(j, 2))));
    return 0;
}

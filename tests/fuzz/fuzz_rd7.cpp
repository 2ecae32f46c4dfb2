// RD7 reader, the input a RAD header and RD7 data split at kSplit.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The memory check without reading /proc/meminfo every input.
    static const orv::MemoryForLoadOverride memory(uint64_t(1) << 30);
    const fuzz::PairRead r(data, size, "in.rad", "in.rd7", orv::ReadRD7File);
    if (!r.ok)
        return 0;
    const uint64_t announced = fuzz::sampleCount(r.out);
    FUZZ_CHECK(r.notice.empty() == (r.in.data.size() / 4 >= announced));
    FUZZ_CHECK(r.out.TotalTime > 0 && std::isfinite(r.out.TotalTime));
    // A sample cut short keeps the bytes it has as its low ones.
    const auto le32 = [&](uint64_t at) {
        uint32_t v = 0;
        for (uint64_t k = 0; k < 4 && at + k < r.in.data.size(); ++k)
            v |= uint32_t(static_cast<uint8_t>(r.in.data[at + k])) << (8 * k);
        return float(int32_t(v));
    };
    const int nt = static_cast<int>(r.out.NTraces), ns = static_cast<int>(r.out.NSamples);
    for (int t = 1; announced <= fuzz::kWalkLimit && t <= nt; ++t)
        for (int s = 1; s <= ns; ++s)
            FUZZ_CHECK(r.out.RawData(t, s) == le32(4 * (uint64_t(t - 1) * uint64_t(ns) + uint64_t(s - 1))));
    return 0;
}

// RD7 reader, the input a RAD header and RD7 data split at kSplit.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const orv::MemoryForLoadOverride memory(uint64_t(1) << 30); // no /proc/meminfo read per input
    const fuzz::PairRead r(data, size, "in.rad", "in.rd7", orv::ReadRD7File);
    if (!r.ok)
        return 0;
    const uint64_t n = fuzz::sampleCount(r.out), have = r.in.data.size(), ns = uint64_t(r.out.NSamples);
    FUZZ_CHECK(r.notice.empty() == (have / 4 >= n) && r.out.TotalTime > 0 && std::isfinite(r.out.TotalTime));
    for (uint64_t i = 0; n <= fuzz::kWalkLimit && i < n; ++i) {
        uint32_t v = 0; // a sample cut short keeps the bytes it has as its low ones
        for (uint64_t k = 0; k < 4 && 4 * i + k < have; ++k)
            v |= uint32_t(uint8_t(r.in.data[4 * i + k])) << (8 * k);
        FUZZ_CHECK(r.out.RawData(int(i / ns) + 1, int(i % ns) + 1) == float(int32_t(v)));
    }
    return 0;
}

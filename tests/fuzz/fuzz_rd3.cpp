// RD3 reader, the input a RAD header and RD3 data split at kSplit.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::PairRead r(data, size, "in.rad", "in.rd3", orv::ReadRD3File);
    if (!r.ok)
        return 0;
    const uint64_t announced = fuzz::sampleCount(r.out);
    FUZZ_CHECK(r.notice.empty() == (r.in.data.size() / 2 >= announced));
    const int nt = static_cast<int>(r.out.NTraces), ns = static_cast<int>(r.out.NSamples);
    for (int t = 1; announced <= fuzz::kWalkLimit && t <= nt; ++t)
        for (int s = 1; s <= ns; ++s)
            FUZZ_CHECK(r.out.RawData(t, s) == r.le16(2 * (uint64_t(t - 1) * uint64_t(ns) + uint64_t(s - 1)), true));
    return 0;
}

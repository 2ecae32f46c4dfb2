// DT1 reader, the input an HD header and DT1 data split at kSplit.
#include "fuzz_support.h"
#include "formats/dt1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::PairRead r(data, size, "in.hd", "in.dt1", orv::ReadDT1File);
    if (!r.ok)
        return 0;
    const uint64_t nt = static_cast<uint64_t>(r.out.NTraces), ns = static_cast<uint64_t>(r.out.NSamples);
    const uint64_t record = 128 + 2 * ns, whole = r.in.data.size() / record, rest = r.in.data.size() % record;
    const uint64_t held = nt <= whole ? nt * ns : whole * ns + (rest > 128 ? (rest - 128) / 2 : 0);
    FUZZ_CHECK(r.notice.empty() == (held == nt * ns));
    for (uint64_t t = 1; nt * ns <= fuzz::kWalkLimit && t <= nt; ++t)
        for (uint64_t s = 1; s <= ns; ++s)
            FUZZ_CHECK(r.out.RawData(int(t), int(s)) == r.le16((t - 1) * record + 128 + 2 * (s - 1), false));
    return 0;
}

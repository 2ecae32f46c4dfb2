// RD3 reader: the input is a RAD header and RD3 data (split at kSplit, see
// fuzz_support.h), written beside each other as in.rad and in.rd3.
//  - a refusal gives a reason and leaves the staging profile alone;
//  - a profile read has 1..32767 traces and samples; sample i (trace after
//    trace) is the i-th 16-bit little-endian value of the data, a sample cut
//    in half keeps its low byte, the rest read as 0, and a notice says so
//    exactly when the data is shorter than announced;
//  - saved with the RD3 writer it reads back the same (clipped to the
//    writer's range, time window 700).
#include "fuzz_support.h"

#include "formats/rd3.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Pair in = fuzz::splitPair(data, size);
    const std::string path = fuzz::scratchFile("in.rd3");
    fuzz::putFile(fuzz::scratchFile("in.rad"), in.header);
    fuzz::putFile(path, in.data);

    orv::Profile out = fuzz::staging();
    std::string notice, error;
    const bool ok = orv::ReadRD3File(path, out, notice, error);
    fuzz::checkOutcome(ok, out, error);
    if (!ok)
        return 0;

    const uint64_t announced = fuzz::sampleCount(out);
    FUZZ_CHECK(notice.empty() == (in.data.size() / 2 >= announced));
    if (announced <= fuzz::kWalkLimit) {
        const int nt = static_cast<int>(out.NTraces), ns = static_cast<int>(out.NSamples);
        const auto byte = [&](size_t i) { return static_cast<uint8_t>(in.data[i]); };
        for (int t = 1; t <= nt; ++t)
            for (int s = 1; s <= ns; ++s) {
                const size_t at = 2 * (static_cast<size_t>(t - 1) * static_cast<size_t>(ns) + static_cast<size_t>(s - 1));
                const float want = at + 1 < in.data.size() ? static_cast<int16_t>(byte(at) | byte(at + 1) << 8)
                    : at < in.data.size()                  ? byte(at)
                                                           : 0;
                FUZZ_CHECK(out.RawData(t, s) == want);
            }
    }
    fuzz::checkRD3RoundTrip(out);
    return 0;
}

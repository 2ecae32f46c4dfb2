// DT1 reader: the input is an HD header and DT1 data (split at kSplit, see
// fuzz_support.h), written beside each other as in.hd and in.dt1.
//  - a refusal gives a reason and leaves the staging profile alone;
//  - a profile read has 1..32767 traces and samples; each trace is a 128-byte
//    record header and its 16-bit little-endian samples, a sample whose two
//    bytes are not both there reads as 0, and a notice says so exactly when
//    one is missing;
//  - saved with the RD3 writer (DT1 is read only) it reads back the same.
#include "fuzz_support.h"

#include "formats/dt1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Pair in = fuzz::splitPair(data, size);
    const std::string path = fuzz::scratchFile("in.dt1");
    fuzz::putFile(fuzz::scratchFile("in.hd"), in.header);
    fuzz::putFile(path, in.data);

    orv::Profile out = fuzz::staging();
    std::string notice, error;
    const bool ok = orv::ReadDT1File(path, out, notice, error);
    fuzz::checkOutcome(ok, out, error);
    if (!ok)
        return 0;

    const uint64_t nt = static_cast<uint64_t>(out.NTraces), ns = static_cast<uint64_t>(out.NSamples);
    const uint64_t record = 128 + 2 * ns;
    const uint64_t whole = in.data.size() / record, rest = in.data.size() % record;
    const uint64_t held = nt <= whole ? nt * ns : whole * ns + (rest > 128 ? (rest - 128) / 2 : 0);
    FUZZ_CHECK(notice.empty() == (held == nt * ns));
    if (nt * ns <= fuzz::kWalkLimit) {
        const auto byte = [&](uint64_t i) { return static_cast<uint8_t>(in.data[i]); };
        for (uint64_t t = 1; t <= nt; ++t)
            for (uint64_t s = 1; s <= ns; ++s) {
                const uint64_t at = (t - 1) * record + 128 + 2 * (s - 1);
                const float want = at + 1 < in.data.size() ? static_cast<int16_t>(byte(at) | byte(at + 1) << 8) : 0;
                FUZZ_CHECK(out.RawData(static_cast<int>(t), static_cast<int>(s)) == want);
            }
    }
    fuzz::checkRD3RoundTrip(out);
    return 0;
}

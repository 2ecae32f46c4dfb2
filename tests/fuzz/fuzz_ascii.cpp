// Text profile reader: six bytes of sizes (traces, samples, time window), then the file.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    const auto sized = [&](size_t i) { return static_cast<float>(static_cast<int16_t>(data[i] | data[i + 1] << 8)); };
    const float nTraces = sized(0), nSamples = sized(2), totalTime = sized(4);
    const std::string_view text(reinterpret_cast<const char *>(data) + 6, size - 6);
    const std::string path = fuzz::scratchFile("in.dat");
    fuzz::putFile(path, text);

    orv::Profile out = fuzz::Staged();
    std::string error;
    const bool ok = orv::ReadAsciiFile(path, nTraces, nSamples, totalTime, out, error);
    fuzz::checkOutcome(ok, out, error);
    if (nTraces < 1 || nSamples < 1 || totalTime <= 0) {
        FUZZ_CHECK(!ok);
        return 0;
    }

    const uint64_t want = static_cast<uint64_t>(nTraces) * static_cast<uint64_t>(nSamples);
    orv::TextItemReader items{std::string(text)};
    std::vector<float> numbers;
    while (numbers.size() < want && !items.atEnd())
        numbers.push_back(static_cast<float>(items.readNumber()));
    FUZZ_CHECK_MSG(ok == (numbers.size() == want), error);
    if (!ok)
        return 0;
    FUZZ_CHECK(out.TotalTime == totalTime);
    const int ns = static_cast<int>(nSamples);
    for (size_t i = 0; i < numbers.size(); ++i) {
        const float v = out.RawData(static_cast<int>(i) / ns + 1, static_cast<int>(i) % ns + 1);
        FUZZ_CHECK_MSG(std::memcmp(&v, &numbers[i], sizeof v) == 0,
                       "number " + std::to_string(i + 1) + ": " + orv::PrintText(v) + "against "
                           + orv::PrintText(numbers[i]));
    }
    return 0;
}

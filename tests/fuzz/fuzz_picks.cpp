// Picks file parser, the first two bytes the number of traces, the rest the file.
#include "fuzz_support.h"
#include "picks/picksfile.h"
#include <vector>

static const std::vector<float> kBefore{0, 12.5f, -3};

static bool samePicks(const std::vector<float> &a, const std::vector<float> &b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int n = static_cast<int16_t>(data[0] | data[1] << 8);
    const std::string_view text(reinterpret_cast<const char *>(data) + 2, size - 2);

    std::vector<float> picks = kBefore;
    std::string error;
    const bool ok = orv::ParsePicks(text, n, picks, error);
    if (ok) {
        FUZZ_CHECK(picks.size() == static_cast<size_t>(std::max(n, 0)) + 1 && picks[0] == 0);
        for (const float p : picks)
            FUZZ_CHECK(std::isfinite(p));
    } else {
        FUZZ_CHECK(!error.empty() && samePicks(picks, kBefore));
    }

    const std::string path = fuzz::scratchFile("picks.dat");
    fuzz::putFile(path, text);
    std::vector<float> fromFile = kBefore;
    std::string fileError;
    FUZZ_CHECK(orv::ReadPicksFile(path, n, fromFile, fileError) == ok);
    FUZZ_CHECK(fileError == error && samePicks(fromFile, picks));
    if (!ok)
        return 0;

    std::vector<float> back = kBefore;
    FUZZ_CHECK_MSG(orv::ParsePicks(orv::FormatPicks(picks, n), n, back, error), error);
    FUZZ_CHECK(back.size() == picks.size());
    for (size_t t = 1; t < picks.size(); ++t) {
        // Picks are times: kept to the range a time window can have, away from the float range's ends.
        const float a = std::fabs(picks[t]);
        if (a != 0 && (a < 1e-30f || a > 1e30f))
            continue;
        FUZZ_CHECK_MSG(std::fabs(back[t] - picks[t]) <= 1e-6f * a,
                       orv::PrintText(picks[t]) + "came back as " + orv::PrintText(back[t]));
    }
    return 0;
}

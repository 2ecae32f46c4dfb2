#include "formats/interval.h"

#include "core/numbers.h"

#include <cmath>

namespace orv {

bool HeaderInterval(float TotalTime, int ns, uint32_t limit, const char *header, uint32_t &dt, std::string &error)
{
    const float intervalMs = static_cast<float>(static_cast<double>(TotalTime) / ns);
    const float dtExact = intervalMs * 1000.0f;
    const float dtRounded = std::nearbyint(dtExact); // halves to even, as CInt
    const auto most = static_cast<float>(limit);
    const bool vanishes = dtRounded == 0 && TotalTime != 0;
    if (!(dtRounded >= 0 && dtRounded <= most) || vanishes) {
        const std::string fraction = std::to_string(limit % 1000 + 1000).substr(1);
        const std::string why = dtRounded < 0 ? "it cannot be negative"
            : dtRounded > most                ? "at most " + std::to_string(limit / 1000) + "." + fraction + " ms"
            : vanishes                        ? "at least 0.001 ms"
                                              : "not a number";
        error = "the sample interval of " + PlainText(intervalMs) + " ms does not fit a " + header + " header (" + why
            + ")";
        return false;
    }
    dt = static_cast<uint32_t>(dtRounded);
    return true;
}

} // namespace orv

#pragma once
// The sample interval a writer puts in its header.

#include <cstdint>
#include <string>

namespace orv {

// TotalTime / ns ms as a whole count of microseconds, formed in single
// precision and rounded halves to even, into dt. A profile with no time
// window (TotalTime = 0) gets dt = 0, which readers take as "unknown". An
// interval over limit us, negative, not a number, or there but rounding to
// 0 us (it would read back as "unknown") is refused: false, with error
// naming the header ("SEG-Y", "Seismic Unix") it does not fit.
bool HeaderInterval(float TotalTime, int ns, uint32_t limit, const char *header, uint32_t &dt, std::string &error);

} // namespace orv

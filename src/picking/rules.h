#pragma once
// The four pick rules a left click in the trace canvas searches by:
//   1 the first zero crossing from negative to positive, interpolated
//   2 the first zero crossing from positive to negative, interpolated
//   3 the first sample of the largest amplitude
//   4 the first sample of the smallest amplitude
// The search looks at samples S1..S2 of one trace and returns a sample
// position (fractional for the crossings), or the start position P when the
// rule finds nothing, the window is empty (S1 > S2) or the rule is unknown.

#include <cstdint>
#include <span>

namespace orv {

enum PickRule : int16_t {
    PickZeroUp = 1,   // -ve -> +ve
    PickZeroDown = 2, // +ve -> -ve
    PickMax = 3,
    PickMin = 4,
};

// trace: samples 0..NSamples of one trace (index 0 is not a sample). A window
// reaching outside 1..trace.size()-1 returns P without reading anything.
// The result is always a finite number when P is.
float PickRuleSearch(std::span<const float> trace, int16_t S1, int16_t S2, int16_t mode, float P);

} // namespace orv

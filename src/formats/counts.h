#pragma once
// The sizes every profile format holds: traces and samples per trace are
// whole numbers from 1 to 32767 (the largest count of a 16-bit field).

#include <cmath>

namespace orv {

inline constexpr int kMaxCount = 32767;

// v is a count a profile can hold: whole and in 1..kMaxCount.
inline bool WholeCount(double v) { return v >= 1 && v <= kMaxCount && v == std::floor(v); }

// v is in 1..kMaxCount (whole or not: the writers round it).
inline bool CountInRange(double v) { return v >= 1 && v <= kMaxCount; }

} // namespace orv

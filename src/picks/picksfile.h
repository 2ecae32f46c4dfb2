#pragma once
// The picks file: one line per trace, "t" and Picks(t) / 1000 in the print
// form (" 1  .0125 "), lines ended by CR LF, no header. Reading takes the
// numbers as a stream (blanks, commas and line ends all separate them),
// ignores the trace numbers and gives the k-th pair's pick to trace k.

#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr const char *PicksSaveFilter = "Ascii files (*.dat)|*.dat| All Filese (*.*)|*.*";
inline constexpr const char *PicksLoadFilter = "Data files (*.dat)|*.dat| All Filese (*.*)|*.*";

// The file's text for traces 1..n of picks (picks[t]; a missing element
// writes 0).
std::string FormatPicks(const std::vector<float> &picks, int n);

// Writes the picks file whole or not at all. False with a reason in `error`.
bool WritePicksFile(const std::string &path, const std::vector<float> &picks, int n, std::string &error);

// Reads n pairs from text. On success `picks` becomes 0..n with picks[0] = 0
// and picks[t] = the t-th pick x 1000. On failure returns false with a reason
// in `error` (naming the line where there is one) and leaves `picks` as it was.
bool ParsePicks(std::string_view text, int n, std::vector<float> &picks, std::string &error);
bool ReadPicksFile(const std::string &path, int n, std::vector<float> &picks, std::string &error);

} // namespace orv

#pragma once
// The picks as a table for a spreadsheet: a header row, then one row per
// trace, comma-separated with CR LF line ends and RFC 4180 quoting, a period
// as the decimal separator. Columns: trace, pick_time (in the profile's time
// unit, empty where the trace is not picked), pick_sample (the sample
// position the pick stands for), then what the file's headers carried:
// source_x, source_y, receiver_x, receiver_y (the coordinate scalar applied)
// and offset for SU and SEG-Y trace headers; position for files that give a
// position per trace. Numbers are written with the fewest digits that read
// back to the same value, in plain notation (no exponent); a value that is
// not finite is left empty.

#include "core/store.h"

#include <string>

namespace orv {

inline constexpr const char *PicksCsvFilter = "CSV files (*.csv)|*.csv| All Files (*.*)|*.*";

std::string FormatPicksCsv(const ProfileStore &st);

} // namespace orv

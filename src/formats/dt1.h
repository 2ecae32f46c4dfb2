#pragma once
// DT1 radar profiles (read only): a data file of trace records, each a
// 128-byte trace header and NSamples 16-bit little-endian samples, with an
// HD text header beside it (the picked name with its last three characters
// replaced by "hd") that gives the sizes and the time window.

#include "core/readcontrol.h"
#include "core/store.h"

#include <string>

namespace orv {

inline constexpr const char *DT1Filter = "Pulse Ekko files (*.dt1)|*.dt1| All Filese (*.*)|*.*";

// Reads the pair. On success fills `out` and may set `notice` (e.g. a data
// file shorter than its header announces). On failure (also a profile larger
// than the memory available, see LoadFitsInMemory, or a stop asked for
// through control.progress) returns false with a reason completing "The file
// <path> ..." and leaves `out` as it was.
bool ReadDT1File(const std::string &path, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control = {});

} // namespace orv

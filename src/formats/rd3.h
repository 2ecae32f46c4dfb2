#pragma once
// RD3 radar profiles: a data file of 16-bit little-endian samples, trace
// after trace, with no header, and a RAD text header beside it (the picked
// name with its last three characters replaced by "rad") that gives the
// sizes and the time window.

#include "core/readcontrol.h"
#include "core/store.h"

#include <string>

namespace orv {

inline constexpr const char *RD3Filter = "Ramac files (*.rd3)|*.rd3| All Filese (*.*)|*.*";

// Reads the pair. On success fills `out` (RawData 0..NTraces x 0..NSamples,
// sizes, TotalTime) and may set `notice` (e.g. a data file shorter than its
// header announces: its missing samples read as 0). On failure (also a
// profile larger than the memory available, see LoadFitsInMemory, or a stop
// asked for through control.progress) returns false with a reason completing
// "The file <path> ..." and leaves `out` as it was.
bool ReadRD3File(const std::string &path, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control = {});

// Writes the RAD header (29 lines) and the RD3 data of PlotData, clipping
// PlotData itself to -32766..32767 first. Both files are written whole or
// not at all. False with a reason in `error`.
bool WriteRD3File(const std::string &path, Array2D &PlotData, float NTraces, float NSamples, std::string &error,
                  const WriteProgress &progress = {});

} // namespace orv

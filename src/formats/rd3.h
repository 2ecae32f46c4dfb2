#pragma once
// RD3 and RD7 radar profiles: a data file of 16-bit (RD3) or 32-bit (RD7)
// signed little-endian samples, trace after trace, with no header, and a
// RAD text header beside it (the picked name with its last three characters
// replaced by "rad") that gives the sizes and the time window.

#include "core/readcontrol.h"
#include "core/store.h"

#include <string>

namespace orv {

inline constexpr const char *RD3Filter = "Ramac files (*.rd3)|*.rd3| All Filese (*.*)|*.*";
inline constexpr const char *RD7Filter = "Mala RD7 files (*.rd7)|*.rd7| All Files (*.*)|*.*";

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

// The same for RD7: the header, the RD7 data of the pair, with the same
// refusals (a time window of 0, below 0 or not finite too).
bool ReadRD7File(const std::string &path, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control = {});
// The same 29 header lines and the amplitudes rounded half to even to 32-bit
// samples, clipped to the 32-bit range (NaN written as 0); PlotData is left
// as it is.
bool WriteRD7File(const std::string &path, Array2D &PlotData, float NTraces, float NSamples,
                  std::string &error, const WriteProgress &progress = {});

} // namespace orv

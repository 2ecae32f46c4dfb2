#pragma once
// Plain text profiles: amplitudes as decimal numbers, all samples of trace 1,
// then trace 2 and so on. The file carries no sizes; the user enters them.

#include "core/readcontrol.h"
#include "core/store.h"

#include <string>

namespace orv {

inline constexpr const char *AsciiFilter = "Data files (*.dat)|*.dat| All Filese (*.*)|*.*";

// Reads NTraces x NSamples numbers (blanks, commas and line ends all separate
// them; an item that is not a number reads as 0). On success fills `out` with
// those sizes and TotalTime. A file with fewer numbers, sizes that are not
// whole numbers in 1..32767, a profile larger than the memory available (see
// LoadFitsInMemory), or a file that cannot be read is refused, and a stop
// asked for through control.progress ends the read: false with a reason
// completing "The file <path> ...", `out` left as it was.
bool ReadAsciiFile(const std::string &path, float NTraces, float NSamples, float TotalTime, Profile &out,
                   std::string &error, const ReadControl &control = {});

// One line per trace: the samples in the print form, CR LF. Written whole or
// not at all. False with a reason in `error`.
bool WriteAsciiFile(const std::string &path, const Array2D &PlotData, float NTraces, float NSamples,
                    std::string &error, const WriteProgress &progress = {});

} // namespace orv

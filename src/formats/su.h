#pragma once
// Seismic Unix files: a plain sequence of traces, each a 240-byte header and
// ns 4-byte IEEE floats. Reading returns a whole profile or an error, never
// half of one; writing goes to a temporary file renamed over the target.

#include "core/readcontrol.h"
#include "core/store.h"
#include "formats/bytesource.h"

#include <cstdint>
#include <string>

namespace orv {

inline constexpr const char *SUFilter = "Seismic Unix File (*.su)|*.su| All Filese (*.*)|*.*";

// Sample interval assumed when a file's headers give none (dt = 0), so that
// times and picks stay meaningful. 4 ms is the usual fallback of seismic
// readers.
inline constexpr double SUFallbackIntervalMs = 4.0;

struct SUReadInfo {
    double intervalMs = 0;       // dt / 1000 of the first trace (after any substitution)
    bool intervalSubstituted = false; // the file said dt = 0
    bool bigEndian = false;      // read big-endian
    bool byteOrderGuessed = false; // the headers did not settle the byte order (see the reader)
    int fittedTraces = 0;        // traces whose ns differed from the first and were cut or padded
};

// Parses a whole SU file. On success fills `out` (RawData 0..NTraces x
// 0..NSamples, NTraces, NSamples, TotalTime = interval x NSamples) and `info`;
// on failure (a profile larger than the memory available among them, see
// LoadFitsInMemory, or a stop asked for through control.progress) returns
// false with a reason in `error` and leaves `out` as it was.
bool ReadSUProfile(ByteSource &src, Profile &out, SUReadInfo &info, std::string &error,
                   const ReadControl &control = {});
bool ReadSUFile(const std::string &path, Profile &out, SUReadInfo &info, std::string &error,
                const ReadControl &control = {});

// Writes PlotData (traces 1..NTraces, samples 1..NSamples) as an SU file.
// Refuses, before writing a byte, a profile whose counts do not fit the
// signed 16-bit header fields (1..32767) or whose interval TotalTime /
// NSamples, in microseconds, does not fit the unsigned dt field (0..65535,
// the same range the reader accepts). A TotalTime of 0 is written as dt = 0,
// the mark for an unknown interval. Any earlier file of that name survives a
// failed write. Returns false with a reason in `error`.
bool WriteSUFile(const std::string &path, const Array2D &PlotData, float NTraces, float NSamples,
                 float TotalTime, std::string &error, const WriteProgress &progress = {});

} // namespace orv

#pragma once
// SEG-Y files: a 3200-byte textual header, a 400-byte binary header, any
// extended textual headers, then traces of a 240-byte header and their
// samples (in revision 2, from the offset the binary header may give, and
// followed by any 3200-byte data trailers it counts). Revisions 0, 1 and 2
// in either byte order are read, in sample formats 1 (IBM float), 2, 3 and
// 8 (32-, 16- and 8-bit integers), 5 and 6 (IEEE single and double); files
// are written as revision 1, big-endian, IEEE singles. The headers read
// travel with the profile (FileHeaders) and are written back as read but
// for the fields that describe the samples.

#include "core/readcontrol.h"
#include "core/store.h"
#include "formats/bytesource.h"

#include <cstdint>
#include <string>

namespace orv {

inline constexpr const char *SEGYFilter = "SEG-Y files (*.sgy *.segy)|*.sgy;*.segy| All Files (*.*)|*.*";

struct SEGYReadInfo {
    double intervalMs = 0;            // after any substitution
    bool intervalSubstituted = false; // no header gave a usable interval: SUFallbackIntervalMs
    bool bigEndian = true;
    int format = 0;                   // the sample format code
    int fittedTraces = 0;             // traces whose own sample count differed and were cut or padded
    int cutTrace = 0;                 // the trace the end of the file cut short (its missing samples are 0), or 0
};

// The IBM single-precision value `ibm` (sign, base-16 exponent biased by 64,
// 24-bit fraction) as the nearest IEEE single, ties to even: exact wherever
// a single can hold it, subnormal below FLT_MIN, infinite beyond FLT_MAX.
float IBMToFloat(uint32_t ibm);

// Parses a whole SEG-Y file. On success fills `out` (RawData 0..NTraces x
// 0..NSamples, NTraces, NSamples, TotalTime = interval x NSamples in ms,
// Headers) and `info`; on failure returns false with a reason completing
// "The file <path> ..." in `error` and leaves `out` as it was.
bool ReadSEGYProfile(ByteSource &src, Profile &out, SEGYReadInfo &info, std::string &error,
                     const ReadControl &control = {});
bool ReadSEGYFile(const std::string &path, Profile &out, SEGYReadInfo &info, std::string &error,
                  const ReadControl &control = {});

// Writes PlotData (traces 1..NTraces, samples 1..NSamples) as SEG-Y. With
// `headers` of an SU or SEG-Y file of NTraces traces, its headers are written
// back byte for byte but for the sample format, count and interval, the
// revision, the fixed-length flag, the extended-header count and the byte
// order; otherwise headers are made as the SU writer makes them. Refuses,
// before writing a byte, what its fields cannot hold (as WriteSUFile, the
// interval at most 32767 us). Returns false with a reason in `error`.
bool WriteSEGYFile(const std::string &path, const Array2D &PlotData, float NTraces, float NSamples,
                   float TotalTime, const FileHeaders &headers, std::string &error,
                   const WriteProgress &progress = {});

} // namespace orv

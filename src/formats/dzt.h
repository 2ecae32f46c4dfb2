#pragma once
// GSSI DZT radar profiles: a header of 1024 bytes per channel, then the
// scans of every channel interleaved (a scan of channel 1, one of channel
// 2, ..., then the next scan of channel 1), little-endian throughout.

#include "core/readcontrol.h"
#include "core/store.h"
#include "formats/bytesource.h"

#include <string>
#include <vector>

namespace orv {

inline constexpr const char *DZTFilter = "GSSI files (*.dzt)|*.dzt| All Files (*.*)|*.*";

// The antenna name of each channel of a file whose header is good, in
// channel order (empty where a channel's header is not in the file). False
// with the reason the reader would refuse the file with.
bool DZTChannels(ByteSource &src, std::vector<std::string> &antennas, std::string &error);
bool DZTChannelsOfFile(const std::string &path, std::vector<std::string> &antennas, std::string &error);

// Reads channel `channel` (1-based). 8- and 16-bit samples are unsigned and
// centred on 0, 32-bit ones signed. The first two samples of every scan,
// where GSSI units keep scan marks, take the value of the third (0 in a
// scan of fewer than three samples), so they draw and pick as the quiet
// start of the trace. A last scan cut short reads as 0 where it lacks
// samples, with a notice. Headers.positions gets each scan's distance in
// metres where the header gives scans per metre. On failure returns false
// with a reason completing "The file <path> ..." and leaves `out` as it was.
bool ReadDZT(ByteSource &src, const std::string &path, int channel, Profile &out, std::string &notice,
             std::string &error, const ReadControl &control = {});
bool ReadDZTFile(const std::string &path, int channel, Profile &out, std::string &notice, std::string &error,
                 const ReadControl &control = {});

} // namespace orv

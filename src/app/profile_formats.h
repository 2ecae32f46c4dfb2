#pragma once
// What the open and save flows need to know of each profile format: its
// file dialog filter, its reader, its writer (or none), whether it shows the
// reading progress, and how its post-load step draws the new profile. Adding
// a format is adding a row here and its menu items.

#include "core/store.h"

#include <functional>
#include <string>

namespace orv {

// Called now and then during a read with the number of traces read so far.
using ReadProgress = std::function<void(int tracesRead)>;

enum class PostLoadDraw {
    RePlot,        // the re-plot command draws everything
    PlotAndTrace,  // the profile plot, the first trace and its highlight
    Text,          // the text reader's own order: counts first, no highlight
};

struct ProfileFormat {
    const char *filter;
    // Reads a whole file into a staging profile; notice: a remark on the file
    // to show once it is open. False with a reason completing "The file
    // <path> ...".
    std::function<bool(const std::string &path, Profile &p, std::string &notice, std::string &error,
                       const ReadProgress &progress)>
        read;
    // Writes the working amplitudes; may clip them in place. Empty for a
    // format that is read only.
    std::function<bool(const std::string &path, ProfileStore &s, std::string &error)> write;
    bool showsProgress = false;
    bool guardsPicking = false; // PlotReady is 0 while the file is read
    PostLoadDraw draw = PostLoadDraw::RePlot;
};

const ProfileFormat &SUFormat();
const ProfileFormat &RD3Format();
const ProfileFormat &DT1Format();
// The text format, for the sizes the user entered.
ProfileFormat AsciiFormat(float NTraces, float NSamples, float TotalTime);

} // namespace orv

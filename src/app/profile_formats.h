#pragma once
// What the open and save flows need to know of each profile format: its
// file dialog filter, its reader, its writer (or none), whether it shows the
// reading progress from the start, and how its post-load step draws the new
// profile. Adding a format is adding a row here and its menu items.

#include "core/readcontrol.h"
#include "core/store.h"

#include <chrono>
#include <functional>
#include <string>

namespace orv {

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
                       const ReadControl &control)>
        read;
    // Writes the working amplitudes; may clip them in place. Empty for a
    // format that is read only.
    std::function<bool(const std::string &path, ProfileStore &s, std::string &error)> write;
    // The progress caption from the first trace on; the others show it, with
    // the Cancel button, once a read has lasted.
    bool showsProgress = false;
    bool guardsPicking = false; // PlotReady is 0 while the file is read
    PostLoadDraw draw = PostLoadDraw::RePlot;
};

// How a read shows itself: its progress caption is repainted at most every
// `paint`, and its Cancel button comes up once it has lasted `cancelAfter`.
// One setting for the program; tests set both to 0 so that every progress
// report repaints and offers the button.
struct ReadPacing {
    std::chrono::milliseconds paint{50};
    std::chrono::milliseconds cancelAfter{500};
};
ReadPacing &Pacing();

const ProfileFormat &SUFormat();
const ProfileFormat &RD3Format();
const ProfileFormat &DT1Format();
// The text format, for the sizes the user entered.
ProfileFormat AsciiFormat(float NTraces, float NSamples, float TotalTime);

} // namespace orv

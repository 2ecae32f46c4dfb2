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

// The format a file's name says, whatever the letter case of its extension:
// .su; .rd3 or its header .rad; .dt1 or its header .hd. None for any other.
enum class NamedFormat { None, SU, RD3, DT1 };
NamedFormat FormatOfName(const std::string &path);
// The extensions FormatOfName knows, for messages.
inline constexpr const char *KnownExtensionsText = ".su, .rd3 (or its .rad header), .dt1 (or its .hd header)";
// The file a reader opens for `path` of format f: the path itself, or for a
// header (.rad, .hd) the data file beside it. False with a reason when the
// name cannot be turned into its partner's.
bool DataFileOf(const std::string &path, NamedFormat f, std::string &data, std::string &error);

const ProfileFormat &SUFormat();
const ProfileFormat &RD3Format();
const ProfileFormat &DT1Format();
// The text format, for the sizes the user entered.
ProfileFormat AsciiFormat(float NTraces, float NSamples, float TotalTime);

} // namespace orv

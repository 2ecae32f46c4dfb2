#pragma once
// The profile formats, each described once, in the order of the File menus.
// Everything that names a format follows from this table: the Open Profile
// and Save Profile items, the format a file's name says (`orvane FILE`, the
// batch's inputs), the batch's --format names and output extensions, the
// open and save flows. A test holds the MIME list, the desktop entry and the
// README's format table to it. Adding a format is adding an enumerator and
// its row.

#include "core/readcontrol.h"
#include "core/store.h"

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A row of the table; None: no row (a name that says no format).
enum class FormatId { None = -1, SU, RD3, DT1, Ascii, SEGY, DZT, RD7 };
// The format a file's name says.
using NamedFormat = FormatId;

enum class PostLoadDraw {
    RePlot,        // the re-plot command draws everything
    PlotAndTrace,  // the profile plot, the first trace and its highlight
    Text,          // the text reader's own order: counts first, no highlight
};

// The sizes a text profile's reader is given; the other readers take them
// from the file. The channel is the one a DZT reader reads (1-based).
struct Acquisition {
    float NTraces = 0, NSamples = 0, TotalTime = 0;
    int channel = 1;
};

// Reads a whole file into a staging profile; notice: a remark on the file to
// show once it is open. False with a reason completing "The file <path> ...".
using ProfileReader = bool (*)(const std::string &path, const Acquisition &sizes, Profile &p, std::string &notice,
                               std::string &error, const ReadControl &control);
// Writes the working amplitudes; may clip them in place. False with a reason.
using ProfileWriter = bool (*)(const std::string &path, ProfileStore &s, std::string &error,
                               const WriteProgress &progress);

struct ProfileFormat {
    FormatId id;
    const char *name;      // as --format and the messages name it: "su"
    const char *menu;      // the menu items' names end in it: mnuOpenSU, mnuSaveSU
    const char *caption;   // their caption in both File menus: "SU File"
    const char *extension; // the data file's, lower case; a written file takes it
    const char *header;    // the header file's kept beside it, or nullptr
    bool named;            // a file's extension says this format (.dat does not: picks files share it)
    const char *mime;      // its type in the MIME list and the desktop entry, for the named ones
    const char *filter;    // of the file dialogs
    ProfileReader read;
    ProfileWriter write;   // nullptr: read only, its Save item greyed out
    bool asksSizes = false;     // the open command asks for the sizes first
    bool showsProgress = false; // the progress caption from the first trace on; the others
                                // show it, with the Cancel button, once a read has lasted
    bool guardsPicking = false; // PlotReady is 0 while the file is read
    PostLoadDraw draw = PostLoadDraw::RePlot;
    bool saveItem = true;       // has an item in Save Profile (greyed out without a writer)
    // The channels of a file of this format (their antenna names), for the
    // formats whose files may hold several: the open command asks which one
    // to read when there are more than one. False with the reader's reason.
    bool (*channels)(const std::string &path, std::vector<std::string> &names, std::string &error) = nullptr;
    const char *alias = nullptr; // a second data extension the name may have, lower case
};

std::span<const ProfileFormat> Formats();
const ProfileFormat &FormatOf(FormatId f);
// The row that --format names ("su"), or nullptr.
const ProfileFormat *FormatNamed(std::string_view name);
// The names of the formats that can be written, for messages: "su, rd3 or ascii".
const std::string &WritableNamesText();

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
// a row's data or header extension, for the rows known by name. None for
// any other. A header extension that several rows share (.rad) says the
// first of them whose data file is beside it, else the first.
FormatId FormatOfName(const std::string &path);
// The extensions FormatOfName knows, for messages.
extern const std::string KnownExtensionsText;
// The file a reader opens for `path` of format f: the path itself, or for a
// header the data file beside it. False with a reason when the name cannot
// be turned into its partner's.
bool DataFileOf(const std::string &path, FormatId f, std::string &data, std::string &error);
// Every file a profile written as format f to `path` consists of: the
// header first, then the data file.
std::vector<std::string> FilesWritten(FormatId f, const std::string &path);

} // namespace orv

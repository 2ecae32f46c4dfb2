#pragma once
// The program's command line, read before any window exists: `orvane
// [FILE]`, --help and --version. Also what a FILE named there becomes: the
// File > Open item for its name's format and the answer its file dialog
// gets, or the message saying why it is not opened.

#include "app/profile_formats.h"

#include <string>
#include <vector>

namespace orv {

struct CommandLine {
    enum class Action {
        Run,     // start the window, opening `file` unless it is empty
        Help,    // print UsageText() to standard output, exit 0
        Version, // print the version to standard output, exit 0
        Fail,    // print `error` and UsageText() to standard error, exit 2
    };
    Action action = Action::Run;
    std::string file;
    std::string error;
};

// args: the arguments after the program name. --help (or -h) and --version
// win over file names; an option the program does not know, more than one
// file or an empty file name fails. "--" ends the options, so a file whose
// name starts with '-' can be given after it.
CommandLine ParseCommandLine(const std::vector<std::string> &args);

// The usage text, ending in a newline.
std::string UsageText();

// The open command for a file named at start.
struct StartupOpen {
    NamedFormat format = NamedFormat::None; // None: not opened, see message
    std::string dataFile;                   // what the file dialog answers
    std::string message;                    // why it is not opened
};

// path is taken from the current folder when relative, so that the window
// title and the next file dialog's folder are as after a menu open.
StartupOpen StartupOpenOf(const std::string &path);

} // namespace orv

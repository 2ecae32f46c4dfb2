#pragma once
// The command line of the batch program: which files, where the picks come
// from, what is done with them and what is written where.

#include "app/profile_formats.h"

#include <optional>
#include <string>
#include <vector>

namespace orv::batch {

using OutputFormat = FormatId; // a row of the format table that can be written
enum class PicksSource { None, File, Auto };

struct Options {
    std::vector<std::string> inputs;

    PicksSource picks = PicksSource::None;
    std::string picksPattern; // --picks: a file, or a name with {stem} / {dir}
    int autoWindow[4] = {};   // --auto: key first, key last, target first, target last
    int normMode = 0;         // 0 none, 1 per gather of csgTraces traces, 2 per trace
    int csgTraces = 24;
    bool align = false;

    std::string outDir;
    std::vector<OutputFormat> formats; // in the order given, each once
    bool savePicks = false;
    bool savePicksCsv = false;
    bool overwrite = false;

    // The acquisition of text inputs (files whose name says no other format).
    std::optional<double> traces, samples, totalTime;
    // The channel read of a file of several (DZT), 1-based.
    int channel = 1;

    unsigned jobs = 0; // 0: one per processor core
};

// What the command line asks for: a run, the help, the version, or a usage
// error (exit status 2) with its message.
struct Parsed {
    enum Kind { Run, Help, Version, Error } kind = Run;
    Options options;
    std::string error;
};

Parsed ParseArgs(const std::vector<std::string> &args);

std::string UsageText();

// The extension a written file of format f takes.
inline const char *OutputExtension(OutputFormat f) { return FormatOf(f).extension; }

// The picks file named by the --picks pattern for one input: {stem} is the
// input's name without its extension, {dir} its folder ("." when it has none).
std::string PicksFileFor(const std::string &pattern, const std::string &input);

// The name without folder and extension ("lines/L01.DT1" gives "L01").
std::string StemOf(const std::string &path);

} // namespace orv::batch

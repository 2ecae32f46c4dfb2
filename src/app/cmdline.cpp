#include "app/cmdline.h"

#include <filesystem>
#include <system_error>

namespace orv {

namespace {

CommandLine Failed(std::string error) { return {CommandLine::Action::Fail, {}, std::move(error)}; }

// The absolute form of path, with "." steps dropped; ".." steps are kept, as
// the folder before one may be a link.
std::string Absolute(const std::string &path)
{
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(path, ec);
    if (ec)
        return path;
    std::filesystem::path out;
    for (const auto &step : abs)
        if (step != ".")
            out /= step;
    return out.string();
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &args)
{
    bool help = false, version = false, optionsEnded = false;
    std::vector<std::string> files;
    for (const std::string &a : args) {
        if (!optionsEnded && a == "--")
            optionsEnded = true;
        else if (!optionsEnded && (a == "--help" || a == "-h"))
            help = true;
        else if (!optionsEnded && a == "--version")
            version = true;
        else if (!optionsEnded && a.size() > 0 && a[0] == '-')
            return Failed("unknown option '" + a + "'");
        else if (a.empty())
            return Failed("an empty file name");
        else
            files.push_back(a);
    }
    if (help)
        return {CommandLine::Action::Help, {}, {}};
    if (version)
        return {CommandLine::Action::Version, {}, {}};
    if (files.size() > 1)
        return Failed("one file at a time, " + std::to_string(files.size()) + " given");
    return {CommandLine::Action::Run, files.empty() ? std::string() : files[0], {}};
}

std::string UsageText()
{
    return std::string("Usage: orvane [FILE]\n"
                       "Shows ground-penetrating-radar profiles and seismic shot gathers and picks them.\n"
                       "\n"
                       "FILE is a profile to open at start, known by its extension in either\n"
                       "letter case:\n"
                       "  ")
        + KnownExtensionsText
        + "\n"
          "\n"
          "Options:\n"
          "  -h, --help     print this help and exit\n"
          "      --version  print the version and exit\n";
}

StartupOpen StartupOpenOf(const std::string &path)
{
    const std::string file = Absolute(path);
    StartupOpen s;
    const NamedFormat f = FormatOfName(file);
    if (f == NamedFormat::None) {
        s.message = "The file " + file + " is not opened: Orvane knows a profile by its extension, one of "
            + KnownExtensionsText + ".";
        return s;
    }
    std::string error;
    if (!DataFileOf(file, f, s.dataFile, error)) {
        s.message = "The file " + file + " " + error + ".";
        return s;
    }
    s.format = f;
    return s;
}

} // namespace orv

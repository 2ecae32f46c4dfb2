#include "batch/options.h"

#include "app/profile_formats.h"
#include "core/savefile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace orv::batch {

namespace {

// A whole number from `text` within lo..hi, the whole text taken.
std::optional<long> wholeNumber(const std::string &text, long lo, long hi)
{
    long v = 0;
    const char *end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end || v < lo || v > hi)
        return std::nullopt;
    return v;
}

std::optional<double> positiveNumber(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v) || !(v > 0))
        return std::nullopt;
    return v;
}

void replaceAll(std::string &s, const std::string &what, const std::string &with)
{
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
}

} // namespace

std::string UsageText()
{
    return "Usage: orvane-batch [OPTION]... FILE...\n"
           "Picks the first arrival of every trace of each FILE, aligns the traces on the\n"
           "picks and writes the results, as the window's commands do one file at a time.\n"
           "\n"
           "Inputs: Seismic Unix (.su), Ramac (.rd3 or its .rad header), Pulse Ekko (.dt1 or\n"
           "its .hd header), SEG-Y (.sgy or .segy), GSSI (.dzt), Mala (.rd7 or its .rad\n"
           "header), in either letter case; any other file is read as a text profile and\n"
           "needs --traces, --samples and --total-time.\n"
           "\n"
           "Picks (one of):\n"
           "  --picks FILE         a picks file; with several inputs a pattern such as\n"
           "                       {stem}.dat ({stem}: the input's name without extension,\n"
           "                       {dir}: its folder)\n"
           "  --auto K1 KL T1 TL   cross-correlation as Adjust Air Wave > Automatic: key\n"
           "                       window K1..KL, target range T1..TL (sample numbers), on the\n"
           "                       amplitudes All Profile leaves\n"
           "  --normalize MODE     the amplitudes All Profile draws, which are picked and\n"
           "                       written: none (default), trace, or csg=N (gathers of N\n"
           "                       traces)\n"
           "  --align              shift every trace on its pick\n"
           "\n"
           "Outputs:\n"
           "  --out DIR            the folder written to (created if missing)\n"
           "  --format F[,F...]    " + WritableNamesText() + "; may be repeated\n"
           "  --save-picks         also write each input's picks as DIR/<stem>.picks.dat\n"
           "  --save-picks-csv     also write each input's picks with the geometry its\n"
           "                       headers carry as DIR/<stem>.picks.csv (as File > Export\n"
           "                       Picks (CSV))\n"
           "  --overwrite          replace outputs that exist (an input is never replaced)\n"
           "\n"
           "Text inputs:\n"
           "  --traces N --samples N --total-time MS\n"
           "\n"
           "DZT inputs:\n"
           "  --channel N          the channel read of a file of several (default 1)\n"
           "\n"
           "  -j N                 files processed at once (default: one per processor core)\n"
           "  --help, --version\n"
           "\n"
           "Exit status: 0 all files done, 1 some failed, 2 the command line is wrong.\n";
}

std::string StemOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

std::string PicksFileFor(const std::string &pattern, const std::string &input)
{
    std::string s = pattern;
    replaceAll(s, "{stem}", StemOf(input));
    replaceAll(s, "{dir}", FolderOf(input));
    return s;
}

Parsed ParseArgs(const std::vector<std::string> &args)
{
    Parsed p;
    Options &o = p.options;
    auto fail = [&](const std::string &why) {
        p.kind = Parsed::Error;
        p.error = why;
        return p;
    };
    bool onlyFiles = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (onlyFiles || a.empty() || a[0] != '-' || a == "-") {
            o.inputs.push_back(a);
            continue;
        }
        // The values an option takes.
        auto values = [&](size_t n) -> bool { return i + n < args.size(); };
        if (a == "--") {
            onlyFiles = true;
        } else if (a == "--help" || a == "-h") {
            p.kind = Parsed::Help;
            return p;
        } else if (a == "--version") {
            p.kind = Parsed::Version;
            return p;
        } else if (a == "--picks") {
            if (!values(1))
                return fail("--picks needs a file name or pattern");
            if (o.picks == PicksSource::Auto)
                return fail("--picks and --auto cannot be given together");
            o.picks = PicksSource::File;
            o.picksPattern = args[++i];
            if (o.picksPattern.empty())
                return fail("--picks needs a file name or pattern");
        } else if (a == "--auto") {
            if (!values(4))
                return fail("--auto needs four sample numbers: KEYFIRST KEYLAST TARGFIRST TARGLAST");
            if (o.picks == PicksSource::File)
                return fail("--picks and --auto cannot be given together");
            o.picks = PicksSource::Auto;
            for (int k = 0; k < 4; ++k) {
                const auto v = wholeNumber(args[++i], 1, 32767);
                if (!v)
                    return fail("--auto takes sample numbers from 1 to 32767, not \"" + args[i] + "\"");
                o.autoWindow[k] = static_cast<int>(*v);
            }
        } else if (a == "--normalize") {
            if (!values(1))
                return fail("--normalize needs none, trace or csg=N");
            const std::string &m = args[++i];
            if (m == "none") {
                o.normMode = 0;
            } else if (m == "trace") {
                o.normMode = 2;
            } else if (m.rfind("csg=", 0) == 0) {
                const auto n = wholeNumber(m.substr(4), 1, 32767);
                if (!n)
                    return fail("--normalize csg=N takes a number of traces from 1 to 32767, not \"" + m + "\"");
                o.normMode = 1;
                o.csgTraces = static_cast<int>(*n);
            } else {
                return fail("--normalize takes none, trace or csg=N, not \"" + m + "\"");
            }
        } else if (a == "--align") {
            o.align = true;
        } else if (a == "--out") {
            if (!values(1) || args[i + 1].empty())
                return fail("--out needs a folder");
            o.outDir = args[++i];
        } else if (a == "--format") {
            if (!values(1))
                return fail("--format needs " + WritableNamesText());
            std::string list = args[++i] + ",";
            for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos; at = comma + 1) {
                const std::string f = list.substr(at, comma - at);
                const ProfileFormat *row = FormatNamed(f);
                if (!row || !row->write)
                    return fail("--format takes " + WritableNamesText() + ", not \"" + f + "\"");
                const OutputFormat of = row->id;
                bool seen = false;
                for (OutputFormat g : o.formats)
                    seen = seen || g == of;
                if (!seen)
                    o.formats.push_back(of);
            }
        } else if (a == "--save-picks") {
            o.savePicks = true;
        } else if (a == "--save-picks-csv") {
            o.savePicksCsv = true;
        } else if (a == "--overwrite") {
            o.overwrite = true;
        } else if (a == "--traces" || a == "--samples" || a == "--total-time") {
            if (!values(1))
                return fail(a + " needs a value");
            const std::string &v = args[++i];
            if (a == "--total-time") {
                o.totalTime = positiveNumber(v);
                if (!o.totalTime)
                    return fail("--total-time takes a time in ms above 0, not \"" + v + "\"");
            } else {
                const auto n = wholeNumber(v, 1, 32767);
                if (!n)
                    return fail(a + " takes a whole number from 1 to 32767, not \"" + v + "\"");
                (a == "--traces" ? o.traces : o.samples) = static_cast<double>(*n);
            }
        } else if (a == "--channel") {
            if (!values(1))
                return fail("--channel needs a channel number");
            const auto n = wholeNumber(args[++i], 1, 65535);
            if (!n)
                return fail("--channel takes a channel number from 1 to 65535, not \"" + args[i] + "\"");
            o.channel = static_cast<int>(*n);
        } else if (a == "-j" || a.rfind("-j", 0) == 0) {
            std::string v = a.size() > 2 ? a.substr(2) : "";
            if (v.empty()) {
                if (!values(1))
                    return fail("-j needs a number of files at once");
                v = args[++i];
            }
            const auto n = wholeNumber(v, 1, 1024);
            if (!n)
                return fail("-j takes a number from 1 to 1024, not \"" + v + "\"");
            o.jobs = static_cast<unsigned>(*n);
        } else {
            return fail("unknown option \"" + a + "\"");
        }
    }

    if (o.inputs.empty())
        return fail("no input file given");
    if (o.outDir.empty() != o.formats.empty())
        return fail(o.outDir.empty() ? "--format needs --out, the folder to write to"
                                     : "--out needs --format, what to write");
    if (o.outDir.empty() && !o.savePicks && !o.savePicksCsv)
        return fail("nothing to write: give --out with --format");
    if (o.savePicks && o.outDir.empty())
        return fail("--save-picks needs --out and --format");
    if (o.savePicksCsv && o.outDir.empty())
        return fail("--save-picks-csv needs --out and --format");
    if (o.align && o.picks == PicksSource::None)
        return fail("--align needs picks: --picks or --auto");
    if (o.savePicks && o.picks == PicksSource::None)
        return fail("--save-picks needs picks: --picks or --auto");
    if (o.savePicksCsv && o.picks == PicksSource::None)
        return fail("--save-picks-csv needs picks: --picks or --auto");
    if (o.picks == PicksSource::File && o.inputs.size() > 1
        && o.picksPattern.find("{stem}") == std::string::npos)
        return fail("--picks with several inputs needs a pattern with {stem}, such as {stem}.dat");
    const bool textSizes = o.traces && o.samples && o.totalTime;
    for (const std::string &in : o.inputs)
        if (FormatOfName(in) == NamedFormat::None && !textSizes)
            return fail("the file " + in + " is none of " + KnownExtensionsText
                        + "; to read it as a text profile give --traces, --samples and --total-time");
    return p;
}

} // namespace orv::batch

#include "app/profile_formats.h"

#include "core/numbers.h"
#include "formats/ascii.h"
#include "formats/dt1.h"
#include "formats/dzt.h"
#include "formats/pairname.h"
#include "formats/rd3.h"
#include "formats/segy.h"
#include "formats/su.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace orv {

namespace {

std::string lowerExtension(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    for (char &ch : ext)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return ext;
}

bool readSU(const std::string &path, const Acquisition &, Profile &p, std::string &notice, std::string &error,
            const ReadControl &control)
{
    SUReadInfo info;
    if (!ReadSUFile(path, p, info, error, control))
        return false;
    if (info.byteOrderGuessed)
        notice = "The trace headers of the file " + path + " do not settle its byte order; it is read as "
            + (info.bigEndian ? "big-endian." : "little-endian.");
    if (info.intervalSubstituted)
        notice += std::string(notice.empty() ? "" : " ") + "The file " + path
            + " gives no sample interval (dt = 0); an interval of " + PlainText(SUFallbackIntervalMs)
            + " ms is assumed.";
    return true;
}

bool readSEGY(const std::string &path, const Acquisition &, Profile &p, std::string &notice, std::string &error,
              const ReadControl &control)
{
    SEGYReadInfo info;
    if (!ReadSEGYFile(path, p, info, error, control))
        return false;
    auto add = [&](const std::string &text) { notice += (notice.empty() ? "" : " ") + text; };
    if (info.cutTrace > 0)
        add("The file " + path + " ends inside trace " + PlainText(info.cutTrace)
            + "; its missing samples are read as 0.");
    if (info.fittedTraces > 0)
        add("The file " + path + " has " + PlainText(info.fittedTraces)
            + " traces of another sample count than the first; they are cut or padded to "
            + PlainText(p.NSamples) + " samples.");
    if (info.intervalSubstituted)
        add("The file " + path + " gives no sample interval; an interval of " + PlainText(SUFallbackIntervalMs)
            + " ms is assumed.");
    return true;
}

bool readRD3(const std::string &path, const Acquisition &, Profile &p, std::string &notice, std::string &error,
             const ReadControl &control)
{
    return ReadRD3File(path, p, notice, error, control);
}

bool readDT1(const std::string &path, const Acquisition &, Profile &p, std::string &notice, std::string &error,
             const ReadControl &control)
{
    return ReadDT1File(path, p, notice, error, control);
}

bool readDZT(const std::string &path, const Acquisition &a, Profile &p, std::string &notice, std::string &error,
             const ReadControl &control)
{
    return ReadDZTFile(path, a.channel, p, notice, error, control);
}

bool readRD7(const std::string &path, const Acquisition &, Profile &p, std::string &notice, std::string &error,
             const ReadControl &control)
{
    return ReadRD7File(path, p, notice, error, control);
}

bool readAscii(const std::string &path, const Acquisition &a, Profile &p, std::string &, std::string &error,
               const ReadControl &control)
{
    return ReadAsciiFile(path, a.NTraces, a.NSamples, a.TotalTime, p, error, control);
}

bool writeSU(const std::string &path, ProfileStore &s, std::string &error, const WriteProgress &progress)
{
    return WriteSUFile(path, s.PlotData, s.NTraces, s.NSamples, s.TotalTime, error, progress);
}

bool writeSEGY(const std::string &path, ProfileStore &s, std::string &error, const WriteProgress &progress)
{
    return WriteSEGYFile(path, s.PlotData, s.NTraces, s.NSamples, s.TotalTime, s.Headers, error, progress);
}

bool writeRD3(const std::string &path, ProfileStore &s, std::string &error, const WriteProgress &progress)
{
    return WriteRD3File(path, s.PlotData, s.NTraces, s.NSamples, error, progress);
}

bool writeRD7(const std::string &path, ProfileStore &s, std::string &error, const WriteProgress &progress)
{
    return WriteRD7File(path, s.PlotData, s.NTraces, s.NSamples, error, progress);
}

bool writeAscii(const std::string &path, ProfileStore &s, std::string &error, const WriteProgress &progress)
{
    return WriteAsciiFile(path, s.PlotData, s.NTraces, s.NSamples, error, progress);
}

constexpr ProfileFormat Table[] = {
    {FormatId::SU, "su", "SU", "SU File", "su", nullptr, true, "application/x-seismic-unix", SUFilter, readSU, writeSU, false, true, true,
     PostLoadDraw::RePlot},
    {FormatId::RD3, "rd3", "RD3", "RD3 File", "rd3", "rad", true, "application/x-ramac-rd3", RD3Filter, readRD3, writeRD3, false, false, false,
     PostLoadDraw::PlotAndTrace},
    {FormatId::DT1, "dt1", "DT1", "DT1 File", "dt1", "hd", true, "application/x-pulseekko-dt1", DT1Filter, readDT1, nullptr, false, false, true,
     PostLoadDraw::PlotAndTrace},
    {FormatId::Ascii, "ascii", "Ascii", "ASCII File", "dat", nullptr, false, nullptr, AsciiFilter, readAscii, writeAscii,
     true, false, false, PostLoadDraw::Text},
    {FormatId::SEGY, "segy", "SEGY", "SEG-Y File", "sgy", nullptr, true, "application/x-segy", SEGYFilter, readSEGY, writeSEGY,
     false, true, true, PostLoadDraw::RePlot, true, nullptr, "segy"},
    {FormatId::DZT, "dzt", "DZT", "DZT File", "dzt", nullptr, true, "application/x-gssi-dzt", DZTFilter, readDZT, nullptr, false, false, true,
     PostLoadDraw::PlotAndTrace, false, DZTChannelsOfFile},
    {FormatId::RD7, "rd7", "RD7", "RD7 File", "rd7", "rad", true, "application/x-mala-rd7", RD7Filter, readRD7, writeRD7, false, false, false,
     PostLoadDraw::PlotAndTrace},
};

// Each row sits at its enumerator's place.
static_assert([] {
    for (size_t k = 0; k < std::size(Table); ++k)
        if (static_cast<size_t>(Table[k].id) != k)
            return false;
    return true;
}());

std::string knownExtensions()
{
    std::string text;
    for (const ProfileFormat &f : Table) {
        if (!f.named)
            continue;
        text += (text.empty() ? "." : ", .") + std::string(f.extension);
        if (f.alias)
            text += " (or ." + std::string(f.alias) + ")";
        if (f.header)
            text += " (or its ." + std::string(f.header) + " header)";
    }
    return text;
}

} // namespace

std::span<const ProfileFormat> Formats() { return Table; }

const ProfileFormat &FormatOf(FormatId f) { return Table[static_cast<size_t>(f)]; }

const ProfileFormat *FormatNamed(std::string_view name)
{
    for (const ProfileFormat &f : Table)
        if (name == f.name)
            return &f;
    return nullptr;
}

const std::string &WritableNamesText()
{
    static const std::string text = [] {
        std::vector<const char *> names;
        for (const ProfileFormat &f : Table)
            if (f.write)
                names.push_back(f.name);
        std::string t;
        for (size_t k = 0; k < names.size(); ++k)
            t += (k == 0 ? "" : k + 1 == names.size() ? " or " : ", ") + std::string(names[k]);
        return t;
    }();
    return text;
}

const std::string KnownExtensionsText = knownExtensions();

FormatId FormatOfName(const std::string &path)
{
    const std::string ext = lowerExtension(path);
    FormatId first = FormatId::None;
    for (const ProfileFormat &f : Table) {
        if (!f.named)
            continue;
        if (ext == f.extension || (f.alias && ext == f.alias))
            return f.id;
        if (f.header && ext == f.header) {
            std::string data, error;
            std::error_code ec;
            if (PartnerName(path, ext.size(), f.extension, data, error) && std::filesystem::exists(data, ec))
                return f.id;
            if (first == FormatId::None)
                first = f.id;
        }
    }
    return first;
}

bool DataFileOf(const std::string &path, FormatId f, std::string &data, std::string &error)
{
    if (f != FormatId::None) {
        const ProfileFormat &row = FormatOf(f);
        if (row.header && lowerExtension(path) == row.header)
            return PartnerName(path, std::strlen(row.header), row.extension, data, error);
    }
    data = path;
    return true;
}

std::vector<std::string> FilesWritten(FormatId f, const std::string &path)
{
    std::vector<std::string> files{path};
    const ProfileFormat &row = FormatOf(f);
    std::string header, error;
    if (row.header && PartnerNameToWrite(path, std::strlen(row.extension), row.header, header, error))
        files.insert(files.begin(), header);
    return files;
}

ReadPacing &Pacing()
{
    static ReadPacing pacing;
    return pacing;
}

} // namespace orv

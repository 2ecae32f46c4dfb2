#include "app/profile_formats.h"

#include "core/numbers.h"
#include "formats/ascii.h"
#include "formats/dt1.h"
#include "formats/pairname.h"
#include "formats/rd3.h"
#include "formats/su.h"

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

} // namespace

NamedFormat FormatOfName(const std::string &path)
{
    const std::string ext = lowerExtension(path);
    if (ext == "su")
        return NamedFormat::SU;
    if (ext == "rd3" || ext == "rad")
        return NamedFormat::RD3;
    if (ext == "dt1" || ext == "hd")
        return NamedFormat::DT1;
    return NamedFormat::None;
}

bool DataFileOf(const std::string &path, NamedFormat f, std::string &data, std::string &error)
{
    const std::string ext = lowerExtension(path);
    if (f == NamedFormat::RD3 && ext == "rad")
        return PartnerName(path, 3, "rd3", data, error);
    if (f == NamedFormat::DT1 && ext == "hd")
        return PartnerName(path, 2, "dt1", data, error);
    data = path;
    return true;
}

ReadPacing &Pacing()
{
    static ReadPacing pacing;
    return pacing;
}

const ProfileFormat &SUFormat()
{
    static const ProfileFormat f{
        SUFilter,
        [](const std::string &path, Profile &p, std::string &notice, std::string &error,
           const ReadControl &control) {
            SUReadInfo info;
            if (!ReadSUFile(path, p, info, error, control))
                return false;
            if (info.byteOrderGuessed)
                notice = "The trace headers of the file " + path
                    + " do not settle its byte order; it is read as "
                    + (info.bigEndian ? "big-endian." : "little-endian.");
            if (info.intervalSubstituted)
                notice += std::string(notice.empty() ? "" : " ") + "The file " + path
                    + " gives no sample interval (dt = 0); an interval of " + PlainText(SUFallbackIntervalMs)
                    + " ms is assumed.";
            return true;
        },
        [](const std::string &path, ProfileStore &s, std::string &error) {
            return WriteSUFile(path, s.PlotData, s.NTraces, s.NSamples, s.TotalTime, error);
        },
        true, true, PostLoadDraw::RePlot};
    return f;
}

const ProfileFormat &RD3Format()
{
    static const ProfileFormat f{
        RD3Filter,
        [](const std::string &path, Profile &p, std::string &notice, std::string &error,
           const ReadControl &control) { return ReadRD3File(path, p, notice, error, control); },
        [](const std::string &path, ProfileStore &s, std::string &error) {
            return WriteRD3File(path, s.PlotData, s.NTraces, s.NSamples, error);
        },
        false, false, PostLoadDraw::PlotAndTrace};
    return f;
}

const ProfileFormat &DT1Format()
{
    static const ProfileFormat f{
        DT1Filter,
        [](const std::string &path, Profile &p, std::string &notice, std::string &error,
           const ReadControl &control) { return ReadDT1File(path, p, notice, error, control); },
        {}, false, true, PostLoadDraw::PlotAndTrace};
    return f;
}

ProfileFormat AsciiFormat(float NTraces, float NSamples, float TotalTime)
{
    return ProfileFormat{
        AsciiFilter,
        [=](const std::string &path, Profile &p, std::string &, std::string &error, const ReadControl &control) {
            return ReadAsciiFile(path, NTraces, NSamples, TotalTime, p, error, control);
        },
        [](const std::string &path, ProfileStore &s, std::string &error) {
            return WriteAsciiFile(path, s.PlotData, s.NTraces, s.NSamples, error);
        },
        false, false, PostLoadDraw::Text};
}

} // namespace orv

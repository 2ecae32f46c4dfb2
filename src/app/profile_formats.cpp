#include "app/profile_formats.h"

#include "core/numbers.h"
#include "formats/ascii.h"
#include "formats/dt1.h"
#include "formats/rd3.h"
#include "formats/su.h"

namespace orv {

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

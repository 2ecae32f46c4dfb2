#pragma once
// Shared pieces of the fuzz targets: the property check, a scratch folder for
// the readers that take a path, the staging profile a refusal must leave
// alone, and the write-then-read checks of the three writers.
//
// Each target is one LLVMFuzzerTestOneInput. Built with ORVANE_FUZZ it links
// libFuzzer; in the normal build the same source links replay_main.cpp and
// runs every file of its corpus as a test.

#include "core/numbers.h"
#include "core/store.h"
#include "formats/ascii.h"
#include "formats/rd3.h"
#include "formats/su.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void violated(const char *what, const char *file, int line, const std::string &detail)
{
    std::fprintf(stderr, "\nproperty violated: %s (%s:%d)\n", what, file, line);
    if (!detail.empty())
        std::fprintf(stderr, "  %s\n", detail.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(cond) ((cond) ? void(0) : fuzz::violated(#cond, __FILE__, __LINE__, {}))
#define FUZZ_CHECK_MSG(cond, detail) ((cond) ? void(0) : fuzz::violated(#cond, __FILE__, __LINE__, (detail)))

namespace fuzz {

// Largest profile (traces x samples) whose samples the checks walk and write
// back; a header may announce 32767 x 32767 over a few bytes of data, and
// only its sizes are checked then.
inline constexpr uint64_t kWalkLimit = uint64_t(1) << 16;

// One folder per process, removed at exit. Every input overwrites the same
// few files in it.
struct ScratchDir {
    std::filesystem::path path;
    ScratchDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orvane_fuzz_XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = tmpl;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

inline const std::filesystem::path &scratch()
{
    static const ScratchDir dir;
    return dir.path;
}

inline std::string scratchFile(const char *name) { return (scratch() / name).string(); }

inline void putFile(const std::string &path, std::string_view bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

inline std::string fileBytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// A header file and a data file in one input: the bytes before the first
// kSplit are the header, the bytes after it the data. Without a kSplit the
// whole input is the header and the data file is empty.
inline constexpr std::string_view kSplit = "\n--data--\n";

struct Pair {
    std::string_view header, data;
};

inline Pair splitPair(const uint8_t *bytes, size_t size)
{
    const std::string_view all(reinterpret_cast<const char *>(bytes), size);
    const size_t at = all.find(kSplit);
    if (at == std::string_view::npos)
        return {all, {}};
    return {all.substr(0, at), all.substr(at + kSplit.size())};
}

// The profile a reader is handed before it reads: a refusal must leave it
// exactly so.
inline orv::Profile staging()
{
    orv::Profile p;
    p.RawData.allocate(2, 3);
    p.RawData(1, 1) = 42;
    p.RawData(2, 3) = -7;
    p.NTraces = 2;
    p.NSamples = 3;
    p.TotalTime = 9;
    return p;
}

inline bool sameProfile(const orv::Profile &a, const orv::Profile &b)
{
    // TotalTime by its bits: a NaN window read twice is the same window.
    return a.RawData == b.RawData && a.NTraces == b.NTraces && a.NSamples == b.NSamples
        && std::memcmp(&a.TotalTime, &b.TotalTime, sizeof(float)) == 0;
}

inline uint64_t sampleCount(const orv::Profile &p)
{
    return static_cast<uint64_t>(p.NTraces) * static_cast<uint64_t>(p.NSamples);
}

// What every reader promises, either way it goes.
inline void checkOutcome(bool ok, const orv::Profile &out, const std::string &error)
{
    if (!ok) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(sameProfile(out, staging()));
        return;
    }
    FUZZ_CHECK(out.NTraces >= 1 && out.NTraces <= 32767 && out.NTraces == std::floor(out.NTraces));
    FUZZ_CHECK(out.NSamples >= 1 && out.NSamples <= 32767 && out.NSamples == std::floor(out.NSamples));
    FUZZ_CHECK(out.RawData.traceBound() == static_cast<int>(out.NTraces));
    FUZZ_CHECK(out.RawData.sampleBound() == static_cast<int>(out.NSamples));
    if (sampleCount(out) <= kWalkLimit) {
        // Row and column 0 are never written.
        const int nt = out.RawData.traceBound(), ns = out.RawData.sampleBound();
        for (int s = 0; s <= ns; ++s)
            FUZZ_CHECK(out.RawData(0, s) == 0);
        for (int t = 0; t <= nt; ++t)
            FUZZ_CHECK(out.RawData(t, 0) == 0);
    }
}

// The profile saved as Seismic Unix and read back is the same profile. The
// writer may refuse an interval that does not fit its header.
inline void checkSURoundTrip(const orv::Profile &p)
{
    if (sampleCount(p) > kWalkLimit)
        return;
    const std::string path = scratchFile("roundtrip.su");
    std::string error;
    if (!orv::WriteSUFile(path, p.RawData, p.NTraces, p.NSamples, p.TotalTime, error)) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    orv::Profile back = staging();
    orv::SUReadInfo info;
    FUZZ_CHECK_MSG(orv::ReadSUFile(path, back, info, error), error);
    // A sample count whose two bytes are equal (257, 514, ...) tiles the file
    // in both byte orders; the reader then goes by how plausible the first
    // trace's samples look, and arbitrary samples may look better swapped.
    if (info.byteOrderGuessed && info.bigEndian)
        return;
    orv::Profile expected = p;
    if (p.TotalTime == 0)
        expected.TotalTime = static_cast<float>(orv::SUFallbackIntervalMs * p.NSamples);
    FUZZ_CHECK_MSG(sameProfile(back, expected), "TotalTime " + orv::PlainText(p.TotalTime) + " read back as "
                                                    + orv::PlainText(back.TotalTime));
}

// The profile saved as RD3 and read back: its samples clipped to the 16-bit
// range the writer keeps, the time window 700.
inline void checkRD3RoundTrip(const orv::Profile &p)
{
    if (sampleCount(p) > kWalkLimit)
        return;
    const std::string path = scratchFile("roundtrip.rd3");
    orv::Array2D written = p.RawData;
    std::string error, notice;
    FUZZ_CHECK_MSG(orv::WriteRD3File(path, written, p.NTraces, p.NSamples, error), error);
    orv::Profile back = staging();
    FUZZ_CHECK_MSG(orv::ReadRD3File(path, back, notice, error), error);
    FUZZ_CHECK(notice.empty());
    orv::Profile expected;
    expected.RawData = written; // as the writer clipped it
    expected.NTraces = p.NTraces;
    expected.NSamples = p.NSamples;
    expected.TotalTime = 700;
    FUZZ_CHECK(sameProfile(back, expected));
}

// The profile saved as text: one line per trace of the print forms. Read
// back, each finite sample keeps its 7 significant digits and prints the
// same again; a sample that is not finite has no number to read back and
// reads as 0.
inline void checkAsciiRoundTrip(const orv::Profile &p)
{
    if (sampleCount(p) > kWalkLimit)
        return;
    const int nt = static_cast<int>(p.NTraces), ns = static_cast<int>(p.NSamples);
    const std::string path = scratchFile("roundtrip.dat");
    std::string error;
    FUZZ_CHECK_MSG(orv::WriteAsciiFile(path, p.RawData, p.NTraces, p.NSamples, error), error);
    const std::string text = fileBytes(path);
    std::string expected;
    for (int t = 1; t <= nt; ++t) {
        for (int s = 1; s <= ns; ++s)
            expected += orv::PrintText(p.RawData(t, s));
        expected += "\r\n";
    }
    FUZZ_CHECK_MSG(text == expected, "written \"" + text.substr(0, 200) + "\"\n  print form \"" + expected.substr(0, 200) + "\"");

    orv::Profile back = staging();
    FUZZ_CHECK_MSG(orv::ReadAsciiFile(path, p.NTraces, p.NSamples, p.TotalTime, back, error), error);
    checkOutcome(true, back, error);
    for (int t = 1; t <= nt; ++t)
        for (int s = 1; s <= ns; ++s) {
            const float v = p.RawData(t, s), r = back.RawData(t, s);
            const bool same = std::isfinite(v)
                ? std::fabs(r - v) <= 6e-7f * std::fabs(v) && orv::PrintText(r) == orv::PrintText(v)
                : r == 0;
            FUZZ_CHECK_MSG(same, orv::PrintText(v) + "read back as " + orv::PrintText(r));
        }
}

} // namespace fuzz

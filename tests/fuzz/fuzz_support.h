#pragma once
// Shared pieces of the fuzz targets.

#include "core/numbers.h"
#include "core/store.h"
#include "../support/files.h"
#include "formats/ascii.h"
#include "formats/rd3.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void violated(const char *what, const char *file, int line, const std::string &detail)
{
    std::fprintf(stderr, "\nproperty violated: %s (%s:%d)\n  %s\n", what, file, line, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(cond) ((cond) ? void(0) : fuzz::violated(#cond, __FILE__, __LINE__, {}))
#define FUZZ_CHECK_MSG(cond, detail) ((cond) ? void(0) : fuzz::violated(#cond, __FILE__, __LINE__, (detail)))

// Largest profile (traces x samples) whose samples the checks walk and write back.
inline constexpr uint64_t kWalkLimit = uint64_t(1) << 16;

// One folder per process, removed at exit; every input overwrites the same few files in it.
inline std::string scratchFile(const char *name)
{
    static const struct Dir {
        std::string path = (std::filesystem::temp_directory_path() / "orvane_fuzz_XXXXXX").string();
        Dir() { FUZZ_CHECK(::mkdtemp(path.data())); }
        ~Dir() { std::error_code ec; std::filesystem::remove_all(path, ec); }
    } dir;
    return dir.path + "/" + name;
}

inline void putFile(const std::string &path, std::string_view bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    FUZZ_CHECK_MSG(f.write(bytes.data(), static_cast<std::streamsize>(bytes.size())), path);
}

// A header file and a data file in one input, split at the first kSplit.
inline constexpr std::string_view kSplit = "\n--data--\n";

struct Pair {
    std::string_view header, data;
};

inline Pair splitPair(const uint8_t *bytes, size_t size)
{
    const std::string_view all(reinterpret_cast<const char *>(bytes), size);
    const size_t at = all.find(kSplit);
    return at == std::string_view::npos ? Pair{all, {}} : Pair{all.substr(0, at), all.substr(at + kSplit.size())};
}

using orv::test::Staged;

// TotalTime by its bits: a NaN window read twice is the same window.
inline bool sameProfile(const orv::Profile &a, const orv::Profile &b)
{
    return a.RawData == b.RawData && a.NTraces == b.NTraces && a.NSamples == b.NSamples
        && std::memcmp(&a.TotalTime, &b.TotalTime, sizeof(float)) == 0;
}

inline uint64_t sampleCount(const orv::Profile &p)
{
    return static_cast<uint64_t>(p.NTraces) * static_cast<uint64_t>(p.NSamples);
}

// What every reader promises.
inline void checkOutcome(bool ok, const orv::Profile &out, const std::string &error)
{
    if (!ok) {
        FUZZ_CHECK(!error.empty() && sameProfile(out, Staged()));
        return;
    }
    FUZZ_CHECK(out.NTraces >= 1 && out.NTraces <= 32767 && out.NTraces == std::floor(out.NTraces));
    FUZZ_CHECK(out.NSamples >= 1 && out.NSamples <= 32767 && out.NSamples == std::floor(out.NSamples));
    const int nt = out.RawData.traceBound(), ns = out.RawData.sampleBound();
    FUZZ_CHECK(nt == static_cast<int>(out.NTraces) && ns == static_cast<int>(out.NSamples));
    if (sampleCount(out) <= kWalkLimit) {
        for (int s = 0; s <= ns; ++s)
            FUZZ_CHECK(out.RawData(0, s) == 0);
        for (int t = 0; t <= nt; ++t)
            FUZZ_CHECK(out.RawData(t, 0) == 0);
    }
}

// The pair readers (RD3, DT1).
struct PairRead {
    Pair in;
    orv::Profile out = Staged();
    std::string notice, error;
    bool ok;
    template <typename Reader>
    PairRead(const uint8_t *data, size_t size, const char *hd, const char *dt, Reader read) : in(splitPair(data, size))
    {
        putFile(scratchFile(hd), in.header);
        putFile(scratchFile(dt), in.data);
        ok = read(scratchFile(dt), out, notice, error, orv::ReadControl{});
        checkOutcome(ok, out, error);
    }
    // The little-endian 16-bit value at byte `at` of the data.
    float le16(uint64_t at, bool halfKeepsLow) const
    {
        const auto byte = [&](uint64_t i) { return static_cast<uint8_t>(in.data[i]); };
        return at + 1 < in.data.size()      ? static_cast<int16_t>(byte(at) | byte(at + 1) << 8)
            : at < in.data.size() && halfKeepsLow ? byte(at)
                                                  : 0;
    }
};

} // namespace fuzz

#pragma once
// A fresh folder per test and whole-file reads and writes, for the format tests.
#include "core/store.h"
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace orv::test {

struct TempDir {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orvane_test_" + std::to_string(std::random_device()()));
    TempDir() { std::filesystem::create_directories(path); }
    ~TempDir() { std::error_code ec; std::filesystem::remove_all(path, ec); }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    long entries() const { return std::distance(std::filesystem::directory_iterator(path), {}); }
};

inline std::string FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void PutFile(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The profile a reader is handed: a refusal must leave it so.
inline Profile Staged()
{
    Profile p;
    p.RawData.allocate(2, 3);
    p.RawData(1, 1) = 42;
    p.NTraces = 2, p.NSamples = 3, p.TotalTime = 9;
    p.Headers.kind = FileHeaders::Kind::SU;
    p.Headers.traces = {1, 2, 3};
    return p;
}

// What a reader made of a file: the profile (as staged when refused), its notice and its error.
struct Outcome {
    Profile p = Staged();
    std::string notice, error;
    bool ok = false;
};

inline bool Untouched(const Profile &p)
{
    const Profile s = Staged();
    return p.RawData == s.RawData && p.NTraces == 2 && p.NSamples == 3 && p.TotalTime == 9
        && p.Headers.kind == s.Headers.kind && p.Headers.traces == s.Headers.traces && p.Headers.file.empty();
}

// A DZT file: a 1024-byte header for each channel before the data (channel k's range 10 k ns,
// antenna "Ak"), then `scans` scans of every channel, sample j of scan i of channel c DztRaw(bits, c, i, j).
inline uint32_t DztRaw(int bits, int c, int i, int j)
{
    const uint32_t v = uint32_t(c) * 0x10000001u + uint32_t(i) * 2654435761u + uint32_t(j) * 40503u;
    return bits == 32 ? v : v & ((1u << bits) - 1);
}
inline float DztValue(int bits, uint32_t raw) { return bits == 32 ? float(int32_t(raw)) : float(int(raw) - (1 << (bits - 1))); }
inline std::string DztFile(int bits, int channels, int dataWord, int ns, int scans, float scansPerMetre = 0)
{
    std::string b(1024 * size_t(dataWord < 1024 ? dataWord : channels), '\0');
    const auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            b[at + size_t(k)] = char(v >> (8 * k));
    };
    for (int c = 0; c < channels && 1024 * size_t(c + 1) <= b.size(); ++c) {
        const size_t h = 1024 * size_t(c);
        const float range = 10.0f * float(c + 1);
        put(h + 2, uint32_t(dataWord), 2), put(h + 4, uint32_t(ns), 2), put(h + 6, uint32_t(bits), 2);
        std::memcpy(&b[h + 14], &scansPerMetre, 4), std::memcpy(&b[h + 26], &range, 4);
        put(h + 52, uint32_t(channels), 2), b[h + 98] = 'A', b[h + 99] = char('1' + c);
    }
    for (int i = 0; i < scans * channels * ns; ++i)
        b.append(size_t(bits / 8), '\0'), put(b.size() - size_t(bits / 8), DztRaw(bits, i / ns % channels, i / ns / channels, i % ns), bits / 8);
    return b;
}

} // namespace orv::test

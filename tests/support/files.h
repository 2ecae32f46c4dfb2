#pragma once
// A fresh folder per test and whole-file reads and writes, for the format tests.
#include "core/store.h"
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

inline bool Untouched(const Profile &p)
{
    const Profile s = Staged();
    return p.RawData == s.RawData && p.NTraces == 2 && p.NSamples == 3 && p.TotalTime == 9
        && p.Headers.kind == s.Headers.kind && p.Headers.traces == s.Headers.traces && p.Headers.file.empty();
}

} // namespace orv::test

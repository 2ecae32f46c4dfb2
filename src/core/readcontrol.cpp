#include "core/readcontrol.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include <unistd.h>

namespace orv {

namespace {

constexpr uint64_t MB = uint64_t(1) << 20;

std::atomic<bool> g_overridden{false};
std::atomic<uint64_t> g_override{0};

// The number after "key:" on its line of /proc/meminfo, in bytes; 0 when
// there is none.
uint64_t meminfoBytes(const char *key)
{
    std::ifstream in("/proc/meminfo");
    std::string line;
    const std::string k = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(k, 0) == 0)
            return std::strtoull(line.c_str() + k.size(), nullptr, 10) * 1024; // kB
    return 0;
}

// The first number in a file, or nothing ("max", missing file).
bool numberIn(const std::string &path, uint64_t &v)
{
    std::ifstream in(path);
    std::string word;
    if (!(in >> word) || word.empty() || word[0] < '0' || word[0] > '9')
        return false;
    v = std::strtoull(word.c_str(), nullptr, 10);
    return true;
}

// The value of `key` in a memory.stat file, 0 when absent.
uint64_t statValue(const std::string &path, std::string_view key)
{
    std::ifstream in(path);
    std::string k;
    uint64_t v = 0;
    while (in >> k >> v)
        if (k == key)
            return v;
    return 0;
}

// Room left under the memory limit of the process's cgroup (v2 or v1): the
// limit less the usage, the file cache that can be dropped counted as free.
// Nothing when there is no limit.
bool cgroupRoom(uint64_t &room)
{
    std::ifstream in("/proc/self/cgroup");
    std::string line;
    while (std::getline(in, line)) {
        // "0::/path" (v2) or "N:memory:/path", "N:cpu,memory:/path" (v1).
        const size_t a = line.find(':'), b = a == std::string::npos ? a : line.find(':', a + 1);
        if (b == std::string::npos)
            continue;
        const std::string controllers = line.substr(a + 1, b - a - 1), path = line.substr(b + 1);
        const bool v2 = line.compare(0, a, "0") == 0 && controllers.empty();
        const bool v1 = ("," + controllers + ",").find(",memory,") != std::string::npos;
        if (!v2 && !v1)
            continue;
        const std::string mount = v2 ? "/sys/fs/cgroup" : "/sys/fs/cgroup/memory";
        // Inside a cgroup namespace the listed path may not exist below the
        // mount; its root is then the process's own group.
        for (const std::string &dir : {mount + path, mount}) {
            uint64_t limit = 0, usage = 0;
            if (!numberIn(dir + (v2 ? "/memory.max" : "/memory.limit_in_bytes"), limit))
                continue;
            if (limit >= (uint64_t(1) << 62) || !numberIn(dir + (v2 ? "/memory.current" : "/memory.usage_in_bytes"), usage))
                break; // no limit here
            const uint64_t cache = statValue(dir + "/memory.stat", v2 ? "inactive_file" : "total_inactive_file");
            room = limit - std::min(limit, usage - std::min(usage, cache));
            return true;
        }
    }
    return false;
}

uint64_t systemAvailable()
{
    uint64_t avail = meminfoBytes("MemAvailable");
    if (avail == 0) {
        const long pages = ::sysconf(_SC_AVPHYS_PAGES), size = ::sysconf(_SC_PAGESIZE);
        avail = pages > 0 && size > 0 ? uint64_t(pages) * uint64_t(size) : UINT64_MAX;
    }
    uint64_t room = 0;
    if (cgroupRoom(room))
        avail = std::min(avail, room);
    return avail;
}

uint64_t mbUp(uint64_t bytes) { return (bytes + MB - 1) / MB; }

} // namespace

uint64_t ProfileArrayBytes(int nTraces, int nSamples)
{
    if (nTraces < 0 || nSamples < 0)
        return 0;
    return (uint64_t(nTraces) + 1) * (uint64_t(nSamples) + 1) * sizeof(float);
}

uint64_t MemoryForLoad(uint64_t heldBytes)
{
    if (g_overridden.load())
        return g_override.load();
    const uint64_t avail = systemAvailable();
    return avail > UINT64_MAX - heldBytes ? UINT64_MAX : avail + heldBytes;
}

bool LoadFitsInMemory(int nTraces, int nSamples, const ReadControl &control, std::string &error)
{
    const uint64_t own = 2 * ProfileArrayBytes(nTraces, nSamples); // the array and its working copy
    const uint64_t need = own + control.heldBytes;
    const uint64_t have = MemoryForLoad(control.heldBytes);
    if (need <= have)
        return true;
    const std::string profile = std::to_string(nTraces) + " traces of " + std::to_string(nSamples)
        + " samples and their working copy";
    error = "is too large to load: it needs " + std::to_string(mbUp(need)) + " MB of memory ("
        + (control.heldBytes ? std::to_string(mbUp(own)) + " MB for its " + profile + ", "
                    + std::to_string(mbUp(control.heldBytes)) + " MB for the profile loaded now"
                             : "its " + profile)
        + ") and " + std::to_string(have / MB) + " MB are available";
    return false;
}

MemoryForLoadOverride::MemoryForLoadOverride(uint64_t bytes)
    : had_(g_overridden.load()), was_(g_override.load())
{
    g_override = bytes;
    g_overridden = true;
}

MemoryForLoadOverride::~MemoryForLoadOverride()
{
    g_override = was_;
    g_overridden = had_;
}

} // namespace orv

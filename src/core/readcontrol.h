#pragma once
// What a profile reader is told by whoever starts it (how much the loaded
// profile holds, where to report progress, when to stop), and the one memory
// check every reader makes right before it allocates its arrays.

#include <cstdint>
#include <functional>
#include <string>

namespace orv {

// Called now and then during a read with the number of traces read so far;
// 0 while the reader is still finding its way through the file (walking
// trace headers, say). Returning false stops the read.
using ReadProgress = std::function<bool(int tracesRead)>;

// Called now and then during a write with the number of traces handed to
// the file so far.
using WriteProgress = std::function<void(int tracesWritten)>;

struct ReadControl {
    // Bytes of the arrays of the profile loaded now. They stay in memory
    // until a new profile has been read whole and replaces them.
    uint64_t heldBytes = 0;
    ReadProgress progress;

    // Passes one report on; false once the read is to stop.
    bool report(int tracesRead) const { return !progress || progress(tracesRead); }
};

// The reason a reader gives when its progress callback stopped it.
inline constexpr const char *ReadStoppedText = "was not read: reading was stopped";

// Bytes of one amplitude array of traces 0..nTraces by samples 0..nSamples.
uint64_t ProfileArrayBytes(int nTraces, int nSamples);

// The memory a load can use at its peak: what the system has available
// (MemAvailable, held to the process's memory cgroup where it has a limit;
// free memory where /proc/meminfo cannot be read) plus heldBytes. The loaded
// profile's arrays are already in memory, so the system counts them as used;
// the load needs room for its own arrays beside them, not for them again.
uint64_t MemoryForLoad(uint64_t heldBytes);

// Whether a profile of nTraces x nSamples can be loaded: its array, the
// working copy made from it after the read and the loaded profile's arrays
// must all fit at once. False with a reason completing "The file <path> ...":
// "is too large to load: it needs N MB of memory (...) and M MB are
// available".
bool LoadFitsInMemory(int nTraces, int nSamples, const ReadControl &control, std::string &error);

// For tests: while one lives, MemoryForLoad gives `bytes` whatever the
// loaded profile holds, so a test never depends on the machine's memory.
class MemoryForLoadOverride {
public:
    explicit MemoryForLoadOverride(uint64_t bytes);
    ~MemoryForLoadOverride();
    MemoryForLoadOverride(const MemoryForLoadOverride &) = delete;
    MemoryForLoadOverride &operator=(const MemoryForLoadOverride &) = delete;

private:
    bool had_;
    uint64_t was_;
};

} // namespace orv

#include "core/bigalloc.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>
#include <cstdlib>

#include <sys/mman.h>

namespace orv {

namespace {

constexpr size_t MapThreshold = size_t(1) << 20; // bytes
constexpr size_t HugePage = size_t(2) << 20;

size_t mappedBytes(size_t n) { return (n * sizeof(float) + HugePage - 1) / HugePage * HugePage; }

// Mapped blocks kept for reuse once RecycleArrayMemory has been called.
struct Kept {
    std::mutex lock;
    std::vector<std::pair<void *, size_t>> blocks; // start, mapped length
    size_t bytes = 0;
    std::atomic<bool> on{false};
};
constexpr size_t KeptLimit = size_t(512) << 20;

Kept &kept()
{
    static Kept k;
    return k;
}

void *takeKept(size_t len)
{
    Kept &k = kept();
    if (!k.on.load(std::memory_order_relaxed))
        return nullptr;
    const std::lock_guard<std::mutex> hold(k.lock);
    for (size_t i = 0; i < k.blocks.size(); ++i)
        if (k.blocks[i].second == len) {
            void *p = k.blocks[i].first;
            k.blocks[i] = k.blocks.back();
            k.blocks.pop_back();
            k.bytes -= len;
            return p;
        }
    return nullptr;
}

bool keep(void *p, size_t len)
{
    Kept &k = kept();
    if (!k.on.load(std::memory_order_relaxed))
        return false;
    const std::lock_guard<std::mutex> hold(k.lock);
    if (k.bytes + len > KeptLimit)
        return false;
    try {
        k.blocks.emplace_back(p, len);
    } catch (const std::exception &) {
        return false;
    }
    k.bytes += len;
    return true;
}

} // namespace

void RecycleArrayMemory() { kept().on = true; }

float *allocFloats(size_t n, bool zero)
{
    if (n == 0)
        n = 1;
    if (n > SIZE_MAX / sizeof(float) - HugePage)
        return nullptr;
    const size_t bytes = n * sizeof(float);
    if (bytes < MapThreshold)
        return static_cast<float *>(zero ? std::calloc(n, sizeof(float)) : std::malloc(bytes));

    // Over-map by one huge page, then trim both ends so the block starts on
    // a 2 MB boundary.
    const size_t len = mappedBytes(n);
    if (void *again = takeKept(len)) {
        if (zero)
            std::memset(again, 0, bytes);
        return static_cast<float *>(again);
    }
    void *raw = mmap(nullptr, len + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + HugePage - 1) & ~(uintptr_t(HugePage) - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    const uintptr_t end = start + len + HugePage;
    if (end > aligned + len)
        munmap(reinterpret_cast<void *>(aligned + len), end - (aligned + len));
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void *>(aligned), len, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<float *>(aligned); // anonymous pages read as 0
}

void freeFloats(float *p, size_t n)
{
    if (!p)
        return;
    if (n == 0)
        n = 1;
    if (n * sizeof(float) < MapThreshold)
        std::free(p);
    else if (!keep(p, mappedBytes(n)))
        munmap(p, mappedBytes(n));
}

} // namespace orv

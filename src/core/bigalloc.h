#pragma once
// Memory for the amplitude arrays. Large blocks are mapped straight from the
// system, aligned to 2 MB and marked for transparent huge pages, so filling a
// profile of tens of megabytes costs a few hundred page faults instead of
// tens of thousands; they also come zeroed for free.

#include <cstddef>

namespace orv {

// n floats; zero-filled when zero is true. nullptr when the memory cannot
// be had.
float *allocFloats(size_t n, bool zero);
void freeFloats(float *p, size_t n);

} // namespace orv

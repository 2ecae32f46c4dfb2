#pragma once
// Memory for the amplitude arrays. Blocks of a megabyte or more are mapped straight from the
// system, aligned to 2 MB and marked for transparent huge pages, so filling a
// profile of tens of megabytes costs a few hundred page faults instead of
// tens of thousands; they also come zeroed for free.

#include <cstddef>

namespace orv {

// n floats; zero-filled when zero is true. nullptr when the memory cannot
// be had.
float *allocFloats(size_t n, bool zero);
void freeFloats(float *p, size_t n);

// For a program that loads one profile after another on several threads
// (the batch program): large blocks that are freed are kept (up to 512 MB)
// and handed out again for a block of the same size, so the next file costs
// neither page faults nor the unmapping that stalls the other threads.
void RecycleArrayMemory();

// A buffer of n bytes for reading or writing a file in large pieces, from
// the same memory as the arrays; its contents start undefined. False when
// the memory cannot be had.
class ByteBlock {
public:
    explicit ByteBlock(size_t n) : n_(n), f_(allocFloats((n + 3) / 4, false)) {}
    ~ByteBlock() { freeFloats(f_, (n_ + 3) / 4); }
    ByteBlock(const ByteBlock &) = delete;
    ByteBlock &operator=(const ByteBlock &) = delete;
    explicit operator bool() const { return f_ != nullptr; }
    unsigned char *data() { return reinterpret_cast<unsigned char *>(f_); }
    size_t size() const { return n_; }

private:
    size_t n_;
    float *f_;
};

} // namespace orv

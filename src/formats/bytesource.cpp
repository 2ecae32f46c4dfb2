#include "formats/bytesource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace orv {

size_t MemorySource::read(uint64_t offset, void *dst, size_t n)
{
    if (offset >= b_.size() || n == 0)
        return 0;
    const size_t got = static_cast<size_t>(std::min<uint64_t>(n, b_.size() - offset));
    std::memcpy(dst, b_.data() + offset, got);
    return got;
}

FileSource::~FileSource()
{
    if (f_)
        std::fclose(f_);
}

bool FileSource::open(const std::string &path, std::string &error)
{
    if (f_) {
        std::fclose(f_);
        f_ = nullptr;
    }
    size_ = 0;
    pos_ = 0;
    failed_ = false;
    err_.clear();

    f_ = std::fopen(path.c_str(), "rb");
    if (!f_) {
        error = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fileno(f_), &st) != 0) {
        error = std::string("cannot be opened: ") + std::strerror(errno);
        std::fclose(f_);
        f_ = nullptr;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        // A directory opens on some systems but reads nothing; a pipe or a
        // device has no size to walk.
        error = S_ISDIR(st.st_mode) ? std::string("cannot be opened: ") + std::strerror(EISDIR)
                                    : std::string("cannot be opened: not a regular file");
        std::fclose(f_);
        f_ = nullptr;
        return false;
    }
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

size_t FileSource::read(uint64_t offset, void *dst, size_t n)
{
    if (!f_ || n == 0 || offset >= size_)
        return 0;
    // Positioned reads straight from the descriptor: the readers jump from
    // header to header, which would make a stdio buffer refill on every seek.
    const int fd = fileno(f_);
    auto *out = static_cast<unsigned char *>(dst);
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, out + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            failed_ = true;
            err_ = std::strerror(errno);
            break;
        }
        if (r == 0) {
            // The file is shorter than it was when opened: someone cut it
            // while it was being read.
            if (offset + got < size_) {
                failed_ = true;
                err_ = "the file became shorter while it was being read";
            }
            break;
        }
        got += static_cast<size_t>(r);
    }
    pos_ = offset + got;
    return got;
}

} // namespace orv

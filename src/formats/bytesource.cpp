#include "formats/bytesource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

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

bool FileSource::open(const std::string &path, std::string &error)
{
    size_ = 0;
    pos_ = 0;
    failed_ = false;
    err_.clear();
    if (const auto r = file_.open(path); r != InputFile::Refusal::None) {
        error = file_.refusalText(r);
        return false;
    }
    size_ = file_.size();
    return true;
}

size_t FileSource::read(uint64_t offset, void *dst, size_t n)
{
    if (file_.fd() < 0 || n == 0 || offset >= size_)
        return 0;
    // Positioned reads straight from the descriptor: the readers jump from
    // header to header, which would make a stdio buffer refill on every seek.
    const int fd = file_.fd();
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

std::string ReadErrorText(const ByteSource &src, uint64_t offset)
{
    std::string why = src.errorText();
    if (why.empty())
        why = "read error";
    return "cannot be read: " + why + " (at byte " + std::to_string(offset) + ")";
}

bool ReadHeaderFile(const std::string &path, std::string &text, std::string &error)
{
    const std::string missing = "has no header file beside it: " + path + " ";
    FileSource src;
    std::string why;
    if (!src.open(path, why)) {
        error = missing + why;
        return false;
    }
    try {
        text.assign(static_cast<size_t>(src.size()), '\0');
    } catch (const std::exception &) { // bad_alloc, length_error
        error = missing + "is too large to be a header";
        return false;
    }
    const size_t got = text.empty() ? 0 : src.read(0, text.data(), text.size());
    if (got < text.size() && src.failed()) {
        error = missing + ReadErrorText(src, got);
        return false;
    }
    text.resize(got);
    return true;
}

} // namespace orv

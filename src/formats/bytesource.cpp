#include "formats/bytesource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <climits>
#include <sys/uio.h>
#include <unistd.h>

namespace orv {

size_t ByteSource::readPieces(uint64_t offset, const Piece *pieces, size_t count)
{
    size_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t got = read(offset + total, pieces[i].dst, pieces[i].n);
        total += got;
        if (got < pieces[i].n)
            break;
    }
    return total;
}

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
    if (n == 0)
        return 0;
    // One piece of the positioned scatter read: straight from the
    // descriptor, since the readers jump from header to header, which would
    // make a stdio buffer refill on every seek.
    const Piece whole{dst, n};
    return readPieces(offset, &whole, 1);
}

namespace {

// preadv over as many calls as it takes: it takes at most IOV_MAX pieces a
// call and may stop short of the whole, so each call goes on where the
// previous one stopped. The count read; on a failure `why` says what went
// wrong (left empty when the stretch simply ends with the file).
size_t scatterRead(int fd, uint64_t size, uint64_t offset, const ByteSource::Piece *pieces, size_t count,
                   std::string &why)
{
    if (fd < 0 || offset >= size)
        return 0;
    constexpr size_t MaxPieces = IOV_MAX < 1024 ? IOV_MAX : 1024;
    iovec iov[MaxPieces];
    size_t total = 0;
    size_t first = 0;     // the piece the next call starts in
    size_t skip = 0;      // bytes of it already read
    for (;;) {
        while (first < count && pieces[first].n == skip) {
            ++first;
            skip = 0;
        }
        if (first == count)
            break;
        size_t n = 0;
        for (size_t i = first; i < count && n < MaxPieces; ++i, ++n) {
            const size_t s = i == first ? skip : 0;
            iov[n].iov_base = static_cast<unsigned char *>(pieces[i].dst) + s;
            iov[n].iov_len = pieces[i].n - s;
        }
        const ssize_t r = ::preadv(fd, iov, static_cast<int>(n), static_cast<off_t>(offset + total));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            why = std::strerror(errno);
            break;
        }
        if (r == 0) {
            // The file is shorter than it was when opened: someone cut it
            // while it was being read.
            if (offset + total < size)
                why = "the file became shorter while it was being read";
            break;
        }
        total += static_cast<size_t>(r);
        // Steps over the pieces the call filled.
        size_t left = static_cast<size_t>(r);
        while (left > 0 && left >= pieces[first].n - skip) {
            left -= pieces[first].n - skip;
            skip = 0;
            ++first;
        }
        skip += left;
    }
    return total;
}

} // namespace

size_t FileSource::readPieces(uint64_t offset, const Piece *pieces, size_t count)
{
    std::string why;
    const size_t total = scatterRead(file_.fd(), size_, offset, pieces, count, why);
    if (!why.empty()) {
        failed_ = true;
        err_ = std::move(why);
    }
    return total;
}

size_t FileSource::readPiecesShared(uint64_t offset, const Piece *pieces, size_t count) const
{
    std::string why;
    return scatterRead(file_.fd(), size_, offset, pieces, count, why);
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

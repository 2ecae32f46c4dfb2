#include "core/inputfile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

InputFile::~InputFile() { close(); }

void InputFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

InputFile::Refusal InputFile::open(const std::string &path)
{
    close();
    why_.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why_ = std::strerror(errno);
        return Refusal::CannotOpen;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        why_ = std::strerror(errno);
        ::close(fd);
        return Refusal::CannotOpen;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? Refusal::Folder : Refusal::NotRegular;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
    return Refusal::None;
}

std::string InputFile::refusalText(Refusal r) const
{
    switch (r) {
    case Refusal::None:
        return {};
    case Refusal::CannotOpen:
        return "cannot be opened: " + why_;
    case Refusal::Folder:
        return std::string("cannot be opened: ") + std::strerror(EISDIR);
    case Refusal::NotRegular:
        break;
    }
    return "cannot be opened: not a regular file";
}

ssize_t InputFile::readFully(void *dst, size_t n)
{
    auto *out = static_cast<char *>(dst);
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd_, out + got, n - got);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

} // namespace orv

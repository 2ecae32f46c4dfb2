#pragma once
// A file opened for reading without ever waiting: opened non-blocking, so a
// FIFO returns at once, and refused unless it is a regular file, so nothing
// reads from a pipe, a device or a folder. Every reader of a user's file
// opens it through this.

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/types.h>

namespace orv {

class InputFile {
public:
    enum class Refusal { None, CannotOpen, Folder, NotRegular };

    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // Refusal::None when the file is open; otherwise why not (the system's
    // reason for CannotOpen in why()).
    Refusal open(const std::string &path);
    void close();

    int fd() const { return fd_; }
    uint64_t size() const { return size_; } // at opening
    const std::string &why() const { return why_; }

    // A refusal in the profile readers' words: "cannot be opened: <reason>".
    std::string refusalText(Refusal r) const;

    // Reads from the current position until n bytes are in or the file ends;
    // the count, or -1 with errno set on an error.
    ssize_t readFully(void *dst, size_t n);

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    std::string why_;
};

} // namespace orv

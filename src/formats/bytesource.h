#pragma once
// Where a reader takes its bytes from: a file on disk or a buffer in memory
// (tests build truncated and malformed inputs in memory).

#include "core/inputfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orv {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Reads up to n bytes at offset into dst; returns the number read (short
    // only at the end of the data or on a read error, see failed()).
    virtual size_t read(uint64_t offset, void *dst, size_t n) = 0;
    // One stretch of bytes read into several places: pieces[0] takes the
    // first pieces[0].n bytes at offset, pieces[1] the next ones and so on.
    // Returns the number of bytes read in all (short as read() is). Files do
    // it in one system call for many pieces.
    struct Piece {
        void *dst;
        size_t n;
    };
    virtual size_t readPieces(uint64_t offset, const Piece *pieces, size_t count);
    // Sources that several threads may read at once: readPiecesShared then
    // reads as readPieces does but records nothing, so a short count only
    // says the stretch was not read whole (readPieces again tells why).
    virtual bool sharedReads() const { return false; }
    virtual size_t readPiecesShared(uint64_t, const Piece *, size_t) const { return 0; }
    virtual bool failed() const { return false; }
    // Why the last read failed (e.g. "Input/output error"); empty when it did not.
    virtual std::string errorText() const { return {}; }
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::vector<uint8_t> bytes) : b_(std::move(bytes)) {}
    uint64_t size() const override { return b_.size(); }
    size_t read(uint64_t offset, void *dst, size_t n) override;

private:
    std::vector<uint8_t> b_;
};

class FileSource : public ByteSource {
public:
    FileSource() = default;
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;
    // False with a reason (e.g. "cannot be opened: No such file or directory").
    // A FIFO, a device or a folder is refused at once, never read.
    bool open(const std::string &path, std::string &error);
    uint64_t size() const override { return size_; }
    size_t read(uint64_t offset, void *dst, size_t n) override;
    size_t readPieces(uint64_t offset, const Piece *pieces, size_t count) override;
    bool sharedReads() const override { return true; }
    size_t readPiecesShared(uint64_t offset, const Piece *pieces, size_t count) const override;
    bool failed() const override { return failed_; }
    std::string errorText() const override { return err_; }

private:
    InputFile file_;
    uint64_t size_ = 0;
    bool failed_ = false;
    std::string err_;
};

} // namespace orv

namespace orv {

// A failed read in the readers' words: "cannot be read: <reason> (at byte N)".
std::string ReadErrorText(const ByteSource &src, uint64_t offset);

// The whole of a text header file beside a data file. False with a reason
// completing "The file <data file> ...": "has no header file beside it: ...".
bool ReadHeaderFile(const std::string &path, std::string &text, std::string &error);

} // namespace orv

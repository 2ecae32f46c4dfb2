#pragma once
// Writes a file whole or not at all. The bytes go to a temporary file in the
// target's own folder, which is flushed to the disk and then renamed over the
// target, so a failed save leaves any earlier file of that name as it was and
// a longer old file is replaced whole. A symbolic link keeps pointing at the
// file it names, and an existing file keeps its permissions.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

namespace orv {

class SaveFile {
public:
    SaveFile() = default;
    ~SaveFile(); // an uncommitted temporary file is removed
    SaveFile(const SaveFile &) = delete;
    SaveFile &operator=(const SaveFile &) = delete;

    // Creates the temporary file. False with a reason in `error`.
    bool open(const std::string &path, std::string &error);
    // Appends n bytes. False with a reason in `error`.
    bool write(const void *data, size_t n, std::string &error);
    // Flushes, closes and renames over the target. False with a reason.
    // Same as finish() then replace().
    bool commit(std::string &error);
    // The two halves of commit(), for a format kept in two files: each file
    // is finished (flushed to the disk and closed) before either replaces
    // its target, so a failure up to then leaves both earlier files whole.
    bool finish(std::string &error);
    bool replace(std::string &error);

private:
    void discard();
    int fd_ = -1;
    std::string tmp_;
    std::string target_;
};

// A program that writes many files it can make again (the batch program)
// may leave their flushing to the disk to a FolderFlusher or to one
// SyncWrittenFiles at its end: each file still replaces its target whole, by
// a rename, but finish() no longer waits for the disk. Off unless set; the
// setting is the process's.
void DeferFileSyncs(bool defer);
// Flushes everything written to the file system holding `folder` (syncfs).
// False with a reason when the system reports that some data could not be
// written.
bool SyncWrittenFiles(const std::string &folder, std::string &error);

// Flushes the file system holding a folder to the disk on a thread of its
// own while the program goes on writing: each time a file is reported
// written, the next flush takes everything written since the last one. The
// disk then works beside the program instead of after it, and the end finds
// only the last files left to flush. Without a thread, finish() does it all.
class FolderFlusher {
public:
    explicit FolderFlusher(std::string folder);
    ~FolderFlusher(); // waits for the flush under way
    FolderFlusher(const FolderFlusher &) = delete;
    FolderFlusher &operator=(const FolderFlusher &) = delete;

    // A file in the folder has been written (any thread).
    void wrote();
    // Waits for the flushes, then flushes once more. False with the first
    // reason the system gave when some data could not be written.
    bool finish(std::string &error);

private:
    void run();
    void stop();

    std::string folder_;
    std::mutex m_;
    std::condition_variable cv_;
    bool pending_ = false, done_ = false;
    std::string error_; // written by the thread until stop() joins it
    std::thread thread_;
};

// The folder holding `path`: its part before the last '/', "/" for a file
// at the root, "." for a bare name.
std::string FolderOf(const std::string &path);

// The whole of `bytes` as the file `path`, through SaveFile.
bool SaveWholeFile(const std::string &path, const std::string &bytes, std::string &error);

} // namespace orv

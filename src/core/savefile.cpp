#include "core/savefile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

std::string errnoText(int e) { return std::strerror(e); }

mode_t currentUmask()
{
    const mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

} // namespace

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

SaveFile::~SaveFile() { discard(); }

void SaveFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tmp_.empty())
        ::unlink(tmp_.c_str());
    tmp_.clear();
}

bool SaveFile::open(const std::string &path, std::string &error)
{
    discard();
    target_ = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            target_ = resolved;
    }
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        error = errnoText(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        error = "it is not a regular file";
        return false;
    }

    // A short name in the target's folder, so that the rename stays on one
    // file system and a long target name still leaves room for it.
    std::string pattern = FolderOf(target_) + "/.orvXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = errnoText(errno);
        return false;
    }
    fd_ = fd;
    tmp_.assign(name.data());
    if (::fchmod(fd_, exists ? (st.st_mode & 07777) : (0644 & ~currentUmask())) != 0) {
        error = errnoText(errno);
        discard();
        return false;
    }
    return true;
}

bool SaveFile::write(const void *data, size_t n, std::string &error)
{
    if (fd_ < 0) {
        error = errnoText(EBADF);
        return false;
    }
    const auto *p = static_cast<const char *>(data);
    while (n > 0) {
        const ssize_t w = ::write(fd_, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            error = errnoText(errno);
            discard();
            return false;
        }
        if (w == 0) {
            error = errnoText(ENOSPC);
            discard();
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

namespace {
std::atomic<bool> g_deferSyncs{false};
} // namespace

void DeferFileSyncs(bool defer) { g_deferSyncs = defer; }

bool SyncWrittenFiles(const std::string &folder, std::string &error)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errnoText(errno);
        return false;
    }
    const bool ok = ::syncfs(fd) == 0;
    if (!ok)
        error = errnoText(errno);
    ::close(fd);
    return ok;
}

FolderFlusher::FolderFlusher(std::string folder) : folder_(std::move(folder))
{
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::exception &) {
        // no thread: finish() flushes everything at once
    }
}

FolderFlusher::~FolderFlusher() { stop(); }

void FolderFlusher::wrote()
{
    {
        const std::lock_guard<std::mutex> lock(m_);
        pending_ = true;
    }
    cv_.notify_one();
}

bool FolderFlusher::finish(std::string &error)
{
    stop();
    std::string last;
    if (!SyncWrittenFiles(folder_, last) && error_.empty())
        error_ = last;
    error = error_;
    return error_.empty();
}

void FolderFlusher::run()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_);
            cv_.wait(lock, [this] { return pending_ || done_; });
            if (!pending_)
                return;
            pending_ = false;
        }
        std::string why;
        if (!SyncWrittenFiles(folder_, why) && error_.empty())
            error_ = why;
    }
}

void FolderFlusher::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_);
        done_ = true;
    }
    cv_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

bool SaveFile::finish(std::string &error)
{
    if (fd_ < 0) {
        error = errnoText(EBADF);
        return false;
    }
    if (!g_deferSyncs && ::fsync(fd_) != 0) {
        error = errnoText(errno);
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        error = errnoText(errno);
        discard();
        return false;
    }
    return true;
}

bool SaveFile::replace(std::string &error)
{
    if (fd_ >= 0 || tmp_.empty()) { // not finished, or already gone
        error = errnoText(EBADF);
        return false;
    }
    if (::rename(tmp_.c_str(), target_.c_str()) != 0) {
        error = errnoText(errno);
        discard();
        return false;
    }
    tmp_.clear();
    return true;
}

bool SaveFile::commit(std::string &error) { return finish(error) && replace(error); }

bool SaveWholeFile(const std::string &path, const std::string &bytes, std::string &error)
{
    SaveFile f;
    return f.open(path, error) && f.write(bytes.data(), bytes.size(), error) && f.commit(error);
}

} // namespace orv

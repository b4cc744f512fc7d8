#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// The mode a new file gets from open(..., 0666) under the process's umask.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Where the content goes: the path itself, or for a link the file at its end. A link whose
// end does not exist is refused rather than followed to create a file where it points.
bool ResolveTarget(const std::string& path, std::string& target) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        target = path;
        return errno == ENOENT;
    }
    if (!S_ISLNK(info.st_mode)) {
        target = path;
        return true;
    }
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return false;
    target = resolved.get();
    return true;
}

enum class Replaced { Done, Failed, FolderRefuses };

// New content in a temporary file beside the target, renamed over it when complete.
// `existing` is the open target (or -1 for a new file); its mode and owner carry over.
Replaced ReplaceByRename(const std::string& target, int existing, std::string_view content) {
    struct stat info {};
    if (existing >= 0 && ::fstat(existing, &info) != 0) return Replaced::Failed;
    std::string temporary = target + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0) return errno == EACCES || errno == EPERM ? Replaced::FolderRefuses : Replaced::Failed;
    bool ok = ::fchmod(fd.get(), existing >= 0 ? (info.st_mode & 07777) : NewFileMode()) == 0;
    // Another user's file keeps its owner, or it is not replaced this way.
    if (ok && existing >= 0 && (info.st_uid != ::geteuid() || info.st_gid != ::getegid()) &&
        ::fchown(fd.get(), info.st_uid, info.st_gid) != 0) {
        ::unlink(temporary.c_str());
        return Replaced::FolderRefuses;
    }
    ok = ok && WriteAll(fd.get(), content) && ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (ok) ok = std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok ? Replaced::Done : Replaced::Failed;
}

// The fallback when the folder cannot take a temporary file: the file's own bytes are replaced.
bool WriteInPlace(int fd, std::string_view content) {
    return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, content) &&
           ::fsync(fd) == 0;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) return false;
    std::string target;
    if (!ResolveTarget(path, target)) return false;

    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return errno == ENOENT && ReplaceByRename(target, -1, content) == Replaced::Done;
    }
    // Only a regular file is ever written: never a device node, a fifo or a folder.
    if (!S_ISREG(info.st_mode)) return false;
    // Opening it for writing is the permission check: a file the user may not write stays as it
    // is, however the folder's permissions stand. Non-blocking, should it have been swapped for a fifo.
    Descriptor existing(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (existing.get() < 0) return false;
    if (::fstat(existing.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    switch (ReplaceByRename(target, existing.get(), content)) {
    case Replaced::Done: return true;
    case Replaced::FolderRefuses: return WriteInPlace(existing.get(), content);
    case Replaced::Failed: break;
    }
    return false;
}

}  // namespace platform

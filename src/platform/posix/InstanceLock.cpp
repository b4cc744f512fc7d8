#include "platform/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Folders.h"

namespace platform {
namespace {

enum class Attempt { Held, HeldElsewhere, Failed };

// Opens and locks one lock file; fd keeps it open when the lock was had.
Attempt LockFile(const std::string& path, int& fd) {
    // Never through a link, never onto anything but a regular file (non-blocking, should a
    // fifo stand there).
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) return Attempt::Failed;
    struct stat info {};
    Attempt outcome = Attempt::Failed;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) return Attempt::Held;
        if (errno == EWOULDBLOCK) outcome = Attempt::HeldElsewhere;
    }
    ::close(fd);
    fd = -1;
    return outcome;
}

}  // namespace

std::vector<std::string> InstanceLockFolders() {
    std::vector<std::string> folders;
    const std::string runtime = EnvironmentFolder("XDG_RUNTIME_DIR");
    if (IsPrivateFolder(runtime)) folders.push_back(runtime);
    const std::string cache = CacheFolder();
    if (!cache.empty()) {
        const std::string own = MakePrivateFolder(cache + "/kd4410");
        if (!own.empty()) folders.push_back(own);
    }
    return folders;
}

InstanceLock::InstanceLock(const std::string& name) {
    for (const std::string& folder : InstanceLockFolders()) {
        const std::string path = folder + "/" + name + ".lock";
        int fd = -1;
        switch (LockFile(path, fd)) {
        case Attempt::Held:
            held_.push_back(fd);
            if (path_.empty()) path_ = path;
            break;
        case Attempt::HeldElsewhere:
            for (std::intptr_t held : held_) ::close(static_cast<int>(held));
            held_.clear();
            path_.clear();
            outcome_ = Outcome::HeldElsewhere;
            return;
        case Attempt::Failed:
            break;  // another folder may serve
        }
    }
    outcome_ = held_.empty() ? Outcome::Unavailable : Outcome::Acquired;
}

InstanceLock::~InstanceLock() {
    for (std::intptr_t fd : held_) ::close(static_cast<int>(fd));  // closing the descriptor releases the lock
}

}  // namespace platform

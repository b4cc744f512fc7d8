#include "platform/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/Folders.h"

namespace platform {

std::string InstanceLockPath(const std::string& name) {
    const std::string runtime = EnvironmentFolder("XDG_RUNTIME_DIR");
    if (!runtime.empty()) return runtime + "/" + name + ".lock";
    return TemporaryFolder() + "/" + name + "-" + std::to_string(getuid()) + ".lock";
}

InstanceLock::InstanceLock(const std::string& name) : path_(InstanceLockPath(name)) {
    // O_NOFOLLOW: in a shared temp folder a planted link must not redirect the file.
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        outcome_ = Outcome::Unavailable;
        return;
    }
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        outcome_ = Outcome::Acquired;
    } else {
        outcome_ = errno == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unavailable;
        ::close(fd_);
        fd_ = -1;
    }
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the descriptor releases the lock
}

}  // namespace platform

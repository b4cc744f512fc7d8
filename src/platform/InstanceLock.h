// Single-instance guard: an exclusive flock on a per-user lock file. The kernel drops the lock
// when the process ends, however it ends, so a crashed copy never blocks the next start.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    enum class Outcome {
        Acquired,       // this process is the only copy; the lock is held until destruction
        HeldElsewhere,  // another copy holds the lock
        Unavailable,    // the lock file could not be opened; run without a guard
    };

    // name is the guard's name; the file is <runtime folder>/<name>.lock.
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome outcome() const { return outcome_; }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
    Outcome outcome_ = Outcome::Unavailable;
};

// $XDG_RUNTIME_DIR/<name>.lock, or <temp folder>/<name>-<uid>.lock when it is not set.
std::string InstanceLockPath(const std::string& name);

}  // namespace platform

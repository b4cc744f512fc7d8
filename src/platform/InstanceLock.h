// Single-instance guard: an exclusive flock on a per-user lock file. The kernel drops the lock
// when the process ends, however it ends, so a crashed copy never blocks the next start.
#pragma once

#include <string>
#include <vector>

namespace platform {

class InstanceLock {
public:
    enum class Outcome {
        Acquired,       // this process is the only copy; the lock is held until destruction
        HeldElsewhere,  // another copy holds the lock
        Unavailable,    // no lock file could be opened anywhere; run without a guard
    };

    // name is the guard's name; the files are <folder>/<name>.lock in every folder of
    // InstanceLockFolders(). Holding all of them keeps the guard whole when the folders change
    // between two starts (a runtime folder that appears, a link planted at one lock's path).
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome outcome() const { return outcome_; }
    // The first lock file held, "" when none.
    const std::string& path() const { return path_; }

private:
    std::vector<int> fds_;
    std::string path_;
    Outcome outcome_ = Outcome::Unavailable;
};

// The folders that can hold the lock, private to the user: $XDG_RUNTIME_DIR when it is one
// (owned by the user, mode 0700), then <cache folder>/kd4410, made private when missing.
std::vector<std::string> InstanceLockFolders();

}  // namespace platform

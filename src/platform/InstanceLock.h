// Single-instance guard: on Linux an exclusive flock on a per-user lock file, on Windows a named
// mutex in the user's session. The system drops either when the process ends, however it ends,
// so a crashed copy never blocks the next start.
#pragma once

#include <cstdint>
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

    // name is the guard's name (the mutex's on Windows); on Linux the files are
    // <folder>/<name>.lock in every folder of InstanceLockFolders(). Holding all of them keeps the guard whole when the folders change
    // between two starts (a runtime folder that appears, a link planted at one lock's path).
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome outcome() const { return outcome_; }
    // The first lock file held (the mutex's name on Windows), "" when none.
    const std::string& path() const { return path_; }

private:
    std::vector<std::intptr_t> held_;  // descriptors, or the mutex handle
    std::string path_;
    Outcome outcome_ = Outcome::Unavailable;
};

// The folders that can hold the lock on Linux (none on Windows), private to the user: $XDG_RUNTIME_DIR when it is one
// (owned by the user, mode 0700), then <cache folder>/kd4410, made private when missing.
std::vector<std::string> InstanceLockFolders();

}  // namespace platform

// An exclusive lock on a file, held as another program holds it: flock on Linux, LockFileEx on
// Windows (the forms the simulated transmitter's claim uses), given back when it goes.
#pragma once

#include <string>

#ifdef _WIN32
#include "support/WindowsProcess.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace testsupport {

class HeldFileLock {
public:
    // Creates path when missing; held() tells whether the lock was had.
    explicit HeldFileLock(const std::string& path) {
#ifdef _WIN32
        file_ = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED whole{};
        held_ = file_ != INVALID_HANDLE_VALUE &&
                LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
#else
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        held_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
#endif
    }
    ~HeldFileLock() {
#ifdef _WIN32
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
#else
        if (fd_ >= 0) close(fd_);
#endif
    }
    HeldFileLock(const HeldFileLock&) = delete;
    HeldFileLock& operator=(const HeldFileLock&) = delete;

    bool held() const { return held_; }

private:
#ifdef _WIN32
    HANDLE file_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
#endif
    bool held_ = false;
};

}  // namespace testsupport

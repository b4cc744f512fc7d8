#include "platform/RawFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

RawFile::Opened RawFile::Open(const std::string& path, Mode mode) {
    Close();
    // O_NONBLOCK: a fifo without its other end fails (ENXIO) or is refused below instead of
    // blocking; O_NOCTTY: a terminal never becomes ours.
    const int flags = mode == Mode::Read ? O_RDONLY : O_RDWR | O_CREAT | O_APPEND;
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EISDIR || errno == ENXIO || errno == ENODEV ? Opened::NotAFile : Opened::CannotOpen;
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        Close();
        return Opened::CannotOpen;
    }
    if (!S_ISREG(info.st_mode)) {
        Close();
        return Opened::NotAFile;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        Close();
        return Opened::CannotOpen;
    }
    return Opened::Ok;
}

void RawFile::Close() {
    if (isOpen()) ::close(Fd(handle_));
    handle_ = Closed;
}

int64_t RawFile::Size() const {
    struct stat info {};
    return isOpen() && ::fstat(Fd(handle_), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

int64_t RawFile::ReadAt(int64_t offset, void* buffer, size_t length) const {
    for (;;) {
        const ssize_t got = ::pread(Fd(handle_), buffer, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        return got;
    }
}

bool RawFile::Append(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(Fd(handle_), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool RawFile::Truncate(int64_t size) { return ::ftruncate(Fd(handle_), static_cast<off_t>(size)) == 0; }

}  // namespace platform

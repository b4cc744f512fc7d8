// A file opened without the C library's buffering or text translation, for the places that must
// know exactly what reached the file: never blocking on a fifo, never taking anything but a
// regular file, appending a line in one write. A descriptor on Linux, a handle on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class RawFile {
public:
    enum class Mode {
        Read,          // an existing file, read only
        AppendCreate,  // read and append, created when missing
    };
    enum class Opened { Ok, NotAFile, CannotOpen };

    RawFile() = default;
    ~RawFile();
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // Opens path (UTF-8). Anything but a regular file (a folder, a fifo, a device) is NotAFile,
    // and the open itself never waits for a fifo's other end. An open file is closed first.
    Opened Open(const std::string& path, Mode mode);
    bool isOpen() const { return handle_ != Closed; }
    void Close();

    // The file's size, -1 when it cannot be had.
    int64_t Size() const;
    // Reads up to length bytes at offset; the count read, -1 on failure.
    int64_t ReadAt(int64_t offset, void* buffer, size_t length) const;
    // Appends all of bytes at the end; false when not all of them could be written.
    bool Append(std::string_view bytes);
    bool Truncate(int64_t size);

private:
    static constexpr std::intptr_t Closed = -1;
    std::intptr_t handle_ = Closed;
};

// The first limit bytes of a regular file (all of it when shorter); nothing when path cannot be
// opened, is not a regular file or cannot be read.
bool ReadFileBeginning(const std::string& path, size_t limit, std::string& bytes);

}  // namespace platform

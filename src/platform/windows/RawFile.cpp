#include "platform/RawFile.h"

#include <windows.h>

#include <algorithm>

#include "platform/windows/WideText.h"

namespace platform {
namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

RawFile::Opened RawFile::Open(const std::string& path, Mode mode) {
    Close();
    const DWORD access = mode == Mode::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = mode == Mode::Read ? OPEN_EXISTING : OPEN_ALWAYS;
    // Others may read, write and rename it meanwhile, as on Linux.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return folder || error == ERROR_PIPE_BUSY ? Opened::NotAFile : Opened::CannotOpen;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file) != FILE_TYPE_DISK) {
        Close();
        return Opened::NotAFile;
    }
    if (!GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Close();
        return Opened::NotAFile;
    }
    return Opened::Ok;
}

void RawFile::Close() {
    if (isOpen()) CloseHandle(Native(handle_));
    handle_ = Closed;
}

int64_t RawFile::Size() const {
    LARGE_INTEGER size{};
    return isOpen() && GetFileSizeEx(Native(handle_), &size) ? static_cast<int64_t>(size.QuadPart) : -1;
}

int64_t RawFile::ReadAt(int64_t offset, void* buffer, size_t length) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
    if (ReadFile(Native(handle_), buffer, chunk, &got, &at)) return got;
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

bool RawFile::Append(std::string_view bytes) {
    while (!bytes.empty()) {
        // Offset 0xFFFFFFFF:0xFFFFFFFF writes at the end of the file, as O_APPEND does.
        OVERLAPPED end{};
        end.Offset = 0xFFFFFFFFu;
        end.OffsetHigh = 0xFFFFFFFFu;
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(Native(handle_), bytes.data(), chunk, &written, &end) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool RawFile::Truncate(int64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    return SetFileInformationByHandle(Native(handle_), FileEndOfFileInfo, &end, sizeof end) != 0;
}

}  // namespace platform

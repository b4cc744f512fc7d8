#include "platform/AtomicFile.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/windows/WideText.h"

namespace platform {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool ok = !valid() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0) return false;
        content.remove_prefix(written);
    }
    return FlushFileBuffers(file) != 0;
}

// The file a path leads to: the path itself, or for a link the file at its end.
std::wstring FinalPath(HANDLE file, const std::wstring& fallback) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
        if (length == 0) return fallback;
        if (length < path.size()) return path.substr(0, length);
        path.resize(length + 1);
    }
}

std::wstring TemporaryName(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    return target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++counter) + L".tmp";
}

// A new file beside the target with the content, flushed to the disk; "" when the folder takes none.
std::wstring WriteTemporary(const std::wstring& target, std::string_view content, bool& folderRefuses) {
    const std::wstring temporary = TemporaryName(target);
    Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file.valid()) {
        folderRefuses = GetLastError() == ERROR_ACCESS_DENIED;
        return {};
    }
    const bool ok = WriteAll(file.get(), content);
    if (!file.Close() || !ok) {
        DeleteFileW(temporary.c_str());
        return {};
    }
    return temporary;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) return false;
    std::wstring target = WideFromUtf8(path);
    // Opening the existing file for writing is the permission check, as on Linux; sharing
    // everything, so that a reader elsewhere does not make the write fail.
    Handle existing(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!existing.valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return false;  // a folder, a denied file, a link to nothing
        bool folderRefuses = false;
        const std::wstring temporary = WriteTemporary(target, content, folderRefuses);
        if (temporary.empty()) return false;
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
        DeleteFileW(temporary.c_str());
        return false;
    }
    // Only a file on a disk is written: never a device such as NUL or CON, nor a pipe.
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(existing.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(existing.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    target = FinalPath(existing.get(), target);

    bool folderRefuses = false;
    const std::wstring temporary = WriteTemporary(target, content, folderRefuses);
    if (temporary.empty()) {
        if (!folderRefuses) return false;
        // A folder that takes no new files: the file's own bytes are replaced.
        LARGE_INTEGER start{};
        return SetFilePointerEx(existing.get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(existing.get()) &&
               WriteAll(existing.get(), content);
    }
    existing.Close();
    // ReplaceFileW keeps the file's security, attributes and identity; a volume without it
    // falls back to a plain move over the file.
    if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
        MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace platform

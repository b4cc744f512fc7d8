// A private folder for a fuzzer's files, on a memory file system when there is one, removed
// when the process ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzzsupport {

class FuzzFolder {
public:
    FuzzFolder() {
        std::error_code error;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                             : std::filesystem::temp_directory_path();
        std::string pattern = (base / "kd4410-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    static void Write(const std::filesystem::path& file, std::string_view bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) std::abort();
    }

private:
    std::filesystem::path path_;
};

}  // namespace fuzzsupport

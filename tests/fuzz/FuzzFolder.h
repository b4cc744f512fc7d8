// Files for the fuzzers that read from disk: one private folder for the process, on the memory
// file system when there is one (every input is written and synced), removed at exit.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "support/TempFolder.h"

namespace fuzzsupport {

inline testsupport::TempFolder MakeFolder() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) setenv("TMPDIR", "/dev/shm", 1);
    return testsupport::TempFolder();
}

inline const std::filesystem::path& FuzzFolder() {
    static const testsupport::TempFolder folder = MakeFolder();
    return folder.path();
}

inline void WriteInput(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
}

}  // namespace fuzzsupport

#include "platform/RawFile.h"

namespace platform {

RawFile::~RawFile() { Close(); }

bool ReadFileBeginning(const std::string& path, size_t limit, std::string& bytes) {
    RawFile file;
    if (file.Open(path, RawFile::Mode::Read) != RawFile::Opened::Ok) return false;
    std::string read(limit, '\0');
    size_t got = 0;
    while (got < read.size()) {
        const int64_t n = file.ReadAt(static_cast<int64_t>(got), read.data() + got, read.size() - got);
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    read.resize(got);
    bytes = std::move(read);
    return true;
}

}  // namespace platform

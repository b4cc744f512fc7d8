// Configuration files of arbitrary bytes never crash the reader, and what it reads is sane.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const files::ConfigFileReading reading =
        files::ReadConfigFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (reading.complete && reading.lastLineTaken != 15) std::abort();
    if (reading.lastLineTaken < 1 || reading.lastLineTaken > 15) std::abort();
    // What is complete writes out again and reads back complete.
    if (reading.complete && !files::ReadConfigFile(files::FormatConfigFile(reading.content)).complete) std::abort();
    return 0;
}

// The program's version as the About box shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct FileVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t release = 0;
    uint16_t build = 0;
};

// The version this executable was built with, or nothing when the build gave none.
std::optional<FileVersion> ExecutableFileVersion();

// "major.minor.release"; the build number is not shown. Empty when no version is known.
std::u16string FormatFileVersion(const std::optional<FileVersion>& version);

// The running executable's version text, possibly empty.
std::u16string VersionText();

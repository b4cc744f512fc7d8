#include "app/VersionText.h"

#include "app/BuildVersion.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

std::optional<FileVersion> ExecutableFileVersion() {
    if (!KD4410_HAS_FILE_VERSION) return std::nullopt;
    return FileVersion{KD4410_FILE_VERSION_MAJOR, KD4410_FILE_VERSION_MINOR, KD4410_FILE_VERSION_RELEASE,
                       KD4410_FILE_VERSION_BUILD};
}

std::u16string FormatFileVersion(const std::optional<FileVersion>& version) {
    if (!version) return {};
    return platform::Widen(platform::FormatInt(version->major) + "." + platform::FormatInt(version->minor) + "." +
                           platform::FormatInt(version->release));
}

std::u16string VersionText() { return FormatFileVersion(ExecutableFileVersion()); }

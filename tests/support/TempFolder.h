// A private folder for one test, removed with everything in it afterwards, and the XDG
// variables pointed into it so that no test touches the real home folder or another test.
// The XDG variables isolate on Windows too: there an absolute one overrides its Known Folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "support/Environment.h"
#include "support/Utf8Paths.h"

namespace testsupport {

class TempFolder {
public:
    TempFolder() {
#ifdef _WIN32
        // Under GetTempPath; a new folder of a random name, never one that is there already.
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                                    ("kd4410-test-" + std::to_string(random() % 1'000'000'000));
            if (std::filesystem::create_directory(candidate)) path_ = candidate;
        }
        if (path_.empty()) throw std::runtime_error("no temporary folder could be made");
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "kd4410-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as UTF-8 text, as paths are given to the program.
    std::string text() const { return TextFromPath(path_); }
    // name (UTF-8, may hold '/') inside the folder, as UTF-8 text.
    std::string operator/(const std::string& name) const { return TextFromPath(path_ / PathFromText(name)); }

private:
    std::filesystem::path path_;
};

// Sets environment variables for its lifetime and restores the earlier values afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) SetEnvironment(name, value);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const std::string& name, const std::optional<std::string>& value) {
        if (!saved_.count(name)) saved_[name] = GetEnvironment(name);
        SetEnvironment(name, value);
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

// A temp folder holding home, config, state, data and runtime folders of their own.
class IsolatedUser {
public:
    IsolatedUser() {
        for (const char* sub : {"home", "config", "state", "data", "runtime"})
            std::filesystem::create_directories(folder_.path() / sub);
        // A runtime folder is the user's alone, or it is not taken for one.
        std::filesystem::permissions(folder_.path() / "runtime", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        environment_.Set("HOME", folder_ / "home");
        environment_.Set("XDG_CONFIG_HOME", folder_ / "config");
        environment_.Set("XDG_STATE_HOME", folder_ / "state");
        environment_.Set("XDG_DATA_HOME", folder_ / "data");
        environment_.Set("XDG_RUNTIME_DIR", folder_ / "runtime");
    }
    const TempFolder& folder() const { return folder_; }
    ScopedEnvironment& environment() { return environment_; }

private:
    TempFolder folder_;
    ScopedEnvironment environment_;
};

}  // namespace testsupport

// A private folder for one test, removed with everything in it afterwards, and the XDG
// variables pointed into it so that no test touches the real home folder or another test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace testsupport {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kd4410-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sets environment variables for its lifetime and restores the earlier values afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const std::string& name, const std::optional<std::string>& value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
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

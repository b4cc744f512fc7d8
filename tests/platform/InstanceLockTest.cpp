// The single-instance guard: one holder at a time, in a folder of the user's alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/InstanceLock.h"
#include "support/TempFolder.h"

namespace {

using platform::InstanceLock;
using Outcome = platform::InstanceLock::Outcome;

constexpr const char* Name = "KD4412.0";

// Two holders one after the other: the first has the lock, the second is refused while the
// first lives, and the lock is free again once the first is gone.
void ExpectOneHolderAtATime(const std::string& expectedPath) {
    {
        InstanceLock first(Name);
        ASSERT_EQ(first.outcome(), Outcome::Acquired);
        if (!expectedPath.empty()) {
            EXPECT_EQ(first.path(), expectedPath);
        }
        InstanceLock second(Name);
        EXPECT_EQ(second.outcome(), Outcome::HeldElsewhere);
        EXPECT_TRUE(second.path().empty());
    }
    InstanceLock again(Name);
    EXPECT_EQ(again.outcome(), Outcome::Acquired);
}

#ifdef _WIN32
TEST(InstanceLock, TheNamedMutexAdmitsOneHolderAtATime) {
    ExpectOneHolderAtATime("");
}

TEST(InstanceLock, TheLockFileInAPrivateFolder) {
    GTEST_SKIP() << "on Windows the guard is a named mutex: no runtime folder, no file permissions, no links";
}
#else
unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST(InstanceLock, ThePrivateRuntimeFolderHoldsTheLock) {
    testsupport::IsolatedUser user;
    ExpectOneHolderAtATime(user.folder() / "runtime/KD4412.0.lock");
    EXPECT_EQ(ModeOf(user.folder() / "runtime/KD4412.0.lock"), 0600u);
}

TEST(InstanceLock, WhenTheRuntimeFolderCannotServeAPrivateFolderUnderTheCacheServes) {
    struct Case {
        const char* what;
        std::function<void(testsupport::IsolatedUser&)> spoil;
    };
    const Case cases[] = {
        {"not set", [](auto& u) { u.environment().Set("XDG_RUNTIME_DIR", std::nullopt); }},
        {"missing", [](auto& u) { u.environment().Set("XDG_RUNTIME_DIR", u.folder() / "missing"); }},
        {"relative", [](auto& u) { u.environment().Set("XDG_RUNTIME_DIR", "runtime"); }},
        {"a file", [](auto& u) {
             std::ofstream(u.folder() / "file") << "x";
             u.environment().Set("XDG_RUNTIME_DIR", u.folder() / "file");
         }},
        {"open to others", [](auto& u) { chmod((u.folder() / "runtime").c_str(), 0777); }},
        {"readable by others", [](auto& u) { chmod((u.folder() / "runtime").c_str(), 0755); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::IsolatedUser user;
        c.spoil(user);
        const std::string own = user.folder() / "home/.cache/kd4410";
        ExpectOneHolderAtATime(own + "/KD4412.0.lock");
        EXPECT_EQ(ModeOf(own), 0700u);
        EXPECT_FALSE(std::filesystem::exists(user.folder() / "runtime/KD4412.0.lock"));
    }
}

TEST(InstanceLock, TheCacheFolderIsTakenFromItsVariableAndClosedToOthers) {
    testsupport::IsolatedUser user;
    user.environment().Set("XDG_RUNTIME_DIR", std::nullopt);
    const std::string own = user.folder() / "cache/kd4410";
    std::filesystem::create_directories(own);
    chmod(own.c_str(), 0777);
    user.environment().Set("XDG_CACHE_HOME", user.folder() / "cache");
    ExpectOneHolderAtATime(own + "/KD4412.0.lock");
    EXPECT_EQ(ModeOf(own), 0700u);
}

TEST(InstanceLock, ALinkAtTheLocksPathIsNotFollowedAndDoesNotLetTwoCopiesRun) {
    testsupport::IsolatedUser user;
    const std::string elsewhere = user.folder() / "elsewhere";
    const std::string lockPath = user.folder() / "runtime/KD4412.0.lock";
    for (const char* target : {"existing", "dangling"}) {
        SCOPED_TRACE(target);
        std::filesystem::remove(lockPath);
        std::filesystem::remove(elsewhere);
        if (std::string(target) == "existing") std::ofstream(elsewhere) << "not a lock";
        std::filesystem::create_symlink(elsewhere, lockPath);
        ExpectOneHolderAtATime("");
        EXPECT_TRUE(std::filesystem::is_symlink(lockPath));
        EXPECT_EQ(std::filesystem::exists(elsewhere), std::string(target) == "existing");
    }
}

TEST(InstanceLock, ALinkPlantedAfterTheFirstCopyStartedDoesNotLetASecondRun) {
    testsupport::IsolatedUser user;
    const std::string lockPath = user.folder() / "runtime/KD4412.0.lock";
    InstanceLock first(Name);
    ASSERT_EQ(first.outcome(), Outcome::Acquired);
    std::filesystem::rename(lockPath, user.folder() / "moved.lock");
    std::filesystem::create_symlink(user.folder() / "moved.lock", lockPath);
    InstanceLock second(Name);
    EXPECT_EQ(second.outcome(), Outcome::HeldElsewhere);
}

TEST(InstanceLock, ARuntimeFolderThatAppearsLaterDoesNotLetASecondRun) {
    testsupport::IsolatedUser user;
    user.environment().Set("XDG_RUNTIME_DIR", std::nullopt);
    InstanceLock first(Name);
    ASSERT_EQ(first.outcome(), Outcome::Acquired);
    user.environment().Set("XDG_RUNTIME_DIR", user.folder() / "runtime");
    InstanceLock second(Name);
    EXPECT_EQ(second.outcome(), Outcome::HeldElsewhere);
}

TEST(InstanceLock, OnlyWhenNoLockCanBeHadAnywhereDoesTheProgramRunUnguarded) {
    testsupport::IsolatedUser user;
    std::ofstream(user.folder() / "file") << "x";
    user.environment().Set("XDG_RUNTIME_DIR", user.folder() / "missing");
    user.environment().Set("XDG_CACHE_HOME", user.folder() / "file");  // no folder can be made under it
    InstanceLock lock(Name);
    EXPECT_EQ(lock.outcome(), Outcome::Unavailable);
    EXPECT_TRUE(lock.path().empty());
}

#endif

}  // namespace

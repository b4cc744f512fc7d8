// Permission tests: file permissions do not bind root, who runs CI. As root the work runs in a
// child process that has given up its privileges for the user nobody; as anyone else it runs
// here. Files and folders the work is to own are handed to that user with GiveToWorker.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

inline constexpr uid_t NobodyId = 65534;

// Makes path belong to whoever runs the work of AsUnprivileged.
inline void GiveToWorker(const std::string& path) {
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), NobodyId, NobodyId), 0) << path;
    }
}

// The result of work run without privileges; nullopt when no unprivileged user could be had
// (the caller skips). A child that dies instead of answering fails the test.
inline std::optional<bool> AsUnprivileged(const std::function<bool()>& work) {
    if (geteuid() != 0) return work();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(NobodyId) != 0 || setuid(NobodyId) != 0) _exit(2);
        _exit(work() ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (!WIFEXITED(status)) {
        ADD_FAILURE() << "the unprivileged child ended abnormally";
        return false;
    }
    if (WEXITSTATUS(status) == 2) return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

inline constexpr const char* NoUnprivilegedUser =
    "running as root and unable to switch to the user nobody (65534), so permissions cannot be tested";

}  // namespace testsupport

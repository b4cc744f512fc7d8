// Lets files grow to a few bytes only, like a full disk; root is subject to it too, so the
// tests of a failed save run as root in CI. Restores the limit when it goes.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testsupport {

class SmallFileLimit {
public:
    explicit SmallFileLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
        rlimit small = saved_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~SmallFileLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    SmallFileLimit(const SmallFileLimit&) = delete;
    SmallFileLimit& operator=(const SmallFileLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

}  // namespace testsupport

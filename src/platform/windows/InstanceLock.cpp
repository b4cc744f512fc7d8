#include "platform/InstanceLock.h"

#include <windows.h>

#include "platform/windows/WideText.h"

namespace platform {

std::vector<std::string> InstanceLockFolders() { return {}; }

InstanceLock::InstanceLock(const std::string& name) {
    // A mutex in the session's namespace: one copy per logged-on user, as the lock file is on Linux.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, WideFromUtf8(name).c_str());
    if (mutex == nullptr) return;  // Unavailable: run without a guard
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        outcome_ = Outcome::HeldElsewhere;
        return;
    }
    held_.push_back(reinterpret_cast<std::intptr_t>(mutex));
    path_ = name;
    outcome_ = Outcome::Acquired;
}

InstanceLock::~InstanceLock() {
    for (std::intptr_t mutex : held_) CloseHandle(reinterpret_cast<HANDLE>(mutex));
}

}  // namespace platform

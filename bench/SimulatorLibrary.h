// The simulated transmitter library of the build tree, bound by its path.
#pragma once

#include <dlfcn.h>

#include "device/UsbLibrary.h"

class SimulatorLibrary final : public device::UsbLibrarySource {
public:
    bool Load() override { return (handle_ = dlopen(KD4410_SIM_LIBRARY, RTLD_NOW)) != nullptr; }
    void* Resolve(const char* name) override { return dlsym(handle_, name); }

private:
    void* handle_ = nullptr;
};

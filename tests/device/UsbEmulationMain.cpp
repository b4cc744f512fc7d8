// Entry point of the tests on an emulated USB bus: umockdev works only with its preload
// library loaded first, so the process re-executes itself with it when it is missing. With
// --open-probe it is instead a second program that opens the transmitter (a test runs it as
// another user).
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

int RunOpenProbe();  // UsbLibraryEmulationTest.cpp

int main(int argc, char** argv) {
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload == nullptr || std::strstr(preload, "libumockdev-preload") == nullptr) {
        std::string value = "libumockdev-preload.so.0";
        if (preload != nullptr && preload[0] != '\0') value += std::string(":") + preload;
        setenv("LD_PRELOAD", value.c_str(), 1);
        // Under AddressSanitizer the preload comes before the sanitizer's runtime.
        const char* asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + (asan && *asan ? ":" : "") +
                                "verify_asan_link_order=0").c_str(), 1);
        execv("/proc/self/exe", argv);
        return 127;
    }
    if (argc == 2 && std::strcmp(argv[1], "--open-probe") == 0) return RunOpenProbe();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

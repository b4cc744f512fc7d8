// The real USB library (libmpusbapi.so on libusb), loaded by TFix64 through dlopen as in
// production, against a transmitter on an emulated USB bus. All tests share the process and
// its one libusb context, as a program does; ctest also runs each in a process of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "EmulatedUsbTransmitter.h"
#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "device/Fix64usb.h"

using namespace std::chrono_literals;

// How the open probe ends when it has nothing to print.
enum ProbeExit { ProbeDone = 0, ProbeNoEntryPoint = 3, ProbeCannotLoad = 124, ProbeCannotRun = 125, ProbeCannotDrop = 126 };

// Becomes user nobody when root (root ignores file permissions); false when that fails.
bool DropToOrdinaryUser() {
    return geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
}

// The real library, bound as the program binds it; MPUSBGetLastOpenError as a tool does.
device::DynamicUsbLibrary* RealLibrary() {
    static device::DynamicUsbLibrary library;  // never unloaded, as in the program
    static const bool loaded = library.Load();
    return loaded ? &library : nullptr;
}

template <typename Fn>
Fn EntryPoint(const char* name) {
    return RealLibrary() ? reinterpret_cast<Fn>(RealLibrary()->Resolve(name)) : nullptr;
}

// Entry of a second process that opens the transmitter as an ordinary user (see
// UsbEmulationMain.cpp): prints what the library saw, "devices=N open=ok|failed error=E".
// It loads the library before it drops to that user, who may not reach the build folder;
// the library starts libusb at its first call.
int RunOpenProbe() {
    if (!RealLibrary()) return ProbeCannotLoad;
    if (!DropToOrdinaryUser()) return ProbeCannotDrop;
    const auto count = EntryPoint<MPUSBGetDeviceCountFn>("_MPUSBGetDeviceCount");
    const auto open = EntryPoint<MPUSBOpenFn>("_MPUSBOpen");
    const auto lastError = EntryPoint<MPUSBGetLastOpenErrorFn>("MPUSBGetLastOpenError");
    if (!count || !open || !lastError) return ProbeNoEntryPoint;
    const uint32_t devices = count(device::DeviceIdentity);
    const uint32_t pipe = open(0, device::DeviceIdentity, device::DeviceEndpoint, MPUSB_DIRECTION_READ, 0);
    std::printf("devices=%u open=%s error=%u", devices, pipe == MPUSB_INVALID_HANDLE ? "failed" : "ok", lastError());
    return ProbeDone;
}

namespace {

using testsupport::EmulatedUsbTransmitter;

uint32_t LastOpenError() {
    const auto entry = EntryPoint<MPUSBGetLastOpenErrorFn>("MPUSBGetLastOpenError");
    return entry ? entry() : 0xFFu;
}

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const device::DeviceError& e) {
        return e.what();
    }
    return "no error";
}

void Connect(device::TFix64& link) {
    ASSERT_TRUE(link.LoadUsbLibrary());
    link.OpenPipes(0);
    link.SetSlaveAddress(254);
    link.timeoutMs = 250;
}

class UsbLibraryOnEmulatedBus : public ::testing::TestWithParam<EmulatedUsbTransmitter::Transfer> {};

TEST_P(UsbLibraryOnEmulatedBus, ConnectsAndRoundTripsTheEeprom) {
    EmulatedUsbTransmitter transmitter(GetParam());
    device::TFix64 link;
    Connect(link);
    EXPECT_EQ(LastOpenError(), MPUSB_OPEN_OK);
    EXPECT_EQ(link.CountDevices(), 1u);
    EXPECT_NE(link.readPipe, device::InvalidPipe);
    EXPECT_NE(link.writePipe, device::InvalidPipe);
    EXPECT_TRUE(link.Command2());
    EXPECT_TRUE(link.Command4());

    uint8_t serial[2];
    link.ReadEeprom(config::eeSerialNumber, serial, 2);
    EXPECT_EQ(config::LoadU16LE(serial), 12345);

    link.ClosePipes(0);
    link.OpenPipes(0);
    uint8_t block[36];
    for (size_t i = 0; i < 4; ++i)
        config::StoreOutputRecord(block + 9 * i, {float(1000 * i), float(2000 * i + 500), uint8_t(i)});
    EXPECT_TRUE(link.WriteEeprom(config::eeOutputs, block, 36));
    uint8_t back[36] = {};
    link.ReadEeprom(config::eeOutputs, back, 36);
    EXPECT_TRUE(std::equal(std::begin(block), std::end(block), std::begin(back)));
    {
        std::lock_guard lock(transmitter.mutex());
        EXPECT_EQ(config::LoadFloatLE(&transmitter.model().eeprom()[config::eeOutputs + 9 + 4]), 2500.0f);
    }
    uint8_t value[4];
    link.ReadValue(4, value);
    EXPECT_GT(config::LoadFloatLE(value), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(BothTransferTypes, UsbLibraryOnEmulatedBus,
                         ::testing::Values(EmulatedUsbTransmitter::Transfer::Bulk,
                                           EmulatedUsbTransmitter::Transfer::Interrupt),
                         [](const auto& info) {
                             return info.param == EmulatedUsbTransmitter::Transfer::Bulk ? "Bulk" : "Interrupt";
                         });

TEST(UsbLibraryOnEmulatedBus, ASilentDeviceTimesOutAsDeviceNotReply) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    device::TFix64 link;
    Connect(link);
    transmitter.SetSilent(true);
    link.timeoutMs = 20;
    EXPECT_EQ(ErrorOf([&] { link.Command2(); }), "Device not reply");
    transmitter.SetSilent(false);
    link.ClosePipes(0);
    link.OpenPipes(0);
    EXPECT_EQ(ErrorOf([&] { link.Command2(); }), "no error");
}

TEST(UsbLibraryOnEmulatedBus, NoDeviceAtAll) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk, /*plugged=*/false);
    device::TFix64 link;
    Connect(link);
    EXPECT_EQ(link.CountDevices(), 0u);
    EXPECT_FALSE(link.OpenPipes(0));
    EXPECT_EQ(LastOpenError(), MPUSB_OPEN_NOT_FOUND);
    EXPECT_EQ(link.readPipe, device::InvalidPipe);
    EXPECT_EQ(ErrorOf([&] { link.Command2(); }), "Device not reply");
}

// Unplugs the transmitter while a read of link waits for its reply: the read ends with the
// device, long before its time-out.
void UnplugDuringARead(EmulatedUsbTransmitter& transmitter, device::TFix64& link) {
    transmitter.SetSilent(true);
    const uint16_t timeoutMs = link.timeoutMs;
    link.timeoutMs = 30000;
    std::thread unplug([&] {
        transmitter.WaitForPendingRead(10s);
        transmitter.Unplug();
    });
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { link.Command2(); });
    const auto took = std::chrono::steady_clock::now() - start;
    unplug.join();
    EXPECT_EQ(error, "Device not reply");
    EXPECT_LT(took, 10s) << "the read waited for its time-out instead of ending with the device";
    transmitter.SetSilent(false);
    link.timeoutMs = timeoutMs;
}

// The transmitter leaves while idle, or while a read waits for its reply.
class UsbLibraryUnplug : public ::testing::TestWithParam<bool> {};

TEST_P(UsbLibraryUnplug, ADeviceThatVanishesFailsCleanlyAndWorksAgainWhenBack) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    device::TFix64 link;
    Connect(link);
    EXPECT_TRUE(link.Command2());

    if (GetParam()) {
        UnplugDuringARead(transmitter, link);
    } else {
        transmitter.Unplug();
        EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "Device not reply");
    }
    link.ClosePipes(0);
    EXPECT_FALSE(link.OpenPipes(0));
    EXPECT_EQ(LastOpenError(), MPUSB_OPEN_NOT_FOUND);
    EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "Device not reply");

    transmitter.Plug();
    link.ClosePipes(0);
    EXPECT_TRUE(link.OpenPipes(0));
    EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "no error");
}

INSTANTIATE_TEST_SUITE_P(IdleAndDuringARead, UsbLibraryUnplug, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "DuringARead" : "Idle"; });

// The program leaves its pipes open; a transmitter plugged in again, at a new bus address or
// at the old one, is a new device that those pipes must neither reach nor hold hostage.
class UsbLibraryReplug : public ::testing::TestWithParam<uint8_t> {};

TEST_P(UsbLibraryReplug, PipesToTheDeviceThatLeftStayDeadAndNewOnesReachTheNewOne) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    device::TFix64 first;
    Connect(first);
    EXPECT_TRUE(first.Command2());

    transmitter.Unplug();
    transmitter.Plug(GetParam());
    EXPECT_EQ(first.CountDevices(), 1u);
    device::TFix64 second;  // opens before anything has told the library the old device is gone
    Connect(second);
    EXPECT_EQ(ErrorOf([&] { second.Command2(); }), "no error");
    EXPECT_EQ(ErrorOf([&] { first.Command1(); }), "Device not reply");

    first.ClosePipes(0);
    ASSERT_TRUE(first.OpenPipes(0));
    EXPECT_EQ(ErrorOf([&] { first.Command1(); }), "no error");
    EXPECT_EQ(transmitter.OpenNodeCount(), 1) << "both links share one handle to the device";
}

INSTANTIATE_TEST_SUITE_P(SameAndNewAddress, UsbLibraryReplug,
                         ::testing::Values(EmulatedUsbTransmitter::FirstAddress,
                                           uint8_t(EmulatedUsbTransmitter::FirstAddress + 1)),
                         [](const auto& info) { return "Address" + std::to_string(info.param); });

TEST(UsbLibraryOnEmulatedBus, AnInterfaceHeldElsewhereFailsTheOpenAsBusyAndLeaksNothing) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    transmitter.SetClaimRefused(true);
    device::TFix64 link;
    Connect(link);
    EXPECT_EQ(link.readPipe, device::InvalidPipe);
    EXPECT_EQ(LastOpenError(), MPUSB_OPEN_BUSY);
    EXPECT_EQ(transmitter.OpenNodeCount(), 0) << "the failed open left the device node open";

    transmitter.SetClaimRefused(false);
    link.ClosePipes(0);
    ASSERT_TRUE(link.OpenPipes(0));
    EXPECT_EQ(LastOpenError(), MPUSB_OPEN_OK);
    EXPECT_EQ(transmitter.OpenNodeCount(), 1);
    EXPECT_EQ(ErrorOf([&] { link.Command2(); }), "no error");
}

// Runs the open probe in a process of its own and returns what it printed, or how it
// failed. Empty, with the reason in whyNot, when it cannot run as another user here.
std::string ProbeOpenAsOrdinaryUser(std::string& whyNot) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl("/proc/self/exe", "usb_emulation_tests", "--open-probe", static_cast<char*>(nullptr));
        _exit(ProbeCannotRun);
    }
    close(out[1]);
    std::string seen;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) seen.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == ProbeCannotDrop) {
        whyNot = "cannot drop to user nobody";
        return "";
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != ProbeDone)
        return "the probe failed with status " + std::to_string(status);
    return seen;
}

// Sets a file's mode for the life of the object.
class ModeFor {
public:
    ModeFor(std::string path, mode_t mode) : path_(std::move(path)) {
        struct stat st {};
        saved_ = stat(path_.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
        ok_ = saved_ != 0 && chmod(path_.c_str(), mode) == 0;
    }
    ~ModeFor() {
        if (ok_) chmod(path_.c_str(), saved_);
    }
    ModeFor(const ModeFor&) = delete;
    ModeFor& operator=(const ModeFor&) = delete;
    bool ok() const { return ok_; }

private:
    std::string path_;
    mode_t saved_ = 0;
    bool ok_ = false;
};

TEST(UsbLibraryOnEmulatedBus, ANodeTheUserMayNotOpenIsReportedAsNoAccessNotAsAbsent) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    // The other user must reach the bed (a private temporary folder) and create in it the
    // socket on which its libusb hears uevents, and connect to umockdev's socket for the
    // node, which the preload does even when the open fails.
    const std::string bedRoot = EmulatedUsbTransmitter::BusRoot();
    const ModeFor bed(bedRoot, 0777);
    const ModeFor socket(bedRoot + "/ioctl" + transmitter.NodeName(), 0777);
    const ModeFor node(transmitter.NodePath(), 0);
    ASSERT_TRUE(bed.ok() && socket.ok() && node.ok());
    std::string whyNot;
    const std::string seen = ProbeOpenAsOrdinaryUser(whyNot);
    if (!whyNot.empty()) GTEST_SKIP() << "cannot open as another user: " << whyNot;
    EXPECT_EQ(seen, "devices=1 open=failed error=" + std::to_string(MPUSB_OPEN_NO_ACCESS));
}

}  // namespace

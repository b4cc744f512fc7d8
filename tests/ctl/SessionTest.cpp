// How the tool tells why it cannot reach a transmitter: no access (the udev rule), in use,
// absent, silent, and a library too old to tell.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeUsb.h"
#include "ctl/Session.h"
#include "ctl/ToolError.h"
#include "mpusbapi.h"
#include "platform/UsbAccess.h"

namespace {

using namespace testsupport;

uint32_t lastOpenError = MPUSB_OPEN_OK;
uint32_t ReportLastOpenError() { return lastOpenError; }

// The fake library, with or without the library's own report of why an open failed.
class ReportingLibrary final : public device::UsbLibrarySource {
public:
    explicit ReportingLibrary(bool reports) : reports_(reports) {}
    bool Load() override { return inner_.Load(); }
    void* Resolve(const char* name) override {
        if (std::strcmp(name, "MPUSBGetLastOpenError") == 0)
            return reports_ ? reinterpret_cast<void*>(&ReportLastOpenError) : nullptr;
        return inner_.Resolve(name);
    }

private:
    FakeUsbLibrary inner_;
    bool reports_;
};

TEST(Session, SaysWhyATransmitterCannotBeReached) {
    struct Case {
        const char* name;
        bool reports;
        uint32_t count;
        bool opens;
        uint32_t reason;
        int exit;
        const char* says;
    };
    for (const Case& c : {
             Case{"no access", true, 1, false, MPUSB_OPEN_NO_ACCESS, ctl::ExitNoAccess, platform::UsbAccessReason()},
             Case{"busy", true, 1, false, MPUSB_OPEN_BUSY, ctl::ExitNoAccess, "in use by another program"},
             Case{"absent", true, 0, false, MPUSB_OPEN_NOT_FOUND, ctl::ExitNoAccess, "no transmitter is attached"},
             Case{"old library", false, 0, false, 0, ctl::ExitNoAccess, "or this user may not open it"},
             Case{"silent", true, 1, true, MPUSB_OPEN_OK, ctl::ExitNoAnswer, "does not answer"},
         }) {
        SCOPED_TRACE(c.name);
        FakeUsb usb;
        usb.deviceCount = c.count;
        usb.responder = [](const device::Frame&) { return std::nullopt; };
        if (!c.opens) usb.openResults = {MPUSB_INVALID_HANDLE, MPUSB_INVALID_HANDLE};
        lastOpenError = c.reason;
        ctl::Session session(std::make_unique<ReportingLibrary>(c.reports));
        session.Load();
        try {
            session.Connect(0);
            ADD_FAILURE() << "connected";
        } catch (const ctl::ToolError& e) {
            EXPECT_EQ(e.exitCode(), c.exit);
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            if (c.reason == MPUSB_OPEN_NO_ACCESS) {
                EXPECT_NE(std::string(e.what()).find("README"), std::string::npos);
            }
        }
    }
}

}  // namespace

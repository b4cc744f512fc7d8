#include "platform/UsbAccess.h"

namespace platform {

const char* UsbAccessReason() { return "the transmitter is not bound to the WinUSB driver"; }

const char* UsbAccessFix() {
    return "bind it to WinUSB (for example with Zadig), then re-plug the transmitter (README, \"Windows\")";
}

const char* UsbAccessHint() { return "see README \"Windows\" for the WinUSB driver"; }

}  // namespace platform

#include "platform/UsbAccess.h"

namespace platform {

const char* UsbAccessReason() { return "the udev rule is missing"; }

const char* UsbAccessFix() {
    return "install the udev rule: sudo cp 60-kd4410.rules /etc/udev/rules.d/ && sudo udevadm control --reload && "
           "sudo udevadm trigger, then re-plug the transmitter (README, \"USB access\")";
}

const char* UsbAccessHint() { return "see README \"USB access\" for the udev rule"; }

}  // namespace platform

// What the operator is told to do when the system keeps the transmitter from this user: the
// udev rule on Linux, the WinUSB driver on Windows.
#pragma once

namespace platform {

// Why a present transmitter may not be opened, as a parenthesis after "no access to ...".
const char* UsbAccessReason();
// The fix, one sentence without its full stop.
const char* UsbAccessFix();
// Where "no transmitter found" points for access problems.
const char* UsbAccessHint();

}  // namespace platform

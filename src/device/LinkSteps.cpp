#include "device/LinkSteps.h"

#include "device/Fix64usb.h"

namespace device {

void ReopenLink(TFix64& link, uint32_t deviceIndex) {
    link.ClosePipes(deviceIndex);
    link.OpenPipes(deviceIndex);
    link.SetSlaveAddress(RequestSlaveAddress);
}

}  // namespace device

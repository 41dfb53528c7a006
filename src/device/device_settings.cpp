#include "device/device_settings.h"

#include <string.h>

namespace zorvan {

namespace {

// The request that sets the device's own good-read beeps to 0, with its
// terminating zero.
const VendorChar kBeeperRequest[] = VENDOR_TEXT(
    "<Subsystem Name=\"Device Settings\"><Group Name=\"Beeper\">"
    "<Field Name=\"Number of good read beeps\">0</Field></Group></Subsystem>");
constexpr uint32_t kBeeperRequestUnits = sizeof kBeeperRequest / sizeof kBeeperRequest[0];
static_assert(kBeeperRequestUnits == 125, "124 characters and the zero");
static_assert(sizeof kBeeperRequest == 250, "UTF-16 units");
constexpr uint32_t kResponseUnits = 512;
constexpr uint32_t kRequestTimeout = 0xFFFFFFFFu;

}  // namespace

bool silenceDeviceBeeper(const VendorApi& vendor) {
  // The service takes a writable request; the response is not read.
  VendorChar request[kBeeperRequestUnits];
  memcpy(request, kBeeperRequest, sizeof request);
  VendorChar response[kResponseUnits];
  uint32_t count = kResponseUnits;
  return vendorSucceeded(vendor.ITCSSSetW(request, response, &count, kRequestTimeout));
}

}  // namespace zorvan

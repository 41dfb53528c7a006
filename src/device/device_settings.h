// Requests to the device's settings service (ITCSSSetW).
#ifndef ZORVAN_DEVICE_DEVICE_SETTINGS_H
#define ZORVAN_DEVICE_DEVICE_SETTINGS_H

#include "device/vendor_api.h"

namespace zorvan {

// Ask the device to set its own number of good-read beeps to 0, so that only
// the plug-in's tones sound. True when the service accepted the request.
bool silenceDeviceBeeper(const VendorApi& vendor);

}  // namespace zorvan

#endif  // ZORVAN_DEVICE_DEVICE_SETTINGS_H

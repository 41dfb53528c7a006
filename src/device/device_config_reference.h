// The object's reference to the device's DeviceConfig, as one owner: opened
// once, released with ITCDeviceClose exactly once.
#ifndef ZORVAN_DEVICE_DEVICE_CONFIG_REFERENCE_H
#define ZORVAN_DEVICE_DEVICE_CONFIG_REFERENCE_H

#include "device/vendor_abi.h"

namespace zorvan {

struct VendorApi;

class DeviceConfigReference {
 public:
  // Holds nothing yet; the release is due (ITCDeviceClose is called for an
  // interface that could not be obtained as well).
  explicit DeviceConfigReference(const VendorApi& vendor) : vendor_(&vendor) {}
  ~DeviceConfigReference() { release(); }
  DeviceConfigReference(const DeviceConfigReference&) = delete;
  DeviceConfigReference& operator=(const DeviceConfigReference&) = delete;

  // Obtain the process's DeviceConfig (openDeviceConfig); false when it
  // could not be had, and the reference stays null.
  bool open();
  // ITCDeviceClose, the first time only; the reference is null afterwards.
  void release();

  // Null when not obtained or released.
  DeviceConfig* get() const { return config_; }

 private:
  const VendorApi* vendor_;  // null once released
  DeviceConfig* config_ = nullptr;
};

}  // namespace zorvan

#endif  // ZORVAN_DEVICE_DEVICE_CONFIG_REFERENCE_H

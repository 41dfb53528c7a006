#include "device/device_config_reference.h"

#include "device/device_config.h"

namespace zorvan {

bool DeviceConfigReference::open() {
  if (vendor_ == nullptr) return false;
  if (config_ == nullptr) config_ = openDeviceConfig(*vendor_);
  return config_ != nullptr;
}

void DeviceConfigReference::release() {
  const VendorApi* vendor = vendor_;
  vendor_ = nullptr;
  if (vendor != nullptr) closeDeviceConfig(*vendor, config_);
  config_ = nullptr;
}

}  // namespace zorvan

#include "device/device_config_reference.h"

#include "device/device_config.h"

namespace zorvan {

DeviceConfigReference::DeviceConfigReference(DeviceConfigReference&& other) noexcept
    : vendor_(other.vendor_), config_(other.config_) {
  other.vendor_ = nullptr;
  other.config_ = nullptr;
}

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

#include "device/driver_handle.h"

namespace zorvan {

bool DriverHandle::open(const VendorApi& vendor, const VendorChar* name) {
  close();
  int32_t handle = 0;
  if (!vendorSucceeded(vendor.ITCSCAN_Open(&handle, name))) return false;
  vendor_ = &vendor;
  value_ = handle;
  return true;
}

void DriverHandle::close() {
  const int32_t handle = value_;
  const VendorApi* vendor = vendor_;
  vendor_ = nullptr;
  value_ = 0;
  if (handle != 0 && vendor != nullptr) vendor->ITCSCAN_Close(handle);
}

}  // namespace zorvan

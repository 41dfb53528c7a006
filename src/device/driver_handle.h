// The scanner driver's handle, as one owner: opened once, closed exactly
// once.
#ifndef ZORVAN_DEVICE_DRIVER_HANDLE_H
#define ZORVAN_DEVICE_DRIVER_HANDLE_H

#include <stdint.h>

#include "common/relaxed.h"
#include "device/vendor_api.h"

namespace zorvan {

class DriverHandle {
 public:
  DriverHandle() = default;
  ~DriverHandle() { close(); }
  DriverHandle(const DriverHandle&) = delete;
  DriverHandle& operator=(const DriverHandle&) = delete;

  // ITCSCAN_Open(&handle, name). True when the driver accepted it; the
  // handle is then held. On failure nothing is held.
  bool open(const VendorApi& vendor, const VendorChar* name);
  // ITCSCAN_Close when a handle is held (not 0); afterwards the handle
  // reads 0 and nothing is held.
  void close();

  int32_t get() const { return value_; }
  // The handle as the scan thread reads it for each read, while the owner
  // may close it on a host thread.
  const Relaxed<int32_t>& value() const { return value_; }

 private:
  const VendorApi* vendor_ = nullptr;
  Relaxed<int32_t> value_;
};

}  // namespace zorvan

#endif  // ZORVAN_DEVICE_DRIVER_HANDLE_H

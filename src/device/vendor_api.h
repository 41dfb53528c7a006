// The vendor entry points as one table of function pointers. Every slot
// always holds something callable: the library's function when it was found,
// otherwise a stub that fails the way a missing component would.
#ifndef ZORVAN_DEVICE_VENDOR_API_H
#define ZORVAN_DEVICE_VENDOR_API_H

#include "device/vendor_abi.h"

namespace zorvan {

struct VendorApi {
#define VENDOR_DECLARE_SLOT(library, ret, name, params) VendorFn_##name name;
  VENDOR_FUNCTIONS(VENDOR_DECLARE_SLOT)
#undef VENDOR_DECLARE_SLOT
};

// The success test of the driver's and the settings service's results: both
// high bits clear. (ITCSCAN_SetReadLED and DeviceConfig methods fail only
// when negative; those callers test that themselves.)
constexpr bool vendorSucceeded(int32_t result) {
  return (static_cast<uint32_t>(result) & 0xC0000000u) == 0;
}

// Result every stub returns: negative, with both high bits set, so each of
// the plug-in's success tests reads it as failure.
constexpr int32_t kVendorUnavailable = static_cast<int32_t>(0xC0000001u);

// A table of stubs only: the state of a machine without the vendor libraries.
const VendorApi& unavailableVendorApi();

// The process's table, resolved on first use from the libraries found in the
// platform's normal search order, and kept for the life of the process: a
// scan thread may still be inside the driver when an object goes away, so the
// libraries are never unloaded.
const VendorApi& processVendorApi();

}  // namespace zorvan

#endif  // ZORVAN_DEVICE_VENDOR_API_H

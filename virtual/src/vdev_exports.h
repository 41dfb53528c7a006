// The symbols the virtual device libraries export: every vendor entry point of
// vendor_abi.h with C linkage, and the control functions of virtual_device.h.
// The project builds with hidden visibility, so both are marked default here.
// The libraries and their tests include this header alike.
#ifndef VDEV_EXPORTS_H
#define VDEV_EXPORTS_H

// DeviceConfig is a COM-style interface: it has no destructor in its table
// (objects end through Release), which -Wnon-virtual-dtor reports.
#include "device/vendor_abi.h"

#pragma GCC visibility push(default)
#include "virtual_device.h"
#pragma GCC visibility pop

#define VDEV_DECLARE_EXPORT(library, ret, name, params) \
  extern "C" __attribute__((visibility("default"))) ret VENDOR_CALL name params;
VENDOR_FUNCTIONS(VDEV_DECLARE_EXPORT)
#undef VDEV_DECLARE_EXPORT

#endif  // VDEV_EXPORTS_H

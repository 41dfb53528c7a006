// The symbols the virtual device libraries export: every vendor entry point of
// vendor_abi.h with C linkage and the vendor calling convention, and the
// control functions of virtual_device.h. The project builds with hidden
// visibility, so both are marked for export (VDEV_API). The libraries and
// their tests include this header alike.
#ifndef VDEV_EXPORTS_H
#define VDEV_EXPORTS_H

// DeviceConfig is a COM-style interface: it has no destructor in its table
// (objects end through Release), which -Wnon-virtual-dtor reports.
#include "device/vendor_abi.h"
#include "virtual_device.h"

#define VDEV_DECLARE_EXPORT(library, ret, name, params) \
  extern "C" VDEV_API ret VENDOR_CALL name params;
VENDOR_FUNCTIONS(VDEV_DECLARE_EXPORT)
#undef VDEV_DECLARE_EXPORT

#endif  // VDEV_EXPORTS_H

// What the symbology operations work on: the device's configuration
// interface and the two variant flags, the only symbology settings the
// object keeps itself.
#ifndef ZORVAN_SYMBOLOGY_SYMBOLOGY_CONFIG_H
#define ZORVAN_SYMBOLOGY_SYMBOLOGY_CONFIG_H

#include <stdint.h>

#include "common/relaxed.h"
#include "device/device_config.h"
#include "device/device_config_reference.h"

namespace zorvan {

struct SymbologyConfig {
  explicit SymbologyConfig(const VendorApi& vendor) : device(vendor) {}

  // The object's DeviceConfig (get() is null when it could not be obtained);
  // opened and released by the object's lifecycle. Symbology settings live
  // on the device: nothing of them is kept here.
  DeviceConfigReference device;
  // The variant chosen for the modes of GroupA field 4 and GroupE field 1:
  // set = the odd value of each pair. Only SetSymbologyOption writes them.
  Relaxed<uint8_t> variantFlagA;
  Relaxed<uint8_t> variantFlagE;

  void clearVariants() {
    variantFlagA = 0;
    variantFlagE = 0;
  }
};

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_SYMBOLOGY_CONFIG_H

// The host's symbology numbers and where each symbology lives on the device:
// its vendor number, the DeviceConfig group holding its settings, its enable
// field and the form of its length restriction. One table serves every
// symbology operation.
#ifndef ZORVAN_SYMBOLOGY_SYMBOLOGY_TABLE_H
#define ZORVAN_SYMBOLOGY_SYMBOLOGY_TABLE_H

#include <stdint.h>

#include "device/device_config.h"

namespace zorvan {

typedef int32_t HostSymbologyId;
typedef int32_t VendorSymbologyId;

// Vendor number of a host value that has no counterpart.
constexpr VendorSymbologyId kNoVendorSymbology = -1;

// How the device keeps a symbology's length restriction.
enum class LengthForm : uint8_t {
  kNone,         // no restriction on the device
  kMinimumByte,  // one minimum-length byte in `lengthField`
  kLengthList,   // lengthKind in `lengthField`, the list and count after it
};

struct SymbologyEntry {
  HostSymbologyId host;
  VendorSymbologyId vendor;
  Group group;          // the get/set pair holding the symbology's settings
  uint8_t enableField;  // holds 1 when enabled, 0 when disabled
  LengthForm lengthForm;
  uint8_t lengthField;  // meaningful unless lengthForm is kNone
};

constexpr int kSymbologyCount = 17;

// Sorted by host value. A host value missing here has no counterpart.
extern const SymbologyEntry kSymbologyTable[];

// The entry of a host value, or null when it has no counterpart.
const SymbologyEntry* findSymbology(HostSymbologyId host);

// The vendor number of a host value, or kNoVendorSymbology. Reads nothing but
// its argument.
VendorSymbologyId MapHostSymbology(HostSymbologyId host);

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_SYMBOLOGY_TABLE_H

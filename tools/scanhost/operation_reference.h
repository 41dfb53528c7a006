// The host's reference, rendered from the operation table's rows: the guide's
// reference section (Markdown) and the facts under each operation in `ops`
// (plain text). Beside it, the value sets the rows' texts name, built from the
// plug-in's own tables.
#ifndef SCANHOST_OPERATION_REFERENCE_H
#define SCANHOST_OPERATION_REFERENCE_H

#include <stdint.h>

#include <string>
#include <vector>

#include "operation_table.h"

namespace scanhost {

// Values an argument accepts, as the reference lists them.
struct ValueSet {
  const char* name;  // as the reference's texts name it: {symbology ids}
  std::vector<int32_t> values;
};
enum ValueSetId {
  kSymbologyIds,
  kLengthIds,
  kOptionIds,
  kOption2Ids,
  kOptionKinds,
  kDeviceOptionKinds,
  kDurationIds,
  kFrequencyIds,
  kLevels,
  kCodes,
  kSelectors,
  kSecondSelectors,
  kAffixModes,
  kValueSetCount
};
const ValueSet& valueSet(ValueSetId id);

// Symbology ids that share one enable field on the device, and so one
// enabled state; every other symbology id has a field of its own.
extern const std::vector<std::vector<int32_t>> kSharedEnableFields;

// The fixed texts of the three text operations.
extern const char kModelNameText[];
extern const char kInterfaceIdText[];

// The facts of one position as indented lines for `ops`.
std::string referenceLines(int position);
// The guide's reference section, Markdown, between its two marker lines.
std::string referenceSection();
extern const char kReferenceBeginMarker[];
extern const char kReferenceEndMarker[];

}  // namespace scanhost

#endif  // SCANHOST_OPERATION_REFERENCE_H

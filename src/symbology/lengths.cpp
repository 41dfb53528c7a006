#include "symbology/lengths.h"

#include <string.h>

#include "scanner_interface1.h"
#include "symbology/field_access.h"
#include "symbology/length_list.h"
#include "symbology/symbology_table.h"

namespace zorvan {

namespace {

const SymbologyEntry* findRestricted(HostSymbologyId id) {
  const SymbologyEntry* entry = findSymbology(id);
  return entry != nullptr && entry->lengthForm != LengthForm::kNone ? entry : nullptr;
}

}  // namespace

int16_t getSymbologyLengths(SymbologyConfig& config, HostSymbologyId id, uint16_t* mode,
                            uint16_t* first, uint16_t* second) {
  const SymbologyEntry* entry = findRestricted(id);
  if (entry == nullptr) return ResultRejected;
  if (mode == nullptr || first == nullptr || second == nullptr) return ResultRejected;

  GroupValues values;
  const int16_t status = queryGroup(config, entry->group, values, ResultUnsupported);
  if (status != ResultOk) return status;

  const uint8_t at = entry->lengthField;
  const SymbologyLengths lengths =
      entry->lengthForm == LengthForm::kMinimumByte
          ? DecodeMinimumLength(values.field[at])
          : DecodeLengthList(values.field[at], values.lengthList, values.field[at + 2]);
  *mode = lengths.mode;
  *first = lengths.first;
  *second = lengths.second;
  return ResultOk;
}

int16_t setSymbologyLengths(SymbologyConfig& config, HostSymbologyId id, uint16_t mode,
                            uint16_t first, uint16_t second) {
  const SymbologyEntry* entry = findRestricted(id);
  if (entry == nullptr) return ResultRejected;

  GroupChange change(entry->group);
  if (entry->lengthForm == LengthForm::kMinimumByte) {
    change.field[entry->lengthField] = EncodeMinimumLength(mode, first, second);
  } else {
    const LengthList list = EncodeLengthList(mode, first, second);
    change.field[entry->lengthField] = list.kind;
    memcpy(change.lengthList, list.bytes, sizeof change.lengthList);
    change.lengthCount = list.count;
  }
  return changeGroup(config, change, ResultRejected);
}

}  // namespace zorvan

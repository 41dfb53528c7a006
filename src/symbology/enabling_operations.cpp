// Symbology enabling: the enable field of the symbology's group, read and
// written on the device at once.
#include "plugin/zorvan_scanner.h"
#include "symbology/field_access.h"
#include "symbology/symbology_table.h"

namespace zorvan {

namespace {

int16_t getSymbologyEnabled(ScannerState& state, HostSymbologyId id) {
  const SymbologyEntry* entry = findSymbology(id);
  if (entry == nullptr) return ResultRejected;
  return readOption(state, {entry->group, entry->enableField, 1}, kOneIsOn, ResultUnsupported);
}

int16_t setSymbologyEnabled(ScannerState& state, HostSymbologyId id, int32_t flag) {
  const SymbologyEntry* entry = findSymbology(id);
  if (entry == nullptr) return ResultRejected;
  return writeOption(state, {entry->group, entry->enableField, 1}, kNonZeroIsOne, flag,
                     ResultRejected);
}

}  // namespace

int16_t ZorvanScannerInterface::GetSymbologyEnabled(int32_t id) {
  return getSymbologyEnabled(*state_, id);
}

int16_t ZorvanScannerInterface::SetSymbologyEnabled(int32_t id, int32_t flag) {
  return setSymbologyEnabled(*state_, id, flag);
}

}  // namespace zorvan

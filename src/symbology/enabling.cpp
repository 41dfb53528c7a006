#include "symbology/enabling.h"

#include "scanner_interface1.h"
#include "symbology/field_access.h"
#include "symbology/symbology_table.h"

namespace zorvan {

int16_t getSymbologyEnabled(SymbologyConfig& config, HostSymbologyId id) {
  const SymbologyEntry* entry = findSymbology(id);
  if (entry == nullptr) return ResultRejected;
  return readOption(config, {entry->group, entry->enableField, 1}, kOneIsOn, ResultUnsupported);
}

int16_t setSymbologyEnabled(SymbologyConfig& config, HostSymbologyId id, int32_t flag) {
  const SymbologyEntry* entry = findSymbology(id);
  if (entry == nullptr) return ResultRejected;
  return writeOption(config, {entry->group, entry->enableField, 1}, kNonZeroIsOne, flag,
                     ResultRejected);
}

}  // namespace zorvan

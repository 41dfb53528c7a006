// Symbology enabling: the enable field of the symbology's group, read and
// written on the device at once.
#ifndef ZORVAN_SYMBOLOGY_ENABLING_H
#define ZORVAN_SYMBOLOGY_ENABLING_H

#include <stdint.h>

#include "symbology/symbology_config.h"
#include "symbology/symbology_table.h"

namespace zorvan {

// 1 when the symbology's enable field holds exactly 1, else 0;
// ResultRejected for a host number without counterpart (no device call),
// ResultUnsupported when the device refuses the query.
int16_t getSymbologyEnabled(SymbologyConfig& config, HostSymbologyId id);
// Write the enable field (1 for any non-zero flag), every other field
// NoChange; ResultRejected for a host number without counterpart or when
// the device refuses the change.
int16_t setSymbologyEnabled(SymbologyConfig& config, HostSymbologyId id, int32_t flag);

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_ENABLING_H

// Symbology length limits: a minimum-length byte or a length list on the
// device, a mode and two lengths for the host.
#ifndef ZORVAN_SYMBOLOGY_LENGTHS_H
#define ZORVAN_SYMBOLOGY_LENGTHS_H

#include <stdint.h>

#include "symbology/symbology_config.h"
#include "symbology/symbology_table.h"

namespace zorvan {

// The restriction of one of the six symbologies that have one, as a mode
// and two lengths. ResultRejected for any other host number or a null
// out-pointer (no device call, nothing written), ResultUnsupported when the
// device refuses the query (nothing written).
int16_t getSymbologyLengths(SymbologyConfig& config, HostSymbologyId id, uint16_t* mode,
                            uint16_t* first, uint16_t* second);
// Write the restriction in the symbology's device form, every other field
// NoChange; ResultRejected for any other host number or when the device
// refuses the change.
int16_t setSymbologyLengths(SymbologyConfig& config, HostSymbologyId id, uint16_t mode,
                            uint16_t first, uint16_t second);

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_LENGTHS_H

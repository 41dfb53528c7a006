#ifndef ZORVAN_SETTINGS_DEFAULTS_H
#define ZORVAN_SETTINGS_DEFAULTS_H

#include "plugin/scanner_state.h"

namespace zorvan {

// The defaults, as construction and ResetToDefaults apply them: tone table,
// affixes, variant flags, read LED flag, storedSelector2, and the settings
// block, written pending and then copied to applied so they are in force at
// once. Pending changes are discarded; the LED itself is not touched.
void applyDefaults(ScannerState& state);

}  // namespace zorvan

#endif  // ZORVAN_SETTINGS_DEFAULTS_H

// Symbology enabling.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::GetSymbologyEnabled(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetSymbologyEnabled(int32_t, int32_t) { return ResultUnsupported; }

}  // namespace zorvan

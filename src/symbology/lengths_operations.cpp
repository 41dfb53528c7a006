// Symbology length limits.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::GetSymbologyLengths(int32_t, uint16_t*, uint16_t*, uint16_t*) {
  return ResultUnsupported;
}
int16_t ZorvanScannerInterface::SetSymbologyLengths(int32_t, uint16_t, uint16_t, uint16_t) {
  return ResultUnsupported;
}

}  // namespace zorvan

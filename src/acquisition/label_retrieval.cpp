// Label retrieval: the host fetches the last label.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::GetLastLabelRecord(uint8_t*) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::ReadLabel(int32_t, int16_t*, char*) { return ResultUnsupported; }

}  // namespace zorvan

// Label retrieval: the host takes the last label from the label store.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::GetLastLabelRecord(uint8_t* record) {
  return state_->labels.takeRecord(record);
}

int16_t ZorvanScannerInterface::ReadLabel(int32_t maxCount, int16_t* symbology, char* buffer) {
  return state_->labels.takeText(maxCount, symbology, buffer);
}

}  // namespace zorvan

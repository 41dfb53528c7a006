#include "records.h"

#include <algorithm>

#include "common/byte_order.h"

namespace scanhost {

ScanEvent decodeScanEvent(const uint8_t* record) {
  const bool lengthGiven = record[8] == 0 && record[9] == 1;
  // Every byte after the marker is zero, but for a length given in bytes 8-11.
  bool restZero = true;
  for (int i = 2; i < ScanEventRecordSize; ++i) {
    restZero = restZero && (record[i] == 0 || (lengthGiven && i >= 8 && i <= 11));
  }
  return ScanEvent{record[0] == 0x87 && record[1] == 0xFF && restZero, lengthGiven,
                   lengthGiven ? zorvan::getBigEndian16(record + 10) : uint16_t{0}};
}

Tone decodeTone(const uint8_t* record) {
  return Tone{record[0] == 1 && record[1] == 0, zorvan::getBigEndian32(record + 2),
              zorvan::getBigEndian16(record + 6), zorvan::getBigEndian16(record + 8)};
}

LabelRecordFields decodeLabelRecord(const uint8_t* record) {
  const uint16_t length = zorvan::getBigEndian16(record);
  const size_t room = LabelRecordSize - kLabelDataOffset;
  return LabelRecordFields{length, zorvan::getBigEndian16(record + 2),
                           zorvan::getBigEndian16(record + 4), record + kLabelDataOffset,
                           std::min<size_t>(length, room)};
}

}  // namespace scanhost

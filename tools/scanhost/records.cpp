#include "records.h"

namespace scanhost {

ScanEvent decodeScanEvent(const uint8_t* record) {
  ScanEvent event{};
  event.lengthGiven = record[8] == 0 && record[9] == 1;
  if (event.lengthGiven) event.length = readBigEndian16(record + 10);
  bool restZero = true;
  for (int i = 2; i < ScanEventRecordSize; ++i) {
    const bool lengthByte = event.lengthGiven && i >= 8 && i <= 11;
    if (!lengthByte && record[i] != 0) restZero = false;
  }
  event.wellFormed = record[0] == 0x87 && record[1] == 0xFF && restZero;
  return event;
}

Tone decodeTone(const uint8_t* record) {
  Tone tone{};
  tone.wellFormed = record[0] == 1 && record[1] == 0;
  tone.frequency = readBigEndian32(record + 2);
  tone.durationMs = readBigEndian16(record + 6);
  tone.level = readBigEndian16(record + 8);
  return tone;
}

LabelRecordFields decodeLabelRecord(const uint8_t* record) {
  LabelRecordFields fields{};
  fields.length = readBigEndian16(record);
  fields.symbology = readBigEndian16(record + 2);
  fields.reserved = readBigEndian16(record + 4);
  fields.data = record + kLabelDataOffset;
  const size_t room = LabelRecordSize - kLabelDataOffset;
  fields.shownLength = fields.length < room ? fields.length : room;
  return fields;
}

}  // namespace scanhost

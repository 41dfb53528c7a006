// The byte records the plug-in hands the host, read field by field. Their
// multi-byte fields are big-endian, read with the plug-in's own byte
// helpers; nothing here casts a record to a struct.
#ifndef SCANHOST_RECORDS_H
#define SCANHOST_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#include "scanner_interface1.h"

namespace scanhost {

// ScanEventRecord, 24 bytes: 0x87 0xFF, then zeros, except that a label
// longer than 255 bytes puts 0, 1 and its 16-bit length in bytes 8 to 11.
struct ScanEvent {
  bool wellFormed;   // bytes 0-1 are 87 FF and every other byte is as described
  bool lengthGiven;  // bytes 8-9 are 00 01
  uint16_t length;   // bytes 10-11 when lengthGiven
};
ScanEvent decodeScanEvent(const uint8_t* record);

// ToneRecord, 10 bytes: 1, 0, frequency (bytes 2-5), duration in ms (6-7),
// level 0..64 (8-9).
struct Tone {
  bool wellFormed;  // bytes 0-1 are 01 00
  uint32_t frequency;
  uint16_t durationMs;
  uint16_t level;
};
Tone decodeTone(const uint8_t* record);

// LabelRecord, 264 bytes: length (0-1, at most 255), reported symbology
// (2-3), reserved (4-5), then the label bytes from byte 6 and a zero.
constexpr size_t kLabelDataOffset = 6;
struct LabelRecordFields {
  uint16_t length;  // as stored; the data shown is cut to what fits
  uint16_t symbology;
  uint16_t reserved;
  const uint8_t* data;
  size_t shownLength;  // min(length, 258)
};
LabelRecordFields decodeLabelRecord(const uint8_t* record);

}  // namespace scanhost

#endif  // SCANHOST_RECORDS_H

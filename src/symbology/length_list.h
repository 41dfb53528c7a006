// Conversion between the host's view of a length restriction (a mode and two
// lengths) and the device's two forms: a single minimum-length byte, or a
// length list (kind, up to three length bytes, count). Pure functions.
#ifndef ZORVAN_SYMBOLOGY_LENGTH_LIST_H
#define ZORVAN_SYMBOLOGY_LENGTH_LIST_H

#include <stdint.h>

namespace zorvan {

enum LengthMode : uint16_t {
  AnyLength = 0,    // no restriction; both lengths 0
  OneLength = 1,    // first: the one length accepted
  TwoLengths = 2,   // first: the larger accepted length, second: the smaller
  LengthRange = 3,  // first: the shortest, second: the longest (255: no limit)
};

// Longest length reported for a range the device bounds from below only.
constexpr uint16_t kUnboundedLength = 255;

// lengthKind values of a device length list.
enum : uint8_t {
  kLengthKindMinimum = 0,   // list byte 0 is a minimum length
  kLengthKindDiscrete = 1,  // the list holds discrete lengths
};

struct SymbologyLengths {
  uint16_t mode;
  uint16_t first;
  uint16_t second;
};

struct LengthList {
  uint8_t kind;
  uint8_t bytes[3];
  uint32_t count;
};

// The host's view of a device length list. Only the first `lengthCount`
// bytes count (three for a count other than 1 or 2); `lengthList` must hold
// three bytes.
SymbologyLengths DecodeLengthList(uint32_t lengthKind, const uint8_t* lengthList,
                                  uint32_t lengthCount);

// The device length list for a host restriction; lengths are cut to their
// low 8 bits. A range keeps its minimum only; an unknown mode means any length.
LengthList EncodeLengthList(uint16_t mode, uint16_t first, uint16_t second);

// The host's view of a minimum-length field (its low 8 bits count).
SymbologyLengths DecodeMinimumLength(uint32_t fieldValue);

// The minimum-length byte for a host restriction: the one length, the smaller
// of two, or 0 for any length and unknown modes.
uint8_t EncodeMinimumLength(uint16_t mode, uint16_t first, uint16_t second);

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_LENGTH_LIST_H

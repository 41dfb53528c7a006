#include "symbology/length_list.h"

namespace zorvan {

namespace {

uint8_t lowByte(uint16_t length) { return static_cast<uint8_t>(length & 0xFFu); }

SymbologyLengths minimumOf(uint8_t minimum) {
  if (minimum == 0) return {AnyLength, 0, 0};
  return {LengthRange, minimum, kUnboundedLength};
}

}  // namespace

SymbologyLengths DecodeLengthList(uint32_t lengthKind, const uint8_t* lengthList,
                                  uint32_t lengthCount) {
  if (lengthKind == kLengthKindMinimum) return minimumOf(lengthList[0]);
  if (lengthKind != kLengthKindDiscrete) return {AnyLength, 0, 0};

  const uint32_t used = lengthCount == 1 || lengthCount == 2 ? lengthCount : 3;
  uint8_t smallest = lengthList[0];
  uint8_t largest = lengthList[0];
  int distinct = 1;
  for (uint32_t i = 1; i < used; ++i) {
    bool seen = false;
    for (uint32_t j = 0; j < i; ++j) seen = seen || lengthList[j] == lengthList[i];
    if (!seen) ++distinct;
    if (lengthList[i] < smallest) smallest = lengthList[i];
    if (lengthList[i] > largest) largest = lengthList[i];
  }
  switch (distinct) {
    case 1:
      return {OneLength, smallest, 0};
    case 2:
      return {TwoLengths, largest, smallest};
    default:
      return {LengthRange, smallest, largest};
  }
}

LengthList EncodeLengthList(uint16_t mode, uint16_t first, uint16_t second) {
  switch (mode) {
    case OneLength:
      return {kLengthKindDiscrete, {lowByte(first), lowByte(first), lowByte(first)}, 3};
    case TwoLengths:
      return {kLengthKindDiscrete, {lowByte(first), lowByte(second), lowByte(second)}, 3};
    case LengthRange:
      return {kLengthKindMinimum, {lowByte(first), 0, 0}, 1};
    default:
      return {kLengthKindMinimum, {0, 0, 0}, 1};
  }
}

SymbologyLengths DecodeMinimumLength(uint32_t fieldValue) {
  return minimumOf(static_cast<uint8_t>(fieldValue & 0xFFu));
}

uint8_t EncodeMinimumLength(uint16_t mode, uint16_t first, uint16_t second) {
  switch (mode) {
    case OneLength:
      return lowByte(first);
    case TwoLengths:
    case LengthRange:
      return lowByte(first < second ? first : second);
    default:
      return 0;
  }
}

}  // namespace zorvan

// Big-endian field writers and readers for the records exchanged with the
// host (and read back by the tools and tests). Records are built byte by
// byte, never by casting structures.
#ifndef ZORVAN_COMMON_BYTE_ORDER_H
#define ZORVAN_COMMON_BYTE_ORDER_H

#include <stdint.h>

namespace zorvan {

inline void putBigEndian16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value >> 8);
  out[1] = static_cast<uint8_t>(value);
}

inline void putBigEndian32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value >> 24);
  out[1] = static_cast<uint8_t>(value >> 16);
  out[2] = static_cast<uint8_t>(value >> 8);
  out[3] = static_cast<uint8_t>(value);
}

inline uint16_t getBigEndian16(const uint8_t* in) {
  return static_cast<uint16_t>((in[0] << 8) | in[1]);
}

inline uint32_t getBigEndian32(const uint8_t* in) {
  return (static_cast<uint32_t>(in[0]) << 24) | (static_cast<uint32_t>(in[1]) << 16) |
         (static_cast<uint32_t>(in[2]) << 8) | in[3];
}

}  // namespace zorvan

#endif  // ZORVAN_COMMON_BYTE_ORDER_H

// Small text helpers shared by the virtual device libraries.
#ifndef VDEV_TEXT_H
#define VDEV_TEXT_H

#include <stddef.h>
#include <stdint.h>

#include "device/vendor_abi.h"

namespace vdev {

// Converts the zero-terminated UTF-16 text `in` (null reads as empty) to
// zero-terminated UTF-8 in out[0..size), cutting at a whole character. An
// unpaired surrogate becomes U+FFFD.
inline void Utf16ToUtf8(const VendorChar* in, char* out, size_t size) {
  size_t n = 0;
  for (; in != nullptr && *in != 0; ++in) {
    uint32_t c = static_cast<uint16_t>(*in);
    if (c >= 0xD800 && c <= 0xDBFF && in[1] >= 0xDC00 && in[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(in[1]) - 0xDC00);
      ++in;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    const size_t len = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (n + len >= size) break;
    if (len == 1) {
      out[n++] = static_cast<char>(c);
      continue;
    }
    static const uint8_t kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    out[n++] = static_cast<char>(kLead[len] | (c >> (6 * (len - 1))));
    for (size_t i = len - 1; i > 0; --i) {
      out[n++] = static_cast<char>(0x80 | ((c >> (6 * (i - 1))) & 0x3F));
    }
  }
  if (size > 0) out[n] = 0;
}

}  // namespace vdev

#endif  // VDEV_TEXT_H

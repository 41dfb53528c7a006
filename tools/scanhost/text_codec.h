// Text forms shared by the command line, call scripts and label files:
// integers, escaped bytes, and the escaped printing of label bytes.
#ifndef SCANHOST_TEXT_CODEC_H
#define SCANHOST_TEXT_CODEC_H

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace scanhost {

// Parses a whole text as an integer: optional sign, then decimal digits or
// 0x and hexadecimal digits. False when the text is anything else or the
// value lies outside [min, max].
bool parseInteger(const std::string& text, int64_t min, int64_t max, int64_t* value);

// Decodes the escapes \n \r \t \\ and \xHH (two hexadecimal digits); every
// other byte stands for itself. On a bad escape returns false and describes
// it in `error`, counting columns from `firstColumn` at the text's first byte.
bool decodeEscapes(const std::string& text, size_t firstColumn, std::string* bytes,
                   std::string* error);

// `bytes` in the escaped form above: printable ASCII as itself (the
// backslash doubled), \n \r \t, every other byte as \xHH.
std::string escaped(const uint8_t* bytes, size_t length);
inline std::string escaped(const std::string& bytes) {
  return escaped(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace scanhost

#endif  // SCANHOST_TEXT_CODEC_H

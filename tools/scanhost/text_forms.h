// The text forms scanhost reads and writes on the command line, in call
// scripts and in label files: integers, escaped bytes and label lines.
#ifndef SCANHOST_TEXT_FORMS_H
#define SCANHOST_TEXT_FORMS_H

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
// The two upper-case hexadecimal digits of `byte`.
std::string hex(uint8_t byte);

// Label files: one label a line, "<vendor symbology> <text>".
//
// The symbology is the driver's number for the label's barcode type (decimal
// or 0x hexadecimal, 32-bit signed). Exactly one space or tab follows it;
// everything after that blank up to the end of the line is the label, with
// the escapes above. A carriage return ending the line is dropped, so files
// with CR LF line ends read the same. Empty lines, lines of blanks and lines
// starting with # are skipped.

// The longest label the virtual device accepts.
constexpr size_t kMaxLabelBytes = 8192;

enum class LineKind { kLabel, kSkip, kMalformed };

struct LabelLine {
  int32_t symbology = 0;
  std::string bytes;
};

// Reads one line (without its line feed). For kMalformed, `error` says why.
LineKind parseLabelLine(const std::string& line, LabelLine* label, std::string* error);

}  // namespace scanhost

#endif  // SCANHOST_TEXT_FORMS_H

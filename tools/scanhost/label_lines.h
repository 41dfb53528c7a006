// Label files: one label a line, "<vendor symbology> <text>".
//
// The symbology is the driver's number for the label's barcode type (decimal
// or 0x hexadecimal, 32-bit signed). Exactly one space or tab follows it;
// everything after that blank up to the end of the line is the label, with
// the escapes \n \r \t \\ and \xHH. A carriage return ending the line is
// dropped, so files with CR LF line ends read the same. Empty lines, lines of
// blanks and lines starting with # are skipped.
#ifndef SCANHOST_LABEL_LINES_H
#define SCANHOST_LABEL_LINES_H

#include <stdint.h>

#include <string>

namespace scanhost {

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

#endif  // SCANHOST_LABEL_LINES_H

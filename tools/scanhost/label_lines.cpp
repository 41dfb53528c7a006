#include "label_lines.h"

#include <algorithm>

#include "text_codec.h"

namespace scanhost {

LineKind parseLabelLine(const std::string& rawLine, LabelLine* label, std::string* error) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\r') line.pop_back();

  const size_t firstVisible = line.find_first_not_of(" \t");
  if (firstVisible == std::string::npos || line[firstVisible] == '#') return LineKind::kSkip;
  if (firstVisible != 0) {
    *error = "starts with a blank; a line starts with the vendor symbology number";
    return LineKind::kMalformed;
  }

  const size_t blank = std::min(line.find_first_of(" \t"), line.size());
  const std::string number = line.substr(0, blank);
  int64_t symbology = 0;
  if (!parseInteger(number, INT32_MIN, INT32_MAX, &symbology)) {
    *error = "'" + number + "' is not a vendor symbology number (a 32-bit integer)";
  } else if (blank == line.size()) {
    *error = "no label after the symbology (write '<symbology> <text>')";
  } else if (decodeEscapes(line.substr(blank + 1), blank + 2, &label->bytes, error)) {
    if (label->bytes.size() <= kMaxLabelBytes) {
      label->symbology = static_cast<int32_t>(symbology);
      return LineKind::kLabel;
    }
    *error = "label of " + std::to_string(label->bytes.size()) +
             " bytes is longer than the virtual device takes (" + std::to_string(kMaxLabelBytes) +
             ")";
  }
  return LineKind::kMalformed;
}

}  // namespace scanhost

#include "label_lines.h"

#include "text_codec.h"

namespace scanhost {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

LineKind parseLabelLine(const std::string& rawLine, LabelLine* label, std::string* error) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\r') line.pop_back();

  size_t firstVisible = 0;
  while (firstVisible < line.size() && isBlank(line[firstVisible])) ++firstVisible;
  if (firstVisible == line.size() || line[firstVisible] == '#') return LineKind::kSkip;
  if (firstVisible != 0) {
    *error = "starts with a blank; a line starts with the vendor symbology number";
    return LineKind::kMalformed;
  }

  size_t blank = 0;
  while (blank < line.size() && !isBlank(line[blank])) ++blank;
  const std::string number = line.substr(0, blank);
  int64_t symbology = 0;
  if (!parseInteger(number, INT32_MIN, INT32_MAX, &symbology)) {
    *error = "'" + number + "' is not a vendor symbology number (a 32-bit integer)";
    return LineKind::kMalformed;
  }
  if (blank == line.size()) {
    *error = "no label after the symbology (write '<symbology> <text>')";
    return LineKind::kMalformed;
  }

  std::string escapeError;
  if (!decodeEscapes(line.substr(blank + 1), blank + 2, &label->bytes, &escapeError)) {
    *error = escapeError;
    return LineKind::kMalformed;
  }
  if (label->bytes.size() > kMaxLabelBytes) {
    *error = "label of " + std::to_string(label->bytes.size()) +
             " bytes is longer than the virtual device takes (" + std::to_string(kMaxLabelBytes) +
             ")";
    return LineKind::kMalformed;
  }
  label->symbology = static_cast<int32_t>(symbology);
  return LineKind::kLabel;
}

}  // namespace scanhost

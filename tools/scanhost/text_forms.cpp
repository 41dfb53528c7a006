#include "text_forms.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <iterator>

namespace scanhost {

namespace {

// Escapes with a letter of their own, and the bytes they stand for; every
// other escape is \xHH.
const char kEscapeLetters[] = {'n', 'r', 't', '\\'};
const char kEscapedBytes[] = {'\n', '\r', '\t', '\\'};

bool isHexDigit(char c) { return isxdigit(static_cast<unsigned char>(c)) != 0; }

// Says why in `error`; false, for the caller to return.
bool failure(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

}  // namespace

bool parseInteger(const std::string& text, int64_t min, int64_t max, int64_t* value) {
  // strtoll skips leading blanks and, in base 0, reads a leading 0 as octal:
  // neither is wanted, so the base is chosen here.
  if (text.empty() || isspace(static_cast<unsigned char>(text[0]))) return false;
  const size_t sign = text[0] == '-' || text[0] == '+' ? 1 : 0;
  const bool hexadecimal = text.compare(sign, 2, "0x") == 0 || text.compare(sign, 2, "0X") == 0;
  char* end = nullptr;
  const long long parsed = strtoll(text.c_str(), &end, hexadecimal ? 16 : 10);
  // Out of range, strtoll gives its own limits, which lie outside every range used here.
  if (end != text.c_str() + text.size() || parsed < min || parsed > max) return false;
  *value = parsed;
  return true;
}

bool decodeEscapes(const std::string& text, size_t firstColumn, std::string* bytes,
                   std::string* error) {
  bytes->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes->push_back(text[i]);
      continue;
    }
    const std::string where = " at column " + std::to_string(firstColumn + i);
    if (i + 1 == text.size())
      return failure(error, "lone backslash" + where + " (write \\\\ for a backslash)");
    const char letter = text[++i];
    const char* named = std::find(std::begin(kEscapeLetters), std::end(kEscapeLetters), letter);
    if (named != std::end(kEscapeLetters)) {
      bytes->push_back(kEscapedBytes[named - kEscapeLetters]);
    } else if (letter == 'x' && i + 2 < text.size() && isHexDigit(text[i + 1]) &&
               isHexDigit(text[i + 2])) {
      bytes->push_back(static_cast<char>(strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16)));
      i += 2;
    } else {
      return failure(error, letter == 'x' ? "\\x" + where + " needs two hexadecimal digits"
                                          : std::string("unknown escape \\") + letter + where +
                                                " (known: \\n \\r \\t \\\\ \\xHH)");
    }
  }
  return true;
}

std::string escaped(const uint8_t* bytes, size_t length) {
  std::string out;
  for (const uint8_t* byte = bytes; byte != bytes + length; ++byte) {
    const char c = static_cast<char>(*byte);
    const char* named = std::find(std::begin(kEscapedBytes), std::end(kEscapedBytes), c);
    if (named != std::end(kEscapedBytes)) {
      out += {'\\', kEscapeLetters[named - kEscapedBytes]};
    } else if (*byte >= 0x20 && *byte < 0x7F) {
      out += c;
    } else {
      out += "\\x" + hex(*byte);
    }
  }
  return out;
}

std::string hex(uint8_t byte) {
  char digits[3];
  snprintf(digits, sizeof digits, "%02X", byte);
  return digits;
}

LineKind parseLabelLine(const std::string& rawLine, LabelLine* label, std::string* error) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\r') line.pop_back();

  const size_t firstVisible = line.find_first_not_of(" \t");
  if (firstVisible == std::string::npos || line[firstVisible] == '#') return LineKind::kSkip;

  const size_t blank = std::min(line.find_first_of(" \t"), line.size());
  const std::string number = line.substr(0, blank);
  int64_t symbology = 0;
  if (firstVisible != 0) {
    *error = "starts with a blank; a line starts with the vendor symbology number";
  } else if (!parseInteger(number, INT32_MIN, INT32_MAX, &symbology)) {
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

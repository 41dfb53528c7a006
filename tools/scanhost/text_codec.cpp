#include "text_codec.h"

namespace scanhost {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Escapes with a letter of their own; every other escape is \xHH.
struct NamedEscape {
  char letter;
  uint8_t byte;
};
const NamedEscape kNamedEscapes[] = {
    {'n', '\n'},
    {'r', '\r'},
    {'t', '\t'},
    {'\\', '\\'},
};

}  // namespace

bool parseInteger(const std::string& text, int64_t min, int64_t max, int64_t* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return false;
  // Digits accumulate as a magnitude; anything past 2^40 is out of every range used here.
  const uint64_t kCeiling = uint64_t{1} << 40;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = hexDigit(text[i]);
    if (digit < 0 || digit >= base) return false;
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (magnitude > kCeiling) return false;
  }
  const int64_t result =
      negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (result < min || result > max) return false;
  *value = result;
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
    const size_t column = firstColumn + i;
    if (i + 1 == text.size()) {
      *error =
          "lone backslash at column " + std::to_string(column) + " (write \\\\ for a backslash)";
      return false;
    }
    const char letter = text[i + 1];
    bool named = false;
    for (const NamedEscape& escape : kNamedEscapes) {
      if (escape.letter == letter) {
        bytes->push_back(static_cast<char>(escape.byte));
        named = true;
      }
    }
    if (named) {
      ++i;
      continue;
    }
    if (letter == 'x') {
      const int high = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
      const int low = i + 3 < text.size() ? hexDigit(text[i + 3]) : -1;
      if (high < 0 || low < 0) {
        *error = "\\x at column " + std::to_string(column) + " needs two hexadecimal digits";
        return false;
      }
      bytes->push_back(static_cast<char>(high * 16 + low));
      i += 3;
      continue;
    }
    *error = std::string("unknown escape \\") + letter + " at column " + std::to_string(column) +
             " (known: \\n \\r \\t \\\\ \\xHH)";
    return false;
  }
  return true;
}

void appendEscaped(std::string* out, const uint8_t* bytes, size_t length) {
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < length; ++i) {
    const uint8_t byte = bytes[i];
    bool named = false;
    for (const NamedEscape& escape : kNamedEscapes) {
      if (escape.byte == byte) {
        out->push_back('\\');
        out->push_back(escape.letter);
        named = true;
      }
    }
    if (named) continue;
    if (byte >= 0x20 && byte < 0x7F) {
      out->push_back(static_cast<char>(byte));
    } else {
      out->append("\\x");
      out->push_back(kHex[byte >> 4]);
      out->push_back(kHex[byte & 0x0F]);
    }
  }
}

std::string escaped(const uint8_t* bytes, size_t length) {
  std::string out;
  appendEscaped(&out, bytes, length);
  return out;
}

}  // namespace scanhost

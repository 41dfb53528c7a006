#include "control_protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace vdev {
namespace control {

namespace {

constexpr ArgKind N = ArgKind::kNumber;
constexpr ArgKind F = ArgKind::kFunction;
constexpr ArgKind R = ArgKind::kReport;
constexpr ArgKind G = ArgKind::kGroup;
constexpr ArgKind A = ArgKind::kAccess;
constexpr ArgKind T = ArgKind::kText;
constexpr ArgKind _ = ArgKind::kNone;

// What a cancelled read returns (VDEV_READ_CANCELLED), release's default.
constexpr int32_t kCancelled = static_cast<int32_t>(0xC1600147u);

// A word quoted in an error, cut so the error stays a short line.
std::string Quoted(const char* word, size_t length) {
  constexpr size_t kShown = 40;
  return "'" + std::string(word, length < kShown ? length : kShown) +
         (length > kShown ? "...'" : "'");
}

bool ParseNumber(const char* word, size_t length, int32_t* value) {
  if (length == 0 || length > 11) return false;
  char digits[12];
  memcpy(digits, word, length);
  digits[length] = 0;
  const bool negative = digits[0] == '-';
  const char* start = digits + (negative ? 1 : 0);
  const bool hex = start[0] == '0' && (start[1] == 'x' || start[1] == 'X');
  const char* first = start + (hex ? 2 : 0);
  if (*first == 0 ||
      strspn(first, hex ? "0123456789abcdefABCDEF" : "0123456789") != strlen(first)) {
    return false;
  }
  const unsigned long long magnitude = strtoull(first, nullptr, hex ? 16 : 10);
  if (negative ? magnitude > 0x80000000ull : magnitude > 0xFFFFFFFFull) return false;
  const uint32_t bits = static_cast<uint32_t>(negative ? 0 - magnitude : magnitude);
  *value = static_cast<int32_t>(bits);
  return true;
}

bool ParseWord(ArgKind kind, const char* word, size_t length, int32_t* value) {
  const std::string text(word, length);
  switch (kind) {
    case ArgKind::kNumber:
      return ParseNumber(word, length, value);
    case ArgKind::kFunction:
      for (int i = 0; i < kDriverFunctionCount; ++i) {
        if (text == kDriverFunctions[i]) return *value = i, true;
      }
      return false;
    case ArgKind::kReport: {
      static const char* const kReports[] = {"actual", "off", "on"};  // -1, 0, 1
      for (int i = 0; i < 3; ++i) {
        if (text == kReports[i]) return *value = i - 1, true;
      }
      return false;
    }
    case ArgKind::kGroup:
      if (length != 1 || word[0] < 'A' || word[0] > 'J') return false;
      return *value = word[0] - 'A', true;
    case ArgKind::kAccess:
      if (text != "get" && text != "set") return false;
      return *value = text == "set", true;
    default:
      return false;
  }
}

const char* KindName(ArgKind kind) {
  switch (kind) {
    case ArgKind::kNumber:
      return "a number";
    case ArgKind::kFunction:
      return "a driver function (open close set-enable get-enable set-trigger set-read-led "
             "cancel-read sync-read)";
    case ArgKind::kReport:
      return "on, off or actual";
    case ArgKind::kGroup:
      return "a group A to J";
    case ArgKind::kAccess:
      return "get or set";
    default:
      return "nothing";
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

// clang-format off
const CommandSpec kCommands[kCommandCount] = {
    {"scan",             CommandId::kScan,             2, {N, T, _}, {0, 0, 0},
     "SYMBOLOGY TEXT", "queue a label of the driver's symbology number, as if scanned"},
    {"scan-reported",    CommandId::kScanReported,     3, {N, N, T}, {0, 0, 0},
     "SYMBOLOGY LENGTH TEXT", "the same, but the read reports LENGTH bytes whatever it copied"},
    {"fail",             CommandId::kFail,             1, {N, N, _}, {0, 1, 0},
     "RESULT [TIMES]", "TIMES reads (default 1, -1 until cleared), a blocked one first, return RESULT"},
    {"inject",           CommandId::kInject,           2, {F, N, N}, {0, 0, 1},
     "FUNCTION RESULT [TIMES]", "the next TIMES calls of a driver function return RESULT"},
    {"clear",            CommandId::kClear,            0, {_, _, _}, {0, 0, 0},
     "", "drop every injected result and failure"},
    {"stick",            CommandId::kStick,            0, {_, _, _}, {0, 0, 0},
     "", "reads ignore the cancel and the close: a stuck driver"},
    {"release",          CommandId::kRelease,          0, {N, _, _}, {kCancelled, 0, 0},
     "[RESULT]", "end every blocked read with RESULT (default 0xC1600147) and honour the cancel"},
    {"report-enable",    CommandId::kReportEnable,     1, {R, _, _}, {0, 0, 0},
     "on|off|actual", "what ITCSCAN_GetScannerEnable reports"},
    {"config-fail",      CommandId::kConfigFail,       3, {G, A, N}, {0, 0, 0},
     "GROUP get|set RESULT", "the group's DeviceConfig get or set returns RESULT (negative; 0 works again)"},
    {"config-open-fail", CommandId::kConfigOpenFail,   1, {N, _, _}, {0, 0, 0},
     "RESULT", "ITCDeviceOpen returns RESULT (negative; 0 opens again)"},
    {"settings-fail",    CommandId::kSettingsFail,     1, {N, _, _}, {0, 0, 0},
     "RESULT", "ITCSSSetW returns RESULT (negative; 0 works again)"},
    {"state",            CommandId::kState,            0, {_, _, _}, {0, 0, 0},
     "", "the driver, the configuration groups, the settings service, the last labels"},
    {"log",              CommandId::kLog,              0, {N, _, _}, {0, 0, 0},
     "[FROM]", "the configuration call log from entry FROM on"},
    {"watch",            CommandId::kWatch,            0, {_, _, _}, {0, 0, 0},
     "", "follow the driver's state and the call log as they change, until the client leaves"},
    {"help",             CommandId::kHelp,             0, {_, _, _}, {0, 0, 0},
     "", "these lines"},
};
// clang-format on
static_assert(sizeof kCommands / sizeof kCommands[0] == static_cast<size_t>(CommandId::kCount),
              "one row a command, in CommandId order");

const char* const kDriverFunctions[kDriverFunctionCount] = {
    "open",        "close",        "set-enable",  "get-enable",
    "set-trigger", "set-read-led", "cancel-read", "sync-read"};
static_assert(sizeof kDriverFunctions / sizeof kDriverFunctions[0] == kDriverFunctionCount,
              "the driver's eight entry points");

bool DecodeText(const char* text, size_t length, std::string* out, std::string* error) {
  out->clear();
  for (size_t i = 0; i < length; ++i) {
    if (text[i] != '\\') {
      out->push_back(text[i]);
      continue;
    }
    const char next = i + 1 < length ? text[i + 1] : 0;
    static const char kSimple[][2] = {{'n', '\n'}, {'r', '\r'}, {'t', '\t'}, {'\\', '\\'}};
    bool simple = false;
    for (const auto& escape : kSimple) {
      if (next == escape[0]) {
        out->push_back(escape[1]);
        simple = true;
      }
    }
    if (simple) {
      ++i;
      continue;
    }
    const int high = next == 'x' && i + 2 < length ? HexDigit(text[i + 2]) : -1;
    const int low = high >= 0 && i + 3 < length ? HexDigit(text[i + 3]) : -1;
    if (low < 0) {
      *error = "malformed escape at byte " + std::to_string(i + 1) +
               " of the text (\\n \\r \\t \\\\ \\xHH)";
      return false;
    }
    out->push_back(static_cast<char>(high << 4 | low));
    i += 3;
  }
  return true;
}

std::string EncodeText(const uint8_t* bytes, size_t length) {
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = bytes[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char escape[5];
      snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    }
  }
  return out;
}

Parsed ParseLine(const char* line, size_t length, Command* command, std::string* error) {
  if (length > 0 && line[length - 1] == '\r') --length;
  if (length > kMaxLine) {
    *error = "line longer than " + std::to_string(kMaxLine) + " bytes";
    return Parsed::kBad;
  }
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = static_cast<uint8_t>(line[i]);
    if ((c < 0x20 && c != '\t') || c == 0x7F) {
      char why[64];
      snprintf(why, sizeof why, "control byte 0x%02X at byte %zu; write it as an escape", c, i + 1);
      *error = why;
      return Parsed::kNotText;
    }
  }
  const char* end = line + length;
  const char* word = line;
  const char* space = static_cast<const char*>(memchr(word, ' ', length));
  const char* wordEnd = space != nullptr ? space : end;
  const std::string name(word, wordEnd);
  const CommandSpec* entry = nullptr;
  for (const CommandSpec& candidate : kCommands) {
    if (name == candidate.name) entry = &candidate;
  }
  if (entry == nullptr) {
    *error = name.empty() ? "empty command (help lists them)"
                          : "unknown command " + Quoted(word, name.size()) + " (help lists them)";
    return Parsed::kBad;
  }
  const std::string usage = std::string(entry->name) + (*entry->usage ? " " : "") + entry->usage;
  *command = Command{};
  command->id = entry->id;
  int given = 0;
  int numbers = 0;
  for (int at = 0; at < kMaxArgs && entry->args[at] != ArgKind::kNone; ++at) {
    const ArgKind kind = entry->args[at];
    if (wordEnd == end) {
      if (at < entry->required) {
        *error = "too few arguments: " + usage;
        return Parsed::kBad;
      }
      command->numbers[numbers++] = entry->defaults[at];
      continue;
    }
    word = wordEnd + 1;
    ++given;
    if (kind == ArgKind::kText) {
      wordEnd = end;
      if (!DecodeText(word, static_cast<size_t>(end - word), &command->text, error)) {
        return Parsed::kBad;
      }
      continue;
    }
    space = static_cast<const char*>(memchr(word, ' ', static_cast<size_t>(end - word)));
    wordEnd = space != nullptr ? space : end;
    const size_t wordLength = static_cast<size_t>(wordEnd - word);
    if (!ParseWord(kind, word, wordLength, &command->numbers[numbers])) {
      *error = "argument " + std::to_string(given) + " " + Quoted(word, wordLength) + " is not " +
               KindName(kind) + ": " + usage;
      return Parsed::kBad;
    }
    ++numbers;
  }
  if (wordEnd != end) {
    *error = "too many arguments: " + usage;
    return Parsed::kBad;
  }
  return Parsed::kCommand;
}

}  // namespace control
}  // namespace vdev

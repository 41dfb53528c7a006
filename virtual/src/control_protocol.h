// The control endpoint's language: one command a line, words separated by
// single spaces, the label text last with the escapes of scanhost's label
// files. The commands are one table (name, arguments, help); one parser
// walks it. Nothing here touches the device: the parser only turns a line
// into a Command or says why it cannot.
#ifndef VDEV_CONTROL_PROTOCOL_H
#define VDEV_CONTROL_PROTOCOL_H

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace vdev {
namespace control {

// Longest line taken, the line feed not counted: the largest label with
// every byte escaped, and room for the words before it.
constexpr size_t kMaxLine = 4 * 8192 + 64;

enum class CommandId : uint8_t {
  kScan,
  kScanReported,
  kFail,
  kInject,
  kClear,
  kStick,
  kRelease,
  kReportEnable,
  kConfigFail,
  kConfigOpenFail,
  kSettingsFail,
  kState,
  kLog,
  kWatch,
  kHelp,
  kCount
};

// What a command's argument is.
enum class ArgKind : uint8_t {
  kNone,
  kNumber,    // decimal or 0x hexadecimal, -2147483648 to 4294967295, kept as 32 bits
  kFunction,  // a driver entry point: open, close, set-enable, ... (kDriverFunctions)
  kReport,    // on, off or actual: 1, 0, -1
  kGroup,     // a DeviceConfig group, A to J: 0 to 9 (vdev_group)
  kAccess,    // get or set: 0, 1
  kText,      // the rest of the line, escapes decoded
};

constexpr int kMaxArgs = 3;

struct CommandSpec {
  const char* name;
  CommandId id;
  uint8_t required;        // arguments that must be given; the rest take `defaults`
  ArgKind args[kMaxArgs];  // kNone past the last
  int32_t defaults[kMaxArgs];
  const char* usage;  // the arguments, for help and errors
  const char* help;
};

// Sorted as help lists them; indexed by CommandId.
constexpr int kCommandCount = static_cast<int>(CommandId::kCount);
extern const CommandSpec kCommands[kCommandCount];

// The driver entry points as `inject` names them, in vdev_scan_function order.

constexpr int kDriverFunctionCount = 8;
extern const char* const kDriverFunctions[kDriverFunctionCount];

struct Command {
  CommandId id = CommandId::kHelp;
  int32_t numbers[kMaxArgs] = {};  // the non-text arguments, in order
  std::string text;                // a kText argument, decoded
};

enum class Parsed : uint8_t {
  kCommand,  // `command` holds it
  kBad,      // not a command; `error` says why
  kNotText,  // control bytes: not a line of text at all
};

// Reads one line (no line feed; a carriage return at its end is dropped).
Parsed ParseLine(const char* line, size_t length, Command* command, std::string* error);

// The escapes of label files: \n \r \t \\ \xHH; any other byte stands for
// itself. False, with the reason in `error`, for a malformed escape.
bool DecodeText(const char* text, size_t length, std::string* out, std::string* error);
// Bytes as a line can carry them back: printable ASCII as it is (but the
// backslash), everything else escaped as DecodeText reads it.
std::string EncodeText(const uint8_t* bytes, size_t length);

}  // namespace control
}  // namespace vdev

#endif  // VDEV_CONTROL_PROTOCOL_H

// What scanhost accepts for each kind of argument and how it reads each kind
// of result. The operation table names these for its rows.
#ifndef SCANHOST_CALL_KINDS_H
#define SCANHOST_CALL_KINDS_H

#include <stdint.h>

#include <optional>

namespace scanhost {

struct ArgKind {
  const char* listing;               // in `ops`
  int64_t min, max;                  // the range of a number
  std::optional<int64_t> byDefault;  // when the argument may be left out
  const char* expected;              // in error messages
};

struct ResultKind {
  const char* listing;  // in `ops`, with what else the call does
  bool namesOk;         // a status: 0 is ResultOk rather than a value
  bool namesFailures;   // -2 and -4 are statuses rather than values
};

// The host's buffers for the character-buffer operations and ReadLabel.
constexpr int kTextBufferSize = 256;
constexpr int kLabelBufferSize = 4096;

inline constexpr ArgKind kInt32{"int32", INT32_MIN, UINT32_MAX, std::nullopt, "a 32-bit integer"};
// The plug-in takes it unsigned; written signed or unsigned like kInt32.
inline constexpr ArgKind kUnsigned32{"uint32", INT32_MIN, UINT32_MAX, std::nullopt,
                                     "a 32-bit integer"};
inline constexpr ArgKind kUnsigned16{"uint16", INT16_MIN, UINT16_MAX, std::nullopt,
                                     "a 16-bit integer (-32768..65535)"};
// A number, one character, or an escape.
inline constexpr ArgKind kByte{
    "byte", INT8_MIN, UINT8_MAX, std::nullopt,
    "a byte: a number -128..255, one character, or one of \\n \\r \\t \\\\ \\xHH"};
// on or off: register the host's callback or an empty one.
inline constexpr ArgKind kSwitch{"on|off", 0, 1, std::nullopt, "on or off"};
// The size handed with a character buffer, and ReadLabel's maximum count:
// at most what the host's buffer holds.
inline constexpr ArgKind kBufferSize{"int32", INT32_MIN, kTextBufferSize, 64,
                                     "a 32-bit integer of at most 256 (the host's buffer)"};
inline constexpr ArgKind kLabelCount{"int32", INT32_MIN, kLabelBufferSize - 1, 4095,
                                     "a 32-bit integer of at most 4095 (the host's buffer)"};
// PushLabel's symbology and label, escaped as in label files.
inline constexpr ArgKind kSymbology{"int32", INT32_MIN, INT32_MAX, std::nullopt,
                                    "a 32-bit integer"};
inline constexpr ArgKind kLabelText{"text", 0, 0, std::nullopt, "text"};

// The callback registrations, the destructor and the host's own calls.
inline constexpr ResultKind kNoValue{"none", false, false};
// ResultOk, ResultUnsupported or ResultRejected.
inline constexpr ResultKind kStatus{"status", true, true};
// A status, from an operation that plays a tone pattern in the calling thread.
inline constexpr ResultKind kPatternStatus{"status, plays tones", true, true};
inline constexpr ResultKind kValue{"value", false, false};
inline constexpr ResultKind kFlag{"flag", false, false};
inline constexpr ResultKind kFlagOrStatus{"flag or status", false, true};
inline constexpr ResultKind kValueOrStatus{"value or status", false, true};
inline constexpr ResultKind kStateOrStatus{"state or status", false, true};

}  // namespace scanhost

#endif  // SCANHOST_CALL_KINDS_H

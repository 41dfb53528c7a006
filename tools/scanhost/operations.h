// What scanhost reads and writes: the text forms of the command line, call
// scripts and label files (integers, escaped bytes, label lines), and the 91
// operations of ScannerInterface1 as one table (name, position in the
// interface, arguments, result and how to call it; beside them the host's
// own two calls). The table drives call mode, argument checking and the
// `ops` listing.
#ifndef SCANHOST_OPERATIONS_H
#define SCANHOST_OPERATIONS_H

#include <stddef.h>
#include <stdint.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/status_names.h"
#include "scanner_interface1.h"

namespace scanhost {

// ---- Text forms ------------------------------------------------------------------

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

// ---- Operations and calls ----------------------------------------------------------

constexpr int kMaxArgs = 4;
constexpr int kOperationCount = 91;
// How long a pushed label may take to be read and handled.
constexpr uint32_t kLabelTimeoutMs = 5000;

// The object being driven and the callbacks the host registers on it.
struct Session {
  NewScannerFunction newScanner = nullptr;
  ScannerInterface1* scanner = nullptr;
  // The virtual device's control functions PushLabel needs; null without it.
  int32_t (*pushLabel)(int32_t symbology, const uint8_t* data, uint32_t length) = nullptr;
  int32_t (*waitIdle)(uint32_t timeoutMs) = nullptr;
  int32_t (*scannerEnabled)() = nullptr;
  EventQueueCallback eventCallback = nullptr;
  DebugMessageCallback debugCallback = nullptr;
  PlayToneCallback toneCallback = nullptr;
};

struct CallResult {
  int16_t value = 0;
  // The out-values in the order of the operation's `outputs`: the first
  // `numbers` of them here, then text or label bytes in `outBytes`.
  int64_t outValues[kMaxArgs] = {};
  int numbers = 0;
  std::string outBytes;
  std::string hostResult;  // what NewScanner or PushLabel did
  std::string fault;       // what the plug-in did wrong with the host's memory, if anything
  std::string notCalled;   // why the call could not be made, if it could not
};

struct ArgKind;     // what the command line may give for an argument
struct ResultKind;  // what the 16-bit result means
struct Call;

struct Operation {
  const char* name;
  int position;                                // in the interface; -1 for the host's own calls
  const ResultKind* result;                    // and what else the call does
  std::array<const ArgKind*, kMaxArgs> kinds;  // of the arguments
  std::array<const char*, kMaxArgs> args;      // the arguments' names
  std::array<const char*, kMaxArgs> outputs;   // the out-values' names
  // Makes the call; `result->notCalled` says why when it could not be made.
  void (*invoke)(Session& session, const Call& call, CallResult* result);
};

// One call, ready to run.
struct Call {
  const Operation* operation = nullptr;
  int64_t args[kMaxArgs] = {};
  std::string label;                  // PushLabel's label bytes
  std::vector<std::string> argTexts;  // as written, defaults filled in
};

// Reads calls from `words`: an operation name followed by its arguments,
// then the next call. Beside the 91 operations there are NewScanner (a fresh
// object after Destructor) and PushLabel (a label scanned on the virtual
// device). Returns false with a one-line explanation on the first unknown
// name, missing or surplus argument, or argument of the wrong kind.
bool parseCalls(const std::vector<std::string>& words, std::vector<Call>* calls,
                std::string* error);
// A call of `name` with `args`; those left out take their default, or 0.
Call makeCall(const char* name, std::initializer_list<int64_t> args = {});
// Sets argument `index` of `call` from what a person wrote; false with a
// one-line explanation when the text is no such argument.
bool setArgument(Call* call, int index, const std::string& text, std::string* error);

// Whether the operation plays a tone pattern in the calling thread.
bool playsPattern(const Operation& operation);
// "Name arg arg" as the call was written.
std::string describeCall(const Call& call);
// " -> value StatusName outputs" for a finished call.
std::string describeResult(const Call& call, const CallResult& result);
// Status names come from the plug-in's own table.
using zorvan::statusName;

// The `ops` listing.
std::string listOperations();
// The listing's header and the rows of the operations `names` (the host's
// own two calls among them); false with a one-line explanation for a name
// that is none.
bool listOperations(const std::vector<std::string>& names, std::string* text, std::string* error);

}  // namespace scanhost

#endif  // SCANHOST_OPERATIONS_H

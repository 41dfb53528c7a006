// The 91 operations of ScannerInterface1 as one table: name, position in the
// interface, arguments, result and how to call it. The table drives call
// mode, argument checking and the `ops` listing.
#ifndef SCANHOST_OPERATIONS_H
#define SCANHOST_OPERATIONS_H

#include <stdint.h>

#include <string>
#include <vector>

#include "scanner_interface1.h"

namespace scanhost {

// What the command line may give for one argument.
enum class ArgKind : uint8_t {
  kInt32,       // 32-bit, written signed or unsigned
  kUnsigned32,  // 32-bit, written signed or unsigned; the plug-in takes it unsigned
  kUnsigned16,  // 16-bit, written signed or unsigned
  kByte,        // a number -128..255, one character, or an escape
  kSwitch,      // on or off: register the host's callback or an empty one
  kBufferSize,  // size handed with a character buffer, at most the host's 256 bytes
  kLabelCount,  // ReadLabel's maximum count, at most what the host's buffer holds
};

// What the 16-bit result means.
enum class ResultKind : uint8_t {
  kNone,           // the callback registrations and the destructor
  kStatus,         // ResultOk, ResultUnsupported or ResultRejected
  kValue,          // a number
  kFlag,           // 0 or 1
  kFlagOrStatus,   // 0 or 1, or a failure status
  kValueOrStatus,  // a number, or ResultUnsupported
  kStateOrStatus,  // a small number, or a failure status
};

constexpr int kMaxArgs = 4;
constexpr int kOperationCount = 91;
// The host's buffers for the character-buffer operations and ReadLabel.
constexpr int kTextBufferSize = 256;
constexpr int kLabelBufferSize = 4096;

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
  bool hasValue = false;
  int16_t value = 0;
  std::string outputs;  // " name=value" for every out-value
  // The out-values again, for the host's own use, in the order of the
  // operation's `outputs`; text or label bytes in `outBytes`.
  int64_t outValues[kMaxArgs] = {};
  std::string outBytes;
  std::string fault;  // what the plug-in did wrong with the host's memory, if anything
};

using Invoker = void (*)(Session& session, const int64_t* args, CallResult* result);

struct ArgKinds {
  ArgKind kind[kMaxArgs];
  int count;
};

struct Operation {
  const char* name;
  int position;
  ResultKind result;
  bool playsPattern;      // plays a tone pattern in the calling thread
  const char* arguments;  // one name an argument; "name=default" for an optional last one
  const char* outputs;    // names of the out-values, or ""
  ArgKinds kinds;
  Invoker invoke;
};

// The table, in interface order: kOperations[i].position == i.
const Operation* operations();
const Operation* findOperation(const std::string& name);
// An operation whose name differs from `name` only in letter case, or null.
const Operation* findOperationIgnoringCase(const std::string& name);

// Two calls beside the 91 operations: the plug-in's export NewScanner, for a
// fresh object after Destructor, and PushLabel, which hands a label to the
// virtual device as if it had been scanned.
enum class HostCall { kOperation, kNewScanner, kPushLabel };

// One parsed call, ready to run.
struct Call {
  HostCall kind = HostCall::kOperation;
  const Operation* operation = nullptr;  // for kOperation
  int64_t args[kMaxArgs] = {};
  std::string label;                  // PushLabel's label bytes
  std::vector<std::string> argTexts;  // as written, defaults filled in
};

// Reads calls from `tokens`: an operation name followed by its arguments,
// then the next call. Returns false with a one-line explanation on the first
// unknown name, missing or surplus argument, or argument of the wrong kind.
bool parseCalls(const std::vector<std::string>& tokens, std::vector<Call>* calls,
                std::string* error);

// "Name arg arg" as the call was written.
std::string describeCall(const Call& call);
// " -> value StatusName outputs" for a finished call.
std::string describeResult(const Operation& operation, const CallResult& result);
// The status name of `value` (ResultOk, ResultUnsupported, ResultRejected), or null.
const char* statusName(int16_t value);

// The `ops` listing.
void listOperations(std::string* out);

}  // namespace scanhost

#endif  // SCANHOST_OPERATIONS_H

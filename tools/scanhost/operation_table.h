// The 91 operations of ScannerInterface1 as one table, a row per position:
// its name; how scanhost calls it (argument kinds and names, out-values,
// what the result means); the host's reference for it (what each argument
// accepts, when a change takes effect, the answers on an opened object and on
// the two kinds of half-open object, what it does with out-values and null
// pointers); every answer it may give; and calls on a new object with their
// exact answers. Call mode, `ops`, the guide's reference, the operation fuzzer
// and the checks on the test hosts all read this table.
#ifndef SCANHOST_OPERATION_TABLE_H
#define SCANHOST_OPERATION_TABLE_H

#include <stdint.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "scanner_interface1.h"
#include "settings/setting_table.h"

namespace scanhost {

constexpr int kMaxArgs = 4;
constexpr int kOperationCount = 91;

// ---- Calling -------------------------------------------------------------------

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

// ---- The reference ---------------------------------------------------------------

// What an object could open when it was made.
enum ObjectState {
  kOpened,          // the driver and DeviceConfig
  kNoDriver,        // nothing: no vendor libraries, or the driver's open failed
  kNoDeviceConfig,  // the driver only: no device-configuration library, or its open failed
  kObjectStateCount
};

// When what a setter changes is seen.
enum class Effect : uint8_t {
  kNone,      // changes nothing the host can see later
  kPending,   // by the getters and the plug-in after ApplySettings
  kAtOnce,    // at once, in the object
  kOnDevice,  // at once, on the device (the object keeps no copy)
  kScanner,   // at once, in the scanner driver
};

// The texts of a row. Braced names ({levels}, {default StoredLevel1}, ...)
// are written out from the plug-in's own tables when rendered.
struct Reference {
  const char* arguments;  // what each argument accepts; null: none
  Effect effect;
  const char* opened;  // the answer on an opened object
  // The answers on half-open objects; null: as on an opened object.
  const char* noDriver;
  const char* noDeviceConfig;
  const char* outValues;  // out-values on failure, null pointers; null: no pointers
};

// Every result an operation may give, whatever its arguments, the object's
// state or the device's answers.
struct Answers {
  enum Kind : uint8_t {
    kNoResult,  // the callback registrations and the destructor
    kAnything,  // any 16-bit value
    kOneOf,     // one of `values`
    kSetting,   // 0 (defaults never applied) or a value `setting` takes
  };
  Kind kind = kNoResult;
  std::array<int16_t, 6> values{};
  uint8_t count = 0;
  zorvan::SettingId setting = zorvan::kSettingCount;

  bool allows(int16_t result) const;
  // "0, 1, -2" or "0, 1-100" as a person reads it.
  std::string describe() const;
};

// The out-values an example's call may write; filled with a known pattern
// before each call, so a test can see which the call touched.
struct Scratch {
  char text[64];
  uint8_t record[264];
  int16_t symbology;
  uint16_t mode, first, second;
  int8_t prefix, suffix1, suffix2;
};

// One call (or calls in a row, the answer of the last) on a new object over
// the virtual device at power-on, and its exact answer in each state.
struct Example {
  const char* call;  // as the guide shows it
  int16_t (*run)(ScannerInterface1& scanner, Scratch& out);
  int16_t answers[kObjectStateCount];
};

// ---- A row -------------------------------------------------------------------------

struct Operation {
  const char* name;
  int position;                                // in the interface; -1 for the host's own calls
  const ResultKind* result;                    // and what else the call does
  std::array<const ArgKind*, kMaxArgs> kinds;  // of the arguments
  std::array<const char*, kMaxArgs> args;      // the arguments' names
  std::array<const char*, kMaxArgs> outputs;   // the out-values' names
  // Makes the call; `result->notCalled` says why when it could not be made.
  void (*invoke)(Session& session, const Call& call, CallResult* result);
  Reference reference;
  Answers answers;
  std::vector<Example> examples;
};

// One call, ready to run.
struct Call {
  const Operation* operation = nullptr;
  int64_t args[kMaxArgs] = {};
  std::string label;                  // PushLabel's label bytes
  std::vector<std::string> argTexts;  // as written, defaults filled in
};

// The row of a position, 0-90.
const Operation& operationAt(int position);
// The 91 rows in position order, then the host's own two calls (NewScanner, a
// fresh object after Destructor; PushLabel, a label scanned on the virtual
// device).
const Operation* operationsBegin();
const Operation* operationsEnd();
// By exact name, the host's own calls included; null when there is none.
const Operation* findOperation(const std::string& name);

// How many arguments and out-values the operation has (names set up to the
// first null), and their names joined by spaces.
int argCount(const Operation& operation);
int outputCount(const Operation& operation);
std::string joinedNames(const std::array<const char*, kMaxArgs>& names);

// Whether the operation plays a tone pattern in the calling thread.
bool playsPattern(const Operation& operation);
// Whether a change the operation makes waits for ApplySettings.
inline bool pending(const Operation& operation) {
  return operation.reference.effect == Effect::kPending;
}

}  // namespace scanhost

#endif  // SCANHOST_OPERATION_TABLE_H

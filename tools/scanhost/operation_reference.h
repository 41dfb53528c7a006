// The host's reference for the 91 operations of ScannerInterface1: for each
// position its name, the arguments it takes and their valid values, when a
// change takes effect, what it answers on an opened object and on the two
// kinds of half-open object, and what it does with out-values and null
// pointers. Beside the prose, each row carries calls with their exact
// answers in the three states, made on a new object over the virtual device
// at power-on; the tests make those calls and compare. The host guide's
// reference section and the `ops` listing are both rendered from here.
#ifndef SCANHOST_OPERATION_REFERENCE_H
#define SCANHOST_OPERATION_REFERENCE_H

#include <stdint.h>

#include <string>
#include <vector>

#include "scanner_interface1.h"

namespace scanhost {

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

// The out-values an example's call may write; filled with a known pattern
// before each call, so a test can see which the call touched.
struct Scratch {
  char text[64];
  uint8_t record[264];
  int16_t symbology;
  uint16_t mode, first, second;
  int8_t prefix, suffix1, suffix2;
};

// One call on a new object and its exact answer in each state.
struct Example {
  int position;      // of the operation it shows
  const char* call;  // as the guide shows it
  int16_t (*run)(ScannerInterface1& scanner, Scratch& out);
  int16_t answers[kObjectStateCount];
};

struct OperationFacts {
  int position;
  const char* name;
  const char* arguments;  // what each argument accepts; null: none
  Effect effect;
  const char* opened;  // the answer on an opened object
  // The answers on half-open objects; null: as on an opened object.
  const char* noDriver;
  const char* noDeviceConfig;
  const char* outValues;  // out-values on failure, null pointers; null: no pointers
};

constexpr int kReferenceCount = 91;
// Indexed by position.
const OperationFacts& operationFacts(int position);

// Every example, sorted by position.
extern const Example kExamples[];
extern const int kExampleCount;

// Values an argument accepts, as the reference lists them.
struct ValueSet {
  const char* name;  // as the reference's texts name it: {symbology ids}
  std::vector<int32_t> values;
};
enum ValueSetId {
  kSymbologyIds,
  kLengthIds,
  kOptionIds,
  kOption2Ids,
  kOptionKinds,
  kDeviceOptionKinds,
  kDurationIds,
  kFrequencyIds,
  kLevels,
  kCodes,
  kSelectors,
  kSecondSelectors,
  kAffixModes,
  kValueSetCount
};
const ValueSet& valueSet(ValueSetId id);

// Symbology ids that share one enable field on the device, and so one
// enabled state; every other symbology id has a field of its own.
extern const std::vector<std::vector<int32_t>> kSharedEnableFields;

// The fixed texts of the three text operations.
extern const char kModelNameText[];
extern const char kInterfaceIdText[];

// The facts of one position as indented lines for `ops`.
std::string referenceLines(int position);
// The guide's reference section, Markdown, between its two marker lines.
std::string referenceSection();
extern const char kReferenceBeginMarker[];
extern const char kReferenceEndMarker[];

}  // namespace scanhost

#endif  // SCANHOST_OPERATION_REFERENCE_H

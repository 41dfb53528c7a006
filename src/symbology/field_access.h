// Reading and changing symbology fields of DeviceConfig groups through small
// data maps: a value map turns the fields read into a flag, a state or a
// status; an argument map turns a host argument into the bytes written. The
// symbology operations are rows of tables over these maps and share the
// routines below.
#ifndef ZORVAN_SYMBOLOGY_FIELD_ACCESS_H
#define ZORVAN_SYMBOLOGY_FIELD_ACCESS_H

#include <stddef.h>
#include <stdint.h>

#include "device/device_config.h"
#include "scanner_interface1.h"
#include "symbology/symbology_config.h"

namespace zorvan {

// Most fields one option spans (consecutive fields of one group).
constexpr int kMaxOptionFields = 3;

// Where an option lives: `count` consecutive fields from `field` on.
struct OptionField {
  Group group;
  uint8_t field;
  uint8_t count;
};

// How a rule tests a field value or an argument.
enum class Match : uint8_t {
  kEquals,   // equal to the rule's value
  kNonZero,  // anything but 0
  kAny,      // always
};

// Field value → result. The rule tests the field `offset` places after the
// option's first field.
struct ValueRule {
  uint8_t offset;
  Match match;
  uint32_t value;
  int16_t result;
};

// The first rule that holds gives the result; when none does, `otherwise`.
struct ValueMap {
  const ValueRule* rules;
  uint8_t ruleCount;
  int16_t otherwise;
};

// The object's variant flag that chooses between the two values of a pair.
enum class VariantFlag : uint8_t { kNone, kA, kE };

// Argument → the bytes written to the option's fields: `bytes` normally,
// `variantBytes` when the map's variant flag is set.
struct ArgumentRule {
  Match match;
  int32_t argument;
  uint8_t bytes[kMaxOptionFields];
  uint8_t variantBytes[kMaxOptionFields];
};

// The first rule that holds gives the bytes; when none does, the argument is
// answered with `refused` before any device call.
struct ArgumentMap {
  const ArgumentRule* rules;
  uint8_t ruleCount;
  VariantFlag variant;
  int16_t refused;
};

// A map over a whole rule array, its length counted by the compiler.
template <size_t N>
constexpr ValueMap valueMap(const ValueRule (&rules)[N], int16_t otherwise) {
  static_assert(N > 0 && N <= 255, "rule count fits a byte");
  return {rules, static_cast<uint8_t>(N), otherwise};
}
template <size_t N>
constexpr ArgumentMap argumentMap(const ArgumentRule (&rules)[N], VariantFlag variant,
                                  int16_t refused) {
  static_assert(N > 0 && N <= 255, "rule count fits a byte");
  return {rules, static_cast<uint8_t>(N), variant, refused};
}

// Maps shared by many operations: a field holding 1 reads as 1, anything else
// as 0; a non-zero argument writes 1, zero writes 0.
extern const ValueMap kOneIsOn;
extern const ArgumentMap kNonZeroIsOne;

// Pure: the result the map gives for the option's fields in `values`.
int16_t decodeOption(const OptionField& where, const ValueMap& map, const GroupValues& values);

// Pure: fill the option's fields of `change` for `argument`; ResultOk, or
// the map's `refused` status with `change` untouched.
int16_t encodeOption(const OptionField& where, const ArgumentMap& map, int32_t argument,
                     bool variantSet, GroupChange& change);

// Whether the object's variant flag is set (false for kNone).
bool variantIsSet(const SymbologyConfig& config, VariantFlag flag);
// Store a variant flag (nothing for kNone).
void storeVariant(SymbologyConfig& config, VariantFlag flag, bool set);

// Read a group: ResultOk with `values` filled; `failingGet` when the device
// refuses; ResultUnsupported, calling nothing, when the object holds no
// DeviceConfig.
int16_t queryGroup(SymbologyConfig& config, Group group, GroupValues& values, int16_t failingGet);

// Write a change: ResultOk; `failingSet` when the device refuses;
// ResultUnsupported, calling nothing, when the object holds no DeviceConfig.
int16_t changeGroup(SymbologyConfig& config, const GroupChange& change, int16_t failingSet);

// A whole get operation: read the option's group and decode the option.
int16_t readOption(SymbologyConfig& config, const OptionField& where, const ValueMap& map,
                   int16_t failingGet);

// A whole set operation: encode the argument (refused ones never reach the
// device) and write the option with NoChange in every other field.
int16_t writeOption(SymbologyConfig& config, const OptionField& where, const ArgumentMap& map,
                    int32_t argument, int16_t failingSet);

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_FIELD_ACCESS_H

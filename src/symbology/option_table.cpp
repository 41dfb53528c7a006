#include "symbology/option_table.h"

#include <string.h>

namespace zorvan {

namespace {

constexpr Match kEq = Match::kEquals;
constexpr Match kNonZero = Match::kNonZero;
constexpr Match kAny = Match::kAny;

// ---- Value maps: field value → result ----

// 0 means on (the field is written as 2 for off).
const ValueRule kZeroIsOnRules[] = {
    {0, kEq, 0, 1},
};
const ValueMap kZeroIsOn = valueMap(kZeroIsOnRules, 0);

const ValueRule kNonZeroIsOnRules[] = {
    {0, kNonZero, 0, 1},
};
const ValueMap kNonZeroIsOn = valueMap(kNonZeroIsOnRules, 0);

// 0 off; 1 or 2 mode 1; 3 or 4 mode 2.
const ValueRule kModeE1Rules[] = {
    {0, kEq, 0, 0},  //
    {0, kEq, 1, 1},  //
    {0, kEq, 2, 1},  //
    {0, kEq, 3, 2},  //
    {0, kEq, 4, 2},  //
};
const ValueMap kModeE1 = valueMap(kModeE1Rules, ResultRejected);

// The host and the device number states 1 and 2 the other way round.
const ValueRule kSwappedStateRules[] = {
    {0, kEq, 0, 0},  //
    {0, kEq, 1, 2},  //
    {0, kEq, 2, 1},  //
};
const ValueMap kSwappedState = valueMap(kSwappedStateRules, ResultUnsupported);

// Three fields, one state: (1, x, x) state 1; (0, 1, 1) or any other non-zero
// in the last two, state 2; (0, 0, 0) state 0.
const ValueRule kTripleStateRules[] = {
    {0, kEq, 1, 1},       //
    {1, kNonZero, 0, 2},  //
    {2, kNonZero, 0, 2},  //
};
const ValueMap kTripleState = valueMap(kTripleStateRules, 0);

// Bit 1 (value 2) of a two-bit field: on for 2 and 3, and for anything
// outside 0 to 3.
const ValueRule kBit1SetRules[] = {
    {0, kEq, 0, 0},  //
    {0, kEq, 1, 0},  //
};
const ValueMap kBit1Set = valueMap(kBit1SetRules, 1);

// Bit 0 (value 1) clear means on: 0 and 2.
const ValueRule kBit0ClearRules[] = {
    {0, kEq, 0, 1},  //
    {0, kEq, 2, 1},  //
};
const ValueMap kBit0Clear = valueMap(kBit0ClearRules, 0);

// 0 or 1 as they are; anything else is outside the encoding.
const ValueRule kZeroOrOneRules[] = {
    {0, kEq, 0, 0},  //
    {0, kEq, 1, 1},  //
};
const ValueMap kZeroOrOne = valueMap(kZeroOrOneRules, ResultUnsupported);

// ---- Argument maps: argument → bytes (normal, variant flag set) ----

const ArgumentRule kNonZeroIsZeroRules[] = {
    {kEq, 0, {2, 0, 0}, {2, 0, 0}},       //
    {kNonZero, 0, {0, 0, 0}, {0, 0, 0}},  //
};
const ArgumentMap kNonZeroIsZero =
    argumentMap(kNonZeroIsZeroRules, VariantFlag::kNone, ResultRejected);

// Switching the mode on writes the variant that variantFlagA chooses.
const ArgumentRule kModeA4ArgumentRules[] = {
    {kEq, 0, {0, 0, 0}, {0, 0, 0}},       //
    {kNonZero, 0, {2, 0, 0}, {1, 0, 0}},  //
};
const ArgumentMap kModeA4Argument =
    argumentMap(kModeA4ArgumentRules, VariantFlag::kA, ResultRejected);

const ArgumentRule kModeE1ArgumentRules[] = {
    {kEq, 0, {0, 0, 0}, {0, 0, 0}},  //
    {kEq, 1, {2, 0, 0}, {1, 0, 0}},  //
    {kEq, 2, {4, 0, 0}, {3, 0, 0}},  //
};
const ArgumentMap kModeE1Argument =
    argumentMap(kModeE1ArgumentRules, VariantFlag::kE, ResultRejected);

const ArgumentRule kSwappedStateArgumentRules[] = {
    {kEq, 0, {0, 0, 0}, {0, 0, 0}},  //
    {kEq, 1, {2, 0, 0}, {2, 0, 0}},  //
    {kEq, 2, {1, 0, 0}, {1, 0, 0}},  //
};
const ArgumentMap kSwappedStateArgument =
    argumentMap(kSwappedStateArgumentRules, VariantFlag::kNone, ResultRejected);

const ArgumentRule kTripleStateArgumentRules[] = {
    {kEq, 0, {0, 0, 0}, {0, 0, 0}},  //
    {kEq, 1, {1, 1, 1}, {1, 1, 1}},  //
    {kEq, 2, {0, 1, 1}, {0, 1, 1}},  //
};
const ArgumentMap kTripleStateArgument =
    argumentMap(kTripleStateArgumentRules, VariantFlag::kNone, ResultRejected);

// Only the value 1 switches on; every other value, 2 included, off.
const ArgumentRule kOnlyOneIsOnRules[] = {
    {kEq, 1, {1, 0, 0}, {1, 0, 0}},   //
    {kAny, 0, {0, 0, 0}, {0, 0, 0}},  //
};
const ArgumentMap kOnlyOneIsOn = argumentMap(kOnlyOneIsOnRules, VariantFlag::kNone, ResultRejected);

// 0 and 1 as they are; any other value is not a change the device can make.
const ArgumentRule kZeroOrOneArgumentRules[] = {
    {kEq, 0, {0, 0, 0}, {0, 0, 0}},  //
    {kEq, 1, {1, 0, 0}, {1, 0, 0}},  //
};
const ArgumentMap kZeroOrOneArgument =
    argumentMap(kZeroOrOneArgumentRules, VariantFlag::kNone, ResultUnsupported);

// ---- Read-modify-write changes ----

// GroupF field 1, bit 1.
const ReadModifyWrite kSwitchBit1 = {
    true, {{{0, 2}, {1, 3}}, 2}, {{{2, 0}, {3, 1}}, 2}, ResultUnsupported};
// GroupF field 1, bit 0 (set = the option off).
const ReadModifyWrite kSwitchBit0Clear = {
    false, {{{1, 0}, {3, 2}}, 2}, {{{0, 1}, {2, 3}}, 2}, ResultRejected};
// The variant of a mode that is on: on picks the odd value of the pair, off
// the even one.
const ReadModifyWrite kVariantOfThreeModes = {
    false, {{{2, 1}, {4, 3}, {6, 5}}, 3}, {{{1, 2}, {3, 4}, {5, 6}}, 3}, ResultRejected};
const ReadModifyWrite kVariantOfTwoModes = {
    false, {{{2, 1}, {4, 3}}, 2}, {{{1, 2}, {3, 4}}, 2}, ResultRejected};

const OptionField kF1Field = {Group::F, 1, 1};

bool findTransition(const TransitionSet& set, uint32_t current, uint8_t& next) {
  for (uint8_t i = 0; i < set.count; ++i) {
    if (set.pairs[i].from == current) {
      next = set.pairs[i].to;
      return true;
    }
  }
  return false;
}

// Hand back the length list just read, so the change leaves it as it is.
void keepLengthList(GroupChange& change, const GroupValues& values) {
  const int at = layoutOf(change.group).lengthListAt;
  if (at < 0) return;
  memcpy(change.lengthList, values.lengthList, kLengthListBytes);
  change.lengthCount = values.field[at + 2];
}

const SymbologyOptionEntry* findSymbologyOption(HostSymbologyId id) {
  for (int i = 0; i < kSymbologyOptionCount; ++i) {
    if (kSymbologyOptions[i].id == id) return &kSymbologyOptions[i];
  }
  return nullptr;
}

const SymbologyOption2Entry* findSymbologyOption2(HostSymbologyId id) {
  const VendorSymbologyId vendor = MapHostSymbology(id);
  for (int i = 0; i < kSymbologyOption2Count; ++i) {
    if (kSymbologyOptions2[i].vendor == vendor) return &kSymbologyOptions2[i];
  }
  return nullptr;
}

}  // namespace

// Indexed by PairedOption.
// clang-format off
const PairedOptionEntry kPairedOptions[] = {
    // option                group/field/count  get             set                     failing get        failing set
    {PairedOption::kB2,      {Group::B, 2, 1},  &kOneIsOn,      &kNonZeroIsOne,         ResultUnsupported, ResultRejected},
    {PairedOption::kA1,      {Group::A, 1, 1},  &kOneIsOn,      &kNonZeroIsOne,         ResultUnsupported, ResultRejected},
    {PairedOption::kB1,      {Group::B, 1, 1},  &kZeroIsOn,     &kNonZeroIsZero,        ResultUnsupported, ResultRejected},
    {PairedOption::kA4,      {Group::A, 4, 1},  &kNonZeroIsOn,  &kModeA4Argument,       ResultUnsupported, ResultRejected},
    {PairedOption::kE1,      {Group::E, 1, 1},  &kModeE1,       &kModeE1Argument,       ResultUnsupported, ResultUnsupported},
    {PairedOption::kJ,       {Group::J, 0, 1},  &kSwappedState, &kSwappedStateArgument, ResultUnsupported, ResultUnsupported},
    {PairedOption::kITriple, {Group::I, 5, 3},  &kTripleState,  &kTripleStateArgument,  ResultUnsupported, ResultUnsupported},
};
static_assert(sizeof kPairedOptions / sizeof kPairedOptions[0] == kPairedOptionCount,
              "one row for each entry");
// clang-format on

// Indexed by option kind.
const OptionKindEntry kOptionKinds[] = {
    {true, 15},  // kind 0
    {true, 15},  // kind 1
    {false, 0},  // kind 2
    {true, 16},  // kind 3
    {false, 0},  // kind 4
};
static_assert(sizeof kOptionKinds / sizeof kOptionKinds[0] == kOptionKindCount,
              "one row for each entry");

// Sorted by host value.
// clang-format off
const SymbologyOptionEntry kSymbologyOptions[] = {
    // id, flag              group/field/count   read         write           read-modify-write
    {0,  VariantFlag::kA,    {Group::A, 4, 1},   nullptr,     nullptr,        &kVariantOfThreeModes},
    {1,  VariantFlag::kNone, {Group::I, 8, 1},   &kOneIsOn,   &kOnlyOneIsOn,  nullptr},
    {2,  VariantFlag::kNone, {Group::I, 9, 1},   &kOneIsOn,   &kOnlyOneIsOn,  nullptr},
    {6,  VariantFlag::kE,    {Group::E, 1, 1},   nullptr,     nullptr,        &kVariantOfTwoModes},
    {11, VariantFlag::kNone, {Group::F, 1, 1},   &kBit0Clear, nullptr,        &kSwitchBit0Clear},
    {12, VariantFlag::kNone, {Group::I, 9, 1},   &kOneIsOn,   &kOnlyOneIsOn,  nullptr},
};
static_assert(sizeof kSymbologyOptions / sizeof kSymbologyOptions[0] == kSymbologyOptionCount,
              "one row for each entry");
// clang-format on

// Sorted by vendor number.
const SymbologyOption2Entry kSymbologyOptions2[] = {
    {62, 12},
    {63, 13},
    {64, 13},
};
static_assert(sizeof kSymbologyOptions2 / sizeof kSymbologyOptions2[0] == kSymbologyOption2Count,
              "one row for each entry");

int16_t getPairedOption(SymbologyConfig& config, PairedOption option) {
  const PairedOptionEntry& entry = kPairedOptions[static_cast<int>(option)];
  return readOption(config, entry.where, *entry.get, entry.failingGet);
}

int16_t setPairedOption(SymbologyConfig& config, PairedOption option, int32_t argument) {
  const PairedOptionEntry& entry = kPairedOptions[static_cast<int>(option)];
  return writeOption(config, entry.where, *entry.set, argument, entry.failingSet);
}

int16_t readModifyWrite(SymbologyConfig& config, const OptionField& where,
                        const ReadModifyWrite& rule, int32_t request) {
  GroupValues values;
  const int16_t status = queryGroup(config, where.group, values, ResultUnsupported);
  if (status != ResultOk) return status;
  if (rule.zeroOrOneOnly && request != 0 && request != 1) return ResultRejected;

  uint8_t next = 0;
  const TransitionSet& transitions = request == 1 ? rule.switchOn : rule.switchOff;
  if (!findTransition(transitions, values.field[where.field], next)) return ResultUnsupported;

  GroupChange change(where.group);
  change.field[where.field] = next;
  keepLengthList(change, values);
  return changeGroup(config, change, rule.failingSet);
}

int16_t getOptionF1Bit1(SymbologyConfig& config) {
  return readOption(config, kF1Field, kBit1Set, ResultUnsupported);
}

int16_t setOptionF1Bit1(SymbologyConfig& config, int32_t flag) {
  return readModifyWrite(config, kF1Field, kSwitchBit1, flag);
}

int16_t getOptionByKind(SymbologyConfig& config, int32_t kind) {
  if (kind < 0 || kind >= kOptionKindCount) return ResultRejected;
  const OptionKindEntry& entry = kOptionKinds[kind];
  if (!entry.onDevice) return 0;
  return readOption(config, {Group::I, entry.field, 1}, kOneIsOn, ResultUnsupported);
}

int16_t setOptionByKind(SymbologyConfig& config, int32_t kind, int32_t flag) {
  if (kind < 0 || kind >= kOptionKindCount) return ResultRejected;
  const OptionKindEntry& entry = kOptionKinds[kind];
  if (!entry.onDevice) return ResultUnsupported;
  return writeOption(config, {Group::I, entry.field, 1}, kNonZeroIsOne, flag, ResultRejected);
}

int16_t getSymbologyOption(SymbologyConfig& config, HostSymbologyId id) {
  const SymbologyOptionEntry* entry = findSymbologyOption(id);
  if (entry == nullptr) return ResultRejected;
  if (entry->flag != VariantFlag::kNone) return variantIsSet(config, entry->flag) ? 1 : 0;
  return readOption(config, entry->where, *entry->read, ResultUnsupported);
}

int16_t setSymbologyOption(SymbologyConfig& config, HostSymbologyId id, int32_t value) {
  const SymbologyOptionEntry* entry = findSymbologyOption(id);
  if (entry == nullptr) return ResultRejected;
  // The variant is chosen whatever the device then says, so that it takes
  // effect when the mode is next switched on.
  storeVariant(config, entry->flag, value == 1);
  if (entry->modify != nullptr) return readModifyWrite(config, entry->where, *entry->modify, value);
  return writeOption(config, entry->where, *entry->write, value, ResultRejected);
}

int16_t getSymbologyOption2(SymbologyConfig& config, HostSymbologyId id) {
  const SymbologyOption2Entry* entry = findSymbologyOption2(id);
  if (entry == nullptr) return ResultRejected;
  return readOption(config, {Group::I, entry->field, 1}, kZeroOrOne, ResultRejected);
}

int16_t setSymbologyOption2(SymbologyConfig& config, HostSymbologyId id, uint16_t value) {
  const SymbologyOption2Entry* entry = findSymbologyOption2(id);
  if (entry == nullptr) return ResultRejected;
  return writeOption(config, {Group::I, entry->field, 1}, kZeroOrOneArgument, value,
                     ResultUnsupported);
}

}  // namespace zorvan

#include "symbology/field_access.h"

namespace zorvan {

namespace {

bool holds(Match match, uint32_t expected, uint32_t actual) {
  switch (match) {
    case Match::kEquals:
      return actual == expected;
    case Match::kNonZero:
      return actual != 0;
    case Match::kAny:
      return true;
  }
  return false;
}

const ValueRule kOneIsOnRules[] = {
    {0, Match::kEquals, 1, 1},
};

const ArgumentRule kNonZeroIsOneRules[] = {
    {Match::kEquals, 0, {0, 0, 0}, {0, 0, 0}},
    {Match::kNonZero, 0, {1, 0, 0}, {1, 0, 0}},
};

}  // namespace

const ValueMap kOneIsOn = valueMap(kOneIsOnRules, 0);
const ArgumentMap kNonZeroIsOne =
    argumentMap(kNonZeroIsOneRules, VariantFlag::kNone, ResultRejected);

int16_t decodeOption(const OptionField& where, const ValueMap& map, const GroupValues& values) {
  for (uint8_t i = 0; i < map.ruleCount; ++i) {
    const ValueRule& rule = map.rules[i];
    if (holds(rule.match, rule.value, values.field[where.field + rule.offset])) return rule.result;
  }
  return map.otherwise;
}

int16_t encodeOption(const OptionField& where, const ArgumentMap& map, int32_t argument,
                     bool variantSet, GroupChange& change) {
  for (uint8_t i = 0; i < map.ruleCount; ++i) {
    const ArgumentRule& rule = map.rules[i];
    if (!holds(rule.match, static_cast<uint32_t>(rule.argument), static_cast<uint32_t>(argument))) {
      continue;
    }
    const uint8_t* bytes = variantSet ? rule.variantBytes : rule.bytes;
    for (uint8_t k = 0; k < where.count; ++k) change.field[where.field + k] = bytes[k];
    return ResultOk;
  }
  return map.refused;
}

bool variantIsSet(const SymbologyConfig& config, VariantFlag flag) {
  switch (flag) {
    case VariantFlag::kA:
      return config.variantFlagA != 0;
    case VariantFlag::kE:
      return config.variantFlagE != 0;
    case VariantFlag::kNone:
      break;
  }
  return false;
}

void storeVariant(SymbologyConfig& config, VariantFlag flag, bool set) {
  const uint8_t value = set ? 1 : 0;
  switch (flag) {
    case VariantFlag::kA:
      config.variantFlagA = value;
      break;
    case VariantFlag::kE:
      config.variantFlagE = value;
      break;
    case VariantFlag::kNone:
      break;
  }
}

int16_t queryGroup(SymbologyConfig& config, Group group, GroupValues& values, int16_t failingGet) {
  if (config.device.get() == nullptr) return ResultUnsupported;
  if (readGroup(config.device.get(), group, values) < 0) return failingGet;
  return ResultOk;
}

int16_t changeGroup(SymbologyConfig& config, const GroupChange& change, int16_t failingSet) {
  if (config.device.get() == nullptr) return ResultUnsupported;
  if (writeGroup(config.device.get(), change) < 0) return failingSet;
  return ResultOk;
}

int16_t readOption(SymbologyConfig& config, const OptionField& where, const ValueMap& map,
                   int16_t failingGet) {
  GroupValues values;
  const int16_t status = queryGroup(config, where.group, values, failingGet);
  return status == ResultOk ? decodeOption(where, map, values) : status;
}

int16_t writeOption(SymbologyConfig& config, const OptionField& where, const ArgumentMap& map,
                    int32_t argument, int16_t failingSet) {
  GroupChange change(where.group);
  const int16_t status =
      encodeOption(where, map, argument, variantIsSet(config, map.variant), change);
  return status == ResultOk ? changeGroup(config, change, failingSet) : status;
}

}  // namespace zorvan

#include "settings/settings_store.h"

#include "scanner_interface1.h"

namespace zorvan {

void SettingsBlock::copyFrom(const SettingsBlock& other) {
  goodReadBeep = other.goodReadBeep.load();
  storedFlag1 = other.storedFlag1.load();
  storedLevel1 = other.storedLevel1.load();
  storedLevel2 = other.storedLevel2.load();
  storedCode = other.storedCode.load();
  triggerMode = other.triggerMode.load();
  auxFlag = other.auxFlag.load();
  storedLevel3 = other.storedLevel3.load();
  storedSelector = other.storedSelector.load();
}

namespace {

// Accepted values, inclusive, compared with the argument taken as unsigned so
// that a negative argument is out of range.
struct ValueRange {
  uint32_t lowest;
  uint32_t highest;
  bool accepts(int32_t value) const {
    const uint32_t unsignedValue = static_cast<uint32_t>(value);
    return unsignedValue >= lowest && unsignedValue <= highest;
  }
};

struct RangedField {
  Relaxed<int16_t> SettingsBlock::*field;
  ValueRange range;
};

// Indexed by RangedSetting.
const RangedField kRangedFields[] = {
    {&SettingsBlock::storedLevel1, {0, 100}}, {&SettingsBlock::storedLevel2, {0, 100}},
    {&SettingsBlock::storedLevel3, {0, 100}}, {&SettingsBlock::storedCode, {181, 182}},
    {&SettingsBlock::storedSelector, {1, 4}},
};
static_assert(sizeof kRangedFields / sizeof kRangedFields[0] == kRangedSettingCount,
              "one entry per ranged setting");

// Indexed by BlockFlag.
Relaxed<uint8_t> SettingsBlock::*const kFlagFields[] = {
    &SettingsBlock::goodReadBeep,
    &SettingsBlock::storedFlag1,
    &SettingsBlock::auxFlag,
};
static_assert(sizeof kFlagFields / sizeof kFlagFields[0] == kBlockFlagCount, "one entry per flag");

// Indexed by ImmediateSetting.
const ValueRange kImmediateRanges[] = {{0, 7}, {0, 4}};
static_assert(sizeof kImmediateRanges / sizeof kImmediateRanges[0] == kImmediateSettingCount,
              "one entry per immediate setting");

// The compare rule: the pending field is written only when the new value
// differs from the applied one; otherwise it keeps whatever it held.
template <typename T>
void writePendingIfChanged(SettingsBlock& pending, const SettingsBlock& applied,
                           Relaxed<T> SettingsBlock::*field, T value) {
  if ((applied.*field).load() != value) (pending.*field).store(value);
}

}  // namespace

int16_t Settings::setRanged(RangedSetting setting, int32_t value) {
  const RangedField& entry = kRangedFields[setting];
  if (!entry.range.accepts(value)) return ResultRejected;
  writePendingIfChanged(pending_, applied_, entry.field, static_cast<int16_t>(value));
  return ResultOk;
}

int16_t Settings::getRanged(RangedSetting setting) const {
  return (applied_.*kRangedFields[setting].field).load();
}

int16_t Settings::setFlag(BlockFlag flag, int32_t value) {
  (pending_.*kFlagFields[flag]).store(value != 0 ? 1 : 0);
  return ResultOk;
}

int16_t Settings::getFlag(BlockFlag flag) const {
  return (applied_.*kFlagFields[flag]).load() != 0 ? 1 : 0;
}

int16_t Settings::setTriggerMode(int32_t mode) {
  writePendingIfChanged(pending_, applied_, &SettingsBlock::triggerMode, mode);
  return ResultOk;
}

int16_t Settings::getTriggerMode() const {
  return static_cast<int16_t>(static_cast<uint16_t>(applied_.triggerMode.load()));
}

int16_t Settings::setImmediate(ImmediateSetting setting, int32_t value) {
  if (!kImmediateRanges[setting].accepts(value)) return ResultRejected;
  Relaxed<int16_t>& field = setting == kAffixMode ? affixMode_ : storedSelector2_;
  field = static_cast<int16_t>(value);
  return ResultOk;
}

int16_t Settings::getImmediate(ImmediateSetting setting) const {
  return setting == kAffixMode ? affixMode_.load() : storedSelector2_.load();
}

void Settings::setAffixCharacters(int8_t prefix, int8_t suffix1, int8_t suffix2) {
  prefix_ = prefix;
  suffix1_ = suffix1;
  suffix2_ = suffix2;
}

Affixes Settings::affixes() const { return Affixes{prefix_, suffix1_, suffix2_, affixMode_}; }

void Settings::applyDefaults() {
  suffix1_ = 10;  // line feed
  suffix2_ = 13;  // carriage return
  prefix_ = 0;
  affixMode_ = 0;
  storedSelector2_ = 0;

  pending_.goodReadBeep = 1;
  pending_.storedFlag1 = 0;
  pending_.storedLevel1 = 30;
  pending_.storedLevel2 = 0;
  pending_.storedCode = 182;
  pending_.triggerMode = 0;
  pending_.auxFlag = 0;
  pending_.storedLevel3 = 30;
  pending_.storedSelector = 1;
  apply();
}

}  // namespace zorvan

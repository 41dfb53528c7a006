#include "settings/settings_store.h"

#include "feedback/tones.h"

namespace zorvan {

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

// In the order of RangedSetting.
const RangedField kRangedFields[] = {
    {&SettingsBlock::storedLevel1, {0, 100}}, {&SettingsBlock::storedLevel2, {0, 100}},
    {&SettingsBlock::storedLevel3, {0, 100}}, {&SettingsBlock::storedCode, {181, 182}},
    {&SettingsBlock::storedSelector, {1, 4}},
};
static_assert(sizeof kRangedFields / sizeof kRangedFields[0] == kRangedSettingCount,
              "one entry per ranged setting");

struct ImmediateField {
  Relaxed<int16_t> ScannerState::*field;
  ValueRange range;
};

// In the order of ImmediateSetting.
const ImmediateField kImmediateFields[] = {
    {&ScannerState::affixMode, {0, 7}},
    {&ScannerState::storedSelector2, {0, 4}},
};
static_assert(sizeof kImmediateFields / sizeof kImmediateFields[0] == kImmediateSettingCount,
              "one entry per immediate setting");

// The compare rule: the pending field is written only when the new value
// differs from the applied one; otherwise it keeps whatever it held.
template <typename T>
void writePendingIfChanged(ScannerState& state, Relaxed<T> SettingsBlock::*field, T value) {
  if ((state.applied.*field).load() != value) (state.pending.*field).store(value);
}

}  // namespace

int16_t setRangedSetting(ScannerState& state, RangedSetting setting, int32_t value) {
  const RangedField& entry = kRangedFields[setting];
  if (!entry.range.accepts(value)) return ResultRejected;
  writePendingIfChanged(state, entry.field, static_cast<int16_t>(value));
  return ResultOk;
}

int16_t getRangedSetting(const ScannerState& state, RangedSetting setting) {
  return (state.applied.*kRangedFields[setting].field).load();
}

int16_t setImmediateSetting(ScannerState& state, ImmediateSetting setting, int32_t value) {
  const ImmediateField& entry = kImmediateFields[setting];
  if (!entry.range.accepts(value)) return ResultRejected;
  (state.*entry.field).store(static_cast<int16_t>(value));
  return ResultOk;
}

int16_t getImmediateSetting(const ScannerState& state, ImmediateSetting setting) {
  return (state.*kImmediateFields[setting].field).load();
}

int16_t setBlockFlag(ScannerState& state, Relaxed<uint8_t> SettingsBlock::*field, int32_t flag) {
  (state.pending.*field).store(flag != 0 ? 1 : 0);
  return ResultOk;
}

int16_t getBlockFlag(const ScannerState& state, Relaxed<uint8_t> SettingsBlock::*field) {
  return (state.applied.*field).load() != 0 ? 1 : 0;
}

int16_t setTriggerMode(ScannerState& state, int32_t mode) {
  writePendingIfChanged(state, &SettingsBlock::triggerMode, mode);
  return ResultOk;
}

int16_t getTriggerMode(const ScannerState& state) {
  return static_cast<int16_t>(static_cast<uint16_t>(state.applied.triggerMode.load()));
}

int16_t applySettings(ScannerState& state, int32_t tonePattern) {
  state.applied.copyFrom(state.pending);
  if (tonePattern != 0) playTonePattern(state, static_cast<uint32_t>(tonePattern));
  return ResultOk;
}

}  // namespace zorvan

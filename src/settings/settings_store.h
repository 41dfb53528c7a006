// The host-visible settings: setters write the pending block, getters read
// the applied block, ApplySettings copies one into the other. The affixes,
// the affix mode and the second selector take effect at once.
#ifndef ZORVAN_SETTINGS_SETTINGS_STORE_H
#define ZORVAN_SETTINGS_SETTINGS_STORE_H

#include <stdint.h>

#include "plugin/scanner_state.h"

namespace zorvan {

// Block settings whose setters accept a range of values and write the pending
// block only when the value differs from the applied one.
enum RangedSetting : uint8_t {
  kStoredLevel1,
  kStoredLevel2,
  kStoredLevel3,
  kStoredCode,
  kStoredSelector,
  kRangedSettingCount
};

// Settings that take effect at once and accept a range of values.
enum ImmediateSetting : uint8_t { kAffixMode, kStoredSelector2, kImmediateSettingCount };

// The value taken as unsigned must lie in the setting's range, else
// ResultRejected and nothing changes. An accepted value equal to the applied
// one leaves the pending one as it is.
int16_t setRangedSetting(ScannerState& state, RangedSetting setting, int32_t value);
int16_t getRangedSetting(const ScannerState& state, RangedSetting setting);

// The value taken as unsigned must lie in the setting's range, else
// ResultRejected; an accepted value is in force at once.
int16_t setImmediateSetting(ScannerState& state, ImmediateSetting setting, int32_t value);
int16_t getImmediateSetting(const ScannerState& state, ImmediateSetting setting);

// Pending flag := (flag != 0); the getter reports the applied flag as 0/1.
int16_t setBlockFlag(ScannerState& state, Relaxed<uint8_t> SettingsBlock::*field, int32_t flag);
int16_t getBlockFlag(const ScannerState& state, Relaxed<uint8_t> SettingsBlock::*field);

// No range: any 32-bit value, written to the pending block when it differs
// from the applied one. The getter reports the low 16 bits of the applied
// mode.
int16_t setTriggerMode(ScannerState& state, int32_t mode);
int16_t getTriggerMode(const ScannerState& state);

// Copy the pending block into the applied block, then play `tonePattern`
// unless it is 0.
int16_t applySettings(ScannerState& state, int32_t tonePattern);

}  // namespace zorvan

#endif  // ZORVAN_SETTINGS_SETTINGS_STORE_H

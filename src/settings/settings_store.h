// The host-visible settings of one object. Setters write the pending block,
// getters read the applied block, and apply() copies the one into the other;
// the affixes, the affix mode and the second selector take effect at once.
// No lock: the scan thread reads the affixes and the applied good-read beep
// while the host may change them, each value whole.
#ifndef ZORVAN_SETTINGS_SETTINGS_STORE_H
#define ZORVAN_SETTINGS_SETTINGS_STORE_H

#include <stdint.h>

#include "common/relaxed.h"

namespace zorvan {

// Pending and applied settings share this layout and are copied field by
// field as a whole.
struct SettingsBlock {
  Relaxed<uint8_t> goodReadBeep;
  Relaxed<uint8_t> storedFlag1;
  Relaxed<int16_t> storedLevel1;
  Relaxed<int16_t> storedLevel2;
  Relaxed<int16_t> storedCode;
  Relaxed<int32_t> triggerMode;
  Relaxed<uint8_t> auxFlag;
  Relaxed<int16_t> storedLevel3;
  Relaxed<int16_t> storedSelector;

  void copyFrom(const SettingsBlock& other);
};

// The characters added around a label and which of them are added.
struct Affixes {
  int8_t prefix;
  int8_t suffix1;
  int8_t suffix2;
  int16_t mode;  // bit 2 prefix, bit 0 first suffix, bit 1 second suffix
};

// Block settings whose setters accept a range of values.
enum RangedSetting : uint8_t {
  kStoredLevel1,
  kStoredLevel2,
  kStoredLevel3,
  kStoredCode,
  kStoredSelector,
  kRangedSettingCount
};

// Block settings that are flags: any non-zero value sets them.
enum BlockFlag : uint8_t { kGoodReadBeep, kStoredFlag1, kAuxFlag, kBlockFlagCount };

// Settings that take effect at once and accept a range of values.
enum ImmediateSetting : uint8_t { kAffixMode, kStoredSelector2, kImmediateSettingCount };

class Settings {
 public:
  // The value taken as unsigned must lie in the setting's range, else
  // ResultRejected and nothing changes. An accepted value equal to the
  // applied one leaves the pending one as it is.
  int16_t setRanged(RangedSetting setting, int32_t value);
  int16_t getRanged(RangedSetting setting) const;
  // Pending flag := (flag != 0); the getter reports the applied flag as 0/1.
  int16_t setFlag(BlockFlag flag, int32_t value);
  int16_t getFlag(BlockFlag flag) const;
  // No range: any 32-bit value, written to the pending block when it differs
  // from the applied one. The getter reports the low 16 bits of the applied
  // mode; appliedTriggerMode() all 32.
  int16_t setTriggerMode(int32_t mode);
  int16_t getTriggerMode() const;
  int32_t appliedTriggerMode() const { return applied_.triggerMode; }
  // The value taken as unsigned must lie in the setting's range, else
  // ResultRejected; an accepted value is in force at once.
  int16_t setImmediate(ImmediateSetting setting, int32_t value);
  int16_t getImmediate(ImmediateSetting setting) const;

  void setAffixCharacters(int8_t prefix, int8_t suffix1, int8_t suffix2);
  // The three characters and the mode in force.
  Affixes affixes() const;
  bool goodReadBeepApplied() const { return applied_.goodReadBeep != 0; }

  // Copy the pending block into the applied block.
  void apply() { applied_.copyFrom(pending_); }
  // The defaults, written pending and then applied so they are in force at
  // once, pending changes discarded: good-read beep on, levels 30, 0 and
  // 30, code 182, selector 1, trigger mode 0; affixes 0, 10 (line feed), 13
  // (carriage return) with mode 0; second selector 0.
  void applyDefaults();

  const SettingsBlock& pending() const { return pending_; }
  const SettingsBlock& applied() const { return applied_; }

 private:
  SettingsBlock pending_;
  SettingsBlock applied_;
  Relaxed<int8_t> prefix_;
  Relaxed<int8_t> suffix1_;
  Relaxed<int8_t> suffix2_;
  Relaxed<int16_t> affixMode_;
  Relaxed<int16_t> storedSelector2_;
};

}  // namespace zorvan

#endif  // ZORVAN_SETTINGS_SETTINGS_STORE_H

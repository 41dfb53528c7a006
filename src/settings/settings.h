// The host-visible settings of one object, as the rows of the setting table
// (setting_table.h) say. A block setting's setter writes its pending value,
// its getter reads the applied one, and apply() copies every pending value
// into the applied one; the other settings are in force at once.
// No lock: the scan thread reads the affixes and the applied good-read beep
// while the host may change them, each value whole.
#ifndef ZORVAN_SETTINGS_SETTINGS_H
#define ZORVAN_SETTINGS_SETTINGS_H

#include <stdint.h>

#include "common/relaxed.h"
#include "settings/setting_table.h"

namespace zorvan {

// The characters added around a label and which of them are added.
struct Affixes {
  int8_t prefix;
  int8_t suffix1;
  int8_t suffix2;
  int16_t mode;  // bit 2 prefix, bit 0 first suffix, bit 1 second suffix
};

class Settings {
 public:
  // By the row's rule: a flag is set by any non-zero value; a ranged value
  // outside its range is ResultRejected and changes nothing; any other value
  // is kept to the row's width. A block setting's accepted value equal to
  // the applied one leaves the pending one as it is.
  int16_t set(SettingId id, int32_t value);
  // The applied (or, for the others, current) value: a flag as 0 or 1, any
  // other value's low 16 bits.
  int16_t get(SettingId id) const;
  // Whole values, for the code that uses them.
  int32_t pending(SettingId id) const { return pending_[id]; }
  int32_t current(SettingId id) const { return current_[id]; }

  void setAffixCharacters(int8_t prefix, int8_t suffix1, int8_t suffix2);
  // The three characters and the mode in force.
  Affixes affixes() const;
  bool goodReadBeepApplied() const { return current_[kGoodReadBeep] != 0; }
  int32_t appliedTriggerMode() const { return current_[kTriggerMode]; }

  // Copy every pending block value into the applied one.
  void apply();
  // Every row's default, written pending and then applied so it is in
  // force at once, pending changes discarded.
  void applyDefaults();

 private:
  Relaxed<int32_t> pending_[kBlockSettingCount];
  Relaxed<int32_t> current_[kSettingCount];  // applied, for the block
};

}  // namespace zorvan

#endif  // ZORVAN_SETTINGS_SETTINGS_H

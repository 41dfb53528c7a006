// Every host-visible setting of an object, one row each: how wide its value
// is stored, what a setter accepts, whether it waits for ApplySettings, and
// its default. Settings copies, checks and resets by this table alone; a new
// setting is one id and one row.
#ifndef ZORVAN_SETTINGS_SETTING_TABLE_H
#define ZORVAN_SETTINGS_SETTING_TABLE_H

#include <stdint.h>

namespace zorvan {

enum SettingId : uint8_t {
  // The block: written pending, in force once applied.
  kGoodReadBeep,
  kStoredFlag1,
  kStoredLevel1,
  kStoredLevel2,
  kStoredCode,
  kTriggerMode,
  kAuxFlag,
  kStoredLevel3,
  kStoredSelector,
  // In force at once.
  kAffixMode,
  kStoredSelector2,
  kAffixPrefix,
  kAffixSuffix1,
  kAffixSuffix2,
  kSettingCount
};
// The block's rows come first.
constexpr uint8_t kBlockSettingCount = kStoredSelector + 1;

enum class SettingRule : uint8_t {
  Flag,   // any non-zero value sets it; reported as 0 or 1
  Range,  // the value taken as unsigned lies in [lowest, highest], else ResultRejected
  Any,    // any value, kept to its width
};

struct SettingRow {
  const char* name;  // as the operations name it
  uint8_t width;     // bytes kept of the value: 1, 2 or 4, as a signed number
  SettingRule rule;
  uint32_t lowest;  // Range only
  uint32_t highest;
  int32_t byDefault;
};

// Indexed by SettingId; unsized here so that its definition pins the count.
extern const SettingRow kSettingRows[];

// `value` kept to `width` bytes, as a signed number.
int32_t keptToWidth(int32_t value, uint8_t width);

}  // namespace zorvan

#endif  // ZORVAN_SETTINGS_SETTING_TABLE_H

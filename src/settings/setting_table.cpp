#include "settings/setting_table.h"

namespace zorvan {

// Each row: name, width, rule, lowest, highest, default.
const SettingRow kSettingRows[] = {
    {"GoodReadBeep", 1, SettingRule::Flag, 0, 0, 1},
    {"StoredFlag1", 1, SettingRule::Flag, 0, 0, 0},
    {"StoredLevel1", 2, SettingRule::Range, 0, 100, 30},
    {"StoredLevel2", 2, SettingRule::Range, 0, 100, 0},
    {"StoredCode", 2, SettingRule::Range, 181, 182, 182},
    {"TriggerMode", 4, SettingRule::Any, 0, 0, 0},
    {"AuxFlag", 1, SettingRule::Flag, 0, 0, 0},
    {"StoredLevel3", 2, SettingRule::Range, 0, 100, 30},
    {"StoredSelector", 2, SettingRule::Range, 1, 4, 1},
    {"AffixMode", 2, SettingRule::Range, 0, 7, 0},
    {"StoredSelector2", 2, SettingRule::Range, 0, 4, 0},
    {"AffixPrefix", 1, SettingRule::Any, 0, 0, 0},
    {"AffixSuffix1", 1, SettingRule::Any, 0, 0, 10},  // line feed
    {"AffixSuffix2", 1, SettingRule::Any, 0, 0, 13},  // carriage return
};
static_assert(sizeof kSettingRows / sizeof kSettingRows[0] == kSettingCount, "one row per setting");

int32_t keptToWidth(int32_t value, uint8_t width) {
  switch (width) {
    case 1:
      return static_cast<int8_t>(value);
    case 2:
      return static_cast<int16_t>(value);
    default:
      return value;
  }
}

}  // namespace zorvan

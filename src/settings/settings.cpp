#include "settings/settings.h"

#include "scanner_interface1.h"

namespace zorvan {

namespace {

bool isBlockSetting(SettingId id) { return id < kBlockSettingCount; }

// Compared with the argument taken as unsigned, so that a negative argument
// is out of range.
bool inRange(const SettingRow& row, int32_t value) {
  const uint32_t unsignedValue = static_cast<uint32_t>(value);
  return unsignedValue >= row.lowest && unsignedValue <= row.highest;
}

}  // namespace

int16_t Settings::set(SettingId id, int32_t value) {
  const SettingRow& row = kSettingRows[id];
  if (row.rule == SettingRule::Range && !inRange(row, value)) return ResultRejected;
  if (row.rule == SettingRule::Flag) {
    // No compare rule for flags: the pending flag is written every time.
    pending_[id] = value != 0 ? 1 : 0;
    return ResultOk;
  }
  const int32_t kept = keptToWidth(value, row.width);
  if (!isBlockSetting(id)) {
    current_[id] = kept;
  } else if (current_[id].load() != kept) {
    // The compare rule: written only when it differs from the applied value;
    // otherwise the pending value keeps whatever it held.
    pending_[id] = kept;
  }
  return ResultOk;
}

int16_t Settings::get(SettingId id) const {
  const int32_t value = current_[id];
  if (kSettingRows[id].rule == SettingRule::Flag) return value != 0 ? 1 : 0;
  return static_cast<int16_t>(static_cast<uint16_t>(value));
}

void Settings::setAffixCharacters(int8_t prefix, int8_t suffix1, int8_t suffix2) {
  current_[kAffixPrefix] = prefix;
  current_[kAffixSuffix1] = suffix1;
  current_[kAffixSuffix2] = suffix2;
}

Affixes Settings::affixes() const {
  return Affixes{static_cast<int8_t>(current_[kAffixPrefix].load()),
                 static_cast<int8_t>(current_[kAffixSuffix1].load()),
                 static_cast<int8_t>(current_[kAffixSuffix2].load()),
                 static_cast<int16_t>(current_[kAffixMode].load())};
}

void Settings::apply() {
  for (uint8_t id = 0; id < kBlockSettingCount; ++id) current_[id] = pending_[id].load();
}

void Settings::applyDefaults() {
  for (uint8_t id = 0; id < kSettingCount; ++id) {
    if (isBlockSetting(static_cast<SettingId>(id))) {
      pending_[id] = kSettingRows[id].byDefault;
    } else {
      current_[id] = kSettingRows[id].byDefault;
    }
  }
  apply();
}

}  // namespace zorvan

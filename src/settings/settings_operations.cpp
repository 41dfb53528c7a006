// Settings: pending and applied blocks, immediate settings, apply and reset.
#include "plugin/zorvan_scanner.h"
#include "settings/defaults.h"
#include "settings/settings_store.h"

namespace zorvan {

int16_t ZorvanScannerInterface::DisableAuxFlag() {
  if (state_->pending.auxFlag != 0) state_->pending.auxFlag = 0;
  return ResultOk;
}

int16_t ZorvanScannerInterface::EnableAuxFlag() {
  if (state_->pending.auxFlag == 0) state_->pending.auxFlag = 1;
  return ResultOk;
}

int16_t ZorvanScannerInterface::GetAuxFlag() {
  return getBlockFlag(*state_, &SettingsBlock::auxFlag);
}

int16_t ZorvanScannerInterface::ResetToDefaults() {
  applyDefaults(*state_);
  return ResultOk;
}

int16_t ZorvanScannerInterface::ApplySettings(int32_t tonePattern) {
  return applySettings(*state_, tonePattern);
}

int16_t ZorvanScannerInterface::SetGoodReadBeep(int32_t flag) {
  return setBlockFlag(*state_, &SettingsBlock::goodReadBeep, flag);
}

int16_t ZorvanScannerInterface::GetGoodReadBeep() {
  return getBlockFlag(*state_, &SettingsBlock::goodReadBeep);
}

int16_t ZorvanScannerInterface::SetStoredFlag1(int32_t flag) {
  return setBlockFlag(*state_, &SettingsBlock::storedFlag1, flag);
}

int16_t ZorvanScannerInterface::GetStoredFlag1() {
  return getBlockFlag(*state_, &SettingsBlock::storedFlag1);
}

int16_t ZorvanScannerInterface::SetStoredLevel1(int32_t value) {
  return setRangedSetting(*state_, kStoredLevel1, value);
}

int16_t ZorvanScannerInterface::GetStoredLevel1() {
  return getRangedSetting(*state_, kStoredLevel1);
}

int16_t ZorvanScannerInterface::SetStoredLevel2(int32_t value) {
  return setRangedSetting(*state_, kStoredLevel2, value);
}

int16_t ZorvanScannerInterface::GetStoredLevel2() {
  return getRangedSetting(*state_, kStoredLevel2);
}

int16_t ZorvanScannerInterface::SetStoredLevel3(int32_t value) {
  return setRangedSetting(*state_, kStoredLevel3, value);
}

int16_t ZorvanScannerInterface::GetStoredLevel3() {
  return getRangedSetting(*state_, kStoredLevel3);
}

int16_t ZorvanScannerInterface::SetStoredCode(int32_t value) {
  return setRangedSetting(*state_, kStoredCode, value);
}

int16_t ZorvanScannerInterface::GetStoredCode() { return getRangedSetting(*state_, kStoredCode); }

int16_t ZorvanScannerInterface::SetStoredSelector(int32_t value) {
  return setRangedSetting(*state_, kStoredSelector, value);
}

int16_t ZorvanScannerInterface::GetStoredSelector() {
  return getRangedSetting(*state_, kStoredSelector);
}

int16_t ZorvanScannerInterface::SetTriggerMode(int32_t mode) {
  return setTriggerMode(*state_, mode);
}

int16_t ZorvanScannerInterface::GetTriggerMode() { return getTriggerMode(*state_); }

int16_t ZorvanScannerInterface::SetAffixChars(int8_t prefix, int8_t suffix1, int8_t suffix2) {
  state_->prefix = prefix;
  state_->suffix1 = suffix1;
  state_->suffix2 = suffix2;
  return ResultOk;
}

// A null out-pointer is refused before anything is written.
int16_t ZorvanScannerInterface::GetAffixChars(int8_t* prefix, int8_t* suffix1, int8_t* suffix2) {
  if (prefix == nullptr || suffix1 == nullptr || suffix2 == nullptr) return ResultRejected;
  *prefix = state_->prefix;
  *suffix1 = state_->suffix1;
  *suffix2 = state_->suffix2;
  return ResultOk;
}

int16_t ZorvanScannerInterface::SetAffixMode(int32_t mode) {
  return setImmediateSetting(*state_, kAffixMode, mode);
}

int16_t ZorvanScannerInterface::GetAffixMode() { return getImmediateSetting(*state_, kAffixMode); }

int16_t ZorvanScannerInterface::SetStoredSelector2(int32_t value) {
  return setImmediateSetting(*state_, kStoredSelector2, value);
}

int16_t ZorvanScannerInterface::GetStoredSelector2() {
  return getImmediateSetting(*state_, kStoredSelector2);
}

}  // namespace zorvan

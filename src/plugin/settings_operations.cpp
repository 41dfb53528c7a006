// Settings: pending and applied blocks, immediate settings, apply and reset.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::DisableAuxFlag() { return state_->settings.setFlag(kAuxFlag, 0); }
int16_t ZorvanScannerInterface::EnableAuxFlag() { return state_->settings.setFlag(kAuxFlag, 1); }
int16_t ZorvanScannerInterface::GetAuxFlag() { return state_->settings.getFlag(kAuxFlag); }

int16_t ZorvanScannerInterface::ResetToDefaults() {
  applyDefaults(*state_);
  return ResultOk;
}

// Applies, then plays the pattern unless it is 0.
int16_t ZorvanScannerInterface::ApplySettings(int32_t tonePattern) {
  state_->settings.apply();
  if (tonePattern != 0) state_->tones.playPattern(static_cast<uint32_t>(tonePattern));
  return ResultOk;
}

int16_t ZorvanScannerInterface::SetGoodReadBeep(int32_t flag) {
  return state_->settings.setFlag(kGoodReadBeep, flag);
}
int16_t ZorvanScannerInterface::GetGoodReadBeep() {
  return state_->settings.getFlag(kGoodReadBeep);
}
int16_t ZorvanScannerInterface::SetStoredFlag1(int32_t flag) {
  return state_->settings.setFlag(kStoredFlag1, flag);
}
int16_t ZorvanScannerInterface::GetStoredFlag1() { return state_->settings.getFlag(kStoredFlag1); }

int16_t ZorvanScannerInterface::SetStoredLevel1(int32_t value) {
  return state_->settings.setRanged(kStoredLevel1, value);
}
int16_t ZorvanScannerInterface::GetStoredLevel1() {
  return state_->settings.getRanged(kStoredLevel1);
}
int16_t ZorvanScannerInterface::SetStoredLevel2(int32_t value) {
  return state_->settings.setRanged(kStoredLevel2, value);
}
int16_t ZorvanScannerInterface::GetStoredLevel2() {
  return state_->settings.getRanged(kStoredLevel2);
}
int16_t ZorvanScannerInterface::SetStoredLevel3(int32_t value) {
  return state_->settings.setRanged(kStoredLevel3, value);
}
int16_t ZorvanScannerInterface::GetStoredLevel3() {
  return state_->settings.getRanged(kStoredLevel3);
}
int16_t ZorvanScannerInterface::SetStoredCode(int32_t value) {
  return state_->settings.setRanged(kStoredCode, value);
}
int16_t ZorvanScannerInterface::GetStoredCode() { return state_->settings.getRanged(kStoredCode); }
int16_t ZorvanScannerInterface::SetStoredSelector(int32_t value) {
  return state_->settings.setRanged(kStoredSelector, value);
}
int16_t ZorvanScannerInterface::GetStoredSelector() {
  return state_->settings.getRanged(kStoredSelector);
}

int16_t ZorvanScannerInterface::SetTriggerMode(int32_t mode) {
  return state_->settings.setTriggerMode(mode);
}
int16_t ZorvanScannerInterface::GetTriggerMode() { return state_->settings.getTriggerMode(); }

int16_t ZorvanScannerInterface::SetAffixChars(int8_t prefix, int8_t suffix1, int8_t suffix2) {
  state_->settings.setAffixCharacters(prefix, suffix1, suffix2);
  return ResultOk;
}

// A null out-pointer is refused before anything is written.
int16_t ZorvanScannerInterface::GetAffixChars(int8_t* prefix, int8_t* suffix1, int8_t* suffix2) {
  if (prefix == nullptr || suffix1 == nullptr || suffix2 == nullptr) return ResultRejected;
  const Affixes affixes = state_->settings.affixes();
  *prefix = affixes.prefix;
  *suffix1 = affixes.suffix1;
  *suffix2 = affixes.suffix2;
  return ResultOk;
}

int16_t ZorvanScannerInterface::SetAffixMode(int32_t mode) {
  return state_->settings.setImmediate(kAffixMode, mode);
}
int16_t ZorvanScannerInterface::GetAffixMode() { return state_->settings.getImmediate(kAffixMode); }
int16_t ZorvanScannerInterface::SetStoredSelector2(int32_t value) {
  return state_->settings.setImmediate(kStoredSelector2, value);
}
int16_t ZorvanScannerInterface::GetStoredSelector2() {
  return state_->settings.getImmediate(kStoredSelector2);
}

}  // namespace zorvan

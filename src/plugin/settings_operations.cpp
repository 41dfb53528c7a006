// Settings: each a row of the setting table; apply and reset.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::DisableAuxFlag() { return state_->settings.set(kAuxFlag, 0); }
int16_t ZorvanScannerInterface::EnableAuxFlag() { return state_->settings.set(kAuxFlag, 1); }
int16_t ZorvanScannerInterface::GetAuxFlag() { return state_->settings.get(kAuxFlag); }

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
  return state_->settings.set(kGoodReadBeep, flag);
}
int16_t ZorvanScannerInterface::GetGoodReadBeep() { return state_->settings.get(kGoodReadBeep); }
int16_t ZorvanScannerInterface::SetStoredFlag1(int32_t flag) {
  return state_->settings.set(kStoredFlag1, flag);
}
int16_t ZorvanScannerInterface::GetStoredFlag1() { return state_->settings.get(kStoredFlag1); }

int16_t ZorvanScannerInterface::SetStoredLevel1(int32_t value) {
  return state_->settings.set(kStoredLevel1, value);
}
int16_t ZorvanScannerInterface::GetStoredLevel1() { return state_->settings.get(kStoredLevel1); }
int16_t ZorvanScannerInterface::SetStoredLevel2(int32_t value) {
  return state_->settings.set(kStoredLevel2, value);
}
int16_t ZorvanScannerInterface::GetStoredLevel2() { return state_->settings.get(kStoredLevel2); }
int16_t ZorvanScannerInterface::SetStoredLevel3(int32_t value) {
  return state_->settings.set(kStoredLevel3, value);
}
int16_t ZorvanScannerInterface::GetStoredLevel3() { return state_->settings.get(kStoredLevel3); }
int16_t ZorvanScannerInterface::SetStoredCode(int32_t value) {
  return state_->settings.set(kStoredCode, value);
}
int16_t ZorvanScannerInterface::GetStoredCode() { return state_->settings.get(kStoredCode); }
int16_t ZorvanScannerInterface::SetStoredSelector(int32_t value) {
  return state_->settings.set(kStoredSelector, value);
}
int16_t ZorvanScannerInterface::GetStoredSelector() {
  return state_->settings.get(kStoredSelector);
}

int16_t ZorvanScannerInterface::SetTriggerMode(int32_t mode) {
  return state_->settings.set(kTriggerMode, mode);
}
int16_t ZorvanScannerInterface::GetTriggerMode() { return state_->settings.get(kTriggerMode); }

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
  return state_->settings.set(kAffixMode, mode);
}
int16_t ZorvanScannerInterface::GetAffixMode() { return state_->settings.get(kAffixMode); }
int16_t ZorvanScannerInterface::SetStoredSelector2(int32_t value) {
  return state_->settings.set(kStoredSelector2, value);
}
int16_t ZorvanScannerInterface::GetStoredSelector2() {
  return state_->settings.get(kStoredSelector2);
}

}  // namespace zorvan

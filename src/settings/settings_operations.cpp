// Settings: pending and applied blocks, immediate settings, apply and reset.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::DisableAuxFlag() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::EnableAuxFlag() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::ResetToDefaults() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::ApplySettings(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetStoredLevel2() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetAuxFlag() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetStoredCode() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetGoodReadBeep() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetStoredFlag1() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetStoredLevel3() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetStoredLevel1() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetStoredSelector() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetAffixChars(int8_t*, int8_t*, int8_t*) {
  return ResultUnsupported;
}
int16_t ZorvanScannerInterface::GetAffixMode() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetTriggerMode() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetStoredSelector2() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetStoredLevel2(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetStoredCode(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetGoodReadBeep(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetStoredFlag1(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetStoredLevel3(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetStoredLevel1(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetStoredSelector(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetAffixChars(int8_t, int8_t, int8_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetAffixMode(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetTriggerMode(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetStoredSelector2(int32_t) { return ResultUnsupported; }

}  // namespace zorvan

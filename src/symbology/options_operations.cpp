// Symbology options.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::GetOptionB2() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionA4() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionA1() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionIByKind(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionITriple() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionIKind3() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionE1() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionF1Bit1() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionB1() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetSymbologyOption(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetOptionJ() { return ResultUnsupported; }
int16_t ZorvanScannerInterface::GetSymbologyOption2(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionB2(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionA4(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionA1(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionIByKind(int32_t, int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionITriple(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionIKind3(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionE1(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionF1Bit1(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionB1(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetSymbologyOption(int32_t, int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetOptionJ(int32_t) { return ResultUnsupported; }
int16_t ZorvanScannerInterface::SetSymbologyOption2(int32_t, uint16_t) { return ResultUnsupported; }

}  // namespace zorvan

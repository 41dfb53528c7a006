// Symbology operations: enabling, lengths and options, each a thin call into
// the symbology tables on the object's DeviceConfig.
#include "plugin/zorvan_scanner.h"
#include "symbology/enabling.h"
#include "symbology/lengths.h"
#include "symbology/option_table.h"

namespace zorvan {

int16_t ZorvanScannerInterface::GetSymbologyEnabled(int32_t id) {
  return getSymbologyEnabled(symbology(), id);
}

int16_t ZorvanScannerInterface::SetSymbologyEnabled(int32_t id, int32_t flag) {
  return setSymbologyEnabled(symbology(), id, flag);
}

int16_t ZorvanScannerInterface::GetSymbologyLengths(int32_t id, uint16_t* mode, uint16_t* first,
                                                    uint16_t* second) {
  return getSymbologyLengths(symbology(), id, mode, first, second);
}

int16_t ZorvanScannerInterface::SetSymbologyLengths(int32_t id, uint16_t mode, uint16_t first,
                                                    uint16_t second) {
  return setSymbologyLengths(symbology(), id, mode, first, second);
}

// Options. GetOptionIKind3 and SetOptionIKind3 are kind 3 of the by-kind
// pair, and reach it through the object's operation table.

int16_t ZorvanScannerInterface::GetOptionB2() {
  return getPairedOption(symbology(), PairedOption::kB2);
}
int16_t ZorvanScannerInterface::GetOptionA4() {
  return getPairedOption(symbology(), PairedOption::kA4);
}
int16_t ZorvanScannerInterface::GetOptionA1() {
  return getPairedOption(symbology(), PairedOption::kA1);
}
int16_t ZorvanScannerInterface::GetOptionIByKind(int32_t kind) {
  return getOptionByKind(symbology(), kind);
}
int16_t ZorvanScannerInterface::GetOptionITriple() {
  return getPairedOption(symbology(), PairedOption::kITriple);
}
// Through the operation table, as a host call would go.
int16_t ZorvanScannerInterface::GetOptionIKind3() {
  ScannerInterface1& self = *this;
  return self.GetOptionIByKind(3);
}
int16_t ZorvanScannerInterface::GetOptionE1() {
  return getPairedOption(symbology(), PairedOption::kE1);
}
int16_t ZorvanScannerInterface::GetOptionF1Bit1() { return getOptionF1Bit1(symbology()); }
int16_t ZorvanScannerInterface::GetOptionB1() {
  return getPairedOption(symbology(), PairedOption::kB1);
}
int16_t ZorvanScannerInterface::GetSymbologyOption(int32_t id) {
  return getSymbologyOption(symbology(), id);
}
int16_t ZorvanScannerInterface::GetOptionJ() {
  return getPairedOption(symbology(), PairedOption::kJ);
}
int16_t ZorvanScannerInterface::GetSymbologyOption2(int32_t id) {
  return getSymbologyOption2(symbology(), id);
}

int16_t ZorvanScannerInterface::SetOptionB2(int32_t flag) {
  return setPairedOption(symbology(), PairedOption::kB2, flag);
}
int16_t ZorvanScannerInterface::SetOptionA4(int32_t flag) {
  return setPairedOption(symbology(), PairedOption::kA4, flag);
}
int16_t ZorvanScannerInterface::SetOptionA1(int32_t flag) {
  return setPairedOption(symbology(), PairedOption::kA1, flag);
}
int16_t ZorvanScannerInterface::SetOptionIByKind(int32_t kind, int32_t flag) {
  return setOptionByKind(symbology(), kind, flag);
}
int16_t ZorvanScannerInterface::SetOptionITriple(int32_t state) {
  return setPairedOption(symbology(), PairedOption::kITriple, state);
}
// Through the operation table, as a host call would go.
int16_t ZorvanScannerInterface::SetOptionIKind3(int32_t flag) {
  ScannerInterface1& self = *this;
  return self.SetOptionIByKind(3, flag);
}
int16_t ZorvanScannerInterface::SetOptionE1(int32_t state) {
  return setPairedOption(symbology(), PairedOption::kE1, state);
}
int16_t ZorvanScannerInterface::SetOptionF1Bit1(int32_t flag) {
  return setOptionF1Bit1(symbology(), flag);
}
int16_t ZorvanScannerInterface::SetOptionB1(int32_t flag) {
  return setPairedOption(symbology(), PairedOption::kB1, flag);
}
int16_t ZorvanScannerInterface::SetSymbologyOption(int32_t id, int32_t value) {
  return setSymbologyOption(symbology(), id, value);
}
int16_t ZorvanScannerInterface::SetOptionJ(int32_t state) {
  return setPairedOption(symbology(), PairedOption::kJ, state);
}
int16_t ZorvanScannerInterface::SetSymbologyOption2(int32_t id, uint16_t value) {
  return setSymbologyOption2(symbology(), id, value);
}

}  // namespace zorvan

// Symbology options: thin calls into the option tables.
#include "plugin/zorvan_scanner.h"
#include "symbology/option_table.h"

namespace zorvan {

int16_t ZorvanScannerInterface::GetOptionB2() {
  return getPairedOption(*state_, PairedOption::kB2);
}
int16_t ZorvanScannerInterface::GetOptionA4() {
  return getPairedOption(*state_, PairedOption::kA4);
}
int16_t ZorvanScannerInterface::GetOptionA1() {
  return getPairedOption(*state_, PairedOption::kA1);
}
int16_t ZorvanScannerInterface::GetOptionIByKind(int32_t kind) {
  return getOptionByKind(*state_, kind);
}
int16_t ZorvanScannerInterface::GetOptionITriple() {
  return getPairedOption(*state_, PairedOption::kITriple);
}
// Through the operation table, as a host call would go.
int16_t ZorvanScannerInterface::GetOptionIKind3() {
  ScannerInterface1& self = *this;
  return self.GetOptionIByKind(3);
}
int16_t ZorvanScannerInterface::GetOptionE1() {
  return getPairedOption(*state_, PairedOption::kE1);
}
int16_t ZorvanScannerInterface::GetOptionF1Bit1() { return getOptionF1Bit1(*state_); }
int16_t ZorvanScannerInterface::GetOptionB1() {
  return getPairedOption(*state_, PairedOption::kB1);
}
int16_t ZorvanScannerInterface::GetSymbologyOption(int32_t id) {
  return getSymbologyOption(*state_, id);
}
int16_t ZorvanScannerInterface::GetOptionJ() { return getPairedOption(*state_, PairedOption::kJ); }
int16_t ZorvanScannerInterface::GetSymbologyOption2(int32_t id) {
  return getSymbologyOption2(*state_, id);
}

int16_t ZorvanScannerInterface::SetOptionB2(int32_t flag) {
  return setPairedOption(*state_, PairedOption::kB2, flag);
}
int16_t ZorvanScannerInterface::SetOptionA4(int32_t flag) {
  return setPairedOption(*state_, PairedOption::kA4, flag);
}
int16_t ZorvanScannerInterface::SetOptionA1(int32_t flag) {
  return setPairedOption(*state_, PairedOption::kA1, flag);
}
int16_t ZorvanScannerInterface::SetOptionIByKind(int32_t kind, int32_t flag) {
  return setOptionByKind(*state_, kind, flag);
}
int16_t ZorvanScannerInterface::SetOptionITriple(int32_t state) {
  return setPairedOption(*state_, PairedOption::kITriple, state);
}
// Through the operation table, as a host call would go.
int16_t ZorvanScannerInterface::SetOptionIKind3(int32_t flag) {
  ScannerInterface1& self = *this;
  return self.SetOptionIByKind(3, flag);
}
int16_t ZorvanScannerInterface::SetOptionE1(int32_t state) {
  return setPairedOption(*state_, PairedOption::kE1, state);
}
int16_t ZorvanScannerInterface::SetOptionF1Bit1(int32_t flag) {
  return setOptionF1Bit1(*state_, flag);
}
int16_t ZorvanScannerInterface::SetOptionB1(int32_t flag) {
  return setPairedOption(*state_, PairedOption::kB1, flag);
}
int16_t ZorvanScannerInterface::SetSymbologyOption(int32_t id, int32_t value) {
  return setSymbologyOption(*state_, id, value);
}
int16_t ZorvanScannerInterface::SetOptionJ(int32_t state) {
  return setPairedOption(*state_, PairedOption::kJ, state);
}
int16_t ZorvanScannerInterface::SetSymbologyOption2(int32_t id, uint16_t value) {
  return setSymbologyOption2(*state_, id, value);
}

}  // namespace zorvan

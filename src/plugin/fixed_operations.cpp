// Operations with fixed answers: the nine unsupported positions, the no-ops,
// the fixed flags, and the three identity texts.
#include "plugin/fixed_operations.h"

#include <string.h>

#include "platform/text_format.h"
#include "plugin/zorvan_scanner.h"

// The date this library was built, "Mmm dd yyyy" with a blank before a
// single-digit day. A build may pin it for reproducible output.
#ifndef ZORVAN_BUILD_DATE
#define ZORVAN_BUILD_DATE __DATE__
#endif

namespace zorvan {

namespace {

const char kModelName[] = "ITCKVP";
const char kInterfaceId[] = "KVSym01";

int16_t notSupported() { return ResultUnsupported; }

}  // namespace

void formatBuildVersion(const char* buildDate, char (&out)[6]) {
  char month[3] = {buildDate[0], buildDate[1], 0};
  if (strncmp(buildDate, "Jun", 3) == 0) month[1] = 'n';
  if (strncmp(buildDate, "Jul", 3) == 0) month[1] = 'l';
  char day[3] = {buildDate[4] == ' ' ? '0' : buildDate[4], buildDate[5], 0};
  formatText(out, sizeof out, "%.1s%.2s%.2s", buildDate + 10, month, day);
}

int16_t writeFixedText(char* buffer, int32_t size, const char* text) {
  if (size <= 0) return ResultOk;
  if (buffer == nullptr) return ResultRejected;
  formatText(buffer, static_cast<size_t>(size), "%s", text);
  return ResultOk;
}

int16_t ZorvanScannerInterface::NotSupported6() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported15() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported16() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported38() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported51() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported55() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported67() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported75() { return notSupported(); }
int16_t ZorvanScannerInterface::NotSupported84() { return notSupported(); }

int16_t ZorvanScannerInterface::NoOpA() { return 0; }
int16_t ZorvanScannerInterface::NoOpB() { return 0; }
int16_t ZorvanScannerInterface::FixedTrueA() { return 1; }
int16_t ZorvanScannerInterface::FixedTrueB() { return 1; }
int16_t ZorvanScannerInterface::AcceptValueOne(int32_t value) {
  return value == 1 ? ResultOk : ResultUnsupported;
}

int16_t ZorvanScannerInterface::GetScannerModelName(char* buffer, int32_t size) {
  return writeFixedText(buffer, size, kModelName);
}

int16_t ZorvanScannerInterface::GetInterfaceId(char* buffer, int32_t size) {
  return writeFixedText(buffer, size, kInterfaceId);
}

int16_t ZorvanScannerInterface::GetBuildVersion(char* buffer, int32_t size) {
  char version[6];
  formatBuildVersion(ZORVAN_BUILD_DATE, version);
  return writeFixedText(buffer, size, version);
}

}  // namespace zorvan

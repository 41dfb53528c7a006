// Label retrieval: the host fetches the last label.
#include "acquisition/label_retrieval.h"

#include <string.h>

#include "common/byte_order.h"
#include "plugin/zorvan_scanner.h"
#include "symbology/reported_symbology.h"

namespace zorvan {

namespace {

// Longest label a record carries; the data area keeps room for its zero and
// two more.
constexpr uint16_t kRecordLabelMax = 255;
constexpr uint32_t kRecordDataOffset = 6;
static_assert(kRecordDataOffset + kRecordLabelMax + 3 == LabelRecordSize, "record layout");

}  // namespace

int16_t getLastLabelRecord(ScannerState& state, uint8_t* record) {
  if (record == nullptr) return ResultRejected;
  uint8_t local[LabelRecordSize];
  memset(local, 0, sizeof local);
  uint16_t length = 0;
  uint16_t symbology = 0;
  {
    MutexLocker lock(state.labelLock);
    if (state.labelPending) {
      length = state.labelLength < kRecordLabelMax ? state.labelLength : kRecordLabelMax;
      symbology = mapReportedSymbology(state.labelSymbology);
      memcpy(local + kRecordDataOffset, state.labelBuffer, length);
      state.labelPending = 0;
    } else {
      length = 2;
      local[kRecordDataOffset] = 'N';
      local[kRecordDataOffset + 1] = 'R';
    }
  }
  putBigEndian16(local + 0, length);
  putBigEndian16(local + 2, symbology);
  putBigEndian16(local + 4, 0);
  memcpy(record, local, sizeof local);
  return ResultOk;
}

int16_t readLabel(ScannerState& state, int32_t maxCount, int16_t* symbology, char* buffer) {
  if (maxCount < 0 || symbology == nullptr || buffer == nullptr) return ResultRejected;
  MutexLocker lock(state.labelLock);
  if (state.labelPending) {
    const uint32_t count = static_cast<uint32_t>(maxCount);
    const uint32_t n = count < state.labelLength ? count : state.labelLength;
    *symbology = mapReportedSymbology(state.labelSymbology);
    memcpy(buffer, state.labelBuffer, n);
    buffer[n] = '\0';
    state.labelPending = 0;
  } else {
    *symbology = 0;
    buffer[0] = '\0';
  }
  return ResultOk;
}

int16_t ZorvanScannerInterface::GetLastLabelRecord(uint8_t* record) {
  return getLastLabelRecord(*state_, record);
}

int16_t ZorvanScannerInterface::ReadLabel(int32_t maxCount, int16_t* symbology, char* buffer) {
  return readLabel(*state_, maxCount, symbology, buffer);
}

}  // namespace zorvan

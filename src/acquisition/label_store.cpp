#include "acquisition/label_store.h"

#include <string.h>

#include "common/byte_order.h"
#include "scanner_interface1.h"
#include "symbology/reported_symbology.h"

namespace zorvan {

namespace {

bool affixWanted(int8_t character, int16_t mode, int16_t bit) {
  return character > 0 && (mode & bit) != 0;
}

// Longest label a record carries; the data area keeps room for its zero and
// two more.
constexpr uint16_t kRecordLabelMax = 255;
constexpr uint32_t kRecordDataOffset = 6;
static_assert(kRecordDataOffset + kRecordLabelMax + 3 == LabelRecordSize, "record layout");

}  // namespace

uint16_t assembleLabel(const uint8_t* data, uint32_t count, const Affixes& affixes,
                       uint8_t (&buffer)[kLabelBufferSize]) {
  constexpr uint32_t kCapacity = kLabelBufferSize - 1;
  memset(buffer, 0, sizeof buffer);
  uint32_t length = 0;
  auto append = [&](const uint8_t* bytes, uint32_t n) {
    const uint32_t room = kCapacity - length;
    const uint32_t taken = n < room ? n : room;
    if (taken > 0) memcpy(buffer + length, bytes, taken);
    length += taken;
  };
  const uint8_t prefix = static_cast<uint8_t>(affixes.prefix);
  const uint8_t suffix1 = static_cast<uint8_t>(affixes.suffix1);
  const uint8_t suffix2 = static_cast<uint8_t>(affixes.suffix2);
  if (affixWanted(affixes.prefix, affixes.mode, 4)) append(&prefix, 1);
  append(data, count);
  if (affixWanted(affixes.suffix1, affixes.mode, 1)) append(&suffix1, 1);
  if (affixWanted(affixes.suffix2, affixes.mode, 2)) append(&suffix2, 1);
  return static_cast<uint16_t>(length);
}

uint16_t LabelStore::store(const uint8_t* data, uint32_t count, const Affixes& affixes,
                           int32_t vendorSymbology) {
  MutexLocker lock(lock_);
  symbology_ = vendorSymbology;
  length_ = assembleLabel(data, count, affixes, buffer_);
  pending_ = true;
  return length_;
}

int16_t LabelStore::takeRecord(uint8_t* record) {
  if (record == nullptr) return ResultRejected;
  uint8_t local[LabelRecordSize];
  memset(local, 0, sizeof local);
  uint16_t length = 0;
  uint16_t symbology = 0;
  {
    MutexLocker lock(lock_);
    if (pending_) {
      length = length_ < kRecordLabelMax ? length_ : kRecordLabelMax;
      symbology = mapReportedSymbology(symbology_);
      memcpy(local + kRecordDataOffset, buffer_, length);
      pending_ = false;
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

int16_t LabelStore::takeText(int32_t maxCount, int16_t* symbology, char* buffer) {
  if (maxCount < 0 || symbology == nullptr || buffer == nullptr) return ResultRejected;
  MutexLocker lock(lock_);
  if (pending_) {
    const uint32_t count = static_cast<uint32_t>(maxCount);
    const uint32_t n = count < length_ ? count : length_;
    *symbology = mapReportedSymbology(symbology_);
    memcpy(buffer, buffer_, n);
    buffer[n] = '\0';
    pending_ = false;
  } else {
    *symbology = 0;
    buffer[0] = '\0';
  }
  return ResultOk;
}

void LabelStore::inspect(Contents& contents) {
  MutexLocker lock(lock_);
  contents.pending = pending_;
  contents.length = length_;
  contents.vendorSymbology = symbology_;
  memcpy(contents.bytes, buffer_, sizeof buffer_);
}

}  // namespace zorvan

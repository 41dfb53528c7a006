// The last label: written by the scan thread, taken once by the host.
#ifndef ZORVAN_ACQUISITION_LABEL_STORE_H
#define ZORVAN_ACQUISITION_LABEL_STORE_H

#include <stdint.h>

#include "platform/mutex.h"
#include "settings/settings.h"

namespace zorvan {

constexpr uint32_t kLabelBufferSize = 3000;

// Zero `buffer` and assemble prefix, the `count` delivered bytes, first and
// second suffix into it, as the affix mode selects; an affix of 0 or above
// 127 is never added. At most 2999 bytes are stored (cut at the end), so the
// last byte stays 0. Returns the stored length.
uint16_t assembleLabel(const uint8_t* data, uint32_t count, const Affixes& affixes,
                       uint8_t (&buffer)[kLabelBufferSize]);

// Only the most recent label is kept; a new one replaces it whether or not
// it was taken. Taking it, as a record or as text, consumes it: a label is
// delivered once, to whichever taker asks first.
class LabelStore {
 public:
  // Assemble a label from `count` delivered bytes with `affixes` and make it
  // the pending one. Returns its assembled length.
  uint16_t store(const uint8_t* data, uint32_t count, const Affixes& affixes,
                 int32_t vendorSymbology) ZV_EXCLUDES(lock_);

  // Fill the host's 264-byte label record with the pending label (at most
  // 255 bytes of it), or with the no-label record "NR" when none is pending,
  // and consume the label. ResultRejected for a null record, leaving the
  // label pending.
  int16_t takeRecord(uint8_t* record) ZV_EXCLUDES(lock_);

  // Copy at most `maxCount` bytes of the pending label into `buffer`, a zero
  // after them, store its reported symbology and consume the label; with
  // none pending, an empty text and symbology 0. ResultRejected for a
  // negative count or a null pointer, leaving the label pending.
  int16_t takeText(int32_t maxCount, int16_t* symbology, char* buffer) ZV_EXCLUDES(lock_);

  // What is stored, for tests: a copy taken under the lock.
  struct Contents {
    bool pending;
    uint16_t length;
    int32_t vendorSymbology;
    uint8_t bytes[kLabelBufferSize];
  };
  void inspect(Contents& contents) ZV_EXCLUDES(lock_);

 private:
  // Guards the label between the scan thread and the takers.
  Mutex lock_;
  uint8_t buffer_[kLabelBufferSize] ZV_GUARDED_BY(lock_) = {};
  uint16_t length_ ZV_GUARDED_BY(lock_) = 0;
  int32_t symbology_ ZV_GUARDED_BY(lock_) = 0;
  bool pending_ ZV_GUARDED_BY(lock_) = false;
};

}  // namespace zorvan

#endif  // ZORVAN_ACQUISITION_LABEL_STORE_H

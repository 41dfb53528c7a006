// The scan thread: the one place where labels enter the plug-in.
#ifndef ZORVAN_ACQUISITION_SCAN_THREAD_H
#define ZORVAN_ACQUISITION_SCAN_THREAD_H

#include <stdint.h>

#include "plugin/scanner_state.h"

namespace zorvan {

// Size of the thread's read buffer, and so the most label bytes one read can
// deliver.
constexpr uint32_t kReadBufferSize = 7095;

// Driver results that end the thread without a debug message: a cancelled
// read.
constexpr int32_t kReadCancelled = static_cast<int32_t>(0xC1600147u);
constexpr int32_t kReadAborted = -4;

struct Affixes {
  int8_t prefix;
  int8_t suffix1;
  int8_t suffix2;
  int16_t mode;  // bit 2 prefix, bit 0 first suffix, bit 1 second suffix
};

// Zero `buffer` and assemble prefix, the `count` delivered bytes, first and
// second suffix into it, as the affix mode selects; an affix of 0 or above
// 127 is never added. At most 2999 bytes are stored (cut at the end), so the
// last byte stays 0. Returns the stored length.
uint16_t assembleLabel(const uint8_t* data, uint32_t count, const Affixes& affixes,
                       uint8_t (&buffer)[kLabelBufferSize]);

// The 24-byte scan event record for a label of `length` assembled bytes.
void buildScanEventRecord(uint16_t length, uint8_t (&record)[ScanEventRecordSize]);

// Start the scan thread on `state` for a new enable period. False when it
// could not be created.
bool startScanThread(ScannerState& state);

// Ask the scan thread to end: from now on it stores and announces nothing
// more, cuts short the pause it may be playing, and ends at its next chance.
void stopScanThreadDelivery(ScannerState& state);

// Wait until a delivery to the host under way has finished, after
// stopScanThreadDelivery; from then on no callback of the scan thread
// reaches the host. Returns at once on the scan thread itself.
void waitForDeliveryToStop(ScannerState& state);

// True when the calling thread is the object's running scan thread (a host
// operation called from inside one of the callbacks).
bool calledFromScanThread(ScannerState& state);

// Clears the process-wide "missing event callback" warning flag (tests).
void resetMissingEventCallbackWarning();

}  // namespace zorvan

#endif  // ZORVAN_ACQUISITION_SCAN_THREAD_H

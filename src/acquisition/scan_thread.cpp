#include "acquisition/scan_thread.h"

#include <string.h>

#include "feedback/tones.h"
#include "plugin/byte_order.h"

namespace zorvan {

namespace {

// The good-read beep.
constexpr uint32_t kGoodReadPattern = 27;

// Set once the missing-event-callback warning has gone out, for all objects.
std::atomic<bool> gMissingCallbackWarned{false};

const char kMissingCallbackWarning[] =
    "No scan events generated. Implementer must call SetEvtAddEventToQueueCallBack after "
    "creating new ScannerInterface1 object";

bool affixWanted(int8_t character, int16_t mode, int16_t bit) {
  return character > 0 && (mode & bit) != 0;
}

// Hand one label to the host: the event (or the one-time warning), then the
// good-read beep, whose pauses end early when the thread is asked to stop.
// Runs with the delivery lock held.
void deliverLabel(ScannerState& state, const uint8_t (&record)[ScanEventRecordSize]) {
  if (EventQueueCallback event = state.eventCallback) {
    event(record);
  } else if (!gMissingCallbackWarned.load(std::memory_order_relaxed)) {
    if (DebugMessageCallback debug = state.debugCallback) debug(kMissingCallbackWarning);
    gMissingCallbackWarned.store(true, std::memory_order_relaxed);
  }
  // The event callback itself may have stopped the thread (DisableScanner
  // or the destructor called from inside it).
  if (state.stopping.load(std::memory_order_acquire)) return;
  if (state.configReady && state.applied.goodReadBeep) {
    playTonePattern(state, kGoodReadPattern, &state.stopEvent);
  }
}

void reportReadFailure(ScannerState& state, int32_t result) {
  if (result == kReadCancelled || result == kReadAborted) return;
  MutexLocker delivery(state.deliveryLock);
  if (state.stopping.load(std::memory_order_acquire)) return;
  if (DebugMessageCallback debug = state.debugCallback) {
    debug("Debug ITCSCAN_SyncRead returned 0x%08lx",
          static_cast<unsigned long>(static_cast<uint32_t>(result)));
  }
}

uint32_t scanThreadMain(void* argument) {
  ScannerState& state = *static_cast<ScannerState*>(argument);
  state.scanThreadId.store(state.platform.currentThreadId(), std::memory_order_relaxed);
  uint8_t readBuffer[kReadBufferSize];
  while (!state.stopping.load(std::memory_order_acquire)) {
    if (state.configReady) silenceDeviceBeeper(state);

    ReadRequest request;
    memset(&request, 0, sizeof request);
    memset(readBuffer, 0, sizeof readBuffer);
    request.data = readBuffer;
    request.bufferSize = kReadBufferSize;
    request.timeout = -1;
    const int32_t result = state.vendor.ITCSCAN_SyncRead(state.driverHandle, &request);
    if (result < 0) {
      reportReadFailure(state, result);
      break;
    }

    // A driver that claims more than the buffer holds is taken at its buffer.
    const uint32_t delivered =
        request.bytesReturned < kReadBufferSize ? request.bytesReturned : kReadBufferSize;
    const Affixes affixes{state.prefix, state.suffix1, state.suffix2, state.affixMode};
    MutexLocker delivery(state.deliveryLock);
    // Asked to stop while the driver was reading: this label is dropped.
    if (state.stopping.load(std::memory_order_acquire)) break;
    uint8_t record[ScanEventRecordSize];
    {
      MutexLocker lock(state.labelLock);
      state.labelSymbology = request.symbology;
      state.labelLength = assembleLabel(readBuffer, delivered, affixes, state.labelBuffer);
      state.labelPending = 1;
      buildScanEventRecord(state.labelLength, record);
    }
    deliverLabel(state, record);
  }
  state.scanThreadId.store(0, std::memory_order_relaxed);
  return 1;
}

// The thread's share of the state goes when the thread has ended.
void scanThreadAfterEnd(void* argument) { releaseState(static_cast<ScannerState*>(argument)); }

}  // namespace

uint16_t assembleLabel(const uint8_t* data, uint32_t count, const Affixes& affixes,
                       uint8_t (&buffer)[kLabelBufferSize]) {
  constexpr uint32_t kCapacity = kLabelBufferSize - 1;
  memset(buffer, 0, sizeof buffer);
  uint32_t length = 0;
  auto append = [&](const uint8_t* bytes, uint32_t n) {
    const uint32_t room = kCapacity - length;
    const uint32_t taken = n < room ? n : room;
    memcpy(buffer + length, bytes, taken);
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

void buildScanEventRecord(uint16_t length, uint8_t (&record)[ScanEventRecordSize]) {
  memset(record, 0, sizeof record);
  record[0] = 0x87;
  record[1] = 0xFF;
  if (length > 255) {
    putBigEndian16(record + 8, 1);
    putBigEndian16(record + 10, length);
  }
}

bool startScanThread(ScannerState& state) {
  state.stopping.store(false, std::memory_order_release);
  state.stopEvent.reset();
  retainState(state);
  if (state.platform.startThread(state.scanThread, scanThreadMain, scanThreadAfterEnd, &state)) {
    return true;
  }
  // Not the last share: the object still holds its own.
  state.references.fetch_sub(1, std::memory_order_relaxed);
  return false;
}

bool calledFromScanThread(ScannerState& state) {
  const uint32_t scanThread = state.scanThreadId.load(std::memory_order_relaxed);
  return scanThread != 0 && scanThread == state.platform.currentThreadId();
}

void stopScanThreadDelivery(ScannerState& state) {
  state.stopping.store(true, std::memory_order_release);
  state.stopEvent.set();
}

void waitForDeliveryToStop(ScannerState& state) {
  // On the scan thread itself, inside a callback, the delivery under way is
  // the caller's own; the thread sees `stopping` once the callback returns.
  if (calledFromScanThread(state)) return;
  MutexLocker delivery(state.deliveryLock);
}

void resetMissingEventCallbackWarning() {
  gMissingCallbackWarned.store(false, std::memory_order_relaxed);
}

}  // namespace zorvan

#include "acquisition/scan_thread.h"

#include <string.h>

#include <utility>

#include "common/byte_order.h"
#include "device/device_settings.h"

namespace zorvan {

namespace {

// The good-read beep.
constexpr uint32_t kGoodReadPattern = 27;

// Set once the missing-event-callback warning has gone out, for all objects.
std::atomic<bool> gMissingCallbackWarned{false};

const char kMissingCallbackWarning[] =
    "No scan events generated. Implementer must call SetEvtAddEventToQueueCallBack after "
    "creating new ScannerInterface1 object";

}  // namespace

void buildScanEventRecord(uint16_t length, uint8_t (&record)[ScanEventRecordSize]) {
  memset(record, 0, sizeof record);
  record[0] = 0x87;
  record[1] = 0xFF;
  if (length > 255) {
    putBigEndian16(record + 8, 1);
    putBigEndian16(record + 10, length);
  }
}

bool ScanThread::start(SharedReference keepAlive) {
  stopping_.store(false, std::memory_order_release);
  stopEvent_.reset();
  threadShare_ = std::move(keepAlive);
  if (sources_.platform.startThread(slot_, run, afterEnd, this)) return true;
  threadShare_.release();  // not the last share: the object still holds its own
  return false;
}

void ScanThread::requestStop() {
  stopping_.store(true, std::memory_order_release);
  stopEvent_.set();
}

bool ScanThread::wait(uint32_t timeoutMs) {
  // On the thread itself, inside a callback, the delivery under way is the
  // caller's own; the thread sees the stop once the callback returns.
  if (isCallingThread()) return false;
  if (sources_.platform.waitThread(slot_, timeoutMs)) return true;
  MutexLocker delivery(deliveryLock_);  // a delivery under way finishes first
  return false;
}

void ScanThread::leave() {
  if (!slot_.recorded) return;
  sources_.platform.pinModule();
  sources_.platform.detachThread(slot_);
}

bool ScanThread::isCallingThread() const {
  const uint32_t id = threadId_.load(std::memory_order_relaxed);
  return id != 0 && id == sources_.platform.currentThreadId();
}

uint32_t ScanThread::run(void* self) {
  static_cast<ScanThread*>(self)->loop();
  return 1;
}

// The thread's share of the state goes when the thread has ended. It is
// taken out of the object first: letting it go may free the object.
void ScanThread::afterEnd(void* self) {
  SharedReference share = std::move(static_cast<ScanThread*>(self)->threadShare_);
  share.release();
}

void ScanThread::loop() {
  const ScanSources& s = sources_;
  threadId_.store(s.platform.currentThreadId(), std::memory_order_relaxed);
  uint8_t readBuffer[kReadBufferSize];
  while (!stopRequested()) {
    if (s.configReady) silenceDeviceBeeper(s.vendor);

    ReadRequest request;
    memset(&request, 0, sizeof request);
    memset(readBuffer, 0, sizeof readBuffer);
    request.data = readBuffer;
    request.bufferSize = kReadBufferSize;
    request.timeout = -1;
    const int32_t result = s.vendor.ITCSCAN_SyncRead(s.driverHandle, &request);
    if (result < 0) {
      reportReadFailure(result);
      break;
    }

    // A driver that claims more than the buffer holds is taken at its buffer.
    const uint32_t delivered =
        request.bytesReturned < kReadBufferSize ? request.bytesReturned : kReadBufferSize;
    const Affixes affixes = s.settings.affixes();
    MutexLocker delivery(deliveryLock_);
    // Asked to stop while the driver was reading: this label is dropped.
    if (stopRequested()) break;
    uint8_t record[ScanEventRecordSize];
    buildScanEventRecord(s.labels.store(readBuffer, delivered, affixes, request.symbology), record);
    deliver(record);
  }
  threadId_.store(0, std::memory_order_relaxed);
}

// Hand one label to the host: the event (or the one-time warning), then the
// good-read beep, whose pauses end early when the thread is asked to stop.
void ScanThread::deliver(const uint8_t (&record)[ScanEventRecordSize]) {
  const ScanSources& s = sources_;
  if (EventQueueCallback event = s.callbacks.event) {
    event(record);
  } else if (!gMissingCallbackWarned.load(std::memory_order_relaxed)) {
    if (DebugMessageCallback debug = s.callbacks.debug) debug(kMissingCallbackWarning);
    gMissingCallbackWarned.store(true, std::memory_order_relaxed);
  }
  // The event callback itself may have stopped the thread (DisableScanner
  // or the destructor called from inside it).
  if (stopRequested()) return;
  if (s.configReady && s.settings.goodReadBeepApplied()) {
    s.tones.playPattern(kGoodReadPattern, &stopEvent_);
  }
}

void ScanThread::reportReadFailure(int32_t result) {
  if (result == kReadCancelled || result == kReadAborted) return;
  MutexLocker delivery(deliveryLock_);
  if (stopRequested()) return;
  if (DebugMessageCallback debug = sources_.callbacks.debug) {
    debug("Debug ITCSCAN_SyncRead returned 0x%08lx",
          static_cast<unsigned long>(static_cast<uint32_t>(result)));
  }
}

void resetMissingEventCallbackWarning() {
  gMissingCallbackWarned.store(false, std::memory_order_relaxed);
}

}  // namespace zorvan

#include "acquisition/scan_thread.h"

#include <string.h>

#include <type_traits>
#include <utility>

#include "common/byte_order.h"
#include "device/device_settings.h"

namespace zorvan {

namespace {

// The good-read beep.
constexpr uint32_t kGoodReadPattern = 27;

// Set once the missing-event-callback warning has gone out, for all objects.
// Never destroyed, so a thread left running may read it during exit.
std::atomic<bool> gMissingCallbackWarned{false};
static_assert(std::is_trivially_destructible<std::atomic<bool>>::value, "no destructor runs");

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
  {
    // No thread of this object runs now: the last one was collected.
    MutexLocker decision(lock_);
    stopping_.store(false, std::memory_order_release);
    cutOff_ = false;
    ending_ = false;
    stopEvent_.reset();
  }
  threadShare_ = std::move(keepAlive);
  if (sources_.platform.startThread(slot_, run, afterEnd, this)) return true;
  threadShare_.release();  // not the last share: the object still holds its own
  return false;
}

void ScanThread::requestStop() {
  MutexLocker decision(lock_);
  stopping_.store(true, std::memory_order_release);
  stopEvent_.set();
}

bool ScanThread::wait(uint32_t timeoutMs) {
  if (!slot_.recorded) return true;
  // On the thread itself, inside a callback, there is nothing to wait for:
  // the caller is that callback.
  if (!isCallingThread() && sources_.platform.waitThread(slot_, timeoutMs)) return true;
  MutexLocker decision(lock_);
  cutOff_ = true;
  return false;
}

bool ScanThread::takeBack() {
  MutexLocker decision(lock_);
  if (!slot_.recorded || ending_) return false;
  stopping_.store(false, std::memory_order_release);
  cutOff_ = false;
  stopEvent_.reset();
  return true;
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

bool ScanThread::keepReading() {
  MutexLocker decision(lock_);
  if (stopping_.load(std::memory_order_relaxed)) ending_ = true;
  return !ending_;
}

bool ScanThread::mayCallBack() {
  MutexLocker decision(lock_);
  if (cutOff_) return false;
  countCallback();
  return true;
}

void ScanThread::loop() {
  const ScanSources& s = sources_;
  threadId_.store(s.platform.currentThreadId(), std::memory_order_relaxed);
  uint8_t readBuffer[kReadBufferSize];
  while (keepReading()) {
    // A stop that came during the settings call: the read is not begun, so
    // nothing depends on the driver keeping a cancel for a read it has not
    // seen yet.
    if (s.configReady) {
      silenceDeviceBeeper(s.vendor);
      if (!keepReading()) break;
    }

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
    deliver(readBuffer, delivered, request.symbology);
  }
  threadId_.store(0, std::memory_order_relaxed);
}

// Hand one label to the host: stored and announced (the event, or the
// one-time warning) unless the thread is cut off, then the good-read beep,
// whose pause ends early when the thread is asked to stop. A label the
// driver handed over after a stop request is still delivered: the host call
// that asked has not returned yet.
void ScanThread::deliver(const uint8_t* bytes, uint32_t count, int32_t symbology) {
  const ScanSources& s = sources_;
  const Affixes affixes = s.settings.affixes();
  uint8_t record[ScanEventRecordSize];
  {
    // Stored and its announcement decided at once, so a stored label is
    // always announced and a cut-off thread stores nothing.
    MutexLocker decision(lock_);
    if (cutOff_) return;
    buildScanEventRecord(s.labels.store(bytes, count, affixes, symbology), record);
    countCallback();
  }
  if (EventQueueCallback event = s.callbacks.event) {
    event(record);
  } else if (!gMissingCallbackWarned.load(std::memory_order_relaxed)) {
    if (DebugMessageCallback debug = s.callbacks.debug) debug(kMissingCallbackWarning);
    gMissingCallbackWarned.store(true, std::memory_order_relaxed);
  }
  if (s.configReady && s.settings.goodReadBeepApplied() && mayCallBack()) {
    s.tones.playPattern(kGoodReadPattern, &stopEvent_);
  }
}

// A failed read ends the thread: decided here, so the thread can no longer
// be taken back, then reported unless it is one of the usual results of a
// cancelled read or the thread is cut off.
void ScanThread::reportReadFailure(int32_t result) {
  bool report = false;
  {
    MutexLocker decision(lock_);
    ending_ = true;
    report = result != kReadCancelled && result != kReadAborted && !cutOff_;
    if (report) countCallback();
  }
  if (!report) return;
  if (DebugMessageCallback debug = sources_.callbacks.debug) {
    debug("Debug ITCSCAN_SyncRead returned 0x%08lx",
          static_cast<unsigned long>(static_cast<uint32_t>(result)));
  }
}

void resetMissingEventCallbackWarning() {
  gMissingCallbackWarned.store(false, std::memory_order_relaxed);
}

}  // namespace zorvan

#include "acquisition/scan_thread.h"

#include <string.h>

#include <type_traits>
#include <utility>

#include "common/byte_order.h"
#include "device/device_settings.h"

namespace zorvan {

namespace {

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
    MutexLocker decision(phaseLock_);
    phase_ = ScanPhase::Reading;
    lateCancel_ = false;
    stopEvent_.reset();
  }
  threadShare_ = std::move(keepAlive);
  if (sources_.platform.startThread(slot_, run, afterEnd, this)) return true;
  threadShare_.release();  // not the last share: the object still holds its own
  MutexLocker decision(phaseLock_);
  phase_ = ScanPhase::None;
  return false;
}

ScanPhase ScanThread::phase() {
  MutexLocker decision(phaseLock_);
  return phase_;
}

uint32_t ScanThread::callbacksDecided() {
  MutexLocker decision(phaseLock_);
  return callbacksDecided_;
}

void ScanThread::requestStop() {
  MutexLocker decision(phaseLock_);
  // A thread failing on its own ends as a stopped one: the host asked for
  // the end it was heading for.
  if (phase_ == ScanPhase::Reading || phase_ == ScanPhase::Failing) phase_ = ScanPhase::Stopping;
  stopEvent_.set();
}

bool ScanThread::stop(uint32_t timeoutMs) {
  bool waitedBefore = false;
  {
    MutexLocker decision(phaseLock_);
    if (phase_ == ScanPhase::None) return true;
    if (phase_ == ScanPhase::Reading || phase_ == ScanPhase::Failing) phase_ = ScanPhase::Stopping;
    waitedBefore = phase_ == ScanPhase::CutOff;
    stopEvent_.set();
  }
  uint32_t count1 = 0;
  uint32_t count2 = 0;
  sources_.vendor.ITCSCAN_CancelRead(sources_.driverHandle, 1, &count1, &count2);
  if (waitedBefore) return false;
  return waitForEnd(timeoutMs);
}

bool ScanThread::waitForEnd(uint32_t timeoutMs) {
  // On the thread itself, inside a callback, there is nothing to wait for:
  // the caller is that callback.
  if (!isCallingThread() && sources_.platform.waitThread(slot_, timeoutMs)) {
    MutexLocker decision(phaseLock_);
    phase_ = ScanPhase::None;
    return true;
  }
  cutOff();
  return false;
}

// From here on no callback of the thread is decided. One decided just before
// begins as soon as the thread runs again (it is between its decision and
// the call, with nothing to wait for): the host call waits for that moment,
// polling, so that the thread is not woken into a race with the caller's
// return, and gives up after kCallbackStartWaitMs, when the thread cannot run
// at all.
void ScanThread::cutOff() {
  uint32_t decided = 0;
  {
    MutexLocker decision(phaseLock_);
    if (phase_ == ScanPhase::Stopping) phase_ = ScanPhase::CutOff;
    decided = callbacksDecided_;
  }
  Platform& platform = sources_.platform;
  const uint32_t start = platform.milliseconds();
  while (callbacksBegun_.load(std::memory_order_acquire) != decided &&
         platform.milliseconds() - start < kCallbackStartWaitMs) {
    platform.pause(1, nullptr);
  }
}

void ScanThread::resume(uint32_t timeoutMs) {
  {
    MutexLocker decision(phaseLock_);
    switch (phase_) {
      case ScanPhase::Stopping:
      case ScanPhase::CutOff:
        // Still in its read, a callback or the settings call: it reads on as
        // this enable period's thread.
        phase_ = ScanPhase::Reading;
        lateCancel_ = true;
        stopEvent_.reset();
        return;
      case ScanPhase::EndedOnStop:
        break;  // collected below
      default:
        return;
    }
  }
  collect(timeoutMs);
}

bool ScanThread::collect(uint32_t timeoutMs) {
  if (!recorded()) return true;
  if (isCallingThread() || !sources_.platform.waitThread(slot_, timeoutMs)) return false;
  MutexLocker decision(phaseLock_);
  phase_ = ScanPhase::None;
  return true;
}

void ScanThread::collectOrLeave() {
  if (collect(0)) return;
  sources_.platform.pinModule();
  sources_.platform.detachThread(slot_);
  MutexLocker decision(phaseLock_);
  phase_ = ScanPhase::None;
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
  MutexLocker decision(phaseLock_);
  switch (phase_) {
    case ScanPhase::Reading:
      return true;
    case ScanPhase::Stopping:
    case ScanPhase::CutOff:
      phase_ = ScanPhase::EndedOnStop;
      return false;
    case ScanPhase::Failing:
      phase_ = ScanPhase::EndedOnFailure;
      return false;
    default:  // left by the object, or already ended
      return false;
  }
}

bool ScanThread::decideCallback(uint32_t& ticket) {
  switch (phase_) {
    case ScanPhase::Reading:
    case ScanPhase::Stopping:
    case ScanPhase::Failing:
      ticket = ++callbacksDecided_;
      return true;
    default:
      return false;
  }
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
      readFailed(result);
      continue;  // whether it reads again is decided at the top
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
  uint32_t ticket = 0;
  {
    // Stored and its announcement decided at once, so a stored label is
    // always announced and a cut-off thread stores nothing.
    MutexLocker decision(phaseLock_);
    lateCancel_ = false;  // this read was not the cancelled one
    if (!decideCallback(ticket)) return;
    buildScanEventRecord(s.labels.store(bytes, count, affixes, symbology), record);
  }
  beginCallback(ticket);
  if (EventQueueCallback event = s.callbacks.event) {
    event(record);
  } else if (!gMissingCallbackWarned.load(std::memory_order_relaxed)) {
    if (DebugMessageCallback debug = s.callbacks.debug) debug(kMissingCallbackWarning);
    gMissingCallbackWarned.store(true, std::memory_order_relaxed);
  }
  if (!s.configReady || !s.settings.goodReadBeepApplied()) return;
  {
    MutexLocker decision(phaseLock_);
    if (!decideCallback(ticket)) return;
  }
  beginCallback(ticket);
  s.tones.playPattern(kGoodReadBeepPattern, &stopEvent_);
}

// A failed read. While the thread reads as the object's scan thread it is
// the driver's failure, and the thread ends after reporting it; after a stop
// request it is the cancel's doing, reported the same way, and whether the
// thread reads again is the host's decision (a take-back). A cancel result
// for the first read after a take-back is the withdrawn stop's cancel,
// honoured late: the thread reads again. The usual results of a cancelled
// read, 0xC1600147 and -4, are never reported, nor is anything once the
// thread is cut off.
void ScanThread::readFailed(int32_t result) {
  const bool cancelResult = result == kReadCancelled || result == kReadAborted;
  uint32_t ticket = 0;
  {
    MutexLocker decision(phaseLock_);
    const bool lateCancel = lateCancel_;
    lateCancel_ = false;
    if (phase_ == ScanPhase::Reading) {
      if (cancelResult && lateCancel) return;
      phase_ = ScanPhase::Failing;
    }
    if (cancelResult || !decideCallback(ticket)) return;
  }
  beginCallback(ticket);
  if (DebugMessageCallback debug = sources_.callbacks.debug) {
    debug("Debug ITCSCAN_SyncRead returned 0x%08lx",
          static_cast<unsigned long>(static_cast<uint32_t>(result)));
  }
}

void resetMissingEventCallbackWarning() {
  gMissingCallbackWarned.store(false, std::memory_order_relaxed);
}

}  // namespace zorvan

// The scan thread: the one place where labels enter the plug-in.
#ifndef ZORVAN_ACQUISITION_SCAN_THREAD_H
#define ZORVAN_ACQUISITION_SCAN_THREAD_H

#include <stdint.h>

#include <atomic>

#include "acquisition/label_store.h"
#include "common/relaxed.h"
#include "common/shared_block.h"
#include "device/vendor_api.h"
#include "feedback/tone_player.h"
#include "platform/event.h"
#include "platform/mutex.h"
#include "platform/platform.h"
#include "platform/thread_slot.h"
#include "scanner_interface1.h"
#include "settings/settings.h"

namespace zorvan {

// Size of the thread's read buffer, and so the most label bytes one read can
// deliver.
constexpr uint32_t kReadBufferSize = 7095;

// Driver results that end the thread without a debug message: a cancelled
// read.
constexpr int32_t kReadCancelled = static_cast<int32_t>(0xC1600147u);
constexpr int32_t kReadAborted = -4;

// The 24-byte scan event record for a label of `length` assembled bytes.
void buildScanEventRecord(uint16_t length, uint8_t (&record)[ScanEventRecordSize]);

// How long a host call that stops the scan thread waits for it to end.
constexpr uint32_t kStopWaitMs = 3000;
// How long a host call that cuts the thread off waits, at most, for a
// callback the thread decided on just before to begin (the thread is then
// between its decision and the call).
constexpr uint32_t kCallbackStartWaitMs = 20;

// The host's event and debug callbacks; registered on host threads, read by
// the scan thread without a lock.
struct ScanCallbacks {
  Relaxed<EventQueueCallback> event;
  Relaxed<DebugMessageCallback> debug;
};

// What the scan thread works with, all owned by the object's shared state,
// which the running thread keeps alive with a share of its own.
struct ScanSources {
  const VendorApi& vendor;
  Platform& platform;
  const Relaxed<int32_t>& driverHandle;
  const Relaxed<uint8_t>& configReady;  // the driver and DeviceConfig were both opened
  LabelStore& labels;
  const Settings& settings;  // the affixes and the applied good-read beep
  TonePlayer& tones;         // the good-read beep
  const ScanCallbacks& callbacks;
};

// Where the object's scan thread is in its life, as the host calls see it.
enum class ScanPhase : uint8_t {
  None,            // no thread recorded (never started, collected, or left)
  Reading,         // the object's scan thread: it reads, stores and announces labels
  Stopping,        // asked to stop: begins no new read; still announces a label the
                   // driver handed over and reports a failed read
  CutOff,          // asked to stop, and a host call's wait for it ran out: no callback
                   // of it begins any more
  Failing,         // the driver failed a read: the thread reports it and ends
  EndedOnStop,     // left its loop after being asked to stop
  EndedOnFailure,  // left its loop after the driver failed a read
};

// The object's scan thread: at most one recorded at a time. It is started,
// stopped, taken back, collected and left on host threads; it is never ended
// by force (a thread killed inside the driver or a host callback would leave
// their locks held).
//
// No host call ever waits on a callback. The thread takes `phaseLock_` only
// to decide (whether to read again, whether a callback may begin, storing a
// label), never while a callback, the driver or a pause runs; every change
// of phase is made under it. A host call whose wait for the thread runs out
// cuts the thread off under the same lock, then waits briefly for a callback
// the thread had already decided on to begin: once the call returns, no
// callback of the thread begins, while one already running may finish.
class ScanThread {
 public:
  explicit ScanThread(const ScanSources& sources) : sources_(sources) {}
  ScanThread(const ScanThread&) = delete;
  ScanThread& operator=(const ScanThread&) = delete;

  // Start a thread for a new enable period, holding `keepAlive` (a share of
  // the block this object lives in) until it ends. The thread is recorded
  // before it runs. False when it could not be created; the share is then
  // given back.
  bool start(SharedReference keepAlive) ZV_EXCLUDES(phaseLock_);
  // A thread has been started and not yet collected or left.
  bool recorded() ZV_EXCLUDES(phaseLock_) { return phase() != ScanPhase::None; }
  ScanPhase phase() ZV_EXCLUDES(phaseLock_);

  // Ask the thread to end without waiting: it begins no new read and cuts
  // short the pause it may be playing.
  void requestStop() ZV_EXCLUDES(phaseLock_);
  // Stop the recorded thread: ask it to end, cancel its read and wait up to
  // `timeoutMs` for it. True when no thread is recorded afterwards. A thread
  // whose wait runs out is cut off and stays recorded; one already cut off
  // by an earlier stop is not waited for again, nor is the thread waited for
  // on itself (from inside one of its callbacks).
  bool stop(uint32_t timeoutMs) ZV_EXCLUDES(phaseLock_);
  // Bring the recorded thread back for a new enable period: a thread asked
  // to stop that has not ended is taken back (its stop and cut-off
  // withdrawn, so it reads and delivers on); one that ended after being
  // asked to stop is collected, waiting up to `timeoutMs`, so a new one can
  // start. A thread that ended on a failed read stays recorded.
  void resume(uint32_t timeoutMs) ZV_EXCLUDES(phaseLock_);
  // Wait up to `timeoutMs` for the recorded thread to end and collect it,
  // without stopping it. True when no thread is recorded afterwards.
  bool collect(uint32_t timeoutMs) ZV_EXCLUDES(phaseLock_);
  // Collect a thread that has ended; leave one that has not: the plug-in's
  // module is pinned first, so the host cannot unload the code from under
  // it, and the thread ends by itself with its share of the state.
  void collectOrLeave() ZV_EXCLUDES(phaseLock_);

  // True when the calling thread is this thread (a host operation called
  // from inside one of the callbacks).
  bool isCallingThread() const;
  // Host callbacks the threads of this object have decided to begin. Once a
  // stop's host call has returned the count no longer grows (tests).
  uint32_t callbacksDecided() ZV_EXCLUDES(phaseLock_);

 private:
  static uint32_t run(void* self);
  static void afterEnd(void* self);
  void loop();
  // Whether to begin another read; when not, the thread has ended.
  bool keepReading() ZV_EXCLUDES(phaseLock_);
  // Whether a callback may begin in this phase; when it may, `ticket` is its
  // number, to be passed to beginCallback right before the call.
  bool decideCallback(uint32_t& ticket) ZV_REQUIRES(phaseLock_);
  void beginCallback(uint32_t ticket) { callbacksBegun_.store(ticket, std::memory_order_release); }
  // The wait for a thread asked to stop, and the cut-off when it runs out.
  bool waitForEnd(uint32_t timeoutMs) ZV_EXCLUDES(phaseLock_);
  void cutOff() ZV_EXCLUDES(phaseLock_);
  void deliver(const uint8_t* bytes, uint32_t count, int32_t symbology) ZV_EXCLUDES(phaseLock_);
  void readFailed(int32_t result) ZV_EXCLUDES(phaseLock_);

  ScanSources sources_;
  // Started, waited for and forgotten on host threads.
  ThreadSlot slot_;
  // The running thread's share of the state, given back when it ends.
  SharedReference threadShare_;
  // Id of the running thread, so an operation called from inside a callback
  // can tell it runs on that thread.
  std::atomic<uint32_t> threadId_{0};
  // Guards the thread's phase and its callback decisions between the thread
  // and the host calls that start, stop, take back and collect it.
  Mutex phaseLock_;
  ScanPhase phase_ ZV_GUARDED_BY(phaseLock_) = ScanPhase::None;
  // A stop that sent a cancel was withdrawn: the first read to complete may
  // still be ended by that cancel.
  bool lateCancel_ ZV_GUARDED_BY(phaseLock_) = false;
  // Callbacks decided, and the number of the last one begun. Only the
  // thread writes the second (a plain store right before each call); a host
  // call that cut the thread off reads it to wait for a decided callback to
  // begin.
  uint32_t callbacksDecided_ ZV_GUARDED_BY(phaseLock_) = 0;
  std::atomic<uint32_t> callbacksBegun_{0};
  // Set with a stop request; cuts short a pause of the good-read pattern.
  Event stopEvent_;
};

// Clears the process-wide "missing event callback" warning flag (tests).
void resetMissingEventCallbackWarning();

}  // namespace zorvan

#endif  // ZORVAN_ACQUISITION_SCAN_THREAD_H

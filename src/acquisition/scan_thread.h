// The scan thread: the one place where labels enter the plug-in.
#ifndef ZORVAN_ACQUISITION_SCAN_THREAD_H
#define ZORVAN_ACQUISITION_SCAN_THREAD_H

#include <stdint.h>

#include <atomic>

#include "acquisition/label_store.h"
#include "common/relaxed.h"
#include "common/shared_block.h"
#include "device/platform.h"
#include "device/vendor_api.h"
#include "feedback/tone_player.h"
#include "scanner_interface1.h"
#include "settings/settings_store.h"

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

// The object's scan thread: at most one recorded at a time. It is started,
// asked to stop, waited for, taken back and left on host threads; it is
// never ended by force (a thread killed inside the driver or a host callback
// would leave their locks held).
//
// No host call ever waits on a callback. The thread takes `lock_` only to
// decide (whether to read again, whether it may still call back, storing a
// label), never while a callback, the driver or a pause runs. A host call
// whose wait for the thread runs out cuts the thread off under the same
// lock: from then on no callback of the thread begins, while one already
// running may still run.
class ScanThread {
 public:
  explicit ScanThread(const ScanSources& sources) : sources_(sources) {}
  ScanThread(const ScanThread&) = delete;
  ScanThread& operator=(const ScanThread&) = delete;

  // Start a thread for a new enable period, holding `keepAlive` (a share of
  // the block this object lives in) until it ends. False when it could not
  // be created; the share is then given back.
  bool start(SharedReference keepAlive);
  // A thread has been started and not yet collected or left.
  bool recorded() const { return slot_.recorded; }

  // Ask the thread to end: it begins no new read and cuts short the pause it
  // may be playing. A label the driver has already handed over is still
  // delivered, and a failed read still reported, until the thread is cut
  // off.
  void requestStop() ZV_EXCLUDES(lock_);
  // Wait up to `timeoutMs` for a thread asked to stop. True when it ended
  // and was collected. Otherwise (at once when called on the thread itself,
  // from inside a callback) it is cut off and stays recorded: once this
  // returns, no callback of it begins.
  bool wait(uint32_t timeoutMs) ZV_EXCLUDES(lock_);
  // Withdraw the stop request and the cut-off of a recorded thread that has
  // not yet decided to end, so it reads and delivers on as the object's
  // scan thread. False when there is no such thread (none recorded, or it
  // has ended or is on its way out).
  bool takeBack() ZV_EXCLUDES(lock_);
  // Leave a thread that did not end: the plug-in's module is pinned first,
  // so the host cannot unload the code from under it, and the thread ends by
  // itself with its share of the state.
  void leave();

  // True when the calling thread is this thread (a host operation called
  // from inside one of the callbacks).
  bool isCallingThread() const;
  // The thread of this enable period has been asked to stop.
  bool stopRequested() const { return stopping_.load(std::memory_order_acquire); }
  // Host callbacks the threads of this object have begun (each counted as it
  // is decided, before it is called).
  uint32_t callbacksBegun() const { return callbacksBegun_.load(std::memory_order_acquire); }

 private:
  static uint32_t run(void* self);
  static void afterEnd(void* self);
  void loop();
  // Whether to begin another read; when not, the thread has decided to end.
  bool keepReading() ZV_EXCLUDES(lock_);
  // Whether a callback may begin now (the thread is not cut off); counted
  // when it may.
  bool mayCallBack() ZV_EXCLUDES(lock_);
  void deliver(const uint8_t* bytes, uint32_t count, int32_t symbology) ZV_EXCLUDES(lock_);
  void reportReadFailure(int32_t result) ZV_EXCLUDES(lock_);

  ScanSources sources_;
  // Started, waited for and forgotten on host threads.
  ThreadSlot slot_;
  // The running thread's share of the state, given back when it ends.
  SharedReference threadShare_;
  // Id of the running thread, so an operation called from inside a callback
  // can tell it runs on that thread.
  std::atomic<uint32_t> threadId_{0};
  // Held only to decide, so a host call taking it waits for the plug-in's
  // own work alone.
  Mutex lock_;
  // Set when the thread of this enable period is to begin no new read and
  // end; withdrawn by takeBack, cleared when a new thread starts. Read
  // without the lock by the stop-aware pause and by tests.
  std::atomic<bool> stopping_{false};
  // No callback of the thread may begin any more.
  bool cutOff_ ZV_GUARDED_BY(lock_) = false;
  // The thread has left its loop or is about to: it cannot be taken back.
  bool ending_ ZV_GUARDED_BY(lock_) = false;
  // Changed only under `lock_`, so a plain load and store count it (no
  // read-modify-write, which ARMv5 has no instruction for); read without
  // the lock.
  std::atomic<uint32_t> callbacksBegun_{0};
  void countCallback() ZV_REQUIRES(lock_) {
    callbacksBegun_.store(callbacksBegun_.load(std::memory_order_relaxed) + 1,
                          std::memory_order_release);
  }
  // Set with `stopping_`; cuts short a pause of the good-read pattern.
  Event stopEvent_;
};

// Clears the process-wide "missing event callback" warning flag (tests).
void resetMissingEventCallbackWarning();

}  // namespace zorvan

#endif  // ZORVAN_ACQUISITION_SCAN_THREAD_H

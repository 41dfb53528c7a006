// The virtual scanner driver (libITCSCAN.so): one scanner behind one handle,
// a fixed ring of queued labels, and reads that block until the scanner is
// enabled with a label queued, a cancel, a close or a timeout.
//
// Blocked reads and the control waits (vdev_scan_wait_blocked / _idle) wait
// on conditions of their own, and each is woken only by a change that can
// end its wait: a label handed to a read wakes no control wait unless the
// scanner has become idle, and a read blocking wakes no other read. On the
// label path that leaves the two wake-ups any blocking driver needs, so the
// driver does not hide the plug-in's own cost in the benchmarks.
#include <string.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

#include "control_endpoint.h"
#include "vdev_exports.h"
#include "vdev_locked.h"
#include "vdev_text.h"

namespace {

constexpr int32_t kHandle = 0x5C01;
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057u);

struct Label {
  int32_t symbology;
  uint32_t len;
  uint32_t reportedLen;
  uint8_t data[VDEV_MAX_LABEL];
};

// A read blocked in ITCSCAN_SyncRead, linked into the list of waiters while
// it waits. Whoever releases it unlinks it, so the list and `blocked` always
// describe the reads still waiting.
struct Waiter {
  Waiter* next;
  bool released;
  int32_t result;
};

struct Injection {
  int32_t result;
  int32_t times;  // calls left; -1 until cleared, 0 none
};

struct Scanner {
  std::mutex mutex;
  std::condition_variable readable;  // reads: a label, an enable, a release
  std::condition_variable watched;   // control waits: more reads blocked, queue drained
  uint32_t watchers = 0;             // control waits waiting on `watched`

  bool open = false;
  bool enabled = false;
  bool trigger = false;
  bool readLed = false;
  bool ignoreCancel = false;
  bool cancelNextRead = false;
  int32_t enableReport = -1;  // what GetScannerEnable reports: -1 the state, 0 or 1

  Label queue[VDEV_QUEUE_CAPACITY];
  uint32_t head = 0;
  uint32_t queued = 0;

  Waiter* waiters = nullptr;
  uint32_t blocked = 0;

  Injection injected[VDEV_SCAN_FUNCTION_COUNT] = {};
  uint32_t calls[VDEV_SCAN_FUNCTION_COUNT] = {};
  int32_t lastFlush = 0;
  uint32_t lastBufferSize = 0;
  int32_t lastTimeout = 0;
  uint32_t lastReserved = 0;
  char lastOpenName[256] = {};

  // Ends every blocked read with `result`. Caller holds the mutex.
  void ReleaseAll(int32_t result) {
    for (Waiter* w = waiters; w != nullptr; w = w->next) {
      w->released = true;
      w->result = result;
    }
    waiters = nullptr;
    blocked = 0;
    readable.notify_all();
  }

  // Wakes the control waits after a change that can end one: more reads
  // blocked, or the queue drained while a read is blocked. Caller holds the
  // mutex.
  void NotifyWatchers() {
    if (watchers > 0) watched.notify_all();
  }

  // A control wait for `done`, up to `timeoutMs`. Caller holds `lock`.
  template <typename Done>
  bool Watch(std::unique_lock<std::mutex>& lock, uint32_t timeoutMs, Done done) {
    ++watchers;
    const bool result = watched.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    --watchers;
    return result;
  }

  void Unlink(Waiter* w) {
    for (Waiter** p = &waiters; *p != nullptr; p = &(*p)->next) {
      if (*p == w) {
        *p = w->next;
        --blocked;
        return;
      }
    }
  }

  // Counts the call and tells whether an injected result replaces it.
  bool Enter(vdev_scan_function function, int32_t* result) {
    ++calls[function];
    Injection& inj = injected[function];
    if (inj.times == 0) return false;
    if (inj.times > 0) --inj.times;
    *result = inj.result;
    return true;
  }

  // Hands the oldest label to `request`. Caller holds the mutex.
  void Deliver(ReadRequest* request) {
    const Label& label = queue[head];
    const uint32_t copied = label.len < request->bufferSize ? label.len : request->bufferSize;
    if (request->data != nullptr && copied > 0) memcpy(request->data, label.data, copied);
    request->bytesReturned = label.reportedLen;
    request->symbology = label.symbology;
    head = (head + 1) % VDEV_QUEUE_CAPACITY;
    --queued;
    if (queued == 0 && blocked > 0) NotifyWatchers();
  }
};

// Built on first use and never destroyed: a scan thread the plug-in left
// running may still sit in a read during process exit, and destroying a
// condition it waits on would hold the exit up for ever.
// The first use also starts the control endpoint, when one is asked for.
Scanner& State() {
  alignas(Scanner) static unsigned char storage[sizeof(Scanner)];
  static Scanner* const scanner = new (storage) Scanner();
  static const bool endpoint = (vdev::StartControlEndpoint(), true);
  (void)endpoint;
  return *scanner;
}

using Lock = std::unique_lock<std::mutex>;

// The common prologue of the simple entry points: count, injected result,
// handle check. Returns true when `result` is final.
bool Prologue(Scanner& s, vdev_scan_function function, int32_t handle, int32_t* result) {
  if (s.Enter(function, result)) return true;
  if (!s.open || handle != kHandle) {
    *result = VDEV_BAD_HANDLE;
    return true;
  }
  *result = 0;
  return false;
}

int32_t SetFlag(vdev_scan_function function, int32_t handle, bool Scanner::*flag, int32_t on) {
  Scanner& s = State();
  Lock lock(s.mutex);
  int32_t result;
  if (Prologue(s, function, handle, &result)) return result;
  s.*flag = on != 0;
  // Enabling starts a new session: a cancel left over from the last one,
  // which found no read to end, does not end the first read of this one.
  if (flag == &Scanner::enabled && on != 0) s.cancelNextRead = false;
  if (flag == &Scanner::enabled && on != 0 && s.blocked > 0) s.readable.notify_all();
  return 0;
}

template <typename T>
T Get(T Scanner::*field) {
  return vdev::LockedGet(State(), field);
}

int32_t Push(int32_t symbology, const uint8_t* data, uint32_t len, uint32_t reportedLen) {
  Scanner& s = State();
  Lock lock(s.mutex);
  if (len > VDEV_MAX_LABEL || (data == nullptr && len > 0) || s.queued == VDEV_QUEUE_CAPACITY) {
    return -1;
  }
  Label& label = s.queue[(s.head + s.queued) % VDEV_QUEUE_CAPACITY];
  label.symbology = symbology;
  label.len = len;
  label.reportedLen = reportedLen;
  if (len > 0) memcpy(label.data, data, len);
  ++s.queued;
  const bool wake = s.blocked > 0;
  lock.unlock();  // the woken read needs the mutex at once
  if (wake) s.readable.notify_all();
  return 0;
}

}  // namespace

// ---- Vendor entry points --------------------------------------------------

int32_t VENDOR_CALL ITCSCAN_Open(int32_t* handle, const VendorChar* name) {
  Scanner& s = State();
  Lock lock(s.mutex);
  int32_t result;
  if (s.Enter(VDEV_SCAN_OPEN, &result)) return result;
  vdev::Utf16ToUtf8(name, s.lastOpenName, sizeof s.lastOpenName);
  if (handle == nullptr) return kInvalidArgument;
  s.open = true;  // opening again hands out the same handle
  *handle = kHandle;
  return 0;
}

int32_t VENDOR_CALL ITCSCAN_Close(int32_t handle) {
  Scanner& s = State();
  Lock lock(s.mutex);
  int32_t result;
  if (Prologue(s, VDEV_SCAN_CLOSE, handle, &result)) return result;
  s.open = false;
  s.cancelNextRead = false;
  // A stuck driver keeps its reads blocked even through a close.
  if (!s.ignoreCancel) s.ReleaseAll(VDEV_READ_CANCELLED);
  return 0;
}

int32_t VENDOR_CALL ITCSCAN_SetScannerEnable(int32_t handle, int32_t enable) {
  return SetFlag(VDEV_SCAN_SET_ENABLE, handle, &Scanner::enabled, enable);
}

int32_t VENDOR_CALL ITCSCAN_GetScannerEnable(int32_t handle, int32_t* enable) {
  Scanner& s = State();
  Lock lock(s.mutex);
  int32_t result;
  if (Prologue(s, VDEV_SCAN_GET_ENABLE, handle, &result)) return result;
  if (enable == nullptr) return kInvalidArgument;
  *enable = s.enableReport >= 0 ? s.enableReport : s.enabled ? 1 : 0;
  return 0;
}

int32_t VENDOR_CALL ITCSCAN_SetTriggerScanner(int32_t handle, int32_t on) {
  return SetFlag(VDEV_SCAN_SET_TRIGGER, handle, &Scanner::trigger, on);
}

int32_t VENDOR_CALL ITCSCAN_SetReadLED(int32_t handle, int32_t on) {
  return SetFlag(VDEV_SCAN_SET_READ_LED, handle, &Scanner::readLed, on);
}

int32_t VENDOR_CALL ITCSCAN_CancelRead(int32_t handle, int32_t flush, uint32_t* count1,
                                       uint32_t* count2) {
  Scanner& s = State();
  Lock lock(s.mutex);
  int32_t result;
  if (Prologue(s, VDEV_SCAN_CANCEL_READ, handle, &result)) return result;
  s.lastFlush = flush;
  if (count1 != nullptr) *count1 = 0;
  if (count2 != nullptr) *count2 = 0;
  if (flush != 0) {
    s.head = 0;
    s.queued = 0;
    if (s.blocked > 0) s.NotifyWatchers();
  }
  if (s.ignoreCancel) return 0;  // a stuck driver: accepted, releases nothing
  if (s.blocked > 0) {
    s.ReleaseAll(VDEV_READ_CANCELLED);
  } else {
    s.cancelNextRead = true;
  }
  return 0;
}

int32_t VENDOR_CALL ITCSCAN_SyncRead(int32_t handle, ReadRequest* request) {
  Scanner& s = State();
  Lock lock(s.mutex);
  if (request != nullptr) {
    s.lastBufferSize = request->bufferSize;
    s.lastTimeout = request->timeout;
    s.lastReserved = request->reserved;
  }
  int32_t result;
  if (Prologue(s, VDEV_SCAN_SYNC_READ, handle, &result)) return result;
  if (request == nullptr) return kInvalidArgument;
  if (s.cancelNextRead) {
    s.cancelNextRead = false;
    return VDEV_READ_CANCELLED;
  }
  auto ready = [&s] { return s.enabled && s.queued > 0; };
  if (ready()) {
    s.Deliver(request);
    return 0;
  }
  if (request->timeout == 0) return VDEV_READ_TIMEOUT;

  Waiter self{s.waiters, false, 0};
  s.waiters = &self;
  ++s.blocked;
  s.NotifyWatchers();
  std::chrono::steady_clock::time_point deadline;
  if (request->timeout > 0) {
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(request->timeout);
  }
  for (;;) {
    if (self.released) return self.result;
    if (ready()) {
      s.Unlink(&self);
      s.Deliver(request);
      return 0;
    }
    if (request->timeout < 0) {
      s.readable.wait(lock);
    } else if (s.readable.wait_until(lock, deadline) == std::cv_status::timeout && !self.released &&
               !ready()) {
      s.Unlink(&self);
      return VDEV_READ_TIMEOUT;
    }
  }
}

// ---- Control --------------------------------------------------------------

void vdev_scan_reset(void) {
  Scanner& s = State();
  Lock lock(s.mutex);
  s.ReleaseAll(VDEV_READ_CANCELLED);
  s.open = s.enabled = s.trigger = s.readLed = false;
  s.ignoreCancel = s.cancelNextRead = false;
  s.enableReport = -1;
  s.head = s.queued = 0;
  for (Injection& inj : s.injected) inj = Injection{};
  for (uint32_t& c : s.calls) c = 0;
  s.lastFlush = s.lastTimeout = 0;
  s.lastBufferSize = s.lastReserved = 0;
  s.lastOpenName[0] = 0;
}

int32_t vdev_scan_push_label(int32_t symbology, const uint8_t* data, uint32_t len) {
  return Push(symbology, data, len, len);
}

int32_t vdev_scan_push_label_reported(int32_t symbology, const uint8_t* data, uint32_t len,
                                      uint32_t reportedLen) {
  return Push(symbology, data, len, reportedLen);
}

uint32_t vdev_scan_queued(void) { return Get(&Scanner::queued); }
uint32_t vdev_scan_blocked_reads(void) { return Get(&Scanner::blocked); }

int32_t vdev_scan_wait_blocked(uint32_t count, uint32_t timeoutMs) {
  Scanner& s = State();
  Lock lock(s.mutex);
  return s.Watch(lock, timeoutMs, [&] { return s.blocked >= count; }) ? 1 : 0;
}

int32_t vdev_scan_wait_idle(uint32_t timeoutMs) {
  Scanner& s = State();
  Lock lock(s.mutex);
  return s.Watch(lock, timeoutMs, [&] { return s.queued == 0 && s.blocked > 0; }) ? 1 : 0;
}

void vdev_scan_inject_result(vdev_scan_function function, int32_t result, int32_t times) {
  if (function < 0 || function >= VDEV_SCAN_FUNCTION_COUNT) return;
  Scanner& s = State();
  Lock lock(s.mutex);
  s.injected[function] = Injection{result, times < 0 ? -1 : times};
}

void vdev_scan_clear_results(void) {
  Scanner& s = State();
  Lock lock(s.mutex);
  for (Injection& inj : s.injected) inj = Injection{};
}

void vdev_scan_set_ignore_cancel(int32_t ignore) {
  Scanner& s = State();
  Lock lock(s.mutex);
  s.ignoreCancel = ignore != 0;
}

int32_t vdev_scan_ignoring_cancel(void) { return Get(&Scanner::ignoreCancel) ? 1 : 0; }

void vdev_scan_set_enable_report(int32_t report) {
  Scanner& s = State();
  Lock lock(s.mutex);
  s.enableReport = report < 0 ? -1 : report != 0 ? 1 : 0;
}

int32_t vdev_scan_enable_report(void) { return Get(&Scanner::enableReport); }

void vdev_scan_release_reads(int32_t result) {
  Scanner& s = State();
  Lock lock(s.mutex);
  s.ReleaseAll(result);
}

int32_t vdev_scan_is_open(void) { return Get(&Scanner::open) ? 1 : 0; }
int32_t vdev_scan_enabled(void) { return Get(&Scanner::enabled) ? 1 : 0; }
int32_t vdev_scan_trigger(void) { return Get(&Scanner::trigger) ? 1 : 0; }
int32_t vdev_scan_read_led(void) { return Get(&Scanner::readLed) ? 1 : 0; }

uint32_t vdev_scan_call_count(vdev_scan_function function) {
  if (function < 0 || function >= VDEV_SCAN_FUNCTION_COUNT) return 0;
  Scanner& s = State();
  Lock lock(s.mutex);
  return s.calls[function];
}

int32_t vdev_scan_last_cancel_flush(void) { return Get(&Scanner::lastFlush); }
uint32_t vdev_scan_last_read_buffer_size(void) { return Get(&Scanner::lastBufferSize); }
int32_t vdev_scan_last_read_timeout(void) { return Get(&Scanner::lastTimeout); }
uint32_t vdev_scan_last_read_reserved(void) { return Get(&Scanner::lastReserved); }

const char* vdev_scan_last_open_name(void) {
  return vdev::LockedText(State(), &Scanner::lastOpenName);
}

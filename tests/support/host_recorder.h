// Test doubles for the host side: a platform that records waits and alerts
// instead of sleeping, and host callbacks that record what the plug-in sends,
// all on one timeline so the order of tones and pauses can be checked.
#ifndef ZORVAN_TESTS_HOST_RECORDER_H
#define ZORVAN_TESTS_HOST_RECORDER_H

#include <stdint.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/event.h"
#include "platform/platform.h"
#include "platform/thread_slot.h"
#include "scanner_interface1.h"

namespace zorvan_test {

// One thing the plug-in did, in order.
struct HostEvent {
  enum Kind { kScanEvent, kDebug, kTone, kSleep, kAlert } kind;
  std::vector<uint8_t> bytes;  // scan event or tone record
  std::string text;            // formatted debug message
  std::string format;          // debug format as passed
  uint32_t value = 0;          // sleep milliseconds or alert code
  int32_t toneZero1 = -1, toneZero2 = -1;
};

// Process-wide recorder behind the plain-function callbacks.
class HostRecorder {
 public:
  static HostRecorder& instance();
  void clear();
  void add(HostEvent event);
  std::vector<HostEvent> events() const;
  std::vector<HostEvent> eventsOf(HostEvent::Kind kind) const;
  size_t count(HostEvent::Kind kind) const;
  // Wait until `count` events of `kind` were recorded; false on time-out.
  bool waitFor(HostEvent::Kind kind, size_t count, int timeoutMs = 5000) const;

  static void onEvent(const uint8_t* record);
  static void onDebug(const char* format, ...);
  static void onTone(int32_t zero, const uint8_t* record, int32_t zero2);

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<HostEvent> events_;
};

// Register the three recording callbacks on a scanner.
void registerRecorder(ScannerInterface1& scanner);

// Waits and alerts go to the recorder instead of happening; threads are real
// unless refused.
class RecordingPlatform final : public zorvan::Platform {
 public:
  // Records the pause and returns at once; a pause whose interrupt is
  // already set counts as cut short.
  bool pause(uint32_t milliseconds, zorvan::Event* interrupt) override;
  void alertSound(uint32_t code) override;
  bool startThread(zorvan::ThreadSlot& slot, zorvan::ThreadEntry entry,
                   zorvan::ThreadAfterEnd afterEnd, void* argument) override;
  bool waitThread(zorvan::ThreadSlot& slot, uint32_t timeoutMs) override;
  void detachThread(zorvan::ThreadSlot& slot) override;
  void pinModule() override;
  bool comInitialize() override {
    ++comInits;
    return comInitSucceeds;
  }
  void comUninitialize() override { ++comUninits; }
  uint32_t currentThreadId() override { return zorvan::systemPlatform().currentThreadId(); }
  uint32_t milliseconds() override { return zorvan::systemPlatform().milliseconds(); }

  bool refuseThreads = false;
  bool comInitSucceeds = true;
  std::atomic<int> modulePins{0};  // also from the scan thread
  // Pauses really wait (the system's pause) after being recorded; those cut
  // short by their interrupt are counted.
  bool realPauses = false;
  std::atomic<int> pausesCutShort{0};
  // Called at each thread wait (with its time-out) and before pinning the
  // module, so a test can make the scan thread end at that point.
  std::function<void(uint32_t timeoutMs)> beforeThreadWait;
  std::function<void()> beforeModulePin;
  // When not 0, thread waits last at most this long (keeps stuck-driver
  // tests short).
  uint32_t waitLimitMs = 0;
  // When not 0, the next thread wait lasts at least this long: a thread a
  // test has just let go may still be on its way out.
  uint32_t extendNextWaitMs = 0;
  int comInits = 0;
  int comUninits = 0;
  int threadWaits = 0;
  uint32_t lastWaitMs = 0;
};

}  // namespace zorvan_test

#endif  // ZORVAN_TESTS_HOST_RECORDER_H

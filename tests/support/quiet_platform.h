// The base of the test platforms: real threads, waits and thread ids from the
// process's own platform, but no alert sound, no COM, no module pinning, and
// pauses that end at once (cut short when their interrupt is already set).
// A test platform overrides what it observes or changes.
#ifndef ZORVAN_TESTS_QUIET_PLATFORM_H
#define ZORVAN_TESTS_QUIET_PLATFORM_H

#include "platform/event.h"
#include "platform/platform.h"
#include "platform/thread_slot.h"

namespace zorvan_test {

class QuietPlatform : public zorvan::Platform {
 public:
  bool pause(uint32_t, zorvan::Event* interrupt) override {
    return interrupt == nullptr || !interrupt->wait(0);
  }
  void alertSound(uint32_t) override {}
  bool startThread(zorvan::ThreadSlot& slot, zorvan::ThreadEntry entry,
                   zorvan::ThreadAfterEnd afterEnd, void* argument) override {
    return zorvan::systemPlatform().startThread(slot, entry, afterEnd, argument);
  }
  bool waitThread(zorvan::ThreadSlot& slot, uint32_t timeoutMs) override {
    return zorvan::systemPlatform().waitThread(slot, timeoutMs);
  }
  void detachThread(zorvan::ThreadSlot& slot) override {
    zorvan::systemPlatform().detachThread(slot);
  }
  void pinModule() override {}
  bool comInitialize() override { return false; }
  void comUninitialize() override {}
  uint32_t currentThreadId() override { return zorvan::systemPlatform().currentThreadId(); }
  uint32_t milliseconds() override { return zorvan::systemPlatform().milliseconds(); }
};

}  // namespace zorvan_test

#endif  // ZORVAN_TESTS_QUIET_PLATFORM_H

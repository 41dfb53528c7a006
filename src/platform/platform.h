// The operating-system services the plug-in's objects call through one
// small interface, so tests can stand in for them. Thread, event and lock
// types are only named here: their OS headers stay with the code that
// holds them (mutex.h, event.h, thread_slot.h).
#ifndef ZORVAN_PLATFORM_PLATFORM_H
#define ZORVAN_PLATFORM_PLATFORM_H

#include <stdint.h>

namespace zorvan {

class Event;
struct ThreadSlot;

// Entry point of a thread started through Platform::startThread; returns
// the thread's exit code.
typedef uint32_t (*ThreadEntry)(void* argument);
// Runs on the thread after it has ended and its slot is no longer touched,
// so it may release whatever holds the slot.
typedef void (*ThreadAfterEnd)(void* argument);

// The services that construction, the scan thread and the tone player use.
// Tests substitute their own to observe waits and alerts or to refuse a
// thread; the plug-in itself uses systemPlatform().
//
// Threads are asked to stop and waited for; they are never ended by force.
// A thread that does not end in time is detached and ends by itself.
class Platform {
 public:
  virtual ~Platform() = default;
  // Block the calling thread for `milliseconds`, or less when `interrupt`
  // (may be null) is set first. True when the whole time passed.
  virtual bool pause(uint32_t milliseconds, Event* interrupt) = 0;
  // The system's standard alert sound (code 0x30 is the plain beep).
  virtual void alertSound(uint32_t code) = 0;
  // Start `entry(argument)` at once with the default stack size and record
  // it in `slot`: the thread runs `entry` only once the slot records it
  // (and whatever the caller wrote before the call is visible to it). False
  // when the thread could not be created. `afterEnd`, when not null, runs on
  // the thread once it has ended.
  virtual bool startThread(ThreadSlot& slot, ThreadEntry entry, ThreadAfterEnd afterEnd,
                           void* argument) = 0;
  // Wait up to `timeoutMs` for the recorded thread to end. On true the
  // thread has ended and the slot records nothing any more.
  virtual bool waitThread(ThreadSlot& slot, uint32_t timeoutMs) = 0;
  // Forget the recorded thread; it runs on and its resources are released
  // when it ends by itself.
  virtual void detachThread(ThreadSlot& slot) = 0;
  // Take one more reference on the plug-in's own module, never given back,
  // so a host that unloads the plug-in cannot unmap code a detached thread
  // still runs.
  virtual void pinModule() = 0;
  // COM start-up for the calling thread where the platform has COM. True
  // when it succeeded (started, or already started in the same model) and
  // so must be balanced by comUninitialize on the same thread; false when
  // it failed or there is no COM.
  virtual bool comInitialize() = 0;
  virtual void comUninitialize() = 0;
  // An id of the calling thread, unique among the threads alive.
  virtual uint32_t currentThreadId() = 0;
  // A count of milliseconds that only goes forward (it wraps after about 49
  // days: take differences).
  virtual uint32_t milliseconds() = 0;
};

// The process's real platform.
Platform& systemPlatform();

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_PLATFORM_H

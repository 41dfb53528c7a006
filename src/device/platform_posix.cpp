// POSIX implementation of the platform layer.
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <time.h>

#include "device/platform.h"

namespace zorvan {

Mutex::Mutex() { pthread_mutex_init(&mutex_, nullptr); }
Mutex::~Mutex() { pthread_mutex_destroy(&mutex_); }
void Mutex::lock() { pthread_mutex_lock(&mutex_); }
void Mutex::unlock() { pthread_mutex_unlock(&mutex_); }

ThreadSlot::ThreadSlot() {
  pthread_mutex_init(&lock, nullptr);
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&ended, &attributes);
  pthread_condattr_destroy(&attributes);
}

ThreadSlot::~ThreadSlot() {
  pthread_cond_destroy(&ended);
  pthread_mutex_destroy(&lock);
}

namespace {

void* threadTrampoline(void* raw) {
  ThreadSlot& slot = *static_cast<ThreadSlot*>(raw);
  ThreadEntry entry = slot.entry;
  ThreadAfterEnd afterEnd = slot.afterEnd;
  void* argument = slot.argument;
  entry(argument);
  pthread_mutex_lock(&slot.lock);
  slot.finished = true;
  pthread_cond_broadcast(&slot.ended);
  pthread_mutex_unlock(&slot.lock);
  // The slot may be gone once afterEnd has run.
  if (afterEnd != nullptr) afterEnd(argument);
  return nullptr;
}

class PosixPlatform final : public Platform {
 public:
  void sleepMs(uint32_t milliseconds) override {
    timespec delay{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
  }

  void alertSound(uint32_t) override {
    // The terminal bell is the nearest thing to the system alert here.
    fputc('\a', stderr);
    fflush(stderr);
  }

  bool startThread(ThreadSlot& slot, ThreadEntry entry, ThreadAfterEnd afterEnd,
                   void* argument) override {
    if (slot.recorded) return false;
    slot.entry = entry;
    slot.afterEnd = afterEnd;
    slot.argument = argument;
    slot.finished = false;
    if (pthread_create(&slot.thread, nullptr, threadTrampoline, &slot) != 0) return false;
    slot.recorded = true;
    return true;
  }

  bool waitThread(ThreadSlot& slot, uint32_t timeoutMs) override {
    if (!slot.recorded) return true;
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000L;
    }
    pthread_mutex_lock(&slot.lock);
    while (!slot.finished) {
      if (pthread_cond_timedwait(&slot.ended, &slot.lock, &deadline) == ETIMEDOUT) break;
    }
    const bool finished = slot.finished;
    pthread_mutex_unlock(&slot.lock);
    if (!finished) return false;
    pthread_join(slot.thread, nullptr);
    slot.recorded = false;
    return true;
  }

  // A thread blocked inside a driver cannot be ended safely with POSIX
  // threads: cancellation would unwind through code that is not ours.
  bool terminateThread(ThreadSlot&, uint32_t) override { return false; }

  void detachThread(ThreadSlot& slot) override {
    if (!slot.recorded) return;
    pthread_detach(slot.thread);
    slot.recorded = false;
  }

  void comInitialize() override {}
  void comUninitialize() override {}
};

}  // namespace

Platform& systemPlatform() {
  static PosixPlatform platform;
  return platform;
}

void* openLibrary(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* findSymbol(void* library, const char* name) {
  return library != nullptr ? dlsym(library, name) : nullptr;
}

}  // namespace zorvan

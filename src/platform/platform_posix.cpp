// POSIX implementation of the platform layer.
//
// Vendor libraries are opened with dlopen by file name, so they are found in
// the dynamic linker's order: LD_LIBRARY_PATH, then the plug-in's own run
// path ($ORIGIN, the plug-in's directory), then the system's directories.
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <new>

#include "platform/event.h"
#include "platform/library.h"
#include "platform/mutex.h"
#include "platform/platform.h"
#include "platform/thread_slot.h"

namespace zorvan {

namespace {

// The CLOCK_MONOTONIC time `milliseconds` from now.
timespec deadlineAfter(uint32_t milliseconds) {
  timespec deadline;
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
  deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  return deadline;
}

void initMonotonicCondition(pthread_cond_t& condition) {
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&condition, &attributes);
  pthread_condattr_destroy(&attributes);
}

}  // namespace

// What the platform classes hold in their OsStorage here.
struct EventState {
  pthread_mutex_t mutex;
  pthread_cond_t changed;
  bool set;  // guarded by mutex
};

struct ThreadState {
  pthread_t thread;
  pthread_mutex_t lock;
  pthread_cond_t changed;  // signalled when the thread is released and when it ends
  bool released;           // guarded by lock: startThread has recorded the thread
  bool finished;           // guarded by lock
};

namespace {

ThreadState& state(ThreadSlot& slot) { return slot.os.as<ThreadState>(); }

}  // namespace

Mutex::Mutex() { pthread_mutex_init(new (storage_.bytes) pthread_mutex_t, nullptr); }
Mutex::~Mutex() { pthread_mutex_destroy(&storage_.as<pthread_mutex_t>()); }
void Mutex::lock() { pthread_mutex_lock(&storage_.as<pthread_mutex_t>()); }
void Mutex::unlock() { pthread_mutex_unlock(&storage_.as<pthread_mutex_t>()); }

Event::Event() {
  EventState& event = *new (storage_.bytes) EventState{};
  pthread_mutex_init(&event.mutex, nullptr);
  initMonotonicCondition(event.changed);
}

Event::~Event() {
  EventState& event = storage_.as<EventState>();
  pthread_cond_destroy(&event.changed);
  pthread_mutex_destroy(&event.mutex);
  event.~EventState();
}

void Event::set() {
  EventState& event = storage_.as<EventState>();
  pthread_mutex_lock(&event.mutex);
  event.set = true;
  pthread_cond_broadcast(&event.changed);
  pthread_mutex_unlock(&event.mutex);
}

void Event::reset() {
  EventState& event = storage_.as<EventState>();
  pthread_mutex_lock(&event.mutex);
  event.set = false;
  pthread_mutex_unlock(&event.mutex);
}

bool Event::wait(uint32_t milliseconds) {
  EventState& event = storage_.as<EventState>();
  const timespec deadline = deadlineAfter(milliseconds);
  pthread_mutex_lock(&event.mutex);
  while (!event.set) {
    if (pthread_cond_timedwait(&event.changed, &event.mutex, &deadline) == ETIMEDOUT) break;
  }
  const bool wasSet = event.set;
  pthread_mutex_unlock(&event.mutex);
  return wasSet;
}

ThreadSlot::ThreadSlot() {
  ThreadState& thread = *new (os.bytes) ThreadState{};
  pthread_mutex_init(&thread.lock, nullptr);
  initMonotonicCondition(thread.changed);
}

ThreadSlot::~ThreadSlot() {
  ThreadState& thread = state(*this);
  pthread_cond_destroy(&thread.changed);
  pthread_mutex_destroy(&thread.lock);
  thread.~ThreadState();
}

namespace {

void* threadTrampoline(void* raw) {
  ThreadSlot& slot = *static_cast<ThreadSlot*>(raw);
  ThreadState& thread = state(slot);
  // The start handshake: nothing runs before startThread has recorded the
  // thread, its id included.
  pthread_mutex_lock(&thread.lock);
  while (!thread.released) pthread_cond_wait(&thread.changed, &thread.lock);
  pthread_mutex_unlock(&thread.lock);
  ThreadEntry entry = slot.entry;
  ThreadAfterEnd afterEnd = slot.afterEnd;
  void* argument = slot.argument;
  entry(argument);
  pthread_mutex_lock(&thread.lock);
  thread.finished = true;
  pthread_cond_broadcast(&thread.changed);
  pthread_mutex_unlock(&thread.lock);
  // The slot may be gone once afterEnd has run.
  if (afterEnd != nullptr) afterEnd(argument);
  return nullptr;
}

// Anchors dladdr to this module.
void moduleAnchor() {}

class PosixPlatform final : public Platform {
 public:
  bool pause(uint32_t milliseconds, Event* interrupt) override {
    if (interrupt != nullptr) return !interrupt->wait(milliseconds);
    timespec delay{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
    return true;
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
    ThreadState& thread = state(slot);
    thread.finished = false;
    thread.released = false;
    slot.recorded = true;
    if (pthread_create(&thread.thread, nullptr, threadTrampoline, &slot) != 0) {
      slot.recorded = false;
      return false;
    }
    pthread_mutex_lock(&thread.lock);
    thread.released = true;
    pthread_cond_broadcast(&thread.changed);
    pthread_mutex_unlock(&thread.lock);
    return true;
  }

  bool waitThread(ThreadSlot& slot, uint32_t timeoutMs) override {
    if (!slot.recorded) return true;
    ThreadState& thread = state(slot);
    const timespec deadline = deadlineAfter(timeoutMs);
    pthread_mutex_lock(&thread.lock);
    while (!thread.finished) {
      if (pthread_cond_timedwait(&thread.changed, &thread.lock, &deadline) == ETIMEDOUT) break;
    }
    const bool finished = thread.finished;
    pthread_mutex_unlock(&thread.lock);
    if (!finished) return false;
    pthread_join(thread.thread, nullptr);
    slot.recorded = false;
    return true;
  }

  void detachThread(ThreadSlot& slot) override {
    if (!slot.recorded) return;
    pthread_detach(state(slot).thread);
    slot.recorded = false;
  }

  // Marks the module that holds this code as never to be unloaded (the
  // dynamic linker keeps it mapped through every later dlclose).
  void pinModule() override {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&moduleAnchor), &info) == 0 || info.dli_fname == nullptr) {
      return;
    }
    dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }

  bool comInitialize() override { return false; }
  void comUninitialize() override {}

  // The kernel's thread id: no per-thread storage to set up, which in a
  // dynamically loaded module would allocate.
  uint32_t currentThreadId() override { return static_cast<uint32_t>(syscall(SYS_gettid)); }

  uint32_t milliseconds() override {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec / 1000000L));
  }
};

}  // namespace

// Built on first use (construction time) and never destroyed: a scan thread
// left running may still use it while the process exits and runs its static
// destructors.
Platform& systemPlatform() {
  alignas(PosixPlatform) static unsigned char storage[sizeof(PosixPlatform)];
  static PosixPlatform* const platform = new (storage) PosixPlatform();
  return *platform;
}

void* openLibrary(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* findSymbol(void* library, const char* name) {
  return library != nullptr ? dlsym(library, name) : nullptr;
}

}  // namespace zorvan

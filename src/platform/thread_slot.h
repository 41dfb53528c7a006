// Storage for one thread the platform starts (the OS header comes with it).
#ifndef ZORVAN_PLATFORM_THREAD_SLOT_H
#define ZORVAN_PLATFORM_THREAD_SLOT_H

#include <stdint.h>

#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace zorvan {

// Storage for one thread, owned by whoever starts it. Records at most one
// thread at a time and can be reused once that thread has been waited for.
struct ThreadSlot {
  ThreadSlot();
  ~ThreadSlot();
  ThreadSlot(const ThreadSlot&) = delete;
  ThreadSlot& operator=(const ThreadSlot&) = delete;

  bool recorded = false;  // a thread has been started and not waited for or detached
  ThreadEntry entry = nullptr;
  ThreadAfterEnd afterEnd = nullptr;
  void* argument = nullptr;
#if defined(_WIN32)
  HANDLE handle = nullptr;
#else
  pthread_t thread{};
  pthread_mutex_t lock;
  pthread_cond_t changed;  // signalled when the thread is released and when it ends
  bool released = false;   // guarded by lock: startThread has recorded the thread
  bool finished = false;   // guarded by lock
#endif
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_THREAD_SLOT_H

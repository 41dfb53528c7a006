// Storage for one thread the platform starts.
#ifndef ZORVAN_PLATFORM_THREAD_SLOT_H
#define ZORVAN_PLATFORM_THREAD_SLOT_H

#include <stdint.h>

#include "platform/os_storage.h"
#include "platform/platform.h"

namespace zorvan {

// Bytes for the OS's record of the thread: a HANDLE on Windows; on POSIX a
// pthread_t, the pthread_mutex_t and pthread_cond_t of the start and end
// handshakes and their two flags (104 on x86_64 glibc, 88 on 32-bit ARM
// glibc).
#if defined(_WIN32)
constexpr size_t kThreadSlotBytes = 8;
#else
constexpr size_t kThreadSlotBytes = 104;
#endif

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
  // True once the thread's handle is recorded (and until it is let go).
  bool holdsHandle() const;
#endif
  OsStorage<kThreadSlotBytes> os;  // the platform layer's alone
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_THREAD_SLOT_H

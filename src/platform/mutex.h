// A lock and its scoped holder. The OS type is part of the class, so this
// header brings the OS header with it: include it only where a lock is held.
#ifndef ZORVAN_PLATFORM_MUTEX_H
#define ZORVAN_PLATFORM_MUTEX_H

#include "platform/thread_annotations.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace zorvan {

// A non-recursive lock (a critical section on Windows).
class ZV_CAPABILITY("mutex") Mutex final {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock() ZV_ACQUIRE();
  void unlock() ZV_RELEASE();

 private:
#if defined(_WIN32)
  CRITICAL_SECTION section_;
#else
  pthread_mutex_t mutex_;
#endif
};

class ZV_SCOPED_CAPABILITY MutexLocker final {
 public:
  explicit MutexLocker(Mutex& mutex) ZV_ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
  ~MutexLocker() ZV_RELEASE() { mutex_.unlock(); }
  MutexLocker(const MutexLocker&) = delete;
  MutexLocker& operator=(const MutexLocker&) = delete;

 private:
  Mutex& mutex_;
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_MUTEX_H

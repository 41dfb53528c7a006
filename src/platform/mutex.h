// A lock and its scoped holder.
#ifndef ZORVAN_PLATFORM_MUTEX_H
#define ZORVAN_PLATFORM_MUTEX_H

#include "platform/os_storage.h"
#include "platform/thread_annotations.h"

namespace zorvan {

// Bytes for the OS lock: a CRITICAL_SECTION (40 on 64-bit Windows, 24 on
// 32-bit, 20 on CE) or a pthread_mutex_t (40 on x86_64 glibc, 24 on 32-bit
// ARM glibc).
constexpr size_t kMutexBytes = 40;

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
  OsStorage<kMutexBytes> storage_;
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

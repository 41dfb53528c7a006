// A manual-reset event.
#ifndef ZORVAN_PLATFORM_EVENT_H
#define ZORVAN_PLATFORM_EVENT_H

#include <stdint.h>

#include "platform/os_storage.h"

namespace zorvan {

// Bytes for the OS event: a HANDLE on Windows; on POSIX a pthread_mutex_t,
// a pthread_cond_t and the flag they guard (96 on x86_64 glibc, 80 on 32-bit
// ARM glibc).
#if defined(_WIN32)
constexpr size_t kEventBytes = 8;
#else
constexpr size_t kEventBytes = 96;
#endif

// A manual-reset event: once set it stays set until reset. Used to cut a
// pause short when the thread playing it is asked to stop.
class Event final {
 public:
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  void set();
  void reset();
  // Wait up to `milliseconds` for the event; true when it is set.
  bool wait(uint32_t milliseconds);

 private:
  OsStorage<kEventBytes> storage_;
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_EVENT_H

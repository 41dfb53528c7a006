// A manual-reset event (the OS header comes with it).
#ifndef ZORVAN_PLATFORM_EVENT_H
#define ZORVAN_PLATFORM_EVENT_H

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace zorvan {

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
#if defined(_WIN32)
  HANDLE handle_;
#else
  pthread_mutex_t mutex_;
  pthread_cond_t changed_;
  bool set_ = false;  // guarded by mutex_
#endif
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_EVENT_H

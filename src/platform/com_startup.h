// The object's own COM start-up, as one owner: balanced exactly once, and
// only on the thread that made it.
#ifndef ZORVAN_PLATFORM_COM_STARTUP_H
#define ZORVAN_PLATFORM_COM_STARTUP_H

#include <stdint.h>

namespace zorvan {

class Platform;

class ComStartup {
 public:
  ComStartup() = default;
  ~ComStartup() { end(); }
  ComStartup(const ComStartup&) = delete;
  ComStartup& operator=(const ComStartup&) = delete;

  // Start COM for the calling thread; held when the platform says the
  // start-up must be balanced.
  void begin(Platform& platform);
  // Balance a held start-up when called on the thread that made it; on any
  // other thread a host thread's COM is left as it is. Nothing is held
  // afterwards either way.
  void end();

  bool held() const { return platform_ != nullptr; }

 private:
  Platform* platform_ = nullptr;  // set while a start-up is held
  uint32_t thread_ = 0;
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_COM_STARTUP_H

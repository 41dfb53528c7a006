// A 32-bit count that several threads change at once.
//
// Its operations are defined here in the platform layer
// (atomic_count_posix.cpp, atomic_count_win32.cpp) rather than left to the
// compiler: ARMv5 (the handhelds' XScale) has no instruction for a
// read-modify-write, and what the compiler emits for one is a call into
// run-time support that only some toolchains provide. The Win32 layer uses the interlocked calls
// that desktop Windows and Windows CE both have, the POSIX layer the GCC builtins, which on ARMv5
// Linux go through the kernel's helpers. Elsewhere the plug-in's atomics are whole loads and stores
// only. Once the count is shared it is touched through these operations alone.
#ifndef ZORVAN_PLATFORM_ATOMIC_COUNT_H
#define ZORVAN_PLATFORM_ATOMIC_COUNT_H

#include <stdint.h>

namespace zorvan {

class AtomicCount final {
 public:
  constexpr explicit AtomicCount(int32_t initial = 0) : value_(initial) {}
  AtomicCount(const AtomicCount&) = delete;
  AtomicCount& operator=(const AtomicCount&) = delete;

  // Each orders memory like a full barrier and returns the new count.
  int32_t increment();
  int32_t decrement();
  // Puts `value` in and returns the count it replaced; a full barrier.
  int32_t exchange(int32_t value);
  // The count, read with acquire ordering.
  int32_t load() const;

 private:
#if defined(_WIN32)
  long value_;  // LONG, as the interlocked calls take it
#else
  int32_t value_;
#endif
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_ATOMIC_COUNT_H

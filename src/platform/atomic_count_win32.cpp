// AtomicCount on Windows: the interlocked calls, which desktop Windows and
// Windows CE both have.
#include <windows.h>

#include "platform/atomic_count.h"

namespace zorvan {

int32_t AtomicCount::increment() { return InterlockedIncrement(&value_); }
int32_t AtomicCount::decrement() { return InterlockedDecrement(&value_); }
int32_t AtomicCount::exchange(int32_t value) { return InterlockedExchange(&value_, value); }
// A volatile read in a function of its own: the compiler moves no other
// access across the call, and neither x86 nor the single-core XScale lets a
// later access overtake a load.
int32_t AtomicCount::load() const { return *static_cast<const volatile long*>(&value_); }

}  // namespace zorvan

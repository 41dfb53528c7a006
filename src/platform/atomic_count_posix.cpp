// AtomicCount on POSIX systems: GCC's atomic builtins. On ARMv5 the
// read-modify-write builtins become calls to libgcc's __sync_* functions,
// which use the kernel's compare-and-swap helper; this file is the only
// place of the plug-in that calls them.
#include "platform/atomic_count.h"

namespace zorvan {

int32_t AtomicCount::increment() { return __atomic_add_fetch(&value_, 1, __ATOMIC_SEQ_CST); }
int32_t AtomicCount::decrement() { return __atomic_sub_fetch(&value_, 1, __ATOMIC_SEQ_CST); }
int32_t AtomicCount::exchange(int32_t value) {
  return __atomic_exchange_n(&value_, value, __ATOMIC_SEQ_CST);
}
int32_t AtomicCount::load() const { return __atomic_load_n(&value_, __ATOMIC_ACQUIRE); }

}  // namespace zorvan

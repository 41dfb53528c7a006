// Room for an operating-system object inside a platform class, so the class's
// header does not need the OS header: the platform's own .cpp files build the
// object in the bytes and check there that it fits.
#ifndef ZORVAN_PLATFORM_OS_STORAGE_H
#define ZORVAN_PLATFORM_OS_STORAGE_H

#include <stddef.h>

#include <new>

namespace zorvan {

// The alignment OsStorage gives: the strictest any OS object it holds needs.
constexpr size_t kOsStorageAlignment = 8;

template <size_t Bytes>
struct OsStorage {
  // The object built in the bytes (by placement new, in the platform's .cpp);
  // every use checks that it fits, on every target the .cpp is built for.
  template <typename T>
  const T& as() const {
    static_assert(sizeof(T) <= Bytes && alignof(T) <= kOsStorageAlignment,
                  "the OS object does not fit its storage");
    return *std::launder(reinterpret_cast<const T*>(bytes));
  }
  template <typename T>
  T& as() {
    return const_cast<T&>(static_cast<const OsStorage&>(*this).as<T>());
  }

  alignas(kOsStorageAlignment) unsigned char bytes[Bytes];
};

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_OS_STORAGE_H

// Reads of a library's state under its mutex, shared by the virtual device
// libraries. Each library keeps its state in one store with a `mutex` member.
#ifndef VDEV_LOCKED_H
#define VDEV_LOCKED_H

#include <stddef.h>
#include <string.h>

#include <mutex>

namespace vdev {

template <typename Store, typename T>
T LockedGet(Store& store, T Store::*field) {
  std::lock_guard<std::mutex> lock(store.mutex);
  return store.*field;
}

// A copy of a text field per calling thread, so a later call cannot change
// it under the caller.
template <typename Store, size_t N>
const char* LockedText(Store& store, char (Store::*field)[N]) {
  thread_local char copy[N];
  std::lock_guard<std::mutex> lock(store.mutex);
  memcpy(copy, store.*field, N);
  return copy;
}

}  // namespace vdev

#endif  // VDEV_LOCKED_H

// A value one thread reads while another may write it.
#ifndef ZORVAN_COMMON_RELAXED_H
#define ZORVAN_COMMON_RELAXED_H

#include <atomic>

namespace zorvan {

// Each load and store is whole; no ordering with other values is implied,
// so a reader sees the old or the new value of each, never a torn one.
template <typename T>
class Relaxed {
 public:
  Relaxed() : value_(T()) {}
  Relaxed(const Relaxed&) = delete;
  Relaxed& operator=(const Relaxed&) = delete;
  T load() const { return value_.load(std::memory_order_relaxed); }
  void store(T value) { value_.store(value, std::memory_order_relaxed); }
  operator T() const { return load(); }
  Relaxed& operator=(T value) {
    store(value);
    return *this;
  }

 private:
  std::atomic<T> value_;
};

}  // namespace zorvan

#endif  // ZORVAN_COMMON_RELAXED_H

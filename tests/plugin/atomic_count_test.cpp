// The platform layer's atomic count, which the state's reference count and
// the live-state count rest on.
#include "platform/atomic_count.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using zorvan::AtomicCount;

TEST(AtomicCountTest, ChangesFromTwoThreadsAreNeverLost) {
  constexpr int32_t kRounds = 20000;
  AtomicCount count;
  auto work = [&count] {
    for (int32_t i = 0; i < kRounds; ++i) {
      count.increment();
      count.increment();
      count.decrement();
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(2 * kRounds, count.load());
  // Increment and decrement give the new count, exchange the old one.
  EXPECT_EQ(2 * kRounds, count.exchange(7));
  EXPECT_EQ(8, count.increment());
  EXPECT_EQ(7, count.decrement());
}

}  // namespace

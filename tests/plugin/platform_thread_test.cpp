// The platform layer's own thread start, on the system's real threads: a
// thread runs only once its slot records it (the object's scan thread relies
// on that for a callback that comes at once).
#include <gtest/gtest.h>

#include <atomic>

#include "platform/platform.h"
#include "platform/thread_slot.h"

namespace {

struct Seen {
  zorvan::ThreadSlot* slot;
  std::atomic<bool> recorded{false};
};

uint32_t lookAtOwnSlot(void* argument) {
  Seen& seen = *static_cast<Seen*>(argument);
  bool recorded = seen.slot->recorded;
#if defined(_WIN32)
  recorded = recorded && seen.slot->holdsHandle();
#endif
  seen.recorded = recorded;
  return 1;
}

TEST(PlatformThreadTest, AThreadRunsOnlyOnceItsSlotRecordsIt) {
  zorvan::Platform& platform = zorvan::systemPlatform();
  for (int round = 0; round < 200; ++round) {
    zorvan::ThreadSlot slot;
    Seen seen{&slot};
    ASSERT_TRUE(platform.startThread(slot, lookAtOwnSlot, nullptr, &seen));
    ASSERT_TRUE(platform.waitThread(slot, 5000));
    ASSERT_TRUE(seen.recorded.load()) << "round " << round;
    EXPECT_FALSE(slot.recorded);  // collected
  }
}

}  // namespace

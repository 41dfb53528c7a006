// The system calls of the platform layer over the scheduler. Locks, condition
// waits, broadcasts, thread creation, joins and detaches are synchronisation
// points; waits with a deadline and sleeps run in virtual time, which the
// clock reads. State is kept apart from the system's structures, by address.
// Outside a run (static construction) the calls only keep their books.
#include "sim_posix.h"

#include <stdarg.h>

#include <map>

#include "platform/thread_slot.h"
#include "scheduler.h"
#include "world.h"

namespace sim {

namespace {

using interleaving::kForever;
using interleaving::scheduler;
using interleaving::world;

struct MutexState {
  int owner = -1;
};
struct ConditionState {
  uint64_t broadcasts = 0;
};
std::map<const void*, MutexState> gMutexes;
std::map<const void*, ConditionState> gConditions;

bool inRun() { return scheduler().inSimulation(); }

void take(MutexState& state) {
  scheduler().block([&state] { return state.owner < 0; }, kForever);
  state.owner = scheduler().self();
}

uint64_t toMilliseconds(const timespec& time) {
  return static_cast<uint64_t>(time.tv_sec) * 1000u +
         static_cast<uint64_t>((time.tv_nsec + 999999L) / 1000000L);
}

}  // namespace

int mutexInit(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
  gMutexes[mutex] = MutexState{};
  return 0;
}

int mutexDestroy(pthread_mutex_t* mutex) {
  gMutexes.erase(mutex);
  return 0;
}

int mutexLock(pthread_mutex_t* mutex) {
  if (!inRun()) return 0;
  auto found = gMutexes.find(mutex);
  if (found == gMutexes.end()) {
    // Its object is gone: the state was freed while a thread still used it.
    world().fail("a lock was taken after it had been destroyed");
    found = gMutexes.emplace(mutex, MutexState{}).first;
  }
  take(found->second);
  return 0;
}

int mutexUnlock(pthread_mutex_t* mutex) {
  if (!inRun()) return 0;
  gMutexes[mutex].owner = -1;
  scheduler().yield();
  return 0;
}

int condInit(pthread_cond_t* condition, const pthread_condattr_t*) {
  gConditions[condition] = ConditionState{};
  return 0;
}

int condDestroy(pthread_cond_t* condition) {
  gConditions.erase(condition);
  return 0;
}

int condTimedWait(pthread_cond_t* condition, pthread_mutex_t* mutex, const timespec* deadline) {
  if (!inRun()) return deadline != nullptr ? ETIMEDOUT : 0;
  ConditionState& cond = gConditions[condition];
  MutexState& lock = gMutexes[mutex];
  const uint64_t seen = cond.broadcasts;
  lock.owner = -1;
  uint64_t timeoutMs = kForever;
  if (deadline != nullptr) {
    const uint64_t at = toMilliseconds(*deadline);
    timeoutMs = at > scheduler().now() ? at - scheduler().now() : 0;
  }
  const bool signalled =
      timeoutMs == 0
          ? false
          : scheduler().block([&cond, seen] { return cond.broadcasts != seen; }, timeoutMs);
  if (!signalled && scheduler().self() == 0) world().hostWaitRanOut(timeoutMs);
  take(lock);
  return signalled ? 0 : ETIMEDOUT;
}

int condWait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
  return condTimedWait(condition, mutex, nullptr);
}

int condBroadcast(pthread_cond_t* condition) {
  ++gConditions[condition].broadcasts;
  if (inRun()) scheduler().yield();
  return 0;
}

// The platform passes the slot it records the thread in.
int threadCreate(pthread_t* thread, const pthread_attr_t*, void* (*routine)(void*),
                 void* argument) {
  const int id = scheduler().spawn([routine, argument] {
    routine(argument);
    world().scanThreadEnds(scheduler().self());
  });
  *thread = static_cast<pthread_t>(id);
  world().scanThreadStarts(id, static_cast<zorvan::ThreadSlot*>(argument));
  scheduler().yield();
  return 0;
}

int threadJoin(pthread_t thread, void**) {
  const int id = static_cast<int>(thread);
  scheduler().block([id] { return scheduler().ended(id); }, kForever);
  world().scanThreadCollected(id);
  return 0;
}

int threadDetach(pthread_t thread) {
  world().scanThreadLeft(static_cast<int>(thread));
  scheduler().yield();
  return 0;
}

int clockGetTime(clockid_t, timespec* now) {
  const uint64_t ms = scheduler().now();
  now->tv_sec = static_cast<time_t>(ms / 1000);
  now->tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  return 0;
}

int sleepFor(const timespec* request, timespec* remaining) {
  const uint64_t ms = toMilliseconds(*request);
  if (inRun()) {
    if (ms == 0) {
      scheduler().yield();
    } else {
      scheduler().block([] { return false; }, ms);
    }
  }
  if (remaining != nullptr) *remaining = timespec{0, 0};
  return 0;
}

// Only the thread id is asked for: the simulated thread's number, plus one
// so that no thread has id 0.
long systemCall(long, ...) { return inRun() ? scheduler().self() + 1 : 0x7FFF; }

int addressInfo(const void*, Dl_info* info) {
  *info = Dl_info{};
  info->dli_fname = "libzorvanscanner.so";
  return 1;
}

// Loading a library by name finds none here (the vendor table is the
// simulated one); loading the plug-in's own module to keep it is the pin.
void* openModule(const char*, int flags) {
  if ((flags & RTLD_NODELETE) == 0) return nullptr;
  world().modulePinned();
  if (inRun()) scheduler().yield();
  return reinterpret_cast<void*>(1);
}

}  // namespace sim

// The platform layer over the scheduler: locks, events, threads and pauses
// of the plug-in's own code become synchronisation points of simulated
// threads, and their waits run in virtual time. The plug-in's classes keep
// their layouts; their state here is kept apart, by address.
#include <map>

#include "device/platform.h"
#include "scheduler.h"
#include "world.h"

namespace zorvan {

namespace {

using interleaving::kForever;
using interleaving::scheduler;
using interleaving::world;

struct MutexState {
  int owner = -1;
};
struct EventState {
  bool set = false;
};
// The simulated thread each slot records.
std::map<const void*, MutexState> gMutexes;
std::map<const void*, EventState> gEvents;
std::map<const void*, int> gSlots;

// A wait of `milliseconds` for `ready`; a wait of 0 only looks.
bool waitFor(std::function<bool()> ready, uint32_t milliseconds) {
  if (milliseconds == 0) {
    scheduler().yield();
    return ready();
  }
  scheduler().block(ready, milliseconds == UINT32_MAX ? kForever : milliseconds);
  return ready();
}

}  // namespace

// Objects made and destroyed outside a run (none here) need no state of
// their own; within a run only the thread holding the baton gets here.
Mutex::Mutex() { gMutexes[this] = MutexState{}; }
Mutex::~Mutex() { gMutexes.erase(this); }

void Mutex::lock() {
  if (!scheduler().inSimulation()) return;
  MutexState& state = gMutexes[this];
  scheduler().block([&state] { return state.owner < 0; }, kForever);
  state.owner = scheduler().self();
}

void Mutex::unlock() {
  if (!scheduler().inSimulation()) return;
  gMutexes[this].owner = -1;
  scheduler().yield();
}

Event::Event() { gEvents[this] = EventState{}; }
Event::~Event() { gEvents.erase(this); }

void Event::set() {
  gEvents[this].set = true;
  if (scheduler().inSimulation()) scheduler().yield();
}

void Event::reset() {
  gEvents[this].set = false;
  if (scheduler().inSimulation()) scheduler().yield();
}

bool Event::wait(uint32_t milliseconds) {
  EventState& state = gEvents[this];
  return waitFor([&state] { return state.set; }, milliseconds);
}

ThreadSlot::ThreadSlot() {}
ThreadSlot::~ThreadSlot() { gSlots.erase(this); }

namespace {

class SimulatedPlatform final : public Platform {
 public:
  bool pause(uint32_t milliseconds, Event* interrupt) override {
    if (interrupt == nullptr) {
      waitFor([] { return false; }, milliseconds);
      return true;
    }
    return !interrupt->wait(milliseconds);
  }

  void alertSound(uint32_t) override {}

  bool startThread(ThreadSlot& slot, ThreadEntry entry, ThreadAfterEnd afterEnd,
                   void* argument) override {
    if (slot.recorded) return false;
    const int id = scheduler().spawn([entry, afterEnd, argument] {
      const int self = scheduler().self();
      entry(argument);
      world().scanThreads[self].entryReturned = true;
      scheduler().yield();
      if (afterEnd != nullptr) afterEnd(argument);
    });
    world().scanThreads[id] = interleaving::ScanThreadRecord{};
    gSlots[&slot] = id;
    slot.recorded = true;
    scheduler().yield();
    return true;
  }

  bool waitThread(ThreadSlot& slot, uint32_t timeoutMs) override {
    if (!slot.recorded) return true;
    const int id = gSlots[&slot];
    if (!waitFor([id] { return world().scanThreads[id].entryReturned; }, timeoutMs)) {
      world().threadOutlivedWait = true;
      return false;
    }
    scheduler().block([id] { return scheduler().ended(id); }, kForever);  // the join
    slot.recorded = false;
    return true;
  }

  void detachThread(ThreadSlot& slot) override {
    if (!slot.recorded) return;
    slot.recorded = false;
    scheduler().yield();
  }

  void pinModule() override {
    // The thread may have ended since the wait that gave up on it.
    if (!world().scanThreadAlive(-1) && !world().threadOutlivedWait) {
      world().fail("the module was pinned with no thread left");
    }
    ++world().pins;
    world().note("the module is pinned");
    scheduler().yield();
  }

  bool comInitialize() override { return false; }
  void comUninitialize() override {}
  uint32_t currentThreadId() override {
    return scheduler().inSimulation() ? static_cast<uint32_t>(scheduler().self() + 1) : 0x7FFFu;
  }
};

}  // namespace

Platform& systemPlatform() { return interleaving::simulatedPlatform(); }

void* openLibrary(const char*) { return nullptr; }
void* findSymbol(void*, const char*) { return nullptr; }

}  // namespace zorvan

namespace interleaving {

zorvan::Platform& simulatedPlatform() {
  static zorvan::SimulatedPlatform platform;
  return platform;
}

}  // namespace interleaving

#include "world.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "plugin/scanner_state.h"

namespace interleaving {

namespace {

World gWorld;

const char kReadFailureFormat[] = "Debug ITCSCAN_SyncRead returned 0x%08lx";

enum class Call { Enable, Disable, Delete };
const char* const kCallNames[] = {"EnableScanner", "DisableScanner", "delete"};

std::string ms(uint64_t value) { return std::to_string(value) + " ms"; }

// Every callback may begin only while its thread is recorded, and not once
// a stopping call has returned, unless its thread could not run for the
// whole time that call gave it to begin a callback it had decided on.
void callbackBegins(const char* which) {
  World& w = gWorld;
  const int self = scheduler().self();
  w.scanThreadActs(which);
  w.note(std::string("the ") + which + " callback begins");
  if (w.quiet && w.isScanThread(self)) {
    if (w.scanThreads[self].starvedAfterWait < zorvan::kCallbackStartWaitMs) {
      w.fail(std::string("the ") + which +
             " callback began after DisableScanner or delete had returned");
    }
  }
  scheduler().yield();
}

// One host call, from the host thread or from inside a callback, with what
// the checks learn from it.
void hostCall(Call call) {
  World& w = gWorld;
  const int self = scheduler().self();
  const bool onHostThread = self == 0;
  const int number = w.callsMade++;
  const uint64_t beginStep = ++w.step;
  const uint64_t start = scheduler().now();
  const uint64_t starvationAtStart = scheduler().starvation();
  const bool driverOn = w.enabled && (w.scenario->driverFaults & kEnableQueryFails) == 0;
  const std::string name = kCallNames[static_cast<int>(call)];
  w.calls.push_back(World::CallInProgress{name, self, number});
  if (onHostThread) w.hostInCall = true;
  w.note(name + " begins");
  int16_t result = ResultOk;
  switch (call) {
    case Call::Enable:
      w.quiet = false;  // a thread taken back may call back from here on
      w.lastEnableBegun = number;
      result = w.scanner->EnableScanner();
      w.enablingSwitchedOn = false;
      w.readExpected = result == ResultOk;
      break;
    case Call::Disable:
      w.readExpected = false;
      result = w.scanner->DisableScanner();
      break;
    case Call::Delete:
      w.readExpected = false;
      w.deleted = true;
      delete w.scanner;
      w.scanner = nullptr;
      break;
  }
  const uint64_t own = scheduler().now() - start - (scheduler().starvation() - starvationAtStart);
  w.note(name + " returns " + std::to_string(result));
  if (own > w.scenario->boundMs) w.fail(name + " took " + ms(own));
  if (w.isScanThread(self) && own > 0) {
    w.fail(name + " inside a callback waited " + ms(own) + " on its own thread");
  }
  if (call == Call::Enable) {
    bool reading = false;
    bool failed = false;
    for (auto& entry : w.scanThreads) {
      entry.second.cutOff = false;
      entry.second.cutOffBy = -1;
      reading |= !entry.second.ended && !entry.second.left;
      failed |= entry.second.driverFailed && !entry.second.collected;
    }
    if (result == ResultOk && !reading && !failed && !w.deleted) {
      w.fail("EnableScanner answered 0 with no scan thread to read");
    }
  }
  // A DisableScanner that found the scanner enabled stops the thread
  // whatever it answers; delete always does. When its wait for the thread
  // ran out, the thread was cut off: what it had not delivered or reported
  // yet it may keep to itself, unless it had dropped it before this call
  // began. Otherwise the call collected the thread, which delivered all.
  if ((call == Call::Disable && driverOn) || call == Call::Delete) {
    w.quiet = true;
    const bool waitRanOut = w.waitRanOutStep > beginStep;
    for (auto& entry : w.scanThreads) {
      ScanThreadRecord& t = entry.second;
      if (entry.first == self) continue;
      if (waitRanOut) {
        for (Handover& h : w.handovers) {
          if (h.thread == entry.first && !h.delivered &&
              (!h.dropped || h.droppedStep > beginStep)) {
            h.excused = true;
          }
        }
        for (ReadFailure& f : w.failures) f.excused |= f.thread == entry.first && !f.reported;
      }
      if (t.ended) continue;
      if (own >= zorvan::kStopWaitMs && t.cutOff && t.cutOffBy >= 0 && t.cutOffBy < number) {
        w.fail(name + " waited again for a thread an earlier call had cut off");
      }
      t.starvedAfterWait = waitRanOut ? scheduler().starved(entry.first) - t.starvedAtWait : 0;
      if (!t.cutOff) t.cutOffBy = number;
      t.cutOff = true;
      w.note("thread " + std::to_string(entry.first) + " is cut off");
    }
    if (call == Call::Delete && w.scanThreadAlive() && w.pins == 0) {
      w.fail("delete left a thread running without pinning the module");
    }
  }
  for (size_t i = w.calls.size(); i-- > 0;) {
    if (w.calls[i].number == number) w.calls.erase(w.calls.begin() + static_cast<long>(i));
  }
  if (onHostThread) w.hostInCall = false;
  scheduler().yield();
}

void onEvent(const uint8_t*) {
  World& w = gWorld;
  callbackBegins("event");
  ++w.callbacksRunning;
  const int self = scheduler().self();
  for (Handover& h : w.handovers) {
    if (h.thread == self && !h.delivered && !h.dropped) {
      h.delivered = true;
      break;
    }
  }
  const auto hostIdle = [&w] { return !w.hostInCall || w.teardown; };
  switch (w.scenario->callback) {
    case Callback::Returns:
      break;
    case Callback::Slow:
      scheduler().block([&w] { return w.teardown; }, 5000);
      break;
    case Callback::Disables:
      hostCall(Call::Disable);
      break;
    case Callback::DisablesAndEnables:
      hostCall(Call::Disable);
      hostCall(Call::Enable);
      break;
    case Callback::Deletes:
      hostCall(Call::Delete);
      break;
    case Callback::WaitsForHost:
      scheduler().block(hostIdle, kForever);
      break;
    case Callback::WaitsForHostBounded:
      scheduler().block(hostIdle, 8000);
      break;
  }
  --w.callbacksRunning;
}

void onDebug(const char* format, ...) {
  callbackBegins("debug");
  if (strcmp(format, kReadFailureFormat) != 0) return;
  va_list arguments;
  va_start(arguments, format);
  const unsigned long value = va_arg(arguments, unsigned long);
  va_end(arguments);
  const int self = scheduler().self();
  for (ReadFailure& f : gWorld.failures) {
    if (f.thread == self && !f.reported && f.result == value) {
      f.reported = true;
      return;
    }
  }
  gWorld.fail("a read failure reported that no read returned");
}

void onTone(int32_t, const uint8_t*, int32_t) { callbackBegins("tone"); }

// Every label the driver handed over that must reach the event callback has
// reached it.
bool labelsDelivered(const World& w) {
  for (const Handover& h : w.handovers) {
    if (h.checked && !h.excused && !h.delivered) return false;
  }
  return w.labelsQueued == 0 && w.callbacksRunning == 0;
}

void hostThread() {
  World& w = gWorld;
  w.scanner = zorvan::ZorvanScannerInterface::create(zorvan::systemPlatform(), simulatedVendor());
  w.scanner->SetEvtAddEventToQueueCallBack(onEvent);
  w.scanner->SetEvtDebugMessageCallBack(onDebug);
  w.scanner->SetEvtPlayToneCallBack(onTone);
  for (const char* step = w.scenario->script; *step != '\0'; ++step) {
    switch (*step) {
      case 'E':
        if (!w.deleted) hostCall(Call::Enable);
        break;
      case 'D':
        if (!w.deleted) hostCall(Call::Disable);
        break;
      case 'X':
        if (!w.deleted) hostCall(Call::Delete);
        break;
      case 'L':
        ++w.labelsQueued;
        scheduler().yield();
        break;
      case 'F':
        ++w.failuresQueued;
        scheduler().yield();
        break;
      case 'C':
        w.hostAwaitsLabels = true;
        scheduler().block([&w] { return w.teardown || labelsDelivered(w); }, kForever);
        w.hostAwaitsLabels = false;
        break;
    }
  }
  // The host lets go of the object unless its callback does.
  if (!w.deleted && w.scenario->callback != Callback::Deletes) hostCall(Call::Delete);
}

// No thread can go on and none waits with a time-out: a host call that has
// not returned by now never will. Either way the run is over; the driver, the
// settings service and the host's own waits let go so the threads can end.
bool releaseWorld() {
  World& w = gWorld;
  if (w.teardown) return false;
  if (!w.calls.empty()) w.fail("hang: " + w.calls.back().name + " never returns");
  if (w.hostAwaitsLabels && w.readExpected) {
    w.fail("the host waits for ever for a label after EnableScanner answered 0");
  }
  w.teardown = true;
  w.note("every thread waits for ever: the driver and the host let go");
  return true;
}

}  // namespace

World& world() { return gWorld; }

void World::note(const std::string& what) {
  if (!logging) return;
  printf("  %llu ms, thread %d: %s\n", static_cast<unsigned long long>(scheduler().now()),
         scheduler().self(), what.c_str());
}

void World::fail(const std::string& what) {
  if (failure.empty()) failure = what + " (at " + std::to_string(scheduler().now()) + " ms)";
}

bool World::scanThreadAlive() const {
  for (const auto& entry : scanThreads) {
    if (!entry.second.ended) return true;
  }
  return false;
}

void World::scanThreadStarts(int id, zorvan::ThreadSlot* slot) {
  for (const auto& entry : scanThreads) {
    if (!entry.second.collected && !entry.second.left) {
      fail("a second scan thread started while one is recorded");
    }
  }
  scanThreads[id].slot = slot;
  note("scan thread " + std::to_string(id) + " is created");
}

void World::scanThreadEnds(int id) {
  scanThreads[id].ended = true;
  // A label it took from the driver and never announced is dropped.
  scanThreadReads();
}

void World::scanThreadReads() {
  const int self = scheduler().self();
  for (Handover& h : handovers) {
    if (h.thread == self && !h.delivered && !h.dropped) {
      h.dropped = true;
      h.droppedStep = ++step;
    }
  }
}

void World::hostWaitRanOut(uint64_t timeoutMs) {
  waitRanOut = true;
  if (timeoutMs == 0) return;  // a look, not a wait
  waitRanOutStep = ++step;
  for (auto& entry : scanThreads) entry.second.starvedAtWait = scheduler().starved(entry.first);
}

void World::scanThreadCollected(int id) { scanThreads[id].collected = true; }

void World::scanThreadLeft(int id) {
  scanThreads[id].left = true;
  note("scan thread " + std::to_string(id) + " is left to end by itself");
}

void World::modulePinned() {
  // The thread may have ended since the wait that gave up on it.
  if (!scanThreadAlive() && !waitRanOut) fail("the module was pinned with no thread left");
  ++pins;
  note("the module is pinned");
}

void World::scanThreadActs(const char* what) {
  const int self = scheduler().self();
  auto found = scanThreads.find(self);
  if (found == scanThreads.end()) return;
  const ScanThreadRecord& t = found->second;
  if (!t.left && !t.collected && t.slot != nullptr && !t.slot->recorded) {
    fail(std::string("scan thread ran (") + what + ") before its slot recorded it");
  }
}

std::string runScenario(const Scenario& scenario, const Strategy& strategy, bool logging) {
  gWorld = World{};
  gWorld.scenario = &scenario;
  gWorld.logging = logging;
  scheduler().label = scenario.name;
  const int32_t statesBefore = zorvan::liveScannerStates();
  scheduler().onStuck = releaseWorld;
  scheduler().run(strategy, hostThread);
  World& w = gWorld;
  for (const Handover& h : w.handovers) {
    if (!h.checked || h.delivered || h.excused) continue;
    w.fail("a label handed over to a thread the host had not seen cut off was dropped");
  }
  for (const ReadFailure& f : w.failures) {
    if (!f.reported && !f.excused) {
      char text[96];
      snprintf(text, sizeof text, "read failure 0x%08lx never reached the debug callback",
               static_cast<unsigned long>(f.result));
      w.fail(text);
    }
  }
  const int32_t states = zorvan::liveScannerStates() - statesBefore;
  if (states != 0) {
    w.fail(states > 0 ? "the shared state was not freed" : "the shared state was freed twice");
  }
  return w.failure;
}

}  // namespace interleaving

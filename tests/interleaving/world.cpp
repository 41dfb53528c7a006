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

// Every callback begins with a synchronisation point, and may not begin once
// DisableScanner or delete has returned.
void callbackBegins(const char* which) {
  scheduler().yield();
  gWorld.note(std::string("the ") + which + " callback begins");
  if (gWorld.quiet) {
    gWorld.fail(std::string("the ") + which +
                " callback began after DisableScanner or delete had returned");
  }
}

enum class Call { Enable, Disable, Delete };
const char* const kCallNames[] = {"EnableScanner", "DisableScanner", "delete"};

// One host call, from the host thread or from inside a callback, with what
// the checks learn from it.
void hostCall(Call call) {
  World& w = gWorld;
  const bool onHostThread = scheduler().self() == 0;
  const uint64_t start = scheduler().now();
  const std::string name = kCallNames[static_cast<int>(call)];
  w.callsInProgress.push_back(name);
  if (onHostThread) w.hostInCall = true;
  w.note(name + " begins");
  int16_t result = ResultOk;
  switch (call) {
    case Call::Enable:
      w.quiet = false;  // a thread taken back may call back from here on
      result = w.scanner->EnableScanner();
      w.enabledView = result == ResultOk;
      break;
    case Call::Disable:
      w.enabledView = false;
      result = w.scanner->DisableScanner();
      break;
    case Call::Delete:
      w.enabledView = false;
      w.deleted = true;
      delete w.scanner;
      w.scanner = nullptr;
      break;
  }
  const uint64_t took = scheduler().now() - start;
  w.note(name + " returns " + std::to_string(result));
  if (took > kHostCallBoundMs) w.fail(name + " returned after " + std::to_string(took) + " ms");
  if ((call == Call::Disable && result == ResultOk) || call == Call::Delete) {
    w.quiet = true;
    // Threads still running are cut off: what they had not reported yet
    // they may keep to themselves.
    const int caller = scheduler().self();
    for (auto& entry : w.scanThreads) {
      if (entry.first == caller || entry.second.entryReturned) continue;
      entry.second.cutOff = true;
      w.note("thread " + std::to_string(entry.first) + " is cut off");
      for (Handover& h : w.handovers) h.excused |= h.thread == entry.first && !h.delivered;
      for (ReadFailure& f : w.failures) f.excused |= f.thread == entry.first && !f.reported;
    }
    if (call == Call::Delete && w.scanThreadAlive(-1) && w.pins == 0) {
      w.fail("delete left a thread running without pinning the module");
    }
  }
  w.callsInProgress.erase(std::find(w.callsInProgress.begin(), w.callsInProgress.end(), name));
  if (onHostThread) w.hostInCall = false;
  scheduler().yield();
}

void onEvent(const uint8_t*) {
  World& w = gWorld;
  callbackBegins("event");
  ++w.callbacksRunning;
  const int self = scheduler().self();
  for (Handover& h : w.handovers) {
    if (h.thread == self && !h.delivered) {
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

void hostThread() {
  World& w = gWorld;
  w.scanner = zorvan::ZorvanScannerInterface::create(simulatedPlatform(), simulatedVendor());
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
        scheduler().block(
            [&w] {
              if (w.teardown) return true;
              for (const Handover& h : w.handovers) {
                if (!h.delivered) return false;
              }
              return w.labelsQueued == 0 && w.callbacksRunning == 0;
            },
            kForever);
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
  if (!w.callsInProgress.empty()) w.fail("hang: " + w.callsInProgress.back() + " never returns");
  if (w.hostAwaitsLabels && w.enabledView) {
    w.fail("the host waits for ever for a label while the scanner reports enabled");
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

bool World::scanThreadAlive(int except) const {
  for (const auto& entry : scanThreads) {
    if (entry.first != except && !entry.second.entryReturned) return true;
  }
  return false;
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
    w.fail(h.toLeftThread
               ? "a label handed to a thread left by an earlier stop was dropped while the "
                 "scanner reports enabled"
               : "a label handed over while the scanner was enabled was dropped though its "
                 "thread was not cut off");
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

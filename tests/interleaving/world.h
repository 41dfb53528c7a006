// The world one scenario runs in: the simulated driver and settings service,
// the host's callbacks, the scenario's host thread, and the checks every
// schedule must pass. Reset before each run; touched only by the simulated
// thread holding the baton.
#ifndef ZORVAN_TESTS_INTERLEAVING_WORLD_H
#define ZORVAN_TESTS_INTERLEAVING_WORLD_H

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "device/vendor_api.h"
#include "plugin/zorvan_scanner.h"
#include "scheduler.h"

namespace interleaving {

// What the driver does with ITCSCAN_CancelRead.
enum class Driver {
  Honours,       // the pending (or next) read fails with the scenario's result
  Ignores,       // reads go on until a label comes
  LabelInstead,  // the pending (or next) read hands over a label
};

// What the host's event callback does.
enum class Callback {
  Returns,              // at once
  Slow,                 // after 5000 ms
  Disables,             // calls DisableScanner
  Deletes,              // deletes the object
  WaitsForHost,         // until the host thread's current call has returned
  WaitsForHostBounded,  // the same, for at most 8000 ms
};

// A scenario. The host thread creates the object, registers the callbacks,
// runs `script` one letter a step and deletes the object if nobody did:
//   E EnableScanner   D DisableScanner   X delete
//   L the driver gets a label   F the driver fails the pending read
//   C wait, as a host waits for its label, until every label the driver got
//     has been through the event callback
struct Scenario {
  const char* name;
  const char* script;
  Driver driver;
  uint32_t failure;     // result of a cancelled (Honours) or failed (F) read
  uint32_t settingsMs;  // how long each ITCSSSetW call takes, or kSettingsBlock
  Callback callback;
};

// ITCSSSetW does not return while the run goes on.
constexpr uint32_t kSettingsBlock = UINT32_MAX;

// The most a host call may take in virtual time: the plug-in's 3000 ms wait
// for its scan thread and a small constant.
constexpr uint64_t kHostCallBoundMs = 3000 + 100;

struct ScanThreadRecord {
  bool entryReturned = false;
  bool cutOff = false;  // a DisableScanner or delete returned while it ran
};

struct Handover {  // a label the driver handed to a scan thread
  int thread;
  bool checked;       // handed over while the host saw the scanner enabled
  bool toLeftThread;  // its thread had been cut off by an earlier stop
  bool delivered = false;
  bool excused = false;  // its thread was cut off before delivering it
};

struct ReadFailure {  // a failed read the debug callback must report
  int thread;
  uint32_t result;
  bool reported = false;
  bool excused = false;
};

struct World {
  const Scenario* scenario = nullptr;
  zorvan::ZorvanScannerInterface* scanner = nullptr;
  bool deleted = false;
  bool teardown = false;  // the run is over: every outside wait is released
  std::string failure;    // the first check that failed

  // The driver.
  bool enabled = false;
  bool cancelPending = false;
  int labelsQueued = 0;
  int failuresQueued = 0;

  // The host as the checks see it.
  std::vector<std::string> callsInProgress;  // by name, innermost last
  bool hostInCall = false;
  bool enabledView = false;  // the last EnableScanner returned ResultOk, no stop since
  bool quiet = false;        // DisableScanner or delete returned; no callback may begin
  int callbacksRunning = 0;
  bool hostAwaitsLabels = false;  // the host thread is at a C step
  int pins = 0;
  bool threadOutlivedWait = false;  // a wait for a scan thread ended first

  std::map<int, ScanThreadRecord> scanThreads;
  std::vector<Handover> handovers;
  std::vector<ReadFailure> failures;

  bool logging = false;  // print what happens (replays)

  void fail(const std::string& what);
  void note(const std::string& what);
  bool scanThreadAlive(int except) const;
};

World& world();

// The simulated vendor libraries and platform.
const zorvan::VendorApi& simulatedVendor();
zorvan::Platform& simulatedPlatform();

// One run of `scenario` under `strategy`: what went wrong, or empty.
// With `logging`, what happens is printed as it happens.
std::string runScenario(const Scenario& scenario, const Strategy& strategy, bool logging = false);

}  // namespace interleaving

#endif  // ZORVAN_TESTS_INTERLEAVING_WORLD_H

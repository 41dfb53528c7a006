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

#include "acquisition/scan_thread.h"
#include "device/vendor_api.h"
#include "platform/thread_slot.h"
#include "plugin/zorvan_scanner.h"
#include "scheduler.h"

namespace interleaving {

// What the driver does with ITCSCAN_CancelRead.
enum class Cancel {
  Honours,       // the pending read fails with the scenario's result
  Ignores,       // reads go on until a label comes
  LabelInstead,  // the pending read hands over a label
  HonoursLate,   // the pending read fails with the scenario's result 4000 ms later
};

// What else the driver does, as bits.
enum DriverFault : uint32_t {
  kRefusesSwitchOff = 1,    // ITCSCAN_SetScannerEnable(h, 0) fails
  kEnableQueryFails = 2,    // ITCSCAN_GetScannerEnable fails
  kForgetsEarlyCancel = 4,  // a cancel while no read is pending is forgotten (else kept
                            // for the next read of the enable period)
};

// What the host's event callback does.
enum class Callback {
  Returns,              // at once
  Slow,                 // after 5000 ms
  Disables,             // calls DisableScanner
  DisablesAndEnables,   // calls DisableScanner, then EnableScanner
  Deletes,              // deletes the object
  WaitsForHost,         // until the host thread's current call has returned
  WaitsForHostBounded,  // the same, for at most 8000 ms
};

// A scenario. The host thread creates the object, registers the callbacks,
// runs `script` one letter a step and deletes the object if nobody did:
//   E EnableScanner   D DisableScanner   X delete
//   L the driver gets a label (handed over while it is enabled)
//   F the driver fails the pending read
//   C wait, as a host waits for its label, until every label the driver got
//     has been through the event callback
struct Scenario {
  const char* name;
  const char* script;
  Cancel cancel;
  uint32_t failure;       // result of a cancelled or failed (F) read
  uint32_t driverFaults;  // DriverFault bits
  uint32_t settingsMs;    // how long each ITCSSSetW call takes, or kSettingsBlock
  Callback callback;
  uint32_t boundMs;  // the most a host call may take of its own time: kQuick or kStuck
};

// ITCSSSetW does not return while the run goes on.
constexpr uint32_t kSettingsBlock = UINT32_MAX;
// A late cancel ends the read this long after it was sent.
constexpr uint64_t kLateCancelMs = 4000;

// Bounds of a host call's own time (virtual time that passed while the call
// ran, less the time threads were kept from running). With nothing holding
// the thread, a stop ends well within kQuick; a stop the thread outlasts
// takes the plug-in's wait, then a callback it had decided on just before
// may be waited for.
constexpr uint32_t kQuick = 500;
constexpr uint32_t kStuck = zorvan::kStopWaitMs + zorvan::kCallbackStartWaitMs + 10;

struct ScanThreadRecord {
  zorvan::ThreadSlot* slot = nullptr;  // where the platform records it
  bool ended = false;
  bool collected = false;     // joined
  bool left = false;          // detached
  bool cutOff = false;        // a stopping call returned while it ran, no enable since
  int cutOffBy = -1;          // the host call that cut it off
  bool driverFailed = false;  // the driver failed one of its reads (F)
  // Its starvation when a wait of the host thread for it last ran out, and
  // during the stopping call that cut it off after that.
  uint64_t starvedAtWait = 0;
  uint64_t starvedAfterWait = 0;
};

struct Handover {  // a label the driver handed to a scan thread
  int thread;
  bool checked;  // it must reach the event callback
  bool delivered = false;
  bool dropped = false;  // its thread went on or ended without announcing it
  uint64_t droppedStep = 0;
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
  uint64_t cancelAt = 0;  // when a late cancel is honoured
  int readsPending = 0;
  int labelsQueued = 0;
  int failuresQueued = 0;

  // The host as the checks see it.
  struct CallInProgress {
    std::string name;
    int thread;
    int number;
  };
  std::vector<CallInProgress> calls;  // innermost last
  int callsMade = 0;
  int lastEnableBegun = -1;         // number of the last EnableScanner call
  bool enablingSwitchedOn = false;  // an EnableScanner in progress switched the driver on
  bool hostInCall = false;
  bool readExpected = false;  // the last EnableScanner answered 0, no stop since
  bool quiet = false;         // a stopping call returned; no callback may begin
  int callbacksRunning = 0;
  bool hostAwaitsLabels = false;  // the host thread is at a C step
  int pins = 0;
  bool waitRanOut = false;  // a wait of the host thread ended by its time-out
  uint64_t waitRanOutStep = 0;

  std::map<int, ScanThreadRecord> scanThreads;
  std::vector<Handover> handovers;
  std::vector<ReadFailure> failures;

  bool logging = false;  // print what happens (replays)

  void fail(const std::string& what);
  void note(const std::string& what);
  bool scanThreadAlive() const;
  bool isScanThread(int id) const { return scanThreads.count(id) != 0; }
  // What the platform layer does with its threads.
  void scanThreadStarts(int id, zorvan::ThreadSlot* slot);
  void scanThreadEnds(int id);
  void scanThreadCollected(int id);
  void scanThreadLeft(int id);
  void modulePinned();
  // A wait of the host thread for `timeoutMs` ended by its time-out.
  void hostWaitRanOut(uint64_t timeoutMs);
  // A scan thread does something the host or the driver sees.
  void scanThreadActs(const char* what);
  // A scan thread begins a read: a label it took before and did not announce
  // is dropped.
  void scanThreadReads();
  // Counts the world's events, so a drop can be placed before or after a call.
  uint64_t step = 0;
};

World& world();

// The simulated vendor libraries.
const zorvan::VendorApi& simulatedVendor();

// One run of `scenario` under `strategy`: what went wrong, or empty.
// With `logging`, what happens is printed as it happens.
std::string runScenario(const Scenario& scenario, const Strategy& strategy, bool logging = false);

}  // namespace interleaving

#endif  // ZORVAN_TESTS_INTERLEAVING_WORLD_H

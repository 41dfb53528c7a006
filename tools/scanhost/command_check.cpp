// check: walks an object's lifecycle on whatever device there is and
// reports each step with its result and time, then one verdict line. On the
// virtual device it then makes the device misbehave, a case at a time, and
// checks that the object copes: a driver or configuration library that
// cannot be opened, a driver that ignores the cancel, a read stuck in the
// driver when the object is destroyed.
//
// Output, one line a step, then the verdict:
//   step <name>: ok|FAIL|skip <ms> ms <detail>
//   check: PASS (<n> steps)  |  check: FAIL (<f> of <n> steps failed)
#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "acquisition/scan_thread.h"
#include "commands.h"
#include "device/vendor_abi.h"
#include "host_calls.h"
#include "loader.h"
#include "symbology/symbology_table.h"
#include "virtual_device.h"

namespace scanhost {

namespace {

using Clock = std::chrono::steady_clock;

// How long check waits for a label by default.
constexpr uint32_t kDefaultTimeoutMs = 10000;
// DisableScanner and the destructor wait up to the plug-in's stop wait for
// the scan thread; the bound allows for the rest of their work.
constexpr int64_t kStopBoundMs = int64_t{zorvan::kStopWaitMs} + 500;
// A plug-in call that has not come back after this long is given up on.
constexpr uint32_t kCallLimitMs = 10000;
// How long the good-read tone may follow its label's scan event.
constexpr uint32_t kToneWaitMs = 3000;
// How long the virtual device may take to block a read or let one go.
constexpr uint32_t kDeviceWaitMs = 2000;
// The label pushed on the virtual device, under the first vendor number of
// the symbology table.
constexpr char kCheckLabel[] = "CHECK-0001";
// What the virtual device's opens answer when they are made to fail.
constexpr int32_t kOpenFailure = VDEV_BAD_HANDLE;

int64_t millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A host thread of check's own that makes every plug-in call, so that a call
// that does not come back within its limit is reported instead of holding
// check up. Once a call has been given up on, the thread is stuck in the
// plug-in and nothing more is called.
class HostThread {
 public:
  HostThread() : thread_(&HostThread::loop, this) {}
  ~HostThread() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      quit_ = true;
    }
    changed_.notify_all();
    if (stuck_) {
      thread_.detach();
    } else {
      thread_.join();
    }
  }
  // Runs `work` on the thread; false when it did not finish within `limitMs`.
  // `elapsedMs` is the time it took.
  bool run(const std::function<void()>& work, uint32_t limitMs, int64_t* elapsedMs) {
    std::unique_lock<std::mutex> lock(lock_);
    *elapsedMs = limitMs;
    if (stuck_) return false;
    work_ = work;
    pending_ = true;
    done_ = false;
    changed_.notify_all();
    if (!changed_.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return done_; })) {
      stuck_ = true;
      return false;
    }
    *elapsedMs = elapsedMs_;
    return true;
  }
  bool stuck() {
    std::lock_guard<std::mutex> guard(lock_);
    return stuck_;
  }

 private:
  void loop() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
      changed_.wait(lock, [this] { return pending_ || quit_; });
      if (!pending_) return;
      const std::function<void()> work = work_;
      pending_ = false;
      lock.unlock();
      const Clock::time_point start = Clock::now();
      work();
      const int64_t elapsed = millisecondsSince(start);
      lock.lock();
      elapsedMs_ = elapsed;
      done_ = true;
      changed_.notify_all();
    }
  }

  std::mutex lock_;
  std::condition_variable changed_;
  std::function<void()> work_;
  bool pending_ = false;
  bool done_ = false;
  bool quit_ = false;
  bool stuck_ = false;
  int64_t elapsedMs_ = 0;
  std::thread thread_;  // last: starts when everything above is ready
};

enum class Result { kOk, kFail, kSkip };

struct Outcome {
  Result result;
  std::string detail;
};

Outcome ok(const std::string& detail) { return {Result::kOk, detail}; }
Outcome fail(const std::string& detail) { return {Result::kFail, detail}; }
Outcome skip(const std::string& detail) { return {Result::kSkip, detail}; }

// Everything the steps share: the host, its thread, what was loaded.
struct Walk {
  Host host;
  HostThread thread;
  DeviceLibraries libraries;
  bool librariesLoaded = false;  // from a directory; false with --virtual none
  uint32_t timeoutMs = kDefaultTimeoutMs;
  std::string pluginGiven;
  std::string virtualGiven;
  bool enabled = false;
  uint32_t tonesBeforeLabel = 0;
  bool labelRead = false;

  bool onVirtualDevice() const { return librariesLoaded && libraries.isVirtual; }
  const VirtualControls& controls() const { return libraries.controls; }
  ScannerInterface1* scanner() const { return host.session.scanner; }

  // One call on the host thread; false when it could not be made or did not
  // come back within the limit. `elapsedMs`, when given, is its time.
  bool call(const Call& made, CallResult* result, int64_t* elapsedMs = nullptr) {
    // What the call gives is kept apart from the caller's, so that a call
    // given up on may still finish without writing where nothing is left.
    struct Answer {
      bool ran = false;
      CallResult result;
    };
    const auto answer = std::make_shared<Answer>();
    Host& on = host;
    int64_t elapsed = 0;
    const bool back =
        thread.run([answer, &on, made] { answer->ran = execute(on, made, &answer->result); },
                   kCallLimitMs, &elapsed);
    if (elapsedMs != nullptr) *elapsedMs = elapsed;
    if (!back) return false;
    *result = answer->result;
    return answer->ran;
  }
  // The value of a call of `name` with `args`, or a text saying why there is
  // none, as "Name args -> value Status".
  bool value(const char* name, std::initializer_list<int64_t> args, int16_t* answer,
             std::string* shown, int64_t* elapsedMs = nullptr) {
    const Call made = makeCall(name, args);
    CallResult result;
    const bool back = call(made, &result, elapsedMs);
    *answer = result.value;
    *shown = describeCall(made) +
             (back ? describeResult(made, result)
                   : " did not come back within " + std::to_string(kCallLimitMs) + " ms");
    return back;
  }
  // NewScanner on the host thread.
  bool create() {
    CallResult result;
    return call(makeCall("NewScanner"), &result) && scanner() != nullptr;
  }
  // The destructor on the host thread; false when it did not come back.
  bool destroy(int64_t* elapsedMs) {
    CallResult result;
    return call(makeCall("Destructor"), &result, elapsedMs);
  }
  // Lets go of every read a misbehaving driver held, so that no thread of an
  // earlier object takes a later label.
  bool releaseReads() {
    controls().setIgnoreCancel(0);
    controls().releaseReads(VDEV_READ_CANCELLED);
    const Clock::time_point start = Clock::now();
    while (controls().blockedReads() != 0) {
      if (millisecondsSince(start) > kDeviceWaitMs) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
};

// "12 ms (bound 3500 ms)"
std::string withinBound(int64_t elapsedMs) {
  return std::to_string(elapsedMs) + " ms (bound " + std::to_string(kStopBoundMs) + " ms)";
}

// ---- The lifecycle ------------------------------------------------------------

Outcome stepLoad(Walk& walk) {
  std::string error;
  std::string where;
  if (walk.virtualGiven == "none") {
    where = "the device's libraries left to the plug-in";
  } else if (!loadDeviceLibraries(walk.virtualGiven, &walk.libraries, &error)) {
    return fail("cannot load the device's libraries: " + error);
  } else {
    walk.librariesLoaded = true;
    where = std::string(walk.libraries.isVirtual ? "virtual device" : "device libraries") +
            " from " + walk.libraries.directory;
  }
  walk.host.session.newScanner = loadPlugin(walk.pluginGiven, &error);
  if (walk.host.session.newScanner == nullptr) return fail(error);
  return ok("plug-in " + pluginPath(walk.pluginGiven) + ", " + where);
}

Outcome stepCreate(Walk& walk) {
  if (walk.host.session.newScanner == nullptr) return skip("no plug-in");
  if (!walk.create()) return fail("NewScanner gave no object");
  return ok("NewScanner gave an object; callbacks registered");
}

Outcome stepLibraries(Walk& walk) {
  if (walk.scanner() == nullptr) return skip("no object");
  std::string detail;
  bool all = true;
  for (const char* file : kVendorLibraryFiles) {
    const std::string path = loadedLibraryPath(file);
    all = all && !path.empty();
    detail += (detail.empty() ? "" : ", ") + std::string(file) + " " +
              (path.empty() ? "not loaded" : path);
  }
  return all ? ok(detail) : fail(detail);
}

Outcome stepDeviceConfig(Walk& walk) {
  if (walk.scanner() == nullptr) return skip("no object");
  int16_t enabled = 0;
  std::string shown;
  if (!walk.value("GetSymbologyEnabled", {zorvan::kSymbologyTable[0].host}, &enabled, &shown)) {
    return fail(shown);
  }
  if (enabled != 0 && enabled != 1) return fail(shown + ": the device configuration is not open");
  return ok(shown);
}

// What a new object answers at power-on, written here as every handheld's
// plug-in must answer it rather than read from this plug-in's own tables, so
// that a wrong table fails the check: the eight tone parameters, and a few
// settings of the block.
struct PowerOnAnswer {
  const char* operation;
  int64_t argument;  // -1: the operation takes none
  int16_t answer;
};
const PowerOnAnswer kPowerOnAnswers[] = {
    {"GetToneFrequency", 40, 3000}, {"GetToneFrequency", 37, 1500}, {"GetToneFrequency", 36, 3000},
    {"GetToneFrequency", 35, 7500}, {"GetToneDuration", 39, 90},    {"GetToneDuration", 32, 70},
    {"GetToneDuration", 33, 90},    {"GetToneDuration", 34, 240},   {"GetGoodReadBeep", -1, 1},
    {"GetStoredLevel1", -1, 30},    {"GetStoredCode", -1, 182},     {"GetAffixMode", -1, 0},
};

Outcome stepDefaults(Walk& walk) {
  if (walk.scanner() == nullptr) return skip("no object");
  std::string differ;
  for (const PowerOnAnswer& expected : kPowerOnAnswers) {
    int16_t value = 0;
    std::string shown;
    const bool answered = expected.argument < 0
                              ? walk.value(expected.operation, {}, &value, &shown)
                              : walk.value(expected.operation, {expected.argument}, &value, &shown);
    if (!answered || value != expected.answer) {
      differ += (differ.empty() ? "" : ", ") + shown + ", not " + std::to_string(expected.answer);
    }
  }
  if (!differ.empty()) return fail(differ);
  return ok(std::to_string(std::size(kPowerOnAnswers)) + " settings at their power-on values");
}

Outcome stepEnable(Walk& walk) {
  if (walk.scanner() == nullptr) return skip("no object");
  int16_t result = 0;
  int16_t enabled = 0;
  std::string shownEnable;
  std::string shownState;
  if (!walk.value("EnableScanner", {}, &result, &shownEnable)) return fail(shownEnable);
  if (!walk.value("IsScannerEnabled", {}, &enabled, &shownState)) return fail(shownState);
  walk.enabled = result == ResultOk && enabled == 1;
  return walk.enabled ? ok(shownEnable + ", " + shownState) : fail(shownEnable + ", " + shownState);
}

Outcome stepLabel(Walk& walk) {
  if (!walk.enabled) return skip("the scanner is not enabled");
  const uint32_t events = walk.host.output.events();
  walk.tonesBeforeLabel = walk.host.output.tones();
  const std::string pushed = kCheckLabel;
  if (walk.onVirtualDevice()) {
    if (walk.controls().pushLabel(zorvan::kSymbologyTable[0].vendor,
                                  reinterpret_cast<const uint8_t*>(pushed.data()),
                                  static_cast<uint32_t>(pushed.size())) != 0) {
      return fail("the virtual device refused the label");
    }
  } else {
    printf("scan a barcode now (waiting up to %u ms)\n", walk.timeoutMs);
    fflush(stdout);
  }
  if (!walk.host.output.waitForEvents(events + 1, walk.timeoutMs)) {
    return fail("no scan event within " + std::to_string(walk.timeoutMs) + " ms");
  }
  const Call readLabel = makeCall("ReadLabel");
  CallResult result;
  if (!walk.call(readLabel, &result)) return fail("ReadLabel did not come back");
  const std::string shown = describeCall(readLabel) + describeResult(readLabel, result);
  walk.labelRead = result.value == ResultOk;
  if (!walk.labelRead) return fail(shown);
  if (walk.onVirtualDevice() && result.outBytes != pushed) {
    return fail(shown + ", not the label pushed (\"" + pushed + "\")");
  }
  return ok(shown);
}

Outcome stepTone(Walk& walk) {
  if (!walk.labelRead) return skip("no label");
  if (!walk.host.output.waitForTones(walk.tonesBeforeLabel + 1, kToneWaitMs)) {
    return fail("no tone within " + std::to_string(kToneWaitMs) + " ms of the label");
  }
  const Tone tone = walk.host.output.lastTone();
  const std::string shown = "good-read tone " + std::to_string(tone.frequency) + " Hz " +
                            std::to_string(tone.durationMs) + " ms level " +
                            std::to_string(tone.level);
  return tone.wellFormed && tone.frequency != 0 ? ok(shown) : fail(shown + ", a malformed record");
}

Outcome stepDisable(Walk& walk) {
  if (!walk.enabled) return skip("the scanner is not enabled");
  int16_t result = 0;
  int64_t elapsed = 0;
  std::string shown;
  const bool back = walk.value("DisableScanner", {}, &result, &shown, &elapsed);
  walk.enabled = false;
  const std::string detail = shown + " in " + withinBound(elapsed);
  return back && result == ResultOk && elapsed <= kStopBoundMs ? ok(detail) : fail(detail);
}

Outcome stepDestroy(Walk& walk) {
  if (walk.scanner() == nullptr) return skip("no object");
  int64_t elapsed = 0;
  if (!walk.destroy(&elapsed)) {
    return fail("the destructor did not come back within " + std::to_string(kCallLimitMs) + " ms");
  }
  const std::string detail = "destroyed in " + withinBound(elapsed);
  return elapsed <= kStopBoundMs ? ok(detail) : fail(detail);
}

// ---- Fault cases on the virtual device ---------------------------------------

// Makes an object while the virtual device fails one of its opens.
Outcome halfOpenObject(Walk& walk, bool driver) {
  if (walk.host.session.newScanner == nullptr) return skip("no plug-in");
  if (driver) {
    walk.controls().injectResult(VDEV_SCAN_OPEN, kOpenFailure, 1);
  } else {
    walk.controls().failConfigOpen(kOpenFailure);
  }
  const bool created = walk.create();
  walk.controls().clearResults();
  walk.controls().failConfigOpen(0);
  return created ? ok("") : fail("NewScanner gave no object");
}

// Adds "Name args -> value" to `detail`; false when the value is not `expected`.
bool expect(Walk& walk, const char* name, std::initializer_list<int64_t> args, int16_t expected,
            std::string* detail) {
  int16_t value = 0;
  std::string shown;
  const bool back = walk.value(name, args, &value, &shown);
  *detail += (detail->empty() ? "" : ", ") + shown;
  return back && value == expected;
}

// Destroys the object of a fault case within the bound.
bool destroyedWithinBound(Walk& walk, std::string* detail) {
  int64_t elapsed = 0;
  const bool back = walk.destroy(&elapsed);
  *detail += (detail->empty() ? "" : ", ") + std::string("destroyed in ") + withinBound(elapsed);
  return back && elapsed <= kStopBoundMs;
}

Outcome stepMissingDriver(Walk& walk) {
  const Outcome made = halfOpenObject(walk, true);
  if (made.result != Result::kOk) return made;
  std::string detail;
  bool handled = expect(walk, "EnableScanner", {}, ResultRejected, &detail);
  handled = expect(walk, "GetSymbologyEnabled", {zorvan::kSymbologyTable[0].host},
                   ResultUnsupported, &detail) &&
            handled;
  handled = destroyedWithinBound(walk, &detail) && handled;
  detail = "driver open failed, half-open object: " + detail;
  return handled ? ok(detail) : fail(detail);
}

Outcome stepMissingConfig(Walk& walk) {
  const Outcome made = halfOpenObject(walk, false);
  if (made.result != Result::kOk) return made;
  std::string detail;
  bool handled = expect(walk, "GetSymbologyEnabled", {zorvan::kSymbologyTable[0].host},
                        ResultUnsupported, &detail);
  handled = expect(walk, "EnableScanner", {}, ResultOk, &detail) && handled;
  // The label still comes; without the device configuration no good-read
  // tone follows it.
  const uint32_t events = walk.host.output.events();
  const uint32_t tones = walk.host.output.tones();
  const std::string label = kCheckLabel;
  const bool read = walk.controls().pushLabel(zorvan::kSymbologyTable[0].vendor,
                                              reinterpret_cast<const uint8_t*>(label.data()),
                                              static_cast<uint32_t>(label.size())) == 0 &&
                    walk.controls().waitIdle(walk.timeoutMs) == 1 &&
                    walk.host.output.events() == events + 1;
  const bool silent = walk.host.output.tones() == tones;
  detail +=
      read ? (silent ? ", label read without a tone" : ", label read with a tone") : ", no label";
  handled = read && silent && handled;
  CallResult taken;
  walk.call(makeCall("ReadLabel"), &taken);
  handled = expect(walk, "DisableScanner", {}, ResultOk, &detail) && handled;
  handled = destroyedWithinBound(walk, &detail) && handled;
  detail = "device configuration open failed, half-open object: " + detail;
  return handled ? ok(detail) : fail(detail);
}

// An enabled object whose read the driver will not let go.
Outcome enabledOnStuckDriver(Walk& walk) {
  if (walk.host.session.newScanner == nullptr) return skip("no plug-in");
  if (!walk.create()) return fail("NewScanner gave no object");
  std::string detail;
  if (!expect(walk, "EnableScanner", {}, ResultOk, &detail) ||
      walk.controls().waitBlocked(1, kDeviceWaitMs) != 1) {
    std::string destroyed;
    destroyedWithinBound(walk, &destroyed);
    return fail(detail + ", no read blocked in the driver" + destroyed);
  }
  walk.controls().setIgnoreCancel(1);
  return ok("");
}

Outcome stepIgnoredCancel(Walk& walk) {
  const Outcome made = enabledOnStuckDriver(walk);
  if (made.result != Result::kOk) return made;
  int16_t result = 0;
  int64_t elapsed = 0;
  std::string shown;
  const bool back = walk.value("DisableScanner", {}, &result, &shown, &elapsed);
  std::string detail = shown + " in " + withinBound(elapsed);
  bool handled = back && result == ResultOk && elapsed <= kStopBoundMs;
  handled = expect(walk, "IsScannerEnabled", {}, 0, &detail) && handled;
  handled = destroyedWithinBound(walk, &detail) && handled;
  handled = walk.releaseReads() && handled;
  detail = "driver ignores the cancel: " + detail;
  return handled ? ok(detail) : fail(detail);
}

Outcome stepStuckRead(Walk& walk) {
  const Outcome made = enabledOnStuckDriver(walk);
  if (made.result != Result::kOk) return made;
  std::string detail;
  bool handled = destroyedWithinBound(walk, &detail);
  handled = walk.releaseReads() && handled;
  detail = "read stuck in the driver, no DisableScanner first: " + detail;
  return handled ? ok(detail) : fail(detail);
}

struct CheckStep {
  const char* name;
  bool faultCase;  // run on the virtual device only
  Outcome (*run)(Walk& walk);
};

const CheckStep kSteps[] = {
    {"load", false, stepLoad},
    {"create", false, stepCreate},
    {"libraries", false, stepLibraries},
    {"device-config", false, stepDeviceConfig},
    {"defaults", false, stepDefaults},
    {"enable", false, stepEnable},
    {"label", false, stepLabel},
    {"tone", false, stepTone},
    {"disable", false, stepDisable},
    {"destroy", false, stepDestroy},
    {"missing-driver", true, stepMissingDriver},
    {"missing-config", true, stepMissingConfig},
    {"ignored-cancel", true, stepIgnoredCancel},
    {"stuck-read", true, stepStuckRead},
};

const char* resultWord(Result result) {
  return result == Result::kOk ? "ok" : result == Result::kFail ? "FAIL" : "skip";
}

}  // namespace

Stop commandCheck(Job& job) {
  if (!job.operands.empty()) return Stop{kExitUsage, "check takes no operands"};
  for (const char* option : {"wav", "fetch"}) {
    if (job.has(option)) return Stop{kExitUsage, "check does not take --" + std::string(option)};
  }
  if (job.anySetting()) {
    return Stop{kExitUsage, "check takes no settings options: it checks the defaults"};
  }
  Walk walk;
  int64_t timeout = kDefaultTimeoutMs;
  if (job.has("timeout")) parseInteger(job.value("timeout"), 0, 3600000, &timeout);
  walk.timeoutMs = static_cast<uint32_t>(timeout);
  walk.pluginGiven = job.value("plugin");
  walk.virtualGiven = job.value("virtual");
  walk.host.output.setEcho(false);
  walk.host.output.connect(&walk.host.session);
  int steps = 0;
  int failed = 0;
  for (const CheckStep& step : kSteps) {
    if (step.faultCase && !walk.onVirtualDevice()) continue;
    const Clock::time_point start = Clock::now();
    // Once a call is stuck in the plug-in, nothing more is called.
    const Outcome outcome =
        walk.thread.stuck() ? skip("an earlier plug-in call did not come back") : step.run(walk);
    const int64_t elapsed = millisecondsSince(start);
    ++steps;
    failed += outcome.result == Result::kFail ? 1 : 0;
    printf("step %s: %s %lld ms%s%s\n", step.name, resultWord(outcome.result),
           static_cast<long long>(elapsed), outcome.detail.empty() ? "" : " ",
           outcome.detail.c_str());
  }
  if (failed == 0) {
    printf("check: PASS (%d steps)\n", steps);
  } else {
    printf("check: FAIL (%d of %d steps failed)\n", failed, steps);
  }
  const int status = failed == 0 ? kExitOk : kExitFailure;
  if (walk.thread.stuck()) {
    // A call still runs inside the plug-in: leave without unloading anything.
    fflush(stdout);
    _Exit(status);
  }
  return Stop{status, ""};
}

}  // namespace scanhost

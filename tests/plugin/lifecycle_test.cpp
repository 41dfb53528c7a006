#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "scanner_fixture.h"

namespace zorvan_test {
namespace {

using zorvan::liveScannerStates;

class LifecycleTest : public ScannerTest {};

TEST_F(LifecycleTest, ConstructionOpensDriverAndConfigAndDisablesTheScanner) {
  vdev_scan_inject_result(VDEV_SCAN_OPEN, 0, 0);  // no-op: nothing injected
  auto& s = open();
  EXPECT_STREQ("default", vdev_scan_last_open_name());
  EXPECT_EQ(1u, vdev_config_open_calls());
  EXPECT_STREQ("default", vdev_config_last_open_name());
  EXPECT_EQ(1, vdev_config_last_open_iid_ok());
  EXPECT_EQ(3, vdev_config_last_open_flags());
  EXPECT_EQ(1u, vdev_scan_call_count(VDEV_SCAN_SET_ENABLE));
  EXPECT_EQ(0, vdev_scan_enabled());
  EXPECT_EQ(1, s.state().configReady.load());
  EXPECT_EQ(1, platform.comInits);
  // Defaults are in force at once.
  EXPECT_EQ(3000, s.GetToneFrequency(40));
  EXPECT_EQ(240, s.GetToneDuration(34));
  EXPECT_EQ(1, s.state().settings.current(zorvan::kGoodReadBeep));
  EXPECT_EQ(182, s.state().settings.current(zorvan::kStoredCode));
  EXPECT_EQ(10, s.state().settings.affixes().suffix1);
  EXPECT_EQ(13, s.state().settings.affixes().suffix2);
}

TEST_F(LifecycleTest, DriverOpenFailureLeavesAHalfOpenObject) {
  vdev_scan_inject_result(VDEV_SCAN_OPEN, static_cast<int32_t>(0x80000001u), 1);
  auto& s = open();
  EXPECT_EQ(0u, vdev_config_open_calls());
  EXPECT_EQ(0u, vdev_scan_call_count(VDEV_SCAN_SET_ENABLE));
  EXPECT_EQ(0, s.state().configReady.load());
  EXPECT_EQ(0, platform.comInits);
  EXPECT_EQ(0, s.GetToneFrequency(35));  // defaults never applied
  EXPECT_EQ(0, s.IsScannerEnabled());
  EXPECT_EQ(ResultRejected, s.EnableScanner());
  scanner.reset();
  EXPECT_EQ(0u, vdev_scan_call_count(VDEV_SCAN_CLOSE));
  EXPECT_EQ(0, platform.comUninits);  // no COM start-up of ours to undo
}

TEST_F(LifecycleTest, ConfigOpenFailureLeavesTheDriverOpenAndUntouched) {
  vdev_config_fail_open(-5);
  auto& s = open();
  EXPECT_EQ(1, vdev_scan_is_open());
  EXPECT_EQ(nullptr, s.state().symbology.device.get());
  EXPECT_EQ(0, s.state().configReady.load());
  EXPECT_EQ(0u, vdev_scan_call_count(VDEV_SCAN_SET_ENABLE));
  EXPECT_EQ(0, s.GetToneDuration(39));
  scanner.reset();
  EXPECT_EQ(1u, vdev_config_close_calls());
  EXPECT_EQ(0, vdev_scan_is_open());
}

TEST_F(LifecycleTest, DestructionReleasesEverything) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  scanner.reset();
  EXPECT_EQ(1u, vdev_config_close_calls());
  EXPECT_EQ(0, vdev_config_open_objects());
  EXPECT_EQ(0, vdev_scan_is_open());
  EXPECT_EQ(0, vdev_scan_enabled());
  EXPECT_EQ(1, platform.comUninits);
  EXPECT_EQ(0u, vdev_scan_blocked_reads());
  EXPECT_EQ(0, liveScannerStates());
}

TEST_F(LifecycleTest, EnableTwiceStartsOneThread) {
  auto& s = open();
  EXPECT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(1, s.IsScannerEnabled());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  EXPECT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(1u, vdev_scan_call_count(VDEV_SCAN_SYNC_READ));
  EXPECT_EQ(1u, vdev_scan_blocked_reads());
}

TEST_F(LifecycleTest, DisableCancelsWaitsAndDisables) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  EXPECT_EQ(ResultOk, s.DisableScanner());
  EXPECT_EQ(1u, vdev_scan_call_count(VDEV_SCAN_CANCEL_READ));
  EXPECT_EQ(1, vdev_scan_last_cancel_flush());
  EXPECT_EQ(3000u, platform.lastWaitMs);
  EXPECT_FALSE(s.state().scanThread.recorded());
  EXPECT_EQ(0, vdev_scan_enabled());
  EXPECT_EQ(0u, vdev_scan_blocked_reads());
}

TEST_F(LifecycleTest, EnableAndDisableRepeatForever) {
  auto& s = open();
  for (int round = 0; round < 20; ++round) {
    ASSERT_EQ(ResultOk, s.EnableScanner()) << "round " << round;
    ASSERT_EQ(ResultOk, s.DisableScanner()) << "round " << round;
  }
  EXPECT_EQ(0u, vdev_scan_blocked_reads());
}

TEST_F(LifecycleTest, DisableOnADisabledScannerIsRejectedWithoutCancel) {
  auto& s = open();
  EXPECT_EQ(ResultRejected, s.DisableScanner());
  EXPECT_EQ(0u, vdev_scan_call_count(VDEV_SCAN_CANCEL_READ));
}

TEST_F(LifecycleTest, DisableReportsTheDriversRefusal) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  vdev_scan_inject_result(VDEV_SCAN_SET_ENABLE, static_cast<int32_t>(0x40000000u), 1);
  EXPECT_EQ(ResultRejected, s.DisableScanner());
}

TEST_F(LifecycleTest, ThreadThatCannotBeCreatedIsReportedOnce) {
  auto& s = open();
  platform.refuseThreads = true;
  EXPECT_EQ(ResultRejected, s.EnableScanner());
  const auto debug = host().eventsOf(HostEvent::kDebug);
  ASSERT_EQ(1u, debug.size());
  EXPECT_EQ("Debug Failed to create scan thread", debug[0].text);
  EXPECT_EQ(1, vdev_scan_enabled());  // the driver stays enabled
}

TEST_F(LifecycleTest, EnableRefusedByTheDriverIsRejected) {
  auto& s = open();
  vdev_scan_inject_result(VDEV_SCAN_SET_ENABLE, static_cast<int32_t>(0x80000000u), 1);
  EXPECT_EQ(ResultRejected, s.EnableScanner());
  EXPECT_EQ(0u, vdev_scan_call_count(VDEV_SCAN_SYNC_READ));
}

TEST_F(LifecycleTest, ThreadEndedByAReadFailureStaysRecordedUntilDisable) {
  auto& s = open();
  vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, VDEV_READ_CANCELLED, 1);
  ASSERT_EQ(ResultOk, s.EnableScanner());
  for (int i = 0; i < 5000 && vdev_scan_call_count(VDEV_SCAN_SYNC_READ) == 0; ++i) usleep(1000);
  // Still enabled: no second thread, and still recorded.
  EXPECT_EQ(ResultOk, s.EnableScanner());
  EXPECT_TRUE(s.state().scanThread.recorded());
  EXPECT_EQ(ResultOk, s.DisableScanner());
  EXPECT_FALSE(s.state().scanThread.recorded());
  EXPECT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(1, vdev_scan_wait_blocked(1, 5000));
}

TEST_F(LifecycleTest, SoftwareTriggerNeedsTriggerModeEightAndAnEnabledScanner) {
  auto& s = open();
  EXPECT_EQ(ResultUnsupported, s.StartSoftwareTrigger());
  EXPECT_EQ(ResultUnsupported, s.StopSoftwareTrigger());
  EXPECT_EQ(0u, vdev_scan_call_count(VDEV_SCAN_SET_TRIGGER));

  s.SetTriggerMode(8);  // pending alone does not count
  EXPECT_EQ(ResultUnsupported, s.StartSoftwareTrigger());

  s.ApplySettings(0);
  EXPECT_EQ(ResultRejected, s.StartSoftwareTrigger());
  ASSERT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(ResultOk, s.StartSoftwareTrigger());
  EXPECT_EQ(1, vdev_scan_trigger());
  EXPECT_EQ(ResultOk, s.StopSoftwareTrigger());
  EXPECT_EQ(0, vdev_scan_trigger());
  vdev_scan_inject_result(VDEV_SCAN_SET_TRIGGER, static_cast<int32_t>(0xC0000000u), 2);
  EXPECT_EQ(ResultUnsupported, s.StartSoftwareTrigger());
  EXPECT_EQ(ResultUnsupported, s.StopSoftwareTrigger());
}

TEST_F(LifecycleTest, ReadLedFlagFollowsTheRequestWhateverTheDriverSays) {
  auto& s = open();
  EXPECT_EQ(0, s.GetReadLedState());
  EXPECT_EQ(ResultOk, s.ReadLedOn());
  EXPECT_EQ(1, vdev_scan_read_led());
  EXPECT_EQ(1, s.GetReadLedState());
  vdev_scan_inject_result(VDEV_SCAN_SET_READ_LED, -1, 1);
  EXPECT_EQ(ResultUnsupported, s.ReadLedOff());
  EXPECT_EQ(0, s.GetReadLedState());
  vdev_scan_inject_result(VDEV_SCAN_SET_READ_LED, -1, 1);
  EXPECT_EQ(ResultUnsupported, s.ReadLedOn());
  EXPECT_EQ(1, s.GetReadLedState());
  // A positive result with high bits set still counts as success here.
  vdev_scan_inject_result(VDEV_SCAN_SET_READ_LED, 0x40000000, 1);
  EXPECT_EQ(ResultOk, s.ReadLedOff());
}

TEST_F(LifecycleTest, CallbacksAreReplacedAndCleared) {
  auto& s = open(false);
  s.SetEvtDebugMessageCallBack(HostRecorder::onDebug);
  s.SetEvtDebugMessageCallBack(nullptr);
  platform.refuseThreads = true;
  EXPECT_EQ(ResultRejected, s.EnableScanner());
  EXPECT_EQ(0u, host().count(HostEvent::kDebug));
}

// Destroying an object while labels pour in: the scan thread is stopped
// before the destructor returns, so nothing reaches the host afterwards.
TEST_F(LifecycleTest, DestructionWhileLabelsArriveStopsDeliveryFirst) {
  const uint8_t label[] = {'F', 'L', 'O', 'W'};
  for (int round = 0; round < 10; ++round) {
    auto& s = open();
    ASSERT_EQ(ResultOk, s.EnableScanner());
    for (int i = 0; i < 20; ++i) vdev_scan_push_label(1, label, sizeof label);
    scanner.reset();
    const size_t delivered = host().count(HostEvent::kScanEvent);
    EXPECT_EQ(0, liveScannerStates());
    EXPECT_EQ(0u, vdev_scan_blocked_reads());
    EXPECT_EQ(delivered, host().count(HostEvent::kScanEvent));
    vdev_reset_all();
  }
}

// A driver that never returns from a read: destruction gives up after the
// wait, does not free what the thread still uses, and the thread frees it
// when the driver finally lets go.
TEST_F(LifecycleTest, StuckDriverOutlivesTheObjectSafely) {
  platform.waitLimitMs = 50;
  auto& s = open();
  vdev_scan_set_ignore_cancel(1);
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  scanner.reset();
  EXPECT_EQ(1, liveScannerStates());  // kept by the stuck thread

  vdev_scan_set_ignore_cancel(0);
  vdev_scan_release_reads(VDEV_READ_CANCELLED);
  for (int i = 0; i < 500 && liveScannerStates() != 0; ++i) usleep(10000);
  EXPECT_EQ(0, liveScannerStates());
  EXPECT_EQ(0u, host().count(HostEvent::kDebug));
}

// COM is balanced only for a start-up of the object's own, and only on the
// thread that made it.
TEST_F(LifecycleTest, ComIsUninitialisedOnlyWhereTheObjectStartedIt) {
  const struct {
    const char* name;
    bool initSucceeds;
    bool destroyedOnAnotherThread;
    int uninits;
  } cases[] = {
      {"started, destroyed on its thread", true, false, 1},
      {"refused (thread in another model)", false, false, 0},
      {"started, destroyed on another thread", true, true, 0},
  };
  for (const auto& c : cases) {
    platform.comInitSucceeds = c.initSucceeds;
    platform.comUninits = 0;
    open();
    if (c.destroyedOnAnotherThread) {
      std::thread([this] { scanner.reset(); }).join();
    } else {
      scanner.reset();
    }
    EXPECT_EQ(c.uninits, platform.comUninits) << c.name;
  }
}

// A driver whose reads succeed at once, whatever the cancel: once
// DisableScanner has returned nothing more reaches the host, and the thread
// has ended at its next chance.
TEST_F(LifecycleTest, NothingReachesTheHostAfterDisableReturns) {
  auto& s = open();
  vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, 0, -1);
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_TRUE(host().waitFor(HostEvent::kScanEvent, 50));
  ASSERT_EQ(ResultOk, s.DisableScanner());
  const size_t events = host().count(HostEvent::kScanEvent);
  const size_t tones = host().count(HostEvent::kTone);
  usleep(50000);
  EXPECT_EQ(events, host().count(HostEvent::kScanEvent));
  EXPECT_EQ(tones, host().count(HostEvent::kTone));
  EXPECT_FALSE(s.state().scanThread.recorded());

  // A driver that keeps the read through the cancel and hands over a label
  // only after DisableScanner returned: the label is dropped.
  vdev_scan_clear_results();
  vdev_scan_set_ignore_cancel(1);
  platform.waitLimitMs = 50;
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  ASSERT_EQ(ResultOk, s.DisableScanner());
  ASSERT_TRUE(s.state().scanThread.recorded());
  vdev_scan_release_reads(0);
  ASSERT_TRUE(s.state().scanThread.collect(5000));
  EXPECT_EQ(events, host().count(HostEvent::kScanEvent));
  EXPECT_EQ(tones, host().count(HostEvent::kTone));
  EXPECT_EQ(0u, host().count(HostEvent::kDebug));
}

// The good-read tone made a minute-long pause: destroying the object cuts
// it short instead of waiting for it.
TEST_F(LifecycleTest, DestructionCutsShortAPauseOfTheGoodReadPattern) {
  platform.realPauses = true;
  auto& s = open();
  s.SetToneFrequency(40, 0);
  s.SetToneDuration(39, 60000);
  ASSERT_EQ(ResultOk, s.EnableScanner());
  const uint8_t label[] = {'A'};
  ASSERT_EQ(0, vdev_scan_push_label(1, label, sizeof label));
  ASSERT_TRUE(host().waitFor(HostEvent::kSleep, 1));
  scanner.reset();
  EXPECT_EQ(1, platform.pausesCutShort.load());
  EXPECT_EQ(0, liveScannerStates());
}

zorvan::ZorvanScannerInterface* gDestroyedInCallback = nullptr;
void destroyFromCallback(const uint8_t* record) {
  HostRecorder::onEvent(record);
  delete gDestroyedInCallback;
}

// The host deletes the object from inside its event callback, on the scan
// thread: the destructor does not wait on its own thread, nothing follows
// the event, and the thread frees the state once the callback returns.
TEST_F(LifecycleTest, DestructionFromInsideTheEventCallbackDoesNotWaitOnItself) {
  auto& s = open();
  s.SetEvtAddEventToQueueCallBack(destroyFromCallback);
  gDestroyedInCallback = scanner.release();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  const uint8_t label[] = {'A'};
  ASSERT_EQ(0, vdev_scan_push_label(1, label, sizeof label));
  ASSERT_TRUE(host().waitFor(HostEvent::kScanEvent, 1));
  for (int i = 0; i < 5000 && liveScannerStates() != 0; ++i) usleep(1000);
  EXPECT_EQ(0, liveScannerStates());
  EXPECT_EQ(0u, host().count(HostEvent::kTone));
  EXPECT_EQ(1, platform.modulePins);
  EXPECT_EQ(0, vdev_scan_is_open());
}

// A scan thread stuck in the driver ends at each point of the destructor in
// turn, or after it. Whichever, the shared state is freed exactly once, no
// callback follows, and only a thread left running pins the module.
TEST_F(LifecycleTest, StuckThreadEndingAtAnyPointOfDestructionFreesTheStateOnce) {
  enum Point { kBeforeDestruction, kDuringTheWait, kAtTheLastCheck, kBeforeThePin, kAfterIt };
  const struct {
    const char* name;
    Point point;
    int pins;
  } cases[] = {
      {"before destruction", kBeforeDestruction, 0},
      {"during the disable wait", kDuringTheWait, 0},
      {"at the last check", kAtTheLastCheck, 0},
      {"after being cut off, before the pin", kBeforeThePin, 1},
      {"after destruction", kAfterIt, 1},
  };
  platform.waitLimitMs = 50;
  for (const auto& c : cases) {
    vdev_reset_all();
    platform.modulePins = 0;
    platform.extendNextWaitMs = 0;
    auto& s = open();
    vdev_scan_set_ignore_cancel(1);
    ASSERT_EQ(ResultOk, s.EnableScanner());
    ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
    zorvan::ScannerState* state = &s.state();
    // Release the stuck read and wait until the thread has dropped its share;
    // the next wait gives it time to finish leaving.
    auto endThread = [this, state] {
      vdev_scan_release_reads(VDEV_READ_CANCELLED);
      for (int i = 0; i < 5000 && state->shares() > 1; ++i) usleep(1000);
      platform.extendNextWaitMs = 5000;
    };
    platform.beforeThreadWait = [&](uint32_t timeoutMs) {
      if ((c.point == kDuringTheWait && timeoutMs > 0) ||
          (c.point == kAtTheLastCheck && timeoutMs == 0)) {
        endThread();
      }
    };
    platform.beforeModulePin = [&] {
      if (c.point == kBeforeThePin) endThread();
    };
    if (c.point == kBeforeDestruction) endThread();
    scanner.reset();
    if (c.point == kAfterIt) vdev_scan_release_reads(VDEV_READ_CANCELLED);
    for (int i = 0; i < 5000 && liveScannerStates() != 0; ++i) usleep(1000);
    EXPECT_EQ(0, liveScannerStates()) << c.name;
    EXPECT_EQ(c.pins, platform.modulePins) << c.name;
    EXPECT_EQ(0u, host().count(HostEvent::kDebug)) << c.name;
  }
  platform.beforeThreadWait = nullptr;
  platform.beforeModulePin = nullptr;
}

// An event callback that waits (up to 5 s) for the host thread's
// DisableScanner or delete to return, as a SendMessage to that thread does.
std::atomic<bool> gHostCallReturned{false};
std::atomic<bool> gCallbackReturned{false};
void waitForTheHostCall(const uint8_t* record) {
  HostRecorder::onEvent(record);
  for (int i = 0; i < 5000 && !gHostCallReturned.load(); ++i) usleep(1000);
  gCallbackReturned = true;
}

// DisableScanner and delete return after their wait whatever the callback
// in progress does; once they have returned, that callback may finish but
// nothing else reaches the host.
TEST_F(LifecycleTest, HostCallsReturnAfterTheWaitWhileACallbackWaitsForThem) {
  const bool deletes[] = {false, true};
  platform.waitLimitMs = 50;
  for (const bool destroy : deletes) {
    SCOPED_TRACE(destroy ? "delete" : "DisableScanner");
    scanner.reset();
    vdev_reset_all();
    host().clear();
    gHostCallReturned = false;
    gCallbackReturned = false;
    auto& s = open();
    s.SetEvtAddEventToQueueCallBack(waitForTheHostCall);
    zorvan::ScannerState* state = &s.state();
    zorvan::SharedReference keep(state);  // the state outlives a delete here
    ASSERT_EQ(ResultOk, s.EnableScanner());
    const uint8_t label[] = {'W'};
    ASSERT_EQ(0, vdev_scan_push_label(1, label, sizeof label));
    ASSERT_TRUE(host().waitFor(HostEvent::kScanEvent, 1));
    if (destroy) {
      scanner.reset();
    } else {
      EXPECT_EQ(ResultOk, s.DisableScanner());
    }
    // The call came back while the callback still waited for it: it did not
    // wait for the callback (which gives up after 5 s).
    EXPECT_FALSE(gCallbackReturned.load());
    gHostCallReturned = true;
    // The thread ends once the callback returns.
    if (destroy) {
      for (int i = 0; i < 5000 && state->shares() > 1; ++i) usleep(1000);
      EXPECT_EQ(1, state->shares());
    } else {
      EXPECT_TRUE(state->scanThread.collect(5000));
    }
    EXPECT_EQ(1u, host().count(HostEvent::kScanEvent));
    EXPECT_EQ(0u, host().count(HostEvent::kTone));
    EXPECT_EQ(1u, state->scanThread.callbacksDecided());
  }
}

// Until its wait ends, DisableScanner's stop leaves the thread doing what
// it would have done: a label the driver hands over is delivered, a failed
// read reported (the cancel's usual results silently), and the thread ends
// without beginning another read.
TEST_F(LifecycleTest, WhatTheDriverReturnsDuringTheStopReachesTheHost) {
  const struct {
    const char* name;
    int32_t result;
    size_t events;
    const char* message;  // nullptr: none
  } cases[] = {
      {"a label", 0, 1, nullptr},
      {"another failure", -5, 0, "Debug ITCSCAN_SyncRead returned 0xfffffffb"},
      {"cancelled", VDEV_READ_CANCELLED, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scanner.reset();
    vdev_reset_all();
    host().clear();
    auto& s = open();
    vdev_scan_set_ignore_cancel(1);
    ASSERT_EQ(ResultOk, s.EnableScanner());
    ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
    platform.beforeThreadWait = [&c](uint32_t) { vdev_scan_release_reads(c.result); };
    EXPECT_EQ(ResultOk, s.DisableScanner());
    platform.beforeThreadWait = nullptr;
    EXPECT_FALSE(s.state().scanThread.recorded());  // ended within the wait
    EXPECT_EQ(1u, vdev_scan_call_count(VDEV_SCAN_SYNC_READ));
    EXPECT_EQ(c.events, host().count(HostEvent::kScanEvent));
    const auto debug = host().eventsOf(HostEvent::kDebug);
    ASSERT_EQ(c.message == nullptr ? 0u : 1u, debug.size());
    if (c.message != nullptr) {
      EXPECT_EQ(c.message, debug[0].text);
    }
  }
}

// A stop that timed out on a driver ignoring the cancel, then the scanner
// enabled again: the old thread is taken back, so the next label is
// delivered while the scanner reports enabled, and scanning goes on.
TEST_F(LifecycleTest, ReEnablingTakesBackAThreadWhoseStopTimedOut) {
  platform.waitLimitMs = 50;
  auto& s = open();
  vdev_scan_set_ignore_cancel(1);
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  ASSERT_EQ(ResultOk, s.DisableScanner());
  ASSERT_TRUE(s.state().scanThread.recorded());
  EXPECT_EQ(ResultRejected, s.EnableScanner());
  EXPECT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(1, s.IsScannerEnabled());
  scan(1, {'A'});
  scan(1, {'B'});
  EXPECT_EQ(2u, host().count(HostEvent::kScanEvent));
  EXPECT_EQ(3u, vdev_scan_call_count(VDEV_SCAN_SYNC_READ));

  vdev_scan_set_ignore_cancel(0);
  EXPECT_EQ(ResultOk, s.DisableScanner());
  EXPECT_FALSE(s.state().scanThread.recorded());
}

// The destructor finds a thread recorded while the driver cannot say the
// scanner is enabled, so the DisableScanner steps return early: the thread
// is still stopped, its read cancelled before the driver is closed.
TEST_F(LifecycleTest, DestructionCancelsAndWaitsWhenTheDisableStepsReturnEarly) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  vdev_scan_inject_result(VDEV_SCAN_GET_ENABLE, static_cast<int32_t>(0xC0000000u), -1);
  int openAtTheWait = -1;
  uint32_t cancelsAtTheWait = 0;
  platform.beforeThreadWait = [&](uint32_t timeoutMs) {
    if (timeoutMs == 0) return;
    openAtTheWait = vdev_scan_is_open();
    cancelsAtTheWait = vdev_scan_call_count(VDEV_SCAN_CANCEL_READ);
  };
  scanner.reset();
  platform.beforeThreadWait = nullptr;
  EXPECT_EQ(1u, cancelsAtTheWait);
  EXPECT_EQ(1, openAtTheWait);
  EXPECT_EQ(3000u, platform.lastWaitMs);
  EXPECT_EQ(0, platform.modulePins);
  EXPECT_EQ(0, liveScannerStates());
}
}  // namespace
}  // namespace zorvan_test

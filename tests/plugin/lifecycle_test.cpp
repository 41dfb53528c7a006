#include <gtest/gtest.h>
#include <unistd.h>

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
  EXPECT_EQ(1, s.state().applied.goodReadBeep.load());
  EXPECT_EQ(182, s.state().applied.storedCode.load());
  EXPECT_EQ(10, s.state().suffix1.load());
  EXPECT_EQ(13, s.state().suffix2.load());
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
  EXPECT_EQ(nullptr, s.state().deviceConfig);
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
  EXPECT_FALSE(s.state().scanThread.recorded);
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
  // Still enabled: no second thread, and still recorded.
  EXPECT_EQ(ResultOk, s.EnableScanner());
  EXPECT_TRUE(s.state().scanThread.recorded);
  EXPECT_EQ(ResultOk, s.DisableScanner());
  EXPECT_FALSE(s.state().scanThread.recorded);
  EXPECT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(1, vdev_scan_wait_blocked(1, 5000));
}

TEST_F(LifecycleTest, SoftwareTriggerNeedsTriggerModeEightAndAnEnabledScanner) {
  auto& s = open();
  EXPECT_EQ(ResultUnsupported, s.StartSoftwareTrigger());
  EXPECT_EQ(ResultUnsupported, s.StopSoftwareTrigger());
  EXPECT_EQ(0u, vdev_scan_call_count(VDEV_SCAN_SET_TRIGGER));

  s.state().pending.triggerMode = 8;  // pending alone does not count
  EXPECT_EQ(ResultUnsupported, s.StartSoftwareTrigger());

  s.state().applied.triggerMode = 8;
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

}  // namespace
}  // namespace zorvan_test

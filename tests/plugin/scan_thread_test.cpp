#include <gtest/gtest.h>
#include <string.h>

#include "scanner_fixture.h"

namespace zorvan_test {
namespace {

class ScanThreadTest : public ScannerTest {
 protected:
  // The last label as the object holds it.
  std::vector<uint8_t> storedLabel() {
    scanner->state().labels.inspect(stored_);
    return std::vector<uint8_t>(stored_.bytes, stored_.bytes + stored_.length);
  }
  int32_t storedSymbology() {
    scanner->state().labels.inspect(stored_);
    return stored_.vendorSymbology;
  }
  zorvan::LabelStore::Contents stored_;
};

TEST_F(ScanThreadTest, ReadRequestAsksForTheWholeBufferWithoutTimeLimit) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  EXPECT_EQ(7095u, vdev_scan_last_read_buffer_size());
  EXPECT_EQ(-1, vdev_scan_last_read_timeout());
  EXPECT_EQ(0u, vdev_scan_last_read_reserved());
}

TEST_F(ScanThreadTest, EachLabelIsStoredAndAnnouncedInOrder) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  scan(62, {'A', 'B', 'C'});
  EXPECT_EQ((std::vector<uint8_t>{'A', 'B', 'C'}), storedLabel());
  EXPECT_EQ(62, storedSymbology());
  scan(7, std::vector<uint8_t>(300, 'z'));
  EXPECT_EQ(std::vector<uint8_t>(300, 'z'), storedLabel());

  const auto events = host().eventsOf(HostEvent::kScanEvent);
  ASSERT_EQ(2u, events.size());
  std::vector<uint8_t> shortRecord(24, 0);
  shortRecord[0] = 0x87;
  shortRecord[1] = 0xFF;
  EXPECT_EQ(shortRecord, events[0].bytes);
  std::vector<uint8_t> longRecord = shortRecord;
  longRecord[9] = 0x01;
  longRecord[10] = 0x01;
  longRecord[11] = 0x2C;
  EXPECT_EQ(longRecord, events[1].bytes);
}

TEST_F(ScanThreadTest, AffixesChangedWhileScanningApplyToTheNextLabel) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  s.SetAffixChars(2, 10, 13);
  s.SetAffixMode(7);
  scan(1, {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
  const std::vector<uint8_t> expected = {2,   '0', '1', '2', '3', '4', '5',
                                         '6', '7', '8', '9', 10,  13};
  EXPECT_EQ(expected, storedLabel());
}

TEST_F(ScanThreadTest, OversizedDriverReportIsCutToTheReadBuffer) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  std::vector<uint8_t> label(100, 'q');
  ASSERT_EQ(0, vdev_scan_push_label_reported(1, label.data(), 100, 100000));
  ASSERT_EQ(1, vdev_scan_wait_idle(5000));
  const std::vector<uint8_t> stored = storedLabel();
  ASSERT_EQ(2999u, stored.size());
  EXPECT_EQ(0, memcmp(stored.data(), label.data(), label.size()));
  for (size_t i = label.size(); i < stored.size(); ++i) ASSERT_EQ(0, stored[i]);
}

struct ReadFailure {
  int32_t result;
  const char* message;  // nullptr: silent
};

void PrintTo(const ReadFailure& c, std::ostream* out) {
  *out << std::hex << static_cast<uint32_t>(c.result);
}

class ReadFailureTest : public ScannerTest, public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(ReadFailureTest, EndsTheThreadReportingOnlyUnexpectedResults) {
  auto& s = open();
  vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, GetParam().result, 1);
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_TRUE(s.state().scanThread.collect(5000));
  EXPECT_EQ(1u, vdev_scan_call_count(VDEV_SCAN_SYNC_READ));
  const auto debug = host().eventsOf(HostEvent::kDebug);
  if (GetParam().message == nullptr) {
    EXPECT_TRUE(debug.empty());
  } else {
    ASSERT_EQ(1u, debug.size());
    EXPECT_EQ("Debug ITCSCAN_SyncRead returned 0x%08lx", debug[0].format);
    EXPECT_EQ(GetParam().message, debug[0].text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Results, ReadFailureTest,
    ::testing::Values(ReadFailure{static_cast<int32_t>(0xC1600147u), nullptr},
                      ReadFailure{-4, nullptr},
                      ReadFailure{static_cast<int32_t>(0x80000005u),
                                  "Debug ITCSCAN_SyncRead returned 0x80000005"},
                      ReadFailure{-1, "Debug ITCSCAN_SyncRead returned 0xffffffff"},
                      ReadFailure{static_cast<int32_t>(0xC1600148u),
                                  "Debug ITCSCAN_SyncRead returned 0xc1600148"}));

TEST_F(ScanThreadTest, MissingEventCallbackIsReportedOncePerProcess) {
  for (int object = 0; object < 2; ++object) {
    auto& s = open(false);
    s.SetEvtDebugMessageCallBack(HostRecorder::onDebug);
    ASSERT_EQ(ResultOk, s.EnableScanner());
    scan(1, {'a'});
    scan(1, {'b'});
    EXPECT_EQ((std::vector<uint8_t>{'b'}), storedLabel());  // the label is still kept
    scanner.reset();
  }
  const auto debug = host().eventsOf(HostEvent::kDebug);
  ASSERT_EQ(1u, debug.size());
  EXPECT_EQ(
      "No scan events generated. Implementer must call SetEvtAddEventToQueueCallBack after "
      "creating new ScannerInterface1 object",
      debug[0].text);
}

TEST_F(ScanThreadTest, LabelsKeepFlowingWhileTheHostRetrievesThem) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  for (int i = 0; i < 50; ++i) {
    const uint8_t label[] = {static_cast<uint8_t>('A' + i % 26), static_cast<uint8_t>(i)};
    ASSERT_EQ(0, vdev_scan_push_label(1, label, sizeof label));
  }
  ASSERT_EQ(1, vdev_scan_wait_idle(5000));
  EXPECT_EQ(50u, host().count(HostEvent::kScanEvent));
  EXPECT_EQ(ResultOk, s.DisableScanner());
}

}  // namespace
}  // namespace zorvan_test

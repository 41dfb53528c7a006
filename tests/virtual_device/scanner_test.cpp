// The virtual scanner driver as the plug-in's scan thread meets it: blocking
// reads, cancels from another thread, a stuck driver, injected results.
#include <gtest/gtest.h>
#include <string.h>

#include <functional>
#include <future>
#include <string>
#include <vector>

#include "vdev_exports.h"

namespace {

constexpr uint32_t kSafetyMs = 5000;  // only a safety net; waits end on their condition

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vdev_reset_all();
    ASSERT_EQ(ITCSCAN_Open(&handle_, VENDOR_TEXT("SCN1")), 0);
    ASSERT_NE(handle_, 0);
    ASSERT_EQ(ITCSCAN_SetScannerEnable(handle_, 1), 0);
  }
  void TearDown() override { vdev_scan_reset(); }

  static void Push(const std::string& text, int32_t symbology = 3) {
    ASSERT_EQ(vdev_scan_push_label(symbology, reinterpret_cast<const uint8_t*>(text.data()),
                                   static_cast<uint32_t>(text.size())),
              0);
  }

  // A read on its own thread; the future holds its result.
  std::future<int32_t> StartRead() {
    return std::async(std::launch::async, [h = handle_] {
      uint8_t data[16];
      ReadRequest request{data, sizeof data, 0, -1, 0, 0};
      return ITCSCAN_SyncRead(h, &request);
    });
  }

  // A read on this thread; returns the label text, or "" with `result` set.
  std::string Read(int32_t* result = nullptr, int32_t timeout = -1) {
    uint8_t data[64];
    ReadRequest request{data, sizeof data, 0, timeout, 0, 0};
    const int32_t r = ITCSCAN_SyncRead(handle_, &request);
    if (result != nullptr) *result = r;
    return r == 0 ? std::string(reinterpret_cast<char*>(data), request.bytesReturned) : "";
  }

  int32_t handle_ = 0;
};

TEST_F(ScannerTest, ReadCopiesWhatFitsAndReportsTheDriversLength) {
  struct Case {
    uint32_t len, bufferSize, reportedLen, copied;
  } cases[] = {{5, 16, 5, 5}, {10, 4, 10, 4}, {3, 16, 9000, 3}, {0, 16, 0, 0}};
  for (const Case& c : cases) {
    const std::vector<uint8_t> label(c.len, 0x41);
    ASSERT_EQ(vdev_scan_push_label_reported(7, label.data(), c.len, c.reportedLen), 0);
    uint8_t data[16];
    memset(data, 0xEE, sizeof data);
    ReadRequest request{data, c.bufferSize, 0, -1, 0, 0x1234};
    ASSERT_EQ(ITCSCAN_SyncRead(handle_, &request), 0);
    EXPECT_EQ(request.bytesReturned, c.reportedLen);
    EXPECT_EQ(request.symbology, 7);
    for (uint32_t i = 0; i < sizeof data; ++i) EXPECT_EQ(data[i], i < c.copied ? 0x41 : 0xEE);
    EXPECT_EQ(vdev_scan_last_read_buffer_size(), c.bufferSize);
    EXPECT_EQ(vdev_scan_last_read_reserved(), 0x1234u);
  }
  EXPECT_EQ(vdev_scan_push_label(1, nullptr, VDEV_MAX_LABEL + 1), -1);
}

TEST_F(ScannerTest, CancelFromAnotherThreadReleasesABlockedRead) {
  auto read = StartRead();
  ASSERT_EQ(vdev_scan_wait_blocked(1, kSafetyMs), 1);
  uint32_t c1 = 7, c2 = 7;
  EXPECT_EQ(ITCSCAN_CancelRead(handle_, 0, &c1, &c2), 0);
  EXPECT_EQ(read.get(), VDEV_READ_CANCELLED);
  EXPECT_EQ(c1, 0u);
  EXPECT_EQ(c2, 0u);
  EXPECT_EQ(vdev_scan_blocked_reads(), 0u);
}

TEST_F(ScannerTest, CancelWithNoReadPendingCancelsTheNextReadAndFlushEmptiesTheQueue) {
  Push("A");
  ASSERT_EQ(ITCSCAN_CancelRead(handle_, 0, nullptr, nullptr), 0);
  int32_t result = 0;
  Read(&result);
  EXPECT_EQ(result, VDEV_READ_CANCELLED);
  EXPECT_EQ(Read(), "A");  // only the next read, and the label stayed
  Push("B");
  Push("C");
  ASSERT_EQ(ITCSCAN_CancelRead(handle_, 1, nullptr, nullptr), 0);
  EXPECT_EQ(vdev_scan_queued(), 0u);
  EXPECT_EQ(vdev_scan_last_cancel_flush(), 1);
}

TEST_F(ScannerTest, StuckDriverIgnoresCancelUntilReadsAreReleased) {
  vdev_scan_set_ignore_cancel(1);
  auto read = StartRead();
  ASSERT_EQ(vdev_scan_wait_blocked(1, kSafetyMs), 1);
  EXPECT_EQ(ITCSCAN_CancelRead(handle_, 0, nullptr, nullptr), 0);
  EXPECT_EQ(vdev_scan_blocked_reads(), 1u);  // a cancel acts at once, so nothing was released
  vdev_scan_release_reads(-77);
  EXPECT_EQ(read.get(), -77);
}

TEST_F(ScannerTest, DisabledScannerHoldsLabelsUntilEnabled) {
  ASSERT_EQ(ITCSCAN_SetScannerEnable(handle_, 0), 0);
  Push("A");
  auto read = StartRead();
  ASSERT_EQ(vdev_scan_wait_blocked(1, kSafetyMs), 1);  // blocked with a label queued
  EXPECT_EQ(vdev_scan_queued(), 1u);
  ASSERT_EQ(ITCSCAN_SetScannerEnable(handle_, 1), 0);
  EXPECT_EQ(read.get(), 0);
  EXPECT_EQ(vdev_scan_queued(), 0u);
}

TEST_F(ScannerTest, ReadGivesUpWhenItsTimeoutRunsOut) {
  for (int32_t timeout : {0, 20}) {
    int32_t result = 0;
    Read(&result, timeout);
    EXPECT_EQ(result, VDEV_READ_TIMEOUT);
    EXPECT_EQ(vdev_scan_last_read_timeout(), timeout);
  }
  EXPECT_EQ(vdev_scan_blocked_reads(), 0u);
}

TEST_F(ScannerTest, InjectedResultsReplaceTheGivenNumberOfCalls) {
  Push("A");
  vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, -5, 2);
  vdev_scan_inject_result(VDEV_SCAN_SET_READ_LED, 1, -1);
  for (int i = 0; i < 2; ++i) {
    int32_t result = 0;
    Read(&result);
    EXPECT_EQ(result, -5);
  }
  EXPECT_EQ(Read(), "A");  // the injected reads left the label queued
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ITCSCAN_SetReadLED(handle_, 1), 1);
  EXPECT_EQ(vdev_scan_read_led(), 0);
  vdev_scan_clear_results();
  EXPECT_EQ(ITCSCAN_SetReadLED(handle_, 1), 0);
  EXPECT_EQ(vdev_scan_read_led(), 1);
  EXPECT_EQ(vdev_scan_call_count(VDEV_SCAN_SYNC_READ), 3u);
  EXPECT_EQ(vdev_scan_call_count(VDEV_SCAN_SET_READ_LED), 4u);
}

TEST_F(ScannerTest, CallsWithAHandleThatIsNotOpenFail) {
  int32_t enable = 0;
  uint8_t data[4];
  ReadRequest request{data, sizeof data, 0, 0, 0, 0};
  const std::function<int32_t(int32_t)> calls[] = {
      [](int32_t h) { return ITCSCAN_SetScannerEnable(h, 1); },
      [&](int32_t h) { return ITCSCAN_GetScannerEnable(h, &enable); },
      [](int32_t h) { return ITCSCAN_SetTriggerScanner(h, 1); },
      [](int32_t h) { return ITCSCAN_SetReadLED(h, 1); },
      [](int32_t h) { return ITCSCAN_CancelRead(h, 0, nullptr, nullptr); },
      [&](int32_t h) { return ITCSCAN_SyncRead(h, &request); },
      [](int32_t h) { return ITCSCAN_Close(h); },
  };
  for (const auto& call : calls) EXPECT_EQ(call(handle_ + 1), VDEV_BAD_HANDLE);
  ASSERT_EQ(ITCSCAN_Close(handle_), 0);
  for (const auto& call : calls) EXPECT_EQ(call(handle_), VDEV_BAD_HANDLE);
}

TEST_F(ScannerTest, CloseAndResetReleaseBlockedReads) {
  const std::function<void(int32_t)> enders[] = {
      [](int32_t h) { EXPECT_EQ(ITCSCAN_Close(h), 0); },
      [](int32_t) { vdev_scan_reset(); },
  };
  for (const auto& end : enders) {
    ASSERT_EQ(ITCSCAN_Open(&handle_, VENDOR_TEXT("SCN1")), 0);
    auto read = StartRead();
    ASSERT_EQ(vdev_scan_wait_blocked(1, kSafetyMs), 1);
    end(handle_);
    EXPECT_EQ(read.get(), VDEV_READ_CANCELLED);
    EXPECT_EQ(vdev_scan_is_open(), 0);
  }
}

TEST_F(ScannerTest, WaitIdleFollowsAReaderLoop) {
  std::vector<std::string> got;
  auto loop = std::async(std::launch::async, [&] {
    int32_t result = 0;
    for (std::string label = Read(&result); result == 0; label = Read(&result)) {
      got.push_back(label);
    }
    return result;
  });
  for (const char* label : {"one", "two", "three"}) Push(label);
  ASSERT_EQ(vdev_scan_wait_idle(kSafetyMs), 1);
  EXPECT_EQ(got, (std::vector<std::string>{"one", "two", "three"}));
  ASSERT_EQ(ITCSCAN_Close(handle_), 0);
  EXPECT_EQ(loop.get(), VDEV_READ_CANCELLED);
}

TEST_F(ScannerTest, OpenKeepsTheNameAsUtf8) {
  ASSERT_EQ(ITCSCAN_Open(&handle_, VENDOR_TEXT("Sc\u00e9n\U0001F600")), 0);
  EXPECT_STREQ(vdev_scan_last_open_name(), "Sc\xC3\xA9n\xF0\x9F\x98\x80");
  const VendorChar lone[] = {'A', 0xD800, 'B', 0};
  ASSERT_EQ(ITCSCAN_Open(&handle_, lone), 0);
  EXPECT_STREQ(vdev_scan_last_open_name(),
               "A\xEF\xBF\xBD"
               "B");
}

}  // namespace

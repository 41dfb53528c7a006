// A host's test on the virtual device (docs/virtual-device.md): labels
// pushed and read back, a read failure and a stuck read injected, and the
// device's record of what the plug-in asked of it checked.
#include "virtual_device.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdarg.h>
#include <stdio.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "scanner_interface1.h"

namespace {

// What the callbacks saw, for the test's thread to wait on.
std::mutex lock;
std::condition_variable changed;
int events = 0;
std::vector<std::string> debugMessages;

void onEvent(const uint8_t*) {
  std::lock_guard<std::mutex> hold(lock);
  ++events;
  changed.notify_all();
}

void onDebug(const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  std::lock_guard<std::mutex> hold(lock);
  debugMessages.push_back(text);
  changed.notify_all();
}

void onTone(int32_t, const uint8_t*, int32_t) {}

int eventCount() {
  std::lock_guard<std::mutex> hold(lock);
  return events;
}

std::string firstDebugMessage() {
  std::lock_guard<std::mutex> hold(lock);
  return debugMessages.empty() ? "" : debugMessages[0];
}

template <typename Predicate>
bool waitFor(Predicate done) {
  std::unique_lock<std::mutex> hold(lock);
  return changed.wait_for(hold, std::chrono::seconds(5), done);
}

class HostOnVirtualDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    vdev_reset_all();  // power-on state: every field 0, no faults, empty log
    events = 0;
    debugMessages.clear();
    plugin_ = dlopen(PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, plugin_) << dlerror();
    auto newScanner = reinterpret_cast<NewScannerFunction>(dlsym(plugin_, "NewScanner"));
    ASSERT_NE(nullptr, newScanner);
    scanner_ = newScanner();
    ASSERT_NE(nullptr, scanner_);
    scanner_->SetEvtAddEventToQueueCallBack(onEvent);
    scanner_->SetEvtDebugMessageCallBack(onDebug);
    scanner_->SetEvtPlayToneCallBack(onTone);
    // A whole object, not a half-open one.
    ASSERT_EQ(3000, scanner_->GetToneFrequency(40));
  }
  void TearDown() override {
    delete scanner_;
    if (plugin_ != nullptr) dlclose(plugin_);
  }

  // Pushes a label and returns what ReadLabel gives for it.
  std::string scan(const std::string& text, int32_t vendorSymbology, int16_t* reported) {
    const int before = eventCount();
    vdev_scan_push_label(vendorSymbology, reinterpret_cast<const uint8_t*>(text.data()),
                         static_cast<uint32_t>(text.size()));
    if (!waitFor([before] { return events > before; })) return "(no event)";
    char buffer[256];
    scanner_->ReadLabel(sizeof buffer - 1, reported, buffer);
    return buffer;
  }

  void* plugin_ = nullptr;
  ScannerInterface1* scanner_ = nullptr;
};

TEST_F(HostOnVirtualDevice, LabelsArriveWithTheirReportedSymbology) {
  ASSERT_EQ(ResultOk, scanner_->EnableScanner());
  int16_t reported = 0;
  EXPECT_EQ("HELLO", scan("HELLO", 1, &reported));
  EXPECT_EQ(1, reported);
  EXPECT_EQ("12345", scan("12345", 62, &reported));  // the driver's 62 is reported as 8
  EXPECT_EQ(8, reported);
  EXPECT_EQ(ResultOk, scanner_->DisableScanner());
}

TEST_F(HostOnVirtualDevice, AFailedReadIsReportedAndScanningResumesAfterDisableEnable) {
  vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, static_cast<int32_t>(0x80000005u), 1);
  ASSERT_EQ(ResultOk, scanner_->EnableScanner());
  ASSERT_TRUE(waitFor([] { return !debugMessages.empty(); }));
  EXPECT_EQ("Debug ITCSCAN_SyncRead returned 0x80000005", firstDebugMessage());
  EXPECT_EQ(1, scanner_->IsScannerEnabled());  // the thread has ended all the same
  ASSERT_EQ(ResultOk, scanner_->DisableScanner());
  ASSERT_EQ(ResultOk, scanner_->EnableScanner());
  int16_t reported = 0;
  EXPECT_EQ("AGAIN", scan("AGAIN", 1, &reported));
}

TEST_F(HostOnVirtualDevice, AStuckReadDoesNotHoldDisableScanner) {
  vdev_scan_set_ignore_cancel(1);  // the driver keeps the read past the cancel
  ASSERT_EQ(ResultOk, scanner_->EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  // Returns after the plug-in's 3000 ms wait for its scan thread, which it
  // then leaves to end by itself.
  EXPECT_EQ(ResultOk, scanner_->DisableScanner());
  EXPECT_EQ(0, vdev_scan_enabled());
  vdev_scan_release_reads(VDEV_READ_CANCELLED);  // the driver lets go at last
  vdev_scan_set_ignore_cancel(0);
}

TEST_F(HostOnVirtualDevice, DisablingASymbologyWritesItsEnableFieldAlone) {
  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, scanner_->SetSymbologyEnabled(7, 0));
  ASSERT_EQ(1u, vdev_config_log_size());
  vdev_config_call call;
  ASSERT_EQ(0, vdev_config_log_entry(0, &call));
  EXPECT_EQ(VDEV_GROUP_B, call.group);
  EXPECT_EQ(1, call.isSet);
  EXPECT_EQ(0, call.bytes[0]);  // the enable field
  for (int field = 1; field <= 3; ++field) EXPECT_EQ(255, call.bytes[field]) << field;
  EXPECT_EQ(255, call.lengthKind);  // 255 is "leave unchanged"
  EXPECT_EQ(3u, call.lengthCount);
  EXPECT_EQ(0, scanner_->GetSymbologyEnabled(7));
}

}  // namespace

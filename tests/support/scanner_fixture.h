// Fixture for tests that drive a scanner object on the virtual device.
#ifndef ZORVAN_TESTS_SCANNER_FIXTURE_H
#define ZORVAN_TESTS_SCANNER_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>

#include "acquisition/scan_thread.h"
#include "host_recorder.h"
#include "plugin/zorvan_scanner.h"
#include "status_printer.h"
#include "virtual_device.h"

namespace zorvan_test {

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vdev_reset_all();
    HostRecorder::instance().clear();
    zorvan::resetMissingEventCallbackWarning();
  }

  void TearDown() override {
    scanner.reset();
    vdev_reset_all();
  }

  // A new object on the recording platform and the virtual device, with the
  // recording callbacks registered unless `withCallbacks` is false.
  zorvan::ZorvanScannerInterface& open(bool withCallbacks = true) {
    scanner.reset(zorvan::ZorvanScannerInterface::create(platform, zorvan::processVendorApi()));
    if (withCallbacks) registerRecorder(*scanner);
    return *scanner;
  }

  // Push a label and wait until the scan thread has handled it.
  void scan(int32_t symbology, const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(0,
              vdev_scan_push_label(symbology, bytes.data(), static_cast<uint32_t>(bytes.size())));
    ASSERT_EQ(1, vdev_scan_wait_idle(5000));
  }

  static HostRecorder& host() { return HostRecorder::instance(); }

  RecordingPlatform platform;
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner;
};

}  // namespace zorvan_test

#endif  // ZORVAN_TESTS_SCANNER_FIXTURE_H

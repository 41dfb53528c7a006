// The built plug-in loaded the way a host loads it: by path, NewScanner
// looked up, and nothing but the public header from then on.
#include <gtest/gtest.h>
#include <string.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <thread>

#include "library_loader.h"
#include "scanner_interface1.h"
#include "virtual_device.h"

namespace {

std::atomic<int> gEvents{0};
void countEvent(const uint8_t*) { gEvents.fetch_add(1); }

class HostLoadingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library = zorvan_test::loadLibrary(PLUGIN_PATH);
    ASSERT_NE(nullptr, library) << zorvan_test::loadError();
    newScanner =
        reinterpret_cast<NewScannerFunction>(zorvan_test::librarySymbol(library, "NewScanner"));
    ASSERT_NE(nullptr, newScanner);
  }
  void SetUp() override {
    vdev_reset_all();
    scanner = newScanner();
    ASSERT_NE(nullptr, scanner);
  }
  void TearDown() override {
    delete scanner;
    vdev_reset_all();
  }

  static void* library;
  static NewScannerFunction newScanner;
  ScannerInterface1* scanner = nullptr;
};

void* HostLoadingTest::library = nullptr;
NewScannerFunction HostLoadingTest::newScanner = nullptr;

TEST_F(HostLoadingTest, FixedOperationsAnswerThroughTheTable) {
  int16_t (ScannerInterface1::*const unsupported[])() = {
      &ScannerInterface1::NotSupported6,  &ScannerInterface1::NotSupported15,
      &ScannerInterface1::NotSupported16, &ScannerInterface1::NotSupported38,
      &ScannerInterface1::NotSupported51, &ScannerInterface1::NotSupported55,
      &ScannerInterface1::NotSupported67, &ScannerInterface1::NotSupported75,
      &ScannerInterface1::NotSupported84};
  for (auto operation : unsupported) EXPECT_EQ(ResultUnsupported, (scanner->*operation)());
  EXPECT_EQ(0, scanner->NoOpA());
  EXPECT_EQ(0, scanner->NoOpB());
  EXPECT_EQ(1, scanner->FixedTrueA());
  EXPECT_EQ(1, scanner->FixedTrueB());
  EXPECT_EQ(ResultOk, scanner->AcceptValueOne(1));
  EXPECT_EQ(ResultUnsupported, scanner->AcceptValueOne(0));
  EXPECT_EQ(ResultUnsupported, scanner->AcceptValueOne(2));
}

TEST_F(HostLoadingTest, IdentityTexts) {
  char text[16];
  memset(text, '#', sizeof text);
  EXPECT_EQ(ResultOk, scanner->GetScannerModelName(text, sizeof text));
  EXPECT_STREQ("ITCKVP", text);
  EXPECT_EQ(ResultOk, scanner->GetInterfaceId(text, sizeof text));
  EXPECT_STREQ("KVSym01", text);
  EXPECT_EQ(ResultOk, scanner->GetBuildVersion(text, sizeof text));
  EXPECT_EQ(5u, strlen(text));
  memset(text, '#', sizeof text);
  EXPECT_EQ(ResultOk, scanner->GetInterfaceId(text, 1));
  EXPECT_EQ(0, text[0]);
  EXPECT_EQ('#', text[1]);
}

TEST_F(HostLoadingTest, ScansALabelEndToEnd) {
  gEvents = 0;
  scanner->SetEvtAddEventToQueueCallBack(countEvent);
  ASSERT_EQ(ResultOk, scanner->EnableScanner());
  EXPECT_EQ(1, scanner->IsScannerEnabled());
  const uint8_t label[] = {'1', '2', '3'};
  ASSERT_EQ(0, vdev_scan_push_label(1, label, sizeof label));
  ASSERT_EQ(1, vdev_scan_wait_idle(5000));
  EXPECT_EQ(1, gEvents.load());
  EXPECT_EQ(ResultOk, scanner->DisableScanner());
  EXPECT_EQ(0, scanner->IsScannerEnabled());
}

#if !defined(_WIN32)
// A scan thread left inside the driver's read when its object is destroyed
// does not hold the process's exit up: nothing it waits on is destroyed at
// exit, the virtual device's driver state included.
TEST_F(HostLoadingTest, TheProcessExitsWithAThreadLeftInItsRead) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        alarm(20);  // an exit that hangs ends here, and the test fails
        vdev_scan_set_ignore_cancel(1);
        ScannerInterface1* left = newScanner();
        left->EnableScanner();
        vdev_scan_wait_blocked(1, 5000);
        delete left;  // its wait runs out: the thread is left in the read
        exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

// Each object keeps its own flags, but all of them drive the one scanner
// through the one driver.
TEST_F(HostLoadingTest, ObjectsKeepTheirOwnFlagsButShareTheDriver) {
  ScannerInterface1* second = newScanner();
  ASSERT_NE(nullptr, second);
  EXPECT_NE(scanner, second);
  EXPECT_EQ(ResultOk, scanner->ReadLedOn());
  EXPECT_EQ(1, scanner->GetReadLedState());
  EXPECT_EQ(0, second->GetReadLedState());
  ASSERT_EQ(ResultOk, scanner->EnableScanner());
  EXPECT_EQ(1, second->IsScannerEnabled());
  EXPECT_EQ(ResultOk, second->DisableScanner());
  EXPECT_EQ(0, scanner->IsScannerEnabled());
  delete second;
}

}  // namespace

// The built plug-in loaded the way a host loads it: by path, NewScanner
// looked up, and nothing but the public header from then on.
#include <gtest/gtest.h>
#include <stdlib.h>
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

#if defined(ZORVAN_MICROSOFT_TABLE) && !defined(_WIN32)
namespace {
extern void* gWatched;
extern std::atomic<int> gWatchedFrees;
}  // namespace
void operator delete(void* block) noexcept {
  if (block != nullptr && block == gWatched) ++gWatchedFrees;
  free(block);
}
void operator delete(void* block, size_t) noexcept { operator delete(block); }
#endif

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

#if defined(ZORVAN_MICROSOFT_TABLE) && !defined(_WIN32)
// The table a Microsoft-compiled host on ARM meets: every position called by
// its number as such a host's compiler calls it (`this` first, arguments
// after it, all zero here), then `delete` through position 90, the scalar
// deleting destructor, with flags 1 (free) or 0 (destroy only).
typedef intptr_t (*AnyPosition)(void* self, intptr_t a, intptr_t b, intptr_t c);
typedef void* (*ScalarDeletingDestructor)(void* self, unsigned flags);

void* const* tableOf(ScannerInterface1* scanner) {
  return *reinterpret_cast<void* const* const*>(scanner);
}

// Frees of the watched block, through operator delete, which the plug-in's
// destructor entry calls (this program's definition takes the place of the
// C++ library's for the plug-in too).
void* gWatched = nullptr;
std::atomic<int> gWatchedFrees{0};

TEST_F(HostLoadingTest, MicrosoftTableEveryPositionByNumberThenDeleteThroughPosition90) {
  // Positions whose answer does not depend on the device.
  const struct {
    int position;
    int16_t answer;
  } fixed[] = {{6, ResultUnsupported},
               {15, ResultUnsupported},
               {16, ResultUnsupported},
               {27, 0},
               {35, 1},
               {38, ResultUnsupported},
               {43, 1},
               {51, ResultUnsupported},
               {55, ResultUnsupported},
               {67, ResultUnsupported},
               {73, 0},
               {75, ResultUnsupported},
               {79, ResultUnsupported},
               {84, ResultUnsupported}};
  int16_t answers[90];
  for (int position = 0; position < 90; ++position) {
    answers[position] = static_cast<int16_t>(
        reinterpret_cast<AnyPosition>(tableOf(scanner)[position])(scanner, 0, 0, 0));
  }
  for (const auto& f : fixed) EXPECT_EQ(f.answer, answers[f.position]) << "position " << f.position;
  // 10 DisableScanner, 11 EnableScanner: the scanner was left enabled.
  EXPECT_EQ(1, scanner->IsScannerEnabled());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));

  ScannerInterface1* const freed = scanner;
  scanner = nullptr;  // TearDown deletes nothing
  gWatched = freed;
  gWatchedFrees = 0;
  EXPECT_EQ(freed, reinterpret_cast<ScalarDeletingDestructor>(tableOf(freed)[90])(freed, 1));
  EXPECT_EQ(1, gWatchedFrees.load());
  EXPECT_EQ(0, vdev_scan_is_open());
  EXPECT_EQ(0, vdev_config_open_objects());

  ScannerInterface1* const destroyed = newScanner();
  ASSERT_EQ(1, vdev_scan_is_open());
  gWatched = destroyed;
  gWatchedFrees = 0;
  EXPECT_EQ(destroyed,
            reinterpret_cast<ScalarDeletingDestructor>(tableOf(destroyed)[90])(destroyed, 0));
  EXPECT_EQ(0, vdev_scan_is_open());
  EXPECT_EQ(0, gWatchedFrees.load());  // destroyed, not freed: the host frees it
  ::operator delete(destroyed);
  EXPECT_EQ(1, gWatchedFrees.load());
  gWatched = nullptr;
}
#endif

#if !defined(_WIN32)
// A scan thread left inside the driver's read when its object is destroyed
// does not hold the process's exit up: nothing it waits on is destroyed at
// exit, the virtual device's driver state included.
TEST_F(HostLoadingTest, TheProcessExitsWithAThreadLeftInItsRead) {
  // Forked without a new exec: the child must be this very process image,
  // and under an emulator the test program cannot exec itself.
  GTEST_FLAG_SET(death_test_style, "fast");
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

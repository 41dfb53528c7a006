// The plug-in on a machine without the vendor libraries: the objects are
// half-open, every operation answers, nothing crashes.
#include <gtest/gtest.h>
#include <string.h>

#include "device/vendor_abi.h"
#include "library_loader.h"
#include "scanner_interface1.h"

namespace {

class NoDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(zorvan_test::libraryLoaded(kVendorLibraryFiles[VENDOR_LIBRARY_SCANNER]));
#if defined(ZORVAN_CE_FLAVOUR)
    // The test runner puts the virtual device on the path, which a CE build
    // searches.
    zorvan_test::takeOffSearchPath(VIRTUAL_DIR);
#endif
    library = zorvan_test::loadLibrary(PLUGIN_PATH);
    ASSERT_NE(nullptr, library) << zorvan_test::loadError();
    auto newScanner =
        reinterpret_cast<NewScannerFunction>(zorvan_test::librarySymbol(library, "NewScanner"));
    ASSERT_NE(nullptr, newScanner);
    scanner = newScanner();
    ASSERT_NE(nullptr, scanner);
  }
  void TearDown() override { delete scanner; }

  void* library = nullptr;
  ScannerInterface1* scanner = nullptr;
};

TEST_F(NoDeviceTest, ScannerOperationsFailQuietly) {
  EXPECT_EQ(0, scanner->IsScannerEnabled());
  EXPECT_EQ(ResultRejected, scanner->EnableScanner());
  EXPECT_EQ(ResultRejected, scanner->DisableScanner());
  EXPECT_EQ(ResultUnsupported, scanner->StartSoftwareTrigger());
  EXPECT_EQ(ResultUnsupported, scanner->StopSoftwareTrigger());
  EXPECT_EQ(ResultUnsupported, scanner->ReadLedOn());
  EXPECT_EQ(1, scanner->GetReadLedState());
}

TEST_F(NoDeviceTest, DefaultsWereNeverApplied) {
  EXPECT_EQ(0, scanner->GetToneFrequency(35));
  EXPECT_EQ(0, scanner->GetToneDuration(39));
  EXPECT_EQ(ResultOk, scanner->PlayTonePattern(1));
}

TEST_F(NoDeviceTest, FixedAnswersStillWork) {
  char text[8];
  EXPECT_EQ(ResultOk, scanner->GetScannerModelName(text, sizeof text));
  EXPECT_STREQ("ITCKVP", text);
  EXPECT_EQ(ResultUnsupported, scanner->NotSupported84());
}

}  // namespace

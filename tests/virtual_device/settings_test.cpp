// The virtual settings service: which requests set the beep count, and the
// bounded response.
#include <gtest/gtest.h>

#include <string>

#include "vdev_exports.h"

namespace {

using VendorString = std::basic_string<VendorChar>;

const VendorString kPrefix = VENDOR_TEXT(
    "<Subsystem Name=\"Device Settings\"><Group Name=\"Beeper\">"
    "<Field Name=\"Number of good read beeps\">");
const VendorString kSuffix = VENDOR_TEXT("</Field></Group></Subsystem>");

int32_t Send(VendorString request, uint32_t* count, VendorChar* response) {
  return ITCSSSetW(request.data(), response, count, 3000);
}

TEST(SettingsTest, OnlyTheExactBeepRequestSetsTheCount) {
  const struct {
    VendorString request;
    int32_t beeps;  // -1: refused, the count stays
  } cases[] = {
      {kPrefix + VENDOR_TEXT("3") + kSuffix, 3},
      {kPrefix + VENDOR_TEXT("0") + kSuffix, 0},
      {kPrefix + VENDOR_TEXT("12") + kSuffix, 12},
      {kPrefix + VENDOR_TEXT("") + kSuffix, -1},
      {kPrefix + VENDOR_TEXT(" 3") + kSuffix, -1},
      {kPrefix + VENDOR_TEXT("-3") + kSuffix, -1},
      {kPrefix + VENDOR_TEXT("3x") + kSuffix, -1},
      {kPrefix + VENDOR_TEXT("99999999999") + kSuffix, -1},
      {kPrefix + VENDOR_TEXT("3") + kSuffix + VENDOR_TEXT(" "), -1},
      {kPrefix + VENDOR_TEXT("3"), -1},
      {VENDOR_TEXT(""), -1},
  };
  for (const auto& c : cases) {
    vdev_settings_reset();
    vdev_settings_set_good_read_beeps(5);
    VendorChar response[64];
    uint32_t count = 64;
    const int32_t result = Send(c.request, &count, response);
    EXPECT_EQ(result == 0, c.beeps >= 0);
    EXPECT_LE(result, 0);
    EXPECT_EQ(vdev_settings_good_read_beeps(), c.beeps >= 0 ? c.beeps : 5);
  }
}

TEST(SettingsTest, RecordsTheCallAndBoundsTheResponse) {
  vdev_settings_reset();
  EXPECT_EQ(vdev_settings_good_read_beeps(), 1);
  const VendorString request = kPrefix + VENDOR_TEXT("2") + kSuffix;
  VendorChar response[8];
  for (VendorChar& u : response) u = '#';
  uint32_t count = 6;
  ASSERT_EQ(Send(request, &count, response), 0);
  EXPECT_EQ(count, 6u);  // units written, the zero included
  EXPECT_EQ(response[5], 0);
  EXPECT_EQ(response[6], VendorChar('#'));

  uint16_t copy[1024];
  EXPECT_EQ(vdev_settings_last_request(copy, 1024), request.size());
  EXPECT_EQ(VendorString(copy, copy + request.size()), request);
  EXPECT_EQ(copy[request.size()], 0);
  EXPECT_EQ(vdev_settings_last_request(copy, 4), request.size());
  EXPECT_EQ(copy[3], 0);
  EXPECT_EQ(vdev_settings_last_count(), 6u);
  EXPECT_EQ(vdev_settings_last_timeout(), 3000u);

  vdev_settings_inject_result(-11);
  count = 8;
  EXPECT_EQ(Send(kPrefix + VENDOR_TEXT("4") + kSuffix, &count, response), -11);
  EXPECT_EQ(vdev_settings_good_read_beeps(), 2);
  EXPECT_EQ(vdev_settings_calls(), 2u);
}

}  // namespace

// The virtual settings service: which requests set the beep count, and the
// bounded response.
#include <gtest/gtest.h>

#include <string>

#include "vdev_exports.h"

namespace {

const std::u16string kPrefix =
    u"<Subsystem Name=\"Device Settings\"><Group Name=\"Beeper\">"
    u"<Field Name=\"Number of good read beeps\">";
const std::u16string kSuffix = u"</Field></Group></Subsystem>";

int32_t Send(std::u16string request, uint32_t* count, char16_t* response) {
  return ITCSSSetW(request.data(), response, count, 3000);
}

TEST(SettingsTest, OnlyTheExactBeepRequestSetsTheCount) {
  const struct {
    std::u16string request;
    int32_t beeps;  // -1: refused, the count stays
  } cases[] = {
      {kPrefix + u"3" + kSuffix, 3},
      {kPrefix + u"0" + kSuffix, 0},
      {kPrefix + u"12" + kSuffix, 12},
      {kPrefix + u"" + kSuffix, -1},
      {kPrefix + u" 3" + kSuffix, -1},
      {kPrefix + u"-3" + kSuffix, -1},
      {kPrefix + u"3x" + kSuffix, -1},
      {kPrefix + u"99999999999" + kSuffix, -1},
      {kPrefix + u"3" + kSuffix + u" ", -1},
      {kPrefix + u"3", -1},
      {u"", -1},
  };
  for (const auto& c : cases) {
    vdev_settings_reset();
    vdev_settings_set_good_read_beeps(5);
    char16_t response[64];
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
  const std::u16string request = kPrefix + u"2" + kSuffix;
  char16_t response[8];
  for (char16_t& u : response) u = u'#';
  uint32_t count = 6;
  ASSERT_EQ(Send(request, &count, response), 0);
  EXPECT_EQ(count, 6u);  // units written, the zero included
  EXPECT_EQ(response[5], 0);
  EXPECT_EQ(response[6], u'#');

  uint16_t copy[1024];
  EXPECT_EQ(vdev_settings_last_request(copy, 1024), request.size());
  EXPECT_EQ(std::u16string(copy, copy + request.size()), request);
  EXPECT_EQ(copy[request.size()], 0);
  EXPECT_EQ(vdev_settings_last_request(copy, 4), request.size());
  EXPECT_EQ(copy[3], 0);
  EXPECT_EQ(vdev_settings_last_count(), 6u);
  EXPECT_EQ(vdev_settings_last_timeout(), 3000u);

  vdev_settings_inject_result(-11);
  count = 8;
  EXPECT_EQ(Send(kPrefix + u"4" + kSuffix, &count, response), -11);
  EXPECT_EQ(vdev_settings_good_read_beeps(), 2);
  EXPECT_EQ(vdev_settings_calls(), 2u);
}

}  // namespace

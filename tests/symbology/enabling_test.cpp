// Enabling and disabling symbologies on the virtual device.
#include <limits.h>
#include <string.h>

#include "symbology_fixture.h"

namespace zorvan_test {
namespace {

struct Enablable {
  int32_t host;
  vdev_group group;
  int enableField;
};

// Where each host symbology's enable field sits on the device.
const Enablable kEnablable[] = {
    {0, VDEV_GROUP_A, 0},  {1, VDEV_GROUP_I, 1},  {2, VDEV_GROUP_I, 2},  {3, VDEV_GROUP_I, 4},
    {4, VDEV_GROUP_I, 3},  {5, VDEV_GROUP_H, 0},  {6, VDEV_GROUP_E, 0},  {7, VDEV_GROUP_B, 0},
    {8, VDEV_GROUP_D, 0},  {9, VDEV_GROUP_C, 0},  {11, VDEV_GROUP_F, 0}, {12, VDEV_GROUP_I, 2},
    {14, VDEV_GROUP_D, 0}, {15, VDEV_GROUP_G, 0}, {83, VDEV_GROUP_I, 4}, {84, VDEV_GROUP_D, 0},
    {85, VDEV_GROUP_I, 1},
};

void PrintTo(const Enablable& s, std::ostream* out) { *out << "host " << s.host; }

class EnablingTest : public SymbologyTest, public ::testing::WithParamInterface<Enablable> {};

TEST_P(EnablingTest, SetWritesOnlyTheEnableFieldAndGetReadsIt) {
  const Enablable& s = GetParam();
  auto& plugin = object();

  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(s.host, 7));  // any non-zero flag enables
  expectBytes(expectOneSet(s.group), {{s.enableField, 1}});
  EXPECT_EQ(1u, vdev_config_field(s.group, s.enableField));
  EXPECT_EQ(1, plugin.GetSymbologyEnabled(s.host));

  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(s.host, 0));
  expectBytes(expectOneSet(s.group), {{s.enableField, 0}});
  EXPECT_EQ(0, plugin.GetSymbologyEnabled(s.host));

  // Only exactly 1 reads as enabled.
  vdev_config_set_field(s.group, s.enableField, 2);
  EXPECT_EQ(0, plugin.GetSymbologyEnabled(s.host));
  vdev_config_set_field(s.group, s.enableField, 0x101);
  EXPECT_EQ(0, plugin.GetSymbologyEnabled(s.host));
}

TEST_P(EnablingTest, FailingDeviceCallsGiveTheirStatuses) {
  const Enablable& s = GetParam();
  auto& plugin = object();
  vdev_config_set_field(s.group, s.enableField, 1);
  vdev_config_fail_get(s.group, -5);
  EXPECT_EQ(ResultUnsupported, plugin.GetSymbologyEnabled(s.host));
  vdev_config_fail_set(s.group, -5);
  EXPECT_EQ(ResultRejected, plugin.SetSymbologyEnabled(s.host, 0));
  EXPECT_EQ(1u, vdev_config_field(s.group, s.enableField));
}

INSTANTIATE_TEST_SUITE_P(Symbologies, EnablingTest, ::testing::ValuesIn(kEnablable),
                         [](const ::testing::TestParamInfo<Enablable>& p) {
                           return "host" + std::to_string(p.param.host);
                         });

TEST_F(SymbologyTest, HostValuesWithoutCounterpartAreRejectedWithoutDeviceCall) {
  auto& plugin = object();
  for (int32_t host : {10, 13, 16, 82, 86, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(ResultRejected, plugin.GetSymbologyEnabled(host)) << host;
    EXPECT_EQ(ResultRejected, plugin.SetSymbologyEnabled(host, 1)) << host;
  }
  expectNoCall();
}

TEST_F(SymbologyTest, HostValuesSharingAFieldShareTheEnabledState) {
  auto& plugin = object();
  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(14, 1));
  EXPECT_EQ(1, plugin.GetSymbologyEnabled(8));
  EXPECT_EQ(1, plugin.GetSymbologyEnabled(84));

  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(1, 1));
  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(85, 0));
  EXPECT_EQ(0, plugin.GetSymbologyEnabled(1));

  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(12, 1));
  EXPECT_EQ(1, plugin.GetSymbologyEnabled(2));
  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(83, 1));
  EXPECT_EQ(1, plugin.GetSymbologyEnabled(3));
  EXPECT_EQ(0, plugin.GetSymbologyEnabled(4));
}

TEST_F(SymbologyTest, EnablingLeavesTheLengthListAsItIs) {
  auto& plugin = object();
  const uint8_t list[3] = {6, 8, 10};
  vdev_config_set_length_list(VDEV_GROUP_B, 1, list, 3);
  ASSERT_EQ(ResultOk, plugin.SetSymbologyEnabled(7, 1));
  uint32_t kind = 0, count = 0;
  uint8_t now[3] = {};
  vdev_config_length_list(VDEV_GROUP_B, &kind, now, &count);
  EXPECT_EQ(1u, kind);
  EXPECT_EQ(3u, count);
  EXPECT_EQ(0, memcmp(list, now, 3));
}

}  // namespace
}  // namespace zorvan_test

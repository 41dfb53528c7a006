// Symbology length limits on the virtual device.
#include <limits.h>

#include "symbology_fixture.h"

namespace zorvan_test {
namespace {

struct Restricted {
  int32_t host;
  vdev_group group;
  bool list;  // a length list, else a minimum-length byte
  int field;  // the minimum-length field or lengthKind
};

const Restricted kRestricted[] = {
    {0, VDEV_GROUP_A, false, 5}, {9, VDEV_GROUP_C, false, 1}, {11, VDEV_GROUP_F, false, 2},
    {6, VDEV_GROUP_E, true, 2},  {7, VDEV_GROUP_B, true, 4},  {5, VDEV_GROUP_H, true, 3},
};

// A host request and what each device form stores and reads back.
struct LengthCase {
  const char* name;
  uint16_t mode, first, second;
  PassedList list;       // passed to a list symbology
  uint8_t minimum;       // passed to a minimum-length symbology
  uint16_t listRead[3];  // mode, first, second read back from the list
  uint16_t minimumRead[3];
};

const LengthCase kLengthCases[] = {
    {"One", 1, 12, 0, {1, {12, 12, 12}, 3}, 12, {1, 12, 0}, {3, 12, 255}},
    {"Two", 2, 10, 20, {1, {10, 20, 20}, 3}, 10, {2, 20, 10}, {3, 10, 255}},
    {"Range", 3, 4, 30, {0, {4, 0, 0}, 1}, 4, {3, 4, 255}, {3, 4, 255}},
    {"RangeReversed", 3, 30, 4, {0, {30, 0, 0}, 1}, 4, {3, 30, 255}, {3, 4, 255}},
    {"Any", 0, 5, 6, {0, {0, 0, 0}, 1}, 0, {0, 0, 0}, {0, 0, 0}},
    {"UnknownMode", 9, 5, 6, {0, {0, 0, 0}, 1}, 0, {0, 0, 0}, {0, 0, 0}},
    {"CutToEightBits", 1, 300, 0, {1, {44, 44, 44}, 3}, 44, {1, 44, 0}, {3, 44, 255}},
};

void PrintTo(const Restricted& s, std::ostream* out) { *out << "host " << s.host; }
void PrintTo(const LengthCase& c, std::ostream* out) { *out << c.name; }

class LengthsTest : public SymbologyTest,
                    public ::testing::WithParamInterface<std::tuple<Restricted, LengthCase>> {};

TEST_P(LengthsTest, SetPassesTheDeviceFormAndGetReadsItBack) {
  const Restricted& s = std::get<0>(GetParam());
  const LengthCase& c = std::get<1>(GetParam());
  auto& plugin = object();
  // Start from something else, so the set must really store.
  if (s.list) {
    const uint8_t other[3] = {77, 78, 79};
    vdev_config_set_length_list(s.group, 1, other, 3);
  } else {
    vdev_config_set_field(s.group, s.field, 99);
  }

  ASSERT_EQ(ResultOk, plugin.SetSymbologyLengths(s.host, c.mode, c.first, c.second));
  const vdev_config_call set = expectOneSet(s.group);
  if (s.list) {
    expectBytes(set, {}, c.list);
  } else {
    expectBytes(set, {{s.field, c.minimum}});
  }

  uint16_t mode = 0xAAAA, first = 0xAAAA, second = 0xAAAA;
  ASSERT_EQ(ResultOk, plugin.GetSymbologyLengths(s.host, &mode, &first, &second));
  const uint16_t* expected = s.list ? c.listRead : c.minimumRead;
  EXPECT_EQ(expected[0], mode);
  EXPECT_EQ(expected[1], first);
  EXPECT_EQ(expected[2], second);
}

INSTANTIATE_TEST_SUITE_P(Symbologies, LengthsTest,
                         ::testing::Combine(::testing::ValuesIn(kRestricted),
                                            ::testing::ValuesIn(kLengthCases)),
                         [](const ::testing::TestParamInfo<std::tuple<Restricted, LengthCase>>& p) {
                           return "host" + std::to_string(std::get<0>(p.param).host) + "_" +
                                  std::get<1>(p.param).name;
                         });

class LengthsFailureTest : public SymbologyTest,
                           public ::testing::WithParamInterface<Restricted> {};

TEST_P(LengthsFailureTest, FailingDeviceCallsLeaveTheOutputsAlone) {
  const Restricted& s = GetParam();
  auto& plugin = object();
  vdev_config_fail_get(s.group, -1);
  uint16_t mode = 7, first = 8, second = 9;
  EXPECT_EQ(ResultUnsupported, plugin.GetSymbologyLengths(s.host, &mode, &first, &second));
  EXPECT_EQ(7, mode);
  EXPECT_EQ(8, first);
  EXPECT_EQ(9, second);
  vdev_config_fail_set(s.group, -1);
  EXPECT_EQ(ResultRejected, plugin.SetSymbologyLengths(s.host, 1, 5, 0));
}

TEST_P(LengthsFailureTest, NullOutputIsRejectedWithoutDeviceCall) {
  const Restricted& s = GetParam();
  auto& plugin = object();
  uint16_t a = 1, b = 2, c = 3;
  EXPECT_EQ(ResultRejected, plugin.GetSymbologyLengths(s.host, nullptr, &b, &c));
  EXPECT_EQ(ResultRejected, plugin.GetSymbologyLengths(s.host, &a, nullptr, &c));
  EXPECT_EQ(ResultRejected, plugin.GetSymbologyLengths(s.host, &a, &b, nullptr));
  EXPECT_EQ(1, a);
  EXPECT_EQ(2, b);
  EXPECT_EQ(3, c);
  expectNoCall();
}

INSTANTIATE_TEST_SUITE_P(Symbologies, LengthsFailureTest, ::testing::ValuesIn(kRestricted),
                         [](const ::testing::TestParamInfo<Restricted>& p) {
                           return "host" + std::to_string(p.param.host);
                         });

TEST_F(SymbologyTest, LengthsOfSymbologiesWithoutRestrictionAreRejected) {
  auto& plugin = object();
  for (int32_t host : {1, 2, 3, 4, 8, 10, 12, 13, 14, 15, 83, 84, 85, -1, INT32_MIN}) {
    uint16_t mode = 7, first = 8, second = 9;
    EXPECT_EQ(ResultRejected, plugin.GetSymbologyLengths(host, &mode, &first, &second)) << host;
    EXPECT_EQ(7, mode);
    EXPECT_EQ(8, first);
    EXPECT_EQ(9, second);
    EXPECT_EQ(ResultRejected, plugin.SetSymbologyLengths(host, 1, 5, 0)) << host;
  }
  expectNoCall();
}

// Lists the device holds, whatever set them.
TEST_F(SymbologyTest, DeviceListsReadInTheHostsTerms) {
  auto& plugin = object();
  const struct {
    uint32_t kind;
    uint8_t list[3];
    uint32_t count;
    uint16_t mode, first, second;
  } cases[] = {
      {1, {5, 9, 7}, 3, 3, 5, 9},   {1, {9, 9, 5}, 3, 2, 9, 5}, {1, {6, 6, 40}, 2, 1, 6, 0},
      {1, {0, 40, 40}, 1, 1, 0, 0}, {2, {5, 9, 7}, 3, 0, 0, 0}, {0, {0, 9, 9}, 3, 0, 0, 0},
  };
  for (const auto& c : cases) {
    vdev_config_set_length_list(VDEV_GROUP_H, c.kind, c.list, c.count);
    uint16_t mode = 0xAAAA, first = 0xAAAA, second = 0xAAAA;
    ASSERT_EQ(ResultOk, plugin.GetSymbologyLengths(5, &mode, &first, &second));
    EXPECT_EQ(c.mode, mode);
    EXPECT_EQ(c.first, first);
    EXPECT_EQ(c.second, second);
  }
}

TEST_F(SymbologyTest, MinimumLengthReadsTheLowByteOfTheField) {
  auto& plugin = object();
  uint16_t mode = 0, first = 0, second = 0;
  vdev_config_set_field(VDEV_GROUP_C, 1, 0x10C);
  ASSERT_EQ(ResultOk, plugin.GetSymbologyLengths(9, &mode, &first, &second));
  EXPECT_EQ(3, mode);
  EXPECT_EQ(12, first);
  EXPECT_EQ(255, second);
  vdev_config_set_field(VDEV_GROUP_C, 1, 0x200);
  ASSERT_EQ(ResultOk, plugin.GetSymbologyLengths(9, &mode, &first, &second));
  EXPECT_EQ(0, mode);
  EXPECT_EQ(0, first);
  EXPECT_EQ(0, second);
}

}  // namespace
}  // namespace zorvan_test

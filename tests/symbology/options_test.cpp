// Symbology options on the virtual device.
#include <limits.h>

#include "symbology_fixture.h"

namespace zorvan_test {
namespace {

using zorvan::ZorvanScannerInterface;
using Getter = int16_t (ZorvanScannerInterface::*)();
using Setter = int16_t (ZorvanScannerInterface::*)(int32_t);
using Call = int16_t (*)(ZorvanScannerInterface&);
using Request = int16_t (*)(ZorvanScannerInterface&, int32_t);

std::vector<std::pair<int, uint8_t>> fieldBytes(int first, const std::vector<uint8_t>& bytes) {
  std::vector<std::pair<int, uint8_t>> out;
  for (size_t i = 0; i < bytes.size(); ++i) out.emplace_back(first + static_cast<int>(i), bytes[i]);
  return out;
}

// ---- Getters: device values → results ----

struct GetCase {
  const char* name;
  Getter get;
  vdev_group group;
  int field;
  std::vector<uint32_t> values;  // from `field` on
  int16_t expected;
};

const GetCase kGetCases[] = {
    {"B2On", &ZorvanScannerInterface::GetOptionB2, VDEV_GROUP_B, 2, {1}, 1},
    {"B2Off", &ZorvanScannerInterface::GetOptionB2, VDEV_GROUP_B, 2, {0}, 0},
    {"B2Two", &ZorvanScannerInterface::GetOptionB2, VDEV_GROUP_B, 2, {2}, 0},
    {"A1On", &ZorvanScannerInterface::GetOptionA1, VDEV_GROUP_A, 1, {1}, 1},
    {"A1Other", &ZorvanScannerInterface::GetOptionA1, VDEV_GROUP_A, 1, {5}, 0},
    {"B1ZeroIsOn", &ZorvanScannerInterface::GetOptionB1, VDEV_GROUP_B, 1, {0}, 1},
    {"B1TwoIsOff", &ZorvanScannerInterface::GetOptionB1, VDEV_GROUP_B, 1, {2}, 0},
    {"B1OneIsOff", &ZorvanScannerInterface::GetOptionB1, VDEV_GROUP_B, 1, {1}, 0},
    {"A4Off", &ZorvanScannerInterface::GetOptionA4, VDEV_GROUP_A, 4, {0}, 0},
    {"A4Mode", &ZorvanScannerInterface::GetOptionA4, VDEV_GROUP_A, 4, {3}, 1},
    {"A4Beyond", &ZorvanScannerInterface::GetOptionA4, VDEV_GROUP_A, 4, {7}, 1},
    {"E1Off", &ZorvanScannerInterface::GetOptionE1, VDEV_GROUP_E, 1, {0}, 0},
    {"E1Mode1Odd", &ZorvanScannerInterface::GetOptionE1, VDEV_GROUP_E, 1, {1}, 1},
    {"E1Mode1Even", &ZorvanScannerInterface::GetOptionE1, VDEV_GROUP_E, 1, {2}, 1},
    {"E1Mode2Odd", &ZorvanScannerInterface::GetOptionE1, VDEV_GROUP_E, 1, {3}, 2},
    {"E1Mode2Even", &ZorvanScannerInterface::GetOptionE1, VDEV_GROUP_E, 1, {4}, 2},
    {"E1Outside", &ZorvanScannerInterface::GetOptionE1, VDEV_GROUP_E, 1, {5}, ResultRejected},
    {"JZero", &ZorvanScannerInterface::GetOptionJ, VDEV_GROUP_J, 0, {0}, 0},
    {"JOneIsTwo", &ZorvanScannerInterface::GetOptionJ, VDEV_GROUP_J, 0, {1}, 2},
    {"JTwoIsOne", &ZorvanScannerInterface::GetOptionJ, VDEV_GROUP_J, 0, {2}, 1},
    {"JOutside", &ZorvanScannerInterface::GetOptionJ, VDEV_GROUP_J, 0, {3}, ResultUnsupported},
    {"TripleZero", &ZorvanScannerInterface::GetOptionITriple, VDEV_GROUP_I, 5, {0, 0, 0}, 0},
    {"TripleOne", &ZorvanScannerInterface::GetOptionITriple, VDEV_GROUP_I, 5, {1, 1, 1}, 1},
    {"TripleFirstOnly", &ZorvanScannerInterface::GetOptionITriple, VDEV_GROUP_I, 5, {1, 0, 0}, 1},
    {"TripleTwo", &ZorvanScannerInterface::GetOptionITriple, VDEV_GROUP_I, 5, {0, 1, 1}, 2},
    {"TripleLastOnly", &ZorvanScannerInterface::GetOptionITriple, VDEV_GROUP_I, 5, {0, 0, 1}, 2},
    {"TripleMiddleOnly", &ZorvanScannerInterface::GetOptionITriple, VDEV_GROUP_I, 5, {0, 3, 0}, 2},
    {"F1Bit1Clear", &ZorvanScannerInterface::GetOptionF1Bit1, VDEV_GROUP_F, 1, {0}, 0},
    {"F1Bit1ClearBit0", &ZorvanScannerInterface::GetOptionF1Bit1, VDEV_GROUP_F, 1, {1}, 0},
    {"F1Bit1Set", &ZorvanScannerInterface::GetOptionF1Bit1, VDEV_GROUP_F, 1, {2}, 1},
    {"F1Bit1SetBit0", &ZorvanScannerInterface::GetOptionF1Bit1, VDEV_GROUP_F, 1, {3}, 1},
    {"F1Bit1Outside", &ZorvanScannerInterface::GetOptionF1Bit1, VDEV_GROUP_F, 1, {4}, 1},
    {"Kind3", &ZorvanScannerInterface::GetOptionIKind3, VDEV_GROUP_I, 16, {1}, 1},
    {"Kind3Two", &ZorvanScannerInterface::GetOptionIKind3, VDEV_GROUP_I, 16, {2}, 0},
};

void PrintTo(const GetCase& c, std::ostream* out) { *out << c.name; }

class OptionGetTest : public SymbologyTest, public ::testing::WithParamInterface<GetCase> {};

TEST_P(OptionGetTest, ReadsTheDeviceValue) {
  const GetCase& c = GetParam();
  auto& plugin = object();
  for (size_t i = 0; i < c.values.size(); ++i) {
    vdev_config_set_field(c.group, c.field + static_cast<int>(i), c.values[i]);
  }
  EXPECT_EQ(c.expected, (plugin.*c.get)());
  const std::vector<vdev_config_call> log = calls();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(c.group, log[0].group);
  EXPECT_EQ(0, log[0].isSet);
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionGetTest, ::testing::ValuesIn(kGetCases),
                         [](const ::testing::TestParamInfo<GetCase>& p) {
                           return std::string(p.param.name);
                         });

// ---- Setters: arguments → bytes written ----

struct SetCase {
  const char* name;
  Setter set;
  int32_t argument;
  vdev_group group;
  int field;
  std::vector<uint8_t> bytes;  // from `field` on
};

const SetCase kSetCases[] = {
    {"B2On", &ZorvanScannerInterface::SetOptionB2, 1, VDEV_GROUP_B, 2, {1}},
    {"B2AnyNonZero", &ZorvanScannerInterface::SetOptionB2, -5, VDEV_GROUP_B, 2, {1}},
    {"B2Off", &ZorvanScannerInterface::SetOptionB2, 0, VDEV_GROUP_B, 2, {0}},
    {"A1On", &ZorvanScannerInterface::SetOptionA1, 9, VDEV_GROUP_A, 1, {1}},
    {"A1Off", &ZorvanScannerInterface::SetOptionA1, 0, VDEV_GROUP_A, 1, {0}},
    {"B1OnIsZero", &ZorvanScannerInterface::SetOptionB1, 1, VDEV_GROUP_B, 1, {0}},
    {"B1AnyNonZero", &ZorvanScannerInterface::SetOptionB1, 3, VDEV_GROUP_B, 1, {0}},
    {"B1OffIsTwo", &ZorvanScannerInterface::SetOptionB1, 0, VDEV_GROUP_B, 1, {2}},
    {"A4Off", &ZorvanScannerInterface::SetOptionA4, 0, VDEV_GROUP_A, 4, {0}},
    {"A4OnEvenVariant", &ZorvanScannerInterface::SetOptionA4, 1, VDEV_GROUP_A, 4, {2}},
    {"A4AnyNonZero", &ZorvanScannerInterface::SetOptionA4, -1, VDEV_GROUP_A, 4, {2}},
    {"E1Off", &ZorvanScannerInterface::SetOptionE1, 0, VDEV_GROUP_E, 1, {0}},
    {"E1Mode1EvenVariant", &ZorvanScannerInterface::SetOptionE1, 1, VDEV_GROUP_E, 1, {2}},
    {"E1Mode2EvenVariant", &ZorvanScannerInterface::SetOptionE1, 2, VDEV_GROUP_E, 1, {4}},
    {"JZero", &ZorvanScannerInterface::SetOptionJ, 0, VDEV_GROUP_J, 0, {0}},
    {"JOneIsTwo", &ZorvanScannerInterface::SetOptionJ, 1, VDEV_GROUP_J, 0, {2}},
    {"JTwoIsOne", &ZorvanScannerInterface::SetOptionJ, 2, VDEV_GROUP_J, 0, {1}},
    {"TripleZero", &ZorvanScannerInterface::SetOptionITriple, 0, VDEV_GROUP_I, 5, {0, 0, 0}},
    {"TripleOne", &ZorvanScannerInterface::SetOptionITriple, 1, VDEV_GROUP_I, 5, {1, 1, 1}},
    {"TripleTwo", &ZorvanScannerInterface::SetOptionITriple, 2, VDEV_GROUP_I, 5, {0, 1, 1}},
    {"Kind3On", &ZorvanScannerInterface::SetOptionIKind3, 4, VDEV_GROUP_I, 16, {1}},
    {"Kind3Off", &ZorvanScannerInterface::SetOptionIKind3, 0, VDEV_GROUP_I, 16, {0}},
};

void PrintTo(const SetCase& c, std::ostream* out) { *out << c.name; }

class OptionSetTest : public SymbologyTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(OptionSetTest, WritesOnlyTheOptionsFields) {
  const SetCase& c = GetParam();
  auto& plugin = object();
  for (size_t i = 0; i < c.bytes.size(); ++i) {
    vdev_config_set_field(c.group, c.field + static_cast<int>(i), 200);
  }
  ASSERT_EQ(ResultOk, (plugin.*c.set)(c.argument));
  expectBytes(expectOneSet(c.group), fieldBytes(c.field, c.bytes));
  for (size_t i = 0; i < c.bytes.size(); ++i) {
    EXPECT_EQ(c.bytes[i], vdev_config_field(c.group, c.field + static_cast<int>(i)));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionSetTest, ::testing::ValuesIn(kSetCases),
                         [](const ::testing::TestParamInfo<SetCase>& p) {
                           return std::string(p.param.name);
                         });

TEST_F(SymbologyTest, ArgumentsOutsideTheEncodingAreRejectedWithoutDeviceCall) {
  auto& plugin = object();
  EXPECT_EQ(ResultRejected, plugin.SetOptionE1(3));
  EXPECT_EQ(ResultRejected, plugin.SetOptionE1(-1));
  EXPECT_EQ(ResultRejected, plugin.SetOptionJ(3));
  EXPECT_EQ(ResultRejected, plugin.SetOptionJ(-2));
  EXPECT_EQ(ResultRejected, plugin.SetOptionITriple(3));
  EXPECT_EQ(ResultRejected, plugin.SetOptionITriple(INT32_MIN));
  expectNoCall();
}

// ---- Every failing device call ----

struct FailCase {
  const char* name;
  vdev_group group;
  bool failSet;
  void (*prepare)();
  Call call;
  int16_t expected;
};

#define OP(expression) [](ZorvanScannerInterface& s) -> int16_t { return s.expression; }
#define FIELD(group, field, value) [] { vdev_config_set_field(group, field, value); }

const FailCase kFailCases[] = {
    {"GetOptionB2", VDEV_GROUP_B, false, nullptr, OP(GetOptionB2()), ResultUnsupported},
    {"GetOptionA4", VDEV_GROUP_A, false, nullptr, OP(GetOptionA4()), ResultUnsupported},
    {"GetOptionA1", VDEV_GROUP_A, false, nullptr, OP(GetOptionA1()), ResultUnsupported},
    {"GetOptionIByKind0", VDEV_GROUP_I, false, nullptr, OP(GetOptionIByKind(0)), ResultUnsupported},
    {"GetOptionIByKind1", VDEV_GROUP_I, false, nullptr, OP(GetOptionIByKind(1)), ResultUnsupported},
    {"GetOptionIByKind3", VDEV_GROUP_I, false, nullptr, OP(GetOptionIByKind(3)), ResultUnsupported},
    {"GetOptionITriple", VDEV_GROUP_I, false, nullptr, OP(GetOptionITriple()), ResultUnsupported},
    {"GetOptionIKind3", VDEV_GROUP_I, false, nullptr, OP(GetOptionIKind3()), ResultUnsupported},
    {"GetOptionE1", VDEV_GROUP_E, false, nullptr, OP(GetOptionE1()), ResultUnsupported},
    {"GetOptionF1Bit1", VDEV_GROUP_F, false, nullptr, OP(GetOptionF1Bit1()), ResultUnsupported},
    {"GetOptionB1", VDEV_GROUP_B, false, nullptr, OP(GetOptionB1()), ResultUnsupported},
    {"GetSymbologyOption1", VDEV_GROUP_I, false, nullptr, OP(GetSymbologyOption(1)),
     ResultUnsupported},
    {"GetSymbologyOption2", VDEV_GROUP_I, false, nullptr, OP(GetSymbologyOption(2)),
     ResultUnsupported},
    {"GetSymbologyOption11", VDEV_GROUP_F, false, nullptr, OP(GetSymbologyOption(11)),
     ResultUnsupported},
    {"GetSymbologyOption12", VDEV_GROUP_I, false, nullptr, OP(GetSymbologyOption(12)),
     ResultUnsupported},
    {"GetOptionJ", VDEV_GROUP_J, false, nullptr, OP(GetOptionJ()), ResultUnsupported},
    {"GetSymbologyOption2Of1", VDEV_GROUP_I, false, nullptr, OP(GetSymbologyOption2(1)),
     ResultRejected},
    {"GetSymbologyOption2Of2", VDEV_GROUP_I, false, nullptr, OP(GetSymbologyOption2(2)),
     ResultRejected},
    {"GetSymbologyOption2Of12", VDEV_GROUP_I, false, nullptr, OP(GetSymbologyOption2(12)),
     ResultRejected},
    // Read-modify-write setters whose read fails.
    {"SetOptionF1Bit1Read", VDEV_GROUP_F, false, nullptr, OP(SetOptionF1Bit1(1)),
     ResultUnsupported},
    {"SetOptionF1Bit1ReadBadFlag", VDEV_GROUP_F, false, nullptr, OP(SetOptionF1Bit1(2)),
     ResultUnsupported},
    {"SetSymbologyOption0Read", VDEV_GROUP_A, false, nullptr, OP(SetSymbologyOption(0, 1)),
     ResultUnsupported},
    {"SetSymbologyOption6Read", VDEV_GROUP_E, false, nullptr, OP(SetSymbologyOption(6, 1)),
     ResultUnsupported},
    {"SetSymbologyOption11Read", VDEV_GROUP_F, false, nullptr, OP(SetSymbologyOption(11, 1)),
     ResultUnsupported},
    // Sets; read-modify-write ones start from a value they change.
    {"SetOptionB2", VDEV_GROUP_B, true, nullptr, OP(SetOptionB2(1)), ResultRejected},
    {"SetOptionA4", VDEV_GROUP_A, true, nullptr, OP(SetOptionA4(1)), ResultRejected},
    {"SetOptionA1", VDEV_GROUP_A, true, nullptr, OP(SetOptionA1(1)), ResultRejected},
    {"SetOptionIByKind0", VDEV_GROUP_I, true, nullptr, OP(SetOptionIByKind(0, 1)), ResultRejected},
    {"SetOptionIByKind1", VDEV_GROUP_I, true, nullptr, OP(SetOptionIByKind(1, 1)), ResultRejected},
    {"SetOptionIByKind3", VDEV_GROUP_I, true, nullptr, OP(SetOptionIByKind(3, 1)), ResultRejected},
    {"SetOptionITriple", VDEV_GROUP_I, true, nullptr, OP(SetOptionITriple(2)), ResultUnsupported},
    {"SetOptionIKind3", VDEV_GROUP_I, true, nullptr, OP(SetOptionIKind3(1)), ResultRejected},
    {"SetOptionE1", VDEV_GROUP_E, true, nullptr, OP(SetOptionE1(1)), ResultUnsupported},
    {"SetOptionF1Bit1", VDEV_GROUP_F, true, FIELD(VDEV_GROUP_F, 1, 0), OP(SetOptionF1Bit1(1)),
     ResultUnsupported},
    {"SetOptionB1", VDEV_GROUP_B, true, nullptr, OP(SetOptionB1(1)), ResultRejected},
    {"SetSymbologyOption0", VDEV_GROUP_A, true, FIELD(VDEV_GROUP_A, 4, 2),
     OP(SetSymbologyOption(0, 1)), ResultRejected},
    {"SetSymbologyOption1", VDEV_GROUP_I, true, nullptr, OP(SetSymbologyOption(1, 1)),
     ResultRejected},
    {"SetSymbologyOption2", VDEV_GROUP_I, true, nullptr, OP(SetSymbologyOption(2, 1)),
     ResultRejected},
    {"SetSymbologyOption6", VDEV_GROUP_E, true, FIELD(VDEV_GROUP_E, 1, 2),
     OP(SetSymbologyOption(6, 1)), ResultRejected},
    {"SetSymbologyOption11", VDEV_GROUP_F, true, FIELD(VDEV_GROUP_F, 1, 1),
     OP(SetSymbologyOption(11, 1)), ResultRejected},
    {"SetSymbologyOption12", VDEV_GROUP_I, true, nullptr, OP(SetSymbologyOption(12, 0)),
     ResultRejected},
    {"SetOptionJ", VDEV_GROUP_J, true, nullptr, OP(SetOptionJ(1)), ResultUnsupported},
    {"SetSymbologyOption2Of1", VDEV_GROUP_I, true, nullptr, OP(SetSymbologyOption2(1, 1)),
     ResultUnsupported},
    {"SetSymbologyOption2Of12", VDEV_GROUP_I, true, nullptr, OP(SetSymbologyOption2(12, 0)),
     ResultUnsupported},
};

void PrintTo(const FailCase& c, std::ostream* out) { *out << c.name; }

class OptionFailureTest : public SymbologyTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(OptionFailureTest, FailingCallGivesItsStatus) {
  const FailCase& c = GetParam();
  auto& plugin = object();
  if (c.prepare != nullptr) c.prepare();
  constexpr int32_t kDeviceError = static_cast<int32_t>(0x80004005u);
  if (c.failSet) {
    vdev_config_fail_set(c.group, kDeviceError);
  } else {
    vdev_config_fail_get(c.group, kDeviceError);
  }
  EXPECT_EQ(c.expected, c.call(plugin));
  // The status came from the device, not from an argument check.
  const std::vector<vdev_config_call> log = calls();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(c.group, log.back().group);
  EXPECT_EQ(c.failSet ? 1 : 0, log.back().isSet);
  EXPECT_EQ(kDeviceError, log.back().result);
}

INSTANTIATE_TEST_SUITE_P(Calls, OptionFailureTest, ::testing::ValuesIn(kFailCases),
                         [](const ::testing::TestParamInfo<FailCase>& p) {
                           return std::string(p.param.name);
                         });

// ---- Read-modify-write setters ----

struct ModifyCase {
  const char* name;
  Request call;
  int32_t request;
  vdev_group group;
  int field;
  uint32_t current;
  int16_t expected;
  int written;  // the value written, -1 for none
};

#define REQUEST(expression) \
  [](ZorvanScannerInterface& s, int32_t v) -> int16_t { return s.expression; }
const Request kOption0 = REQUEST(SetSymbologyOption(0, v));
const Request kOption6 = REQUEST(SetSymbologyOption(6, v));
const Request kOption11 = REQUEST(SetSymbologyOption(11, v));
const Request kF1Bit1 = REQUEST(SetOptionF1Bit1(v));

const ModifyCase kModifyCases[] = {
    // Variant of GroupA field 4: on picks the odd value, off the even one.
    {"A4Mode1On", kOption0, 1, VDEV_GROUP_A, 4, 2, ResultOk, 1},
    {"A4Mode2On", kOption0, 1, VDEV_GROUP_A, 4, 4, ResultOk, 3},
    {"A4Mode3On", kOption0, 1, VDEV_GROUP_A, 4, 6, ResultOk, 5},
    {"A4Mode1Off", kOption0, 0, VDEV_GROUP_A, 4, 1, ResultOk, 2},
    {"A4Mode2Off", kOption0, 0, VDEV_GROUP_A, 4, 3, ResultOk, 4},
    {"A4Mode3Off", kOption0, 0, VDEV_GROUP_A, 4, 5, ResultOk, 6},
    {"A4TwoIsOff", kOption0, 2, VDEV_GROUP_A, 4, 1, ResultOk, 2},
    {"A4NegativeIsOff", kOption0, -1, VDEV_GROUP_A, 4, 3, ResultOk, 4},
    {"A4ModeOffOn", kOption0, 1, VDEV_GROUP_A, 4, 0, ResultUnsupported, -1},
    {"A4ModeOffOff", kOption0, 0, VDEV_GROUP_A, 4, 0, ResultUnsupported, -1},
    {"A4AlreadyOn", kOption0, 1, VDEV_GROUP_A, 4, 3, ResultUnsupported, -1},
    {"A4AlreadyOff", kOption0, 0, VDEV_GROUP_A, 4, 6, ResultUnsupported, -1},
    {"A4Outside", kOption0, 1, VDEV_GROUP_A, 4, 8, ResultUnsupported, -1},
    // Variant of GroupE field 1: pairs 1/2 and 3/4 only.
    {"E1Mode1On", kOption6, 1, VDEV_GROUP_E, 1, 2, ResultOk, 1},
    {"E1Mode2On", kOption6, 1, VDEV_GROUP_E, 1, 4, ResultOk, 3},
    {"E1Mode1Off", kOption6, 0, VDEV_GROUP_E, 1, 1, ResultOk, 2},
    {"E1Mode2Off", kOption6, 0, VDEV_GROUP_E, 1, 3, ResultOk, 4},
    {"E1TwoIsOff", kOption6, 2, VDEV_GROUP_E, 1, 1, ResultOk, 2},
    {"E1ModeOff", kOption6, 1, VDEV_GROUP_E, 1, 0, ResultUnsupported, -1},
    {"E1AlreadyOn", kOption6, 1, VDEV_GROUP_E, 1, 1, ResultUnsupported, -1},
    {"E1NoThirdMode", kOption6, 1, VDEV_GROUP_E, 1, 6, ResultUnsupported, -1},
    {"E1NoThirdModeOff", kOption6, 0, VDEV_GROUP_E, 1, 5, ResultUnsupported, -1},
    // GroupF field 1, bit 0 set = the option of id 11 off.
    {"F1Bit0On", kOption11, 1, VDEV_GROUP_F, 1, 1, ResultOk, 0},
    {"F1Bit0OnKeepsBit1", kOption11, 1, VDEV_GROUP_F, 1, 3, ResultOk, 2},
    {"F1Bit0Off", kOption11, 0, VDEV_GROUP_F, 1, 0, ResultOk, 1},
    {"F1Bit0OffKeepsBit1", kOption11, 7, VDEV_GROUP_F, 1, 2, ResultOk, 3},
    {"F1Bit0AlreadyOn", kOption11, 1, VDEV_GROUP_F, 1, 2, ResultUnsupported, -1},
    {"F1Bit0AlreadyOff", kOption11, 0, VDEV_GROUP_F, 1, 3, ResultUnsupported, -1},
    {"F1Bit0Outside", kOption11, 0, VDEV_GROUP_F, 1, 4, ResultUnsupported, -1},
    // GroupF field 1, bit 1.
    {"F1Bit1On", kF1Bit1, 1, VDEV_GROUP_F, 1, 0, ResultOk, 2},
    {"F1Bit1OnKeepsBit0", kF1Bit1, 1, VDEV_GROUP_F, 1, 1, ResultOk, 3},
    {"F1Bit1Off", kF1Bit1, 0, VDEV_GROUP_F, 1, 2, ResultOk, 0},
    {"F1Bit1OffKeepsBit0", kF1Bit1, 0, VDEV_GROUP_F, 1, 3, ResultOk, 1},
    {"F1Bit1AlreadyOn", kF1Bit1, 1, VDEV_GROUP_F, 1, 2, ResultUnsupported, -1},
    {"F1Bit1AlreadyOff", kF1Bit1, 0, VDEV_GROUP_F, 1, 1, ResultUnsupported, -1},
    {"F1Bit1Outside", kF1Bit1, 1, VDEV_GROUP_F, 1, 4, ResultUnsupported, -1},
    {"F1Bit1BadFlag", kF1Bit1, 2, VDEV_GROUP_F, 1, 0, ResultRejected, -1},
    {"F1Bit1NegativeFlag", kF1Bit1, -1, VDEV_GROUP_F, 1, 2, ResultRejected, -1},
};

void PrintTo(const ModifyCase& c, std::ostream* out) { *out << c.name; }

class ReadModifyWriteTest : public SymbologyTest,
                            public ::testing::WithParamInterface<ModifyCase> {};

TEST_P(ReadModifyWriteTest, WritesOnlyAChange) {
  const ModifyCase& c = GetParam();
  auto& plugin = object();
  vdev_config_set_field(c.group, c.field, c.current);
  // A list the change must hand back as it was read.
  const uint8_t list[3] = {7, 8, 9};
  vdev_config_set_length_list(VDEV_GROUP_E, 1, list, 2);

  EXPECT_EQ(c.expected, c.call(plugin, c.request));
  if (c.written < 0) {
    const std::vector<vdev_config_call> log = calls();
    ASSERT_EQ(1u, log.size()) << "only the read";
    EXPECT_EQ(0, log[0].isSet);
    EXPECT_EQ(c.current, vdev_config_field(c.group, c.field));
    return;
  }
  const PassedList readBack = {kKeep, {7, 8, 9}, 2};
  expectBytes(expectOneSet(c.group, true), {{c.field, static_cast<uint8_t>(c.written)}}, readBack);
  EXPECT_EQ(static_cast<uint32_t>(c.written), vdev_config_field(c.group, c.field));
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadModifyWriteTest, ::testing::ValuesIn(kModifyCases),
                         [](const ::testing::TestParamInfo<ModifyCase>& p) {
                           return std::string(p.param.name);
                         });

TEST_F(SymbologyTest, VariantFlagsAreStoredFirstAndChooseTheVariantLaterSwitchedOn) {
  auto& plugin = object();
  EXPECT_EQ(0, plugin.GetSymbologyOption(0));
  EXPECT_EQ(0, plugin.GetSymbologyOption(6));

  // Mode off: nothing is written, yet the variant is chosen.
  ASSERT_EQ(ResultUnsupported, plugin.SetSymbologyOption(0, 1));
  EXPECT_EQ(1, plugin.GetSymbologyOption(0));
  EXPECT_EQ(0, plugin.GetSymbologyOption(6));
  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetOptionA4(1));
  expectBytes(expectOneSet(VDEV_GROUP_A), {{4, 1}});

  // A failing read does not undo the choice either.
  vdev_config_fail_get(VDEV_GROUP_E, -1);
  ASSERT_EQ(ResultUnsupported, plugin.SetSymbologyOption(6, 1));
  vdev_config_fail_get(VDEV_GROUP_E, 0);
  EXPECT_EQ(1, plugin.GetSymbologyOption(6));
  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetOptionE1(1));
  expectBytes(expectOneSet(VDEV_GROUP_E), {{1, 1}});
  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetOptionE1(2));
  expectBytes(expectOneSet(VDEV_GROUP_E), {{1, 3}});

  // Any value but 1 clears, also when the device change fails.
  vdev_config_set_field(VDEV_GROUP_A, 4, 1);
  vdev_config_fail_set(VDEV_GROUP_A, -1);
  ASSERT_EQ(ResultRejected, plugin.SetSymbologyOption(0, 2));
  vdev_config_fail_set(VDEV_GROUP_A, 0);
  EXPECT_EQ(0, plugin.GetSymbologyOption(0));
  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetOptionA4(5));
  expectBytes(expectOneSet(VDEV_GROUP_A), {{4, 2}});
}

TEST_F(SymbologyTest, VariantOptionReadsTheFlagWithoutDeviceCall) {
  auto& plugin = object();
  plugin.state().symbology.variantFlagA = 1;
  vdev_config_clear_log();
  EXPECT_EQ(1, plugin.GetSymbologyOption(0));
  EXPECT_EQ(0, plugin.GetSymbologyOption(6));
  expectNoCall();
}

TEST_F(SymbologyTest, SymbologyOption11AndBit1ShareTheirFieldIndependently) {
  auto& plugin = object();
  vdev_config_set_field(VDEV_GROUP_F, 1, 3);
  ASSERT_EQ(ResultOk, plugin.SetSymbologyOption(11, 1));
  EXPECT_EQ(2u, vdev_config_field(VDEV_GROUP_F, 1));
  EXPECT_EQ(1, plugin.GetSymbologyOption(11));
  EXPECT_EQ(1, plugin.GetOptionF1Bit1());
  ASSERT_EQ(ResultOk, plugin.SetOptionF1Bit1(0));
  EXPECT_EQ(1, plugin.GetSymbologyOption(11));
  EXPECT_EQ(0, plugin.GetOptionF1Bit1());
}

// ---- Per-symbology options by host value ----

struct SymbologyOptionCase {
  int32_t id;
  int field;  // GroupI field
};

void PrintTo(const SymbologyOptionCase& c, std::ostream* out) { *out << "id " << c.id; }

class DirectSymbologyOptionTest : public SymbologyTest,
                                  public ::testing::WithParamInterface<SymbologyOptionCase> {};

TEST_P(DirectSymbologyOptionTest, WritesWithoutReadingAndReadsBack) {
  const SymbologyOptionCase& c = GetParam();
  auto& plugin = object();
  for (const auto& request : {std::pair<int32_t, uint8_t>{1, 1}, {2, 0}, {1, 1}, {0, 0}}) {
    vdev_config_clear_log();
    ASSERT_EQ(ResultOk, plugin.SetSymbologyOption(c.id, request.first));
    expectBytes(expectOneSet(VDEV_GROUP_I), {{c.field, request.second}});
    EXPECT_EQ(request.second, plugin.GetSymbologyOption(c.id));
  }
  vdev_config_set_field(VDEV_GROUP_I, c.field, 2);
  EXPECT_EQ(0, plugin.GetSymbologyOption(c.id));
}

INSTANTIATE_TEST_SUITE_P(Ids, DirectSymbologyOptionTest,
                         ::testing::Values(SymbologyOptionCase{1, 8}, SymbologyOptionCase{2, 9},
                                           SymbologyOptionCase{12, 9}),
                         [](const ::testing::TestParamInfo<SymbologyOptionCase>& p) {
                           return "id" + std::to_string(p.param.id);
                         });

TEST_F(SymbologyTest, SymbologyOption11ReadsBit0Clear) {
  auto& plugin = object();
  const int16_t expected[] = {1, 0, 1, 0};
  for (uint32_t value = 0; value < 4; ++value) {
    vdev_config_set_field(VDEV_GROUP_F, 1, value);
    EXPECT_EQ(expected[value], plugin.GetSymbologyOption(11)) << value;
  }
}

TEST_F(SymbologyTest, SymbologyOptionOfOtherIdsIsRejectedWithoutDeviceCall) {
  auto& plugin = object();
  for (int32_t id : {3, 4, 5, 7, 8, 13, 85, -1, INT32_MAX}) {
    EXPECT_EQ(ResultRejected, plugin.GetSymbologyOption(id)) << id;
    EXPECT_EQ(ResultRejected, plugin.SetSymbologyOption(id, 1)) << id;
  }
  expectNoCall();
  EXPECT_EQ(0, plugin.GetSymbologyOption(0));
  EXPECT_EQ(0, plugin.GetSymbologyOption(6));
}

// ---- The second per-symbology option ----

TEST_F(SymbologyTest, SecondOptionFollowsTheVendorNumber) {
  auto& plugin = object();
  ASSERT_EQ(ResultOk, plugin.SetSymbologyOption2(12, 1));
  expectBytes(expectOneSet(VDEV_GROUP_I), {{13, 1}});
  EXPECT_EQ(1, plugin.GetSymbologyOption2(2));
  EXPECT_EQ(0, plugin.GetSymbologyOption2(1));

  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetSymbologyOption2(1, 1));
  expectBytes(expectOneSet(VDEV_GROUP_I), {{12, 1}});
  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetSymbologyOption2(2, 0));
  expectBytes(expectOneSet(VDEV_GROUP_I), {{13, 0}});
  EXPECT_EQ(0, plugin.GetSymbologyOption2(12));
  EXPECT_EQ(1, plugin.GetSymbologyOption2(1));

  vdev_config_set_field(VDEV_GROUP_I, 12, 2);
  EXPECT_EQ(ResultUnsupported, plugin.GetSymbologyOption2(1));
}

TEST_F(SymbologyTest, SecondOptionRefusesOtherIdsAndValuesWithoutDeviceCall) {
  auto& plugin = object();
  for (int32_t id : {0, 3, 4, 83, 85, 10, -1}) {
    EXPECT_EQ(ResultRejected, plugin.GetSymbologyOption2(id)) << id;
    EXPECT_EQ(ResultRejected, plugin.SetSymbologyOption2(id, 1)) << id;
  }
  EXPECT_EQ(ResultUnsupported, plugin.SetSymbologyOption2(1, 7));
  EXPECT_EQ(ResultUnsupported, plugin.SetSymbologyOption2(12, 2));
  EXPECT_EQ(ResultUnsupported, plugin.SetSymbologyOption2(2, 65535));
  expectNoCall();
}

// ---- Options chosen by kind ----

class OptionKindTest : public SymbologyTest,
                       public ::testing::WithParamInterface<std::pair<int32_t, int>> {};

TEST_P(OptionKindTest, KindSelectsTheField) {
  const int32_t kind = GetParam().first;
  const int field = GetParam().second;
  auto& plugin = object();
  ASSERT_EQ(ResultOk, plugin.SetOptionIByKind(kind, 9));
  expectBytes(expectOneSet(VDEV_GROUP_I), {{field, 1}});
  EXPECT_EQ(1, plugin.GetOptionIByKind(kind));
  vdev_config_clear_log();
  ASSERT_EQ(ResultOk, plugin.SetOptionIByKind(kind, 0));
  expectBytes(expectOneSet(VDEV_GROUP_I), {{field, 0}});
  EXPECT_EQ(0, plugin.GetOptionIByKind(kind));
  vdev_config_set_field(VDEV_GROUP_I, field, 2);
  EXPECT_EQ(0, plugin.GetOptionIByKind(kind));
}

INSTANTIATE_TEST_SUITE_P(Kinds, OptionKindTest,
                         ::testing::Values(std::make_pair(0, 15), std::make_pair(1, 15),
                                           std::make_pair(3, 16)),
                         [](const ::testing::TestParamInfo<std::pair<int32_t, int>>& p) {
                           return "kind" + std::to_string(p.param.first);
                         });

TEST_F(SymbologyTest, KindsWithoutDeviceFieldAndOutOfRangeNeverCallTheDevice) {
  auto& plugin = object();
  EXPECT_EQ(0, plugin.GetOptionIByKind(2));
  EXPECT_EQ(0, plugin.GetOptionIByKind(4));
  EXPECT_EQ(ResultUnsupported, plugin.SetOptionIByKind(2, 1));
  EXPECT_EQ(ResultUnsupported, plugin.SetOptionIByKind(4, 1));
  for (int32_t kind : {-1, 5, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(ResultRejected, plugin.GetOptionIByKind(kind)) << kind;
    EXPECT_EQ(ResultRejected, plugin.SetOptionIByKind(kind, 1)) << kind;
  }
  expectNoCall();
}

TEST_F(SymbologyTest, Kind3OperationsShareTheKind3Field) {
  auto& plugin = object();
  ASSERT_EQ(ResultOk, plugin.SetOptionIKind3(1));
  EXPECT_EQ(1, plugin.GetOptionIByKind(3));
  EXPECT_EQ(0, plugin.GetOptionIByKind(0));
  ASSERT_EQ(ResultOk, plugin.SetOptionIByKind(3, 0));
  EXPECT_EQ(0, plugin.GetOptionIKind3());
}

}  // namespace
}  // namespace zorvan_test

// An object whose DeviceConfig could not be opened: the symbology operations
// answer without calling through the missing interface.
#include <limits.h>

#include "symbology_fixture.h"

namespace zorvan_test {
namespace {

class NoDeviceConfigTest : public SymbologyTest {
 protected:
  void SetUp() override {
    SymbologyTest::SetUp();
    vdev_config_fail_open(-1);
    open();
    ASSERT_EQ(nullptr, scanner->state().symbology.device.get());
    vdev_config_clear_log();
  }
  void TearDown() override {
    EXPECT_EQ(0u, vdev_config_log_size());
    SymbologyTest::TearDown();
  }
};

using zorvan::ZorvanScannerInterface;
using Call = int16_t (*)(ZorvanScannerInterface&);

struct NoConfigCase {
  const char* name;
  Call call;
  int16_t expected;
};

#define OP(expression) [](ZorvanScannerInterface& s) -> int16_t { return s.expression; }

int16_t getLengths(ZorvanScannerInterface& s, int32_t id) {
  uint16_t mode = 7, first = 8, second = 9;
  const int16_t status = s.GetSymbologyLengths(id, &mode, &first, &second);
  EXPECT_EQ(7, mode);
  EXPECT_EQ(8, first);
  EXPECT_EQ(9, second);
  return status;
}

const NoConfigCase kCases[] = {
    // Valid requests: unsupported without the interface.
    {"GetSymbologyEnabled", OP(GetSymbologyEnabled(7)), ResultUnsupported},
    {"SetSymbologyEnabled", OP(SetSymbologyEnabled(7, 1)), ResultUnsupported},
    {"GetSymbologyLengths", [](ZorvanScannerInterface& s) { return getLengths(s, 7); },
     ResultUnsupported},
    {"SetSymbologyLengths", OP(SetSymbologyLengths(0, 1, 5, 0)), ResultUnsupported},
    {"GetOptionB2", OP(GetOptionB2()), ResultUnsupported},
    {"GetOptionA4", OP(GetOptionA4()), ResultUnsupported},
    {"GetOptionA1", OP(GetOptionA1()), ResultUnsupported},
    {"GetOptionIByKind", OP(GetOptionIByKind(0)), ResultUnsupported},
    {"GetOptionITriple", OP(GetOptionITriple()), ResultUnsupported},
    {"GetOptionIKind3", OP(GetOptionIKind3()), ResultUnsupported},
    {"GetOptionE1", OP(GetOptionE1()), ResultUnsupported},
    {"GetOptionF1Bit1", OP(GetOptionF1Bit1()), ResultUnsupported},
    {"GetOptionB1", OP(GetOptionB1()), ResultUnsupported},
    {"GetSymbologyOption11", OP(GetSymbologyOption(11)), ResultUnsupported},
    {"GetSymbologyOption1", OP(GetSymbologyOption(1)), ResultUnsupported},
    {"GetOptionJ", OP(GetOptionJ()), ResultUnsupported},
    {"GetSymbologyOption2", OP(GetSymbologyOption2(1)), ResultUnsupported},
    {"SetOptionB2", OP(SetOptionB2(1)), ResultUnsupported},
    {"SetOptionA4", OP(SetOptionA4(1)), ResultUnsupported},
    {"SetOptionA1", OP(SetOptionA1(1)), ResultUnsupported},
    {"SetOptionIByKind", OP(SetOptionIByKind(3, 1)), ResultUnsupported},
    {"SetOptionITriple", OP(SetOptionITriple(1)), ResultUnsupported},
    {"SetOptionIKind3", OP(SetOptionIKind3(1)), ResultUnsupported},
    {"SetOptionE1", OP(SetOptionE1(1)), ResultUnsupported},
    {"SetOptionF1Bit1", OP(SetOptionF1Bit1(1)), ResultUnsupported},
    {"SetOptionF1Bit1BadFlag", OP(SetOptionF1Bit1(2)), ResultUnsupported},
    {"SetOptionB1", OP(SetOptionB1(1)), ResultUnsupported},
    {"SetSymbologyOption11", OP(SetSymbologyOption(11, 1)), ResultUnsupported},
    {"SetSymbologyOption1", OP(SetSymbologyOption(1, 1)), ResultUnsupported},
    {"SetOptionJ", OP(SetOptionJ(1)), ResultUnsupported},
    {"SetSymbologyOption2", OP(SetSymbologyOption2(12, 1)), ResultUnsupported},
    // Argument checks come first and answer as ever.
    {"GetSymbologyEnabledUnknown", OP(GetSymbologyEnabled(10)), ResultRejected},
    {"SetSymbologyEnabledUnknown", OP(SetSymbologyEnabled(-1, 1)), ResultRejected},
    {"GetSymbologyLengthsUnrestricted", [](ZorvanScannerInterface& s) { return getLengths(s, 1); },
     ResultRejected},
    {"GetSymbologyLengthsNullOutput", OP(GetSymbologyLengths(0, nullptr, nullptr, nullptr)),
     ResultRejected},
    {"SetSymbologyLengthsUnrestricted", OP(SetSymbologyLengths(8, 1, 5, 0)), ResultRejected},
    {"GetOptionIByKindOutOfRange", OP(GetOptionIByKind(5)), ResultRejected},
    {"GetOptionIByKindWithoutField", OP(GetOptionIByKind(2)), 0},
    {"SetOptionIByKindOutOfRange", OP(SetOptionIByKind(-1, 1)), ResultRejected},
    {"SetOptionIByKindWithoutField", OP(SetOptionIByKind(4, 1)), ResultUnsupported},
    {"SetOptionITripleOutside", OP(SetOptionITriple(3)), ResultRejected},
    {"SetOptionE1Outside", OP(SetOptionE1(3)), ResultRejected},
    {"SetOptionJOutside", OP(SetOptionJ(3)), ResultRejected},
    {"GetSymbologyOptionOther", OP(GetSymbologyOption(3)), ResultRejected},
    {"SetSymbologyOptionOther", OP(SetSymbologyOption(3, 1)), ResultRejected},
    {"GetSymbologyOption2Other", OP(GetSymbologyOption2(0)), ResultRejected},
    {"SetSymbologyOption2Other", OP(SetSymbologyOption2(0, 1)), ResultRejected},
    {"SetSymbologyOption2Value", OP(SetSymbologyOption2(1, 7)), ResultUnsupported},
};

void PrintTo(const NoConfigCase& c, std::ostream* out) { *out << c.name; }

class NoDeviceConfigCallTest : public NoDeviceConfigTest,
                               public ::testing::WithParamInterface<NoConfigCase> {};

TEST_P(NoDeviceConfigCallTest, Answers) {
  EXPECT_EQ(GetParam().expected, GetParam().call(*scanner));
}

INSTANTIATE_TEST_SUITE_P(Operations, NoDeviceConfigCallTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<NoConfigCase>& p) {
                           return std::string(p.param.name);
                         });

TEST_F(NoDeviceConfigTest, VariantOptionsStillAnswerFromTheirFlags) {
  EXPECT_EQ(0, scanner->GetSymbologyOption(0));
  EXPECT_EQ(ResultUnsupported, scanner->SetSymbologyOption(0, 1));
  EXPECT_EQ(1, scanner->GetSymbologyOption(0));
  EXPECT_EQ(ResultUnsupported, scanner->SetSymbologyOption(6, 1));
  EXPECT_EQ(1, scanner->GetSymbologyOption(6));
  EXPECT_EQ(ResultUnsupported, scanner->SetSymbologyOption(6, 2));
  EXPECT_EQ(0, scanner->GetSymbologyOption(6));
}

}  // namespace
}  // namespace zorvan_test

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "acquisition/scan_thread.h"

namespace {

using zorvan::Affixes;
using zorvan::kLabelBufferSize;

std::vector<uint8_t> assemble(const std::vector<uint8_t>& data, const Affixes& affixes) {
  uint8_t buffer[kLabelBufferSize];
  memset(buffer, 0xAA, sizeof buffer);
  const uint16_t length = zorvan::assembleLabel(data.data(), static_cast<uint32_t>(data.size()),
                                                affixes, buffer);
  for (uint32_t i = length; i < kLabelBufferSize; ++i) {
    EXPECT_EQ(0, buffer[i]) << "byte " << i << " after the label";
  }
  return std::vector<uint8_t>(buffer, buffer + length);
}

const std::vector<uint8_t> kTen = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};

std::vector<uint8_t> withAffixes(const std::vector<uint8_t>& head,
                                 const std::vector<uint8_t>& tail) {
  std::vector<uint8_t> result;
  for (const auto* part : {&head, &kTen, &tail}) {
    for (uint8_t byte : *part) result.push_back(byte);
  }
  return result;
}

struct AffixCase {
  const char* name;
  Affixes affixes;
  std::vector<uint8_t> expected;
};

void PrintTo(const AffixCase& c, std::ostream* out) { *out << c.name; }

class AffixModeTest : public ::testing::TestWithParam<AffixCase> {};

TEST_P(AffixModeTest, AddsTheSelectedAffixes) {
  EXPECT_EQ(GetParam().expected, assemble(kTen, GetParam().affixes));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, AffixModeTest,
    ::testing::Values(
        AffixCase{"none", {2, 10, 13, 0}, kTen},
        AffixCase{"first_suffix", {2, 10, 13, 1}, withAffixes({}, {10})},
        AffixCase{"second_suffix", {2, 10, 13, 2}, withAffixes({}, {13})},
        AffixCase{"both_suffixes", {2, 10, 13, 3}, withAffixes({}, {10, 13})},
        AffixCase{"prefix", {2, 10, 13, 4}, withAffixes({2}, {})},
        AffixCase{"prefix_first", {2, 10, 13, 5}, withAffixes({2}, {10})},
        AffixCase{"prefix_second", {2, 10, 13, 6}, withAffixes({2}, {13})},
        AffixCase{"all", {2, 10, 13, 7}, withAffixes({2}, {10, 13})},
        AffixCase{"zero_affixes_never_added", {0, 0, 0, 7}, kTen},
        AffixCase{"high_affixes_never_added", {-128, -1, -56, 7}, kTen},
        AffixCase{"mode_bits_above_two_ignored", {2, 10, 13, 8}, kTen}),
    [](const ::testing::TestParamInfo<AffixCase>& param) { return param.param.name; });

TEST(LabelAssembly, KeepsAtMost2999BytesCuttingAtTheEnd) {
  std::vector<uint8_t> data(2998, 'x');
  std::vector<uint8_t> expected = data;
  expected[0] = 2;
  expected.push_back('x');
  // Prefix and data fill 2999 bytes: both suffixes are cut.
  EXPECT_EQ(expected, assemble(data, Affixes{2, 10, 13, 7}));

  std::vector<uint8_t> huge(zorvan::kReadBufferSize, 'y');
  EXPECT_EQ(std::vector<uint8_t>(2999, 'y'), assemble(huge, Affixes{0, 10, 13, 3}));
}

TEST(ScanEventRecord, CarriesTheLengthOnlyAbove255) {
  struct Case {
    uint16_t length;
    uint8_t bytes8to11[4];
  } cases[] = {{0, {0, 0, 0, 0}},       {13, {0, 0, 0, 0}},     {255, {0, 0, 0, 0}},
               {256, {0, 1, 1, 0}},     {300, {0, 1, 1, 0x2C}}, {2999, {0, 1, 0x0B, 0xB7}}};
  for (const Case& c : cases) {
    uint8_t record[ScanEventRecordSize];
    memset(record, 0x55, sizeof record);
    zorvan::buildScanEventRecord(c.length, record);
    uint8_t expected[ScanEventRecordSize] = {0x87, 0xFF};
    memcpy(expected + 8, c.bytes8to11, 4);
    EXPECT_EQ(0, memcmp(expected, record, sizeof record)) << "length " << c.length;
  }
}

}  // namespace

#include <gtest/gtest.h>
#include <string.h>

#include "plugin/fixed_operations.h"
#include "scanner_interface1.h"

namespace {

struct VersionCase {
  const char* buildDate;
  const char* version;
};

class BuildVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(BuildVersionTest, FormatsYearDigitMonthLettersAndDay) {
  char version[6];
  memset(version, 'x', sizeof version);
  zorvan::formatBuildVersion(GetParam().buildDate, version);
  EXPECT_STREQ(GetParam().version, version);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, BuildVersionTest,
    ::testing::Values(VersionCase{"Jul 27 2010", "0Jl27"}, VersionCase{"Jun  5 2011", "1Jn05"},
                      VersionCase{"Jan 31 2019", "9Ja31"}, VersionCase{"Mar  1 2020", "0Ma01"},
                      VersionCase{"May 12 2024", "4Ma12"}, VersionCase{"Dec  9 2026", "6De09"}));

// Guard bytes around the host's buffer catch any write outside it. Sizes
// around the text's length matter most: a formatting call that leaves out the
// terminating zero when the text fills the buffer shows at 7 and 8.
struct TextCase {
  int32_t size;
  const char* expected;  // buffer content; nullptr: untouched
};

class FixedTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(FixedTextTest, WritesAtMostSizeBytesEndingInZero) {
  char memory[32];
  memset(memory, '#', sizeof memory);
  char* buffer = memory + 8;
  const TextCase& c = GetParam();
  EXPECT_EQ(ResultOk, zorvan::writeFixedText(buffer, c.size, "KVSym01"));
  for (int i = 0; i < 8; ++i) EXPECT_EQ('#', memory[i]);
  const int32_t written = c.size > 0 ? c.size : 0;
  for (int i = 8 + written; i < 32; ++i) EXPECT_EQ('#', memory[i]) << "byte " << i;
  if (c.expected != nullptr) {
    EXPECT_EQ(0, memcmp(buffer, c.expected, static_cast<size_t>(c.size)));
  }
}

void PrintTo(const TextCase& c, std::ostream* out) { *out << "size " << c.size; }
void PrintTo(const VersionCase& c, std::ostream* out) { *out << c.buildDate; }

INSTANTIATE_TEST_SUITE_P(Sizes, FixedTextTest,
                         ::testing::Values(TextCase{-1, nullptr}, TextCase{0, nullptr},
                                           TextCase{1, "\0"}, TextCase{2, "K\0"},
                                           TextCase{4, "KVS\0"}, TextCase{6, "KVSym\0"},
                                           TextCase{7, "KVSym0\0"}, TextCase{8, "KVSym01\0"},
                                           TextCase{9, "KVSym01\0\0"},
                                           TextCase{12, "KVSym01\0###\0"}));

TEST(FixedText, NullBufferIsRejected) {
  EXPECT_EQ(ResultRejected, zorvan::writeFixedText(nullptr, 8, "ITCKVP"));
}

}  // namespace

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

// Each identity text into every buffer size from -1 to past its length,
// with guard bytes around the host's buffer to catch any write outside it.
// The text is cut to size - 1 bytes and ends in a zero, and the last byte of
// the buffer is always a zero: a formatting call that leaves out the
// terminating zero when the text fills the buffer shows at size == length
// and length + 1 (the Windows CE build formats with _vsnprintf).
TEST(FixedText, EverySizeWritesAtMostSizeBytesEndingInZero) {
  const char* const texts[] = {"ITCKVP", "KVSym01", "6De09"};
  for (const char* text : texts) {
    const int32_t length = static_cast<int32_t>(strlen(text));
    for (int32_t size = -1; size <= length + 3; ++size) {
      SCOPED_TRACE(::testing::Message() << text << " into " << size << " bytes");
      char memory[32];
      memset(memory, '#', sizeof memory);
      char* buffer = memory + 8;
      EXPECT_EQ(ResultOk, zorvan::writeFixedText(buffer, size, text));
      const int32_t kept = size - 1 < length ? size - 1 : length;  // text bytes kept
      for (int32_t i = -8; i < 24; ++i) {
        char expected = '#';
        if (i >= 0 && i < size) {
          if (i < kept) expected = text[i];
          if (i == kept || i == size - 1) expected = '\0';
        }
        EXPECT_EQ(expected, buffer[i]) << "byte " << i;
      }
    }
  }
}

void PrintTo(const VersionCase& c, std::ostream* out) { *out << c.buildDate; }

TEST(FixedText, NullBufferIsRejected) {
  EXPECT_EQ(ResultRejected, zorvan::writeFixedText(nullptr, 8, "ITCKVP"));
}

}  // namespace

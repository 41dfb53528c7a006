// The two ways the host fetches the last label, byte for byte.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "acquisition/label_store.h"
#include "scanner_fixture.h"
#include "symbology/reported_symbology.h"

namespace zorvan_test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kGuard = 8;
constexpr uint8_t kGuardByte = 0xA5;

class LabelRecordTest : public ScannerTest {
 protected:
  // Make `bytes` the pending label, as the scan thread leaves it.
  void storeLabel(int32_t symbology, const Bytes& bytes) {
    ASSERT_LT(bytes.size(), zorvan::kLabelBufferSize);
    const zorvan::Affixes none = {0, 0, 0, 0};
    scanner->state().labels.store(bytes.data(), static_cast<uint32_t>(bytes.size()), none,
                                  symbology);
  }

  bool pending() {
    scanner->state().labels.inspect(contents_);
    return contents_.pending;
  }
  zorvan::LabelStore::Contents contents_;

  // The record GetLastLabelRecord writes, checking that nothing was written
  // around it.
  Bytes record() {
    uint8_t memory[kGuard + LabelRecordSize + kGuard];
    memset(memory, kGuardByte, sizeof memory);
    EXPECT_EQ(ResultOk, scanner->GetLastLabelRecord(memory + kGuard));
    for (size_t i = 0; i < kGuard; ++i) {
      EXPECT_EQ(kGuardByte, memory[i]) << "before, byte " << i;
      EXPECT_EQ(kGuardByte, memory[kGuard + LabelRecordSize + i]) << "after, byte " << i;
    }
    return Bytes(memory + kGuard, memory + kGuard + LabelRecordSize);
  }

  static Bytes recordOf(const Bytes& head) {
    Bytes bytes(LabelRecordSize, 0);
    std::copy(head.begin(), head.end(), bytes.begin());
    return bytes;
  }

  // What ReadLabel writes into a guarded buffer: the buffer bytes up to and
  // including the first untouched guard byte.
  struct TextRead {
    int16_t status;
    int16_t symbology;
    Bytes buffer;
  };
  TextRead readText(int32_t count, size_t bufferSize) {
    std::vector<char> memory(bufferSize, static_cast<char>(kGuardByte));
    TextRead read{0, -99, {}};
    read.status = scanner->ReadLabel(count, &read.symbology, memory.data());
    read.buffer.assign(memory.begin(), memory.end());
    return read;
  }
};

const Bytes kNoLabelRecord = [] {
  Bytes bytes(LabelRecordSize, 0);
  bytes[1] = 0x02;
  bytes[6] = 'N';
  bytes[7] = 'R';
  return bytes;
}();

TEST_F(LabelRecordTest, NoLabelGivesTheNrRecord) {
  open();
  EXPECT_EQ(kNoLabelRecord, record());
  EXPECT_EQ(kNoLabelRecord, record());
}

TEST_F(LabelRecordTest, PendingLabelIsRecordedOnceThenNr) {
  open();
  storeLabel(1, {0x41, 0x42, 0x43});
  EXPECT_EQ(recordOf({0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0x41, 0x42, 0x43, 0x00}), record());
  EXPECT_FALSE(pending());
  EXPECT_EQ(kNoLabelRecord, record());
}

TEST_F(LabelRecordTest, LongLabelIsCutTo255BytesWithZerosAfter) {
  open();
  Bytes label(300);
  for (size_t i = 0; i < label.size(); ++i) label[i] = static_cast<uint8_t>(1 + i % 200);
  storeLabel(7, label);
  Bytes expected = recordOf({0x00, 0xFF, 0x00, 0x03, 0x00, 0x00});
  std::copy(label.begin(), label.begin() + 255, expected.begin() + 6);
  EXPECT_EQ(expected, record());
}

TEST_F(LabelRecordTest, LabelOfExactly255And256Bytes) {
  open();
  storeLabel(2, Bytes(255, 'x'));
  Bytes expected = recordOf({0x00, 0xFF, 0x00, 0x07, 0x00, 0x00});
  std::fill(expected.begin() + 6, expected.begin() + 261, 'x');
  EXPECT_EQ(expected, record());
  storeLabel(2, Bytes(256, 'x'));
  EXPECT_EQ(expected, record());
}

TEST_F(LabelRecordTest, EmptyLabelIsALabelNotNr) {
  open();
  storeLabel(19, {});
  EXPECT_EQ(recordOf({0x00, 0x00, 0x00, 0xFF}), record());
  EXPECT_EQ(kNoLabelRecord, record());
}

TEST_F(LabelRecordTest, NullRecordIsRejectedAndTheLabelStaysPending) {
  auto& s = open();
  storeLabel(1, {'a'});
  EXPECT_EQ(ResultRejected, s.GetLastLabelRecord(nullptr));
  EXPECT_TRUE(pending());
}

TEST_F(LabelRecordTest, ReadLabelCopiesAtMostCountBytesAndAZero) {
  open();
  const Bytes label = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  storeLabel(5, label);
  TextRead read = readText(5, 16);
  EXPECT_EQ(ResultOk, read.status);
  EXPECT_EQ(2, read.symbology);
  EXPECT_EQ((Bytes{'0', '1', '2', '3', '4', 0, 0xA5, 0xA5}),
            Bytes(read.buffer.begin(), read.buffer.begin() + 8));
  EXPECT_FALSE(pending());

  storeLabel(5, label);
  read = readText(100, 101);
  Bytes whole = label;
  whole.push_back(0);
  whole.push_back(0xA5);
  EXPECT_EQ(whole, Bytes(read.buffer.begin(), read.buffer.begin() + 12));
}

TEST_F(LabelRecordTest, ReadLabelWithCountZeroStillConsumes) {
  open();
  storeLabel(64, {'a', 'b'});
  const TextRead read = readText(0, 4);
  EXPECT_EQ(ResultOk, read.status);
  EXPECT_EQ(16, read.symbology);
  EXPECT_EQ((Bytes{0, 0xA5, 0xA5, 0xA5}), read.buffer);
  EXPECT_FALSE(pending());
}

TEST_F(LabelRecordTest, ReadLabelWithoutLabelGivesEmptyTextAndSymbologyZero) {
  open();
  const TextRead read = readText(10, 4);
  EXPECT_EQ(ResultOk, read.status);
  EXPECT_EQ(0, read.symbology);
  EXPECT_EQ((Bytes{0, 0xA5, 0xA5, 0xA5}), read.buffer);
}

TEST_F(LabelRecordTest, RefusedReadLeavesTheLabelPendingAndBuffersUntouched) {
  auto& s = open();
  storeLabel(1, {'o', 'k'});
  TextRead read = readText(-1, 4);
  EXPECT_EQ(ResultRejected, read.status);
  EXPECT_EQ(-99, read.symbology);
  EXPECT_EQ((Bytes{0xA5, 0xA5, 0xA5, 0xA5}), read.buffer);
  read = readText(INT32_MIN, 4);
  EXPECT_EQ(ResultRejected, read.status);
  char buffer[4] = {};
  int16_t symbology = -99;
  EXPECT_EQ(ResultRejected, s.ReadLabel(3, nullptr, buffer));
  EXPECT_EQ(ResultRejected, s.ReadLabel(3, &symbology, nullptr));
  EXPECT_EQ(-99, symbology);
  EXPECT_TRUE(pending());

  read = readText(100, 101);
  EXPECT_EQ(ResultOk, read.status);
  EXPECT_EQ(1, read.symbology);
  EXPECT_EQ((Bytes{'o', 'k', 0, 0xA5}), Bytes(read.buffer.begin(), read.buffer.begin() + 4));
}

TEST_F(LabelRecordTest, EitherRetrievalConsumesForTheOther) {
  open();
  storeLabel(1, {'a'});
  EXPECT_EQ(1, readText(10, 11).symbology);
  EXPECT_EQ(kNoLabelRecord, record());

  storeLabel(1, {'b'});
  EXPECT_EQ(recordOf({0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 'b'}), record());
  const TextRead read = readText(10, 11);
  EXPECT_EQ(0, read.symbology);
  EXPECT_EQ(0, read.buffer[0]);
}

// A label read by the driver, assembled with its suffixes, through to the
// host's record.
TEST_F(LabelRecordTest, ScannedLabelArrivesWithItsAffixes) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.SetAffixMode(3));
  ASSERT_EQ(ResultOk, s.EnableScanner());
  scan(19, {'9', '8', '7'});
  EXPECT_EQ(recordOf({0x00, 0x05, 0x00, 0xFF, 0x00, 0x00, '9', '8', '7', 10, 13}), record());
}

// ---- Reported symbology numbers --------------------------------------------

struct Reported {
  int32_t vendor;
  uint8_t reported;
};

void PrintTo(const Reported& c, std::ostream* os) { *os << "vendor " << c.vendor; }

class ReportedSymbologyTest : public LabelRecordTest,
                              public ::testing::WithParamInterface<Reported> {};

TEST_P(ReportedSymbologyTest, MapsDriverNumbersToReportedNumbers) {
  EXPECT_EQ(GetParam().reported, zorvan::mapReportedSymbology(GetParam().vendor));
  open();
  storeLabel(GetParam().vendor, {'z'});
  EXPECT_EQ(recordOf({0x00, 0x01, 0x00, GetParam().reported, 0x00, 0x00, 'z'}), record());
}

INSTANTIATE_TEST_SUITE_P(Listed, ReportedSymbologyTest,
                         ::testing::Values(Reported{1, 1}, Reported{2, 7}, Reported{4, 6},
                                           Reported{5, 2}, Reported{6, 8}, Reported{7, 3},
                                           Reported{11, 14}, Reported{12, 17}, Reported{13, 4},
                                           Reported{19, 255}, Reported{62, 8}, Reported{63, 9},
                                           Reported{64, 16}, Reported{65, 10}, Reported{66, 11},
                                           Reported{67, 22}, Reported{68, 23}, Reported{69, 25},
                                           Reported{70, 15}));

TEST(ReportedSymbology, EveryUnlistedNumberIsZero) {
  const std::vector<int32_t> listed = {1,  2,  4,  5,  6,  7,  11, 12, 13, 19,
                                       62, 63, 64, 65, 66, 67, 68, 69, 70};
  std::vector<int32_t> numbers = {INT32_MIN, -1, 71, 255, 256, 257, 1000, INT32_MAX};
  for (int32_t n = 0; n <= 72; ++n) numbers.push_back(n);
  for (int32_t n : numbers) {
    bool isListed = false;
    for (int32_t l : listed) isListed = isListed || l == n;
    if (!isListed) {
      EXPECT_EQ(0, zorvan::mapReportedSymbology(n)) << n;
    }
  }
}

}  // namespace
}  // namespace zorvan_test

// Pure routines: the host symbology mapping and its table, and the length
// list and minimum-length codecs.
#include <gtest/gtest.h>
#include <limits.h>

#include <set>

#include "symbology/length_list.h"
#include "symbology/option_table.h"
#include "symbology/symbology_table.h"

namespace zorvan {
void PrintTo(const SymbologyEntry& entry, std::ostream* out) { *out << "host " << entry.host; }
}  // namespace zorvan

namespace {

using namespace zorvan;

// Host value → vendor value, as the device numbers them.
struct KnownSymbology {
  int32_t host;
  int32_t vendor;
};
const KnownSymbology kKnown[] = {
    {0, 1}, {1, 62},  {2, 63},  {3, 66},  {4, 65},  {5, 13},  {6, 4},   {7, 5},   {8, 7},
    {9, 2}, {11, 11}, {12, 64}, {14, 70}, {15, 12}, {83, 67}, {84, 69}, {85, 68},
};

TEST(MapHostSymbologyTest, KnownValuesMapAndEveryOtherIsMinusOne) {
  for (int32_t host = -300; host <= 300; ++host) {
    int32_t expected = -1;
    for (const KnownSymbology& k : kKnown) {
      if (k.host == host) expected = k.vendor;
    }
    EXPECT_EQ(expected, MapHostSymbology(host)) << "host " << host;
  }
  EXPECT_EQ(-1, MapHostSymbology(INT32_MIN));
  EXPECT_EQ(-1, MapHostSymbology(INT32_MAX));
  EXPECT_EQ(-1, MapHostSymbology(10));
  EXPECT_EQ(-1, MapHostSymbology(13));
}

TEST(SymbologyTableTest, SortedByHostWithDistinctVendors) {
  std::set<int32_t> vendors;
  for (int i = 0; i < kSymbologyCount; ++i) {
    if (i > 0) {
      EXPECT_LT(kSymbologyTable[i - 1].host, kSymbologyTable[i].host);
    }
    EXPECT_TRUE(vendors.insert(kSymbologyTable[i].vendor).second) << kSymbologyTable[i].vendor;
  }
}

// The vendor numbers each group serves on the device.
bool groupServes(Group group, int32_t vendor) {
  switch (group) {
    case Group::A:
      return vendor == 1;
    case Group::B:
      return vendor == 5;
    case Group::C:
      return vendor == 2;
    case Group::D:
      return vendor == 7 || vendor == 69 || vendor == 70;
    case Group::E:
      return vendor == 4;
    case Group::F:
      return vendor == 11;
    case Group::G:
      return vendor == 12;
    case Group::H:
      return vendor == 13;
    case Group::I:
      return vendor >= 62 && vendor <= 68;
    case Group::J:
      return false;
  }
  return false;
}

class SymbologyEntryTest : public ::testing::TestWithParam<SymbologyEntry> {};

TEST_P(SymbologyEntryTest, FieldsLieInsideTheGroupThatServesTheSymbology) {
  const SymbologyEntry& entry = GetParam();
  const GroupLayout& layout = layoutOf(entry.group);
  EXPECT_TRUE(groupServes(entry.group, entry.vendor)) << layout.name;
  EXPECT_LT(entry.enableField, layout.fieldCount);
  if (layout.lengthListAt >= 0) {
    EXPECT_LT(entry.enableField, layout.lengthListAt);
  }
  switch (entry.lengthForm) {
    case LengthForm::kNone:
      break;
    case LengthForm::kMinimumByte:
      EXPECT_LT(entry.lengthField, layout.fieldCount);
      EXPECT_NE(entry.lengthField, entry.enableField);
      EXPECT_LT(layout.lengthListAt, 0) << "a list group keeps its lengths in the list";
      break;
    case LengthForm::kLengthList:
      EXPECT_EQ(layout.lengthListAt, entry.lengthField);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Production, SymbologyEntryTest,
                         ::testing::ValuesIn(kSymbologyTable, kSymbologyTable + kSymbologyCount),
                         [](const ::testing::TestParamInfo<SymbologyEntry>& p) {
                           return "host" + std::to_string(p.param.host);
                         });

// ---- Option tables ----

void expectInsideGroup(const OptionField& where) {
  const GroupLayout& layout = layoutOf(where.group);
  const int end = layout.lengthListAt >= 0 ? layout.lengthListAt : layout.fieldCount;
  EXPECT_GE(where.count, 1);
  EXPECT_LE(where.count, kMaxOptionFields);
  EXPECT_LE(where.field + where.count, end) << "Group" << layout.name << " field " << +where.field;
}

TEST(OptionTablesTest, RowsSitInOrderWithFieldsInsideTheirGroups) {
  for (int i = 0; i < kPairedOptionCount; ++i) {
    EXPECT_EQ(i, static_cast<int>(kPairedOptions[i].option));
    expectInsideGroup(kPairedOptions[i].where);
  }
  for (int i = 0; i < kSymbologyOptionCount; ++i) {
    const SymbologyOptionEntry& entry = kSymbologyOptions[i];
    if (i > 0) {
      EXPECT_LT(kSymbologyOptions[i - 1].id, entry.id);
    }
    expectInsideGroup(entry.where);
    // Exactly one way to change it; read from the device unless a flag answers.
    EXPECT_NE(entry.write == nullptr, entry.modify == nullptr) << entry.id;
    EXPECT_EQ(entry.flag == VariantFlag::kNone, entry.read != nullptr) << entry.id;
  }
  for (int i = 1; i < kSymbologyOption2Count; ++i) {
    EXPECT_LT(kSymbologyOptions2[i - 1].vendor, kSymbologyOptions2[i].vendor);
  }
  for (const SymbologyOption2Entry& entry : std::vector<SymbologyOption2Entry>(
           kSymbologyOptions2, kSymbologyOptions2 + kSymbologyOption2Count)) {
    expectInsideGroup({Group::I, entry.field, 1});
  }
  for (const OptionKindEntry& entry :
       std::vector<OptionKindEntry>(kOptionKinds, kOptionKinds + kOptionKindCount)) {
    if (entry.onDevice) expectInsideGroup({Group::I, entry.field, 1});
  }
}

// ---- Length lists ----

struct DecodeCase {
  const char* name;
  uint32_t kind;
  uint8_t list[3];
  uint32_t count;
  SymbologyLengths expected;
};

const DecodeCase kDecodeCases[] = {
    {"ThreeDistinctIsRange", 1, {5, 9, 7}, 3, {3, 5, 9}},
    {"TwoDistinctLargerFirst", 1, {9, 9, 5}, 3, {2, 9, 5}},
    {"TwoDistinctSmallerListedFirst", 1, {5, 9, 9}, 3, {2, 9, 5}},
    {"CountTwoIgnoresThirdByte", 1, {6, 6, 99}, 2, {1, 6, 0}},
    {"CountTwoTwoValues", 1, {8, 3, 99}, 2, {2, 8, 3}},
    {"CountOneZero", 1, {0, 7, 7}, 1, {1, 0, 0}},
    {"CountZeroUsesThree", 1, {3, 8, 3}, 0, {2, 8, 3}},
    {"CountAboveThreeUsesThree", 1, {4, 4, 4}, 200, {1, 4, 0}},
    {"MinimumKind", 0, {4, 9, 9}, 1, {3, 4, 255}},
    {"MinimumKindZeroIsAny", 0, {0, 9, 9}, 3, {0, 0, 0}},
    {"UnknownKind", 2, {5, 9, 7}, 3, {0, 0, 0}},
    {"KindIsWholeValue", 257, {5, 9, 7}, 3, {0, 0, 0}},
    {"NoChangeKind", 255, {5, 9, 7}, 3, {0, 0, 0}},
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }

class DecodeLengthListTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeLengthListTest, Decodes) {
  const DecodeCase& c = GetParam();
  const SymbologyLengths got = DecodeLengthList(c.kind, c.list, c.count);
  EXPECT_EQ(c.expected.mode, got.mode);
  EXPECT_EQ(c.expected.first, got.first);
  EXPECT_EQ(c.expected.second, got.second);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeLengthListTest, ::testing::ValuesIn(kDecodeCases),
                         [](const ::testing::TestParamInfo<DecodeCase>& p) {
                           return std::string(p.param.name);
                         });

struct EncodeCase {
  const char* name;
  uint16_t mode, first, second;
  LengthList list;  // device length list
  uint8_t minimum;  // minimum-length byte
};

const EncodeCase kEncodeCases[] = {
    {"One", 1, 12, 0, {1, {12, 12, 12}, 3}, 12},
    {"OneIgnoresSecond", 1, 12, 3, {1, {12, 12, 12}, 3}, 12},
    {"Two", 2, 10, 20, {1, {10, 20, 20}, 3}, 10},
    {"TwoLargerFirst", 2, 20, 10, {1, {20, 10, 10}, 3}, 10},
    {"RangeKeepsMinimum", 3, 4, 30, {0, {4, 0, 0}, 1}, 4},
    {"RangeReversed", 3, 30, 4, {0, {30, 0, 0}, 1}, 4},
    {"Any", 0, 7, 8, {0, {0, 0, 0}, 1}, 0},
    {"UnknownMode", 9, 7, 8, {0, {0, 0, 0}, 1}, 0},
    {"LowEightBits", 1, 300, 0, {1, {44, 44, 44}, 3}, 44},
    {"SmallerComparedBeforeCut", 3, 300, 50, {0, {44, 0, 0}, 1}, 50},
    {"SmallerComparedBeforeCutOther", 2, 50, 300, {1, {50, 44, 44}, 3}, 50},
};

void PrintTo(const EncodeCase& c, std::ostream* out) { *out << c.name; }

class EncodeLengthsTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeLengthsTest, EncodesBothForms) {
  const EncodeCase& c = GetParam();
  const LengthList got = EncodeLengthList(c.mode, c.first, c.second);
  EXPECT_EQ(c.list.kind, got.kind);
  EXPECT_EQ(c.list.count, got.count);
  for (uint32_t i = 0; i < c.list.count; ++i) EXPECT_EQ(c.list.bytes[i], got.bytes[i]) << i;
  EXPECT_EQ(c.minimum, EncodeMinimumLength(c.mode, c.first, c.second));
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodeLengthsTest, ::testing::ValuesIn(kEncodeCases),
                         [](const ::testing::TestParamInfo<EncodeCase>& p) {
                           return std::string(p.param.name);
                         });

TEST(LengthListTest, EncodedRestrictionsReadBackAsTheHostSetThem) {
  for (uint16_t a = 1; a < 256; a += 17) {
    for (uint16_t b = 1; b < 256; b += 13) {
      const LengthList one = EncodeLengthList(OneLength, a, b);
      const SymbologyLengths gotOne = DecodeLengthList(one.kind, one.bytes, one.count);
      EXPECT_EQ(OneLength, gotOne.mode);
      EXPECT_EQ(a, gotOne.first);
      EXPECT_EQ(0, gotOne.second);

      const LengthList two = EncodeLengthList(TwoLengths, a, b);
      const SymbologyLengths gotTwo = DecodeLengthList(two.kind, two.bytes, two.count);
      if (a == b) {
        EXPECT_EQ(OneLength, gotTwo.mode);
      } else {
        EXPECT_EQ(TwoLengths, gotTwo.mode);
        EXPECT_EQ(a > b ? a : b, gotTwo.first);
        EXPECT_EQ(a > b ? b : a, gotTwo.second);
      }

      const LengthList range = EncodeLengthList(LengthRange, a, b);
      const SymbologyLengths gotRange = DecodeLengthList(range.kind, range.bytes, range.count);
      EXPECT_EQ(LengthRange, gotRange.mode);
      EXPECT_EQ(a, gotRange.first);
      EXPECT_EQ(255, gotRange.second);
    }
  }
}

TEST(MinimumLengthTest, DecodesTheLowByte) {
  const struct {
    uint32_t value;
    SymbologyLengths expected;
  } cases[] = {
      {0, {0, 0, 0}},     {12, {3, 12, 255}},    {255, {3, 255, 255}},
      {0x100, {0, 0, 0}}, {0x10C, {3, 12, 255}}, {0xFFFFFF01u, {3, 1, 255}},
  };
  for (const auto& c : cases) {
    const SymbologyLengths got = DecodeMinimumLength(c.value);
    EXPECT_EQ(c.expected.mode, got.mode) << c.value;
    EXPECT_EQ(c.expected.first, got.first) << c.value;
    EXPECT_EQ(c.expected.second, got.second) << c.value;
  }
}

}  // namespace

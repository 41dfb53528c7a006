// The host's settings through the object's operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scanner_fixture.h"

namespace zorvan_test {
namespace {

using Scanner = zorvan::ZorvanScannerInterface;
using Setter = int16_t (Scanner::*)(int32_t);
using Getter = int16_t (Scanner::*)();

class SettingsTest : public ScannerTest {};

// ---- Block settings with a range ------------------------------------------

struct RangedCase {
  const char* name;
  Setter set;
  Getter get;
  int16_t defaultValue;
  int32_t lowest;
  int32_t highest;
  int16_t other;  // in range, not the default
};

void PrintTo(const RangedCase& c, std::ostream* os) { *os << c.name; }

class RangedSettingTest : public ScannerTest, public ::testing::WithParamInterface<RangedCase> {
 protected:
  int16_t set(int32_t value) { return (scanner.get()->*GetParam().set)(value); }
  int16_t get() { return (scanner.get()->*GetParam().get)(); }
};

TEST_P(RangedSettingTest, AcceptedValuesWaitForApply) {
  auto& s = open();
  const RangedCase& c = GetParam();
  EXPECT_EQ(c.defaultValue, get());
  for (int32_t value : {c.lowest, c.highest}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ResultOk, set(value));
    s.ApplySettings(0);
    EXPECT_EQ(ResultOk, set(c.defaultValue));
    EXPECT_EQ(value, get()) << "visible before apply";
    s.ApplySettings(0);
    EXPECT_EQ(c.defaultValue, get());
  }
}

// The argument is taken as unsigned: negative values are out of range, and
// values beyond 16 bits are not cut down into range.
TEST_P(RangedSettingTest, OutOfRangeIsRejectedAndChangesNothing) {
  auto& s = open();
  const RangedCase& c = GetParam();
  std::vector<int32_t> refused = {c.highest + 1,    -1, INT32_MIN, INT32_MAX, 0x10000 + c.lowest,
                                  0x10000 + c.other};
  if (c.lowest > 0) refused.push_back(c.lowest - 1);
  for (int32_t value : refused) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ResultRejected, set(value));
    s.ApplySettings(0);
    EXPECT_EQ(c.defaultValue, get());
  }
}

// The new value is compared with the applied one, not the pending one: a
// second call back to the applied value is taken as "no change" and leaves
// the first call's value pending.
TEST_P(RangedSettingTest, SettingBackToTheAppliedValueKeepsThePendingOne) {
  auto& s = open();
  const RangedCase& c = GetParam();
  EXPECT_EQ(ResultOk, set(c.other));
  EXPECT_EQ(ResultOk, set(c.defaultValue));
  EXPECT_EQ(ResultOk, s.ApplySettings(0));
  EXPECT_EQ(c.other, get());

  // Now the applied value is `other`; going back to the default differs.
  EXPECT_EQ(ResultOk, set(c.defaultValue));
  s.ApplySettings(0);
  EXPECT_EQ(c.defaultValue, get());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RangedSettingTest,
    ::testing::Values(
        RangedCase{"Level1", &Scanner::SetStoredLevel1, &Scanner::GetStoredLevel1, 30, 0, 100, 50},
        RangedCase{"Level2", &Scanner::SetStoredLevel2, &Scanner::GetStoredLevel2, 0, 0, 100, 100},
        RangedCase{"Level3", &Scanner::SetStoredLevel3, &Scanner::GetStoredLevel3, 30, 0, 100, 0},
        RangedCase{"Code", &Scanner::SetStoredCode, &Scanner::GetStoredCode, 182, 181, 182, 181},
        RangedCase{"Selector", &Scanner::SetStoredSelector, &Scanner::GetStoredSelector, 1, 1, 4,
                   4}),
    [](const ::testing::TestParamInfo<RangedCase>& param) {
      return std::string(param.param.name);
    });

// ---- Flags and the trigger mode ---------------------------------------------

TEST_F(SettingsTest, FlagsAreStoredAsZeroOrOneWithoutCompareRule) {
  auto& s = open();
  EXPECT_EQ(1, s.GetGoodReadBeep());
  EXPECT_EQ(0, s.GetStoredFlag1());
  EXPECT_EQ(ResultOk, s.SetStoredFlag1(-7));
  EXPECT_EQ(ResultOk, s.SetGoodReadBeep(0));
  EXPECT_EQ(0, s.GetStoredFlag1());
  EXPECT_EQ(1, s.GetGoodReadBeep());
  s.ApplySettings(0);
  EXPECT_EQ(1, s.GetStoredFlag1());
  EXPECT_EQ(0, s.GetGoodReadBeep());
  EXPECT_EQ(1, s.state().settings.current(zorvan::kStoredFlag1));

  // Flags write the pending value even when it equals the applied one.
  s.SetStoredFlag1(0);
  s.SetStoredFlag1(1);
  s.SetGoodReadBeep(256);
  s.SetGoodReadBeep(0);
  s.ApplySettings(0);
  EXPECT_EQ(1, s.GetStoredFlag1());
  EXPECT_EQ(0, s.GetGoodReadBeep());
}

TEST_F(SettingsTest, AuxFlagIsSwitchedByTwoOperationsAndApplied) {
  auto& s = open();
  EXPECT_EQ(0, s.GetAuxFlag());
  EXPECT_EQ(ResultOk, s.EnableAuxFlag());
  EXPECT_EQ(ResultOk, s.EnableAuxFlag());
  EXPECT_EQ(0, s.GetAuxFlag());
  s.ApplySettings(0);
  EXPECT_EQ(1, s.GetAuxFlag());
  EXPECT_EQ(ResultOk, s.DisableAuxFlag());
  EXPECT_EQ(1, s.GetAuxFlag());
  s.ApplySettings(0);
  EXPECT_EQ(0, s.GetAuxFlag());
}

TEST_F(SettingsTest, TriggerModeReportsItsLowSixteenBits) {
  auto& s = open();
  EXPECT_EQ(0, s.GetTriggerMode());
  EXPECT_EQ(ResultOk, s.SetTriggerMode(0x12345));
  EXPECT_EQ(0, s.GetTriggerMode());
  s.ApplySettings(0);
  EXPECT_EQ(0x2345, s.GetTriggerMode());
  EXPECT_EQ(0x12345, s.state().settings.current(zorvan::kTriggerMode));
  s.SetTriggerMode(0x18000);
  s.ApplySettings(0);
  EXPECT_EQ(-32768, s.GetTriggerMode());
}

TEST_F(SettingsTest, TriggerModeAllowsTheSoftwareTriggerOnlyOnceApplied) {
  auto& s = open();
  EXPECT_EQ(ResultOk, s.SetTriggerMode(8));
  EXPECT_EQ(ResultOk, s.SetTriggerMode(0));  // the applied value: pending 8 stays
  EXPECT_EQ(ResultUnsupported, s.StartSoftwareTrigger());
  EXPECT_EQ(7u, host().count(HostEvent::kTone) + host().count(HostEvent::kSleep));
  host().clear();
  s.ApplySettings(0);
  EXPECT_EQ(8, s.GetTriggerMode());
  EXPECT_EQ(ResultRejected, s.StartSoftwareTrigger());  // scanner disabled
  ASSERT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(ResultOk, s.StartSoftwareTrigger());
  EXPECT_EQ(1, vdev_scan_trigger());
  EXPECT_EQ(0u, host().count(HostEvent::kTone));
}

TEST_F(SettingsTest, GoodReadBeepStopsOnlyOnceApplied) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  EXPECT_EQ(ResultOk, s.SetGoodReadBeep(0));
  scan(1, {'a'});
  EXPECT_EQ(1u, host().count(HostEvent::kTone));
  s.ApplySettings(0);
  scan(1, {'b'});
  EXPECT_EQ(2u, host().count(HostEvent::kScanEvent));
  EXPECT_EQ(1u, host().count(HostEvent::kTone));
}

// ---- Settings in force at once ---------------------------------------------

TEST_F(SettingsTest, AffixCharactersAreInForceAtOnce) {
  auto& s = open();
  int8_t chars[3] = {1, 1, 1};
  EXPECT_EQ(ResultOk, s.GetAffixChars(&chars[0], &chars[1], &chars[2]));
  EXPECT_EQ((std::vector<int8_t>{0, 10, 13}), std::vector<int8_t>(chars, chars + 3));
  EXPECT_EQ(ResultOk, s.SetAffixChars(-128, 127, 0));
  EXPECT_EQ(ResultOk, s.GetAffixChars(&chars[0], &chars[1], &chars[2]));
  EXPECT_EQ((std::vector<int8_t>{-128, 127, 0}), std::vector<int8_t>(chars, chars + 3));
  s.ApplySettings(0);
  EXPECT_EQ(ResultOk, s.GetAffixChars(&chars[0], &chars[1], &chars[2]));
  EXPECT_EQ((std::vector<int8_t>{-128, 127, 0}), std::vector<int8_t>(chars, chars + 3));
}

// A null out-pointer is refused before anything is written through the
// others.
TEST_F(SettingsTest, AffixCharactersRefuseANullOutPointer) {
  auto& s = open();
  for (int missing = 0; missing < 3; ++missing) {
    SCOPED_TRACE(missing);
    int8_t chars[3] = {55, 55, 55};
    int8_t* out[3] = {&chars[0], &chars[1], &chars[2]};
    out[missing] = nullptr;
    EXPECT_EQ(ResultRejected, s.GetAffixChars(out[0], out[1], out[2]));
    EXPECT_EQ((std::vector<int8_t>{55, 55, 55}), std::vector<int8_t>(chars, chars + 3));
  }
  EXPECT_EQ(ResultRejected, s.GetAffixChars(nullptr, nullptr, nullptr));
}

struct ImmediateCase {
  const char* name;
  Setter set;
  Getter get;
  int32_t highest;
};

void PrintTo(const ImmediateCase& c, std::ostream* os) { *os << c.name; }

class ImmediateSettingTest : public ScannerTest,
                             public ::testing::WithParamInterface<ImmediateCase> {};

TEST_P(ImmediateSettingTest, InRangeValuesAreInForceAtOnce) {
  Scanner& s = open();
  const ImmediateCase& c = GetParam();
  EXPECT_EQ(0, (s.*c.get)());
  for (int32_t value = c.highest; value >= 0; --value) {
    EXPECT_EQ(ResultOk, (s.*c.set)(value));
    EXPECT_EQ(value, (s.*c.get)());
  }
  EXPECT_EQ(ResultOk, (s.*c.set)(c.highest));
  for (int32_t value : {c.highest + 1, -1, INT32_MIN, 0x10000}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ResultRejected, (s.*c.set)(value));
    EXPECT_EQ(c.highest, (s.*c.get)());
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, ImmediateSettingTest,
                         ::testing::Values(ImmediateCase{"AffixMode", &Scanner::SetAffixMode,
                                                         &Scanner::GetAffixMode, 7},
                                           ImmediateCase{"Selector2", &Scanner::SetStoredSelector2,
                                                         &Scanner::GetStoredSelector2, 4}),
                         [](const ::testing::TestParamInfo<ImmediateCase>& param) {
                           return std::string(param.param.name);
                         });

// ---- Apply and reset ----------------------------------------------------------

TEST_F(SettingsTest, ApplyPlaysItsPatternUnlessZero) {
  auto& s = open();
  EXPECT_EQ(ResultOk, s.ApplySettings(0));
  EXPECT_TRUE(host().events().empty());
  EXPECT_EQ(ResultOk, s.ApplySettings(27));
  const auto tones = host().eventsOf(HostEvent::kTone);
  ASSERT_EQ(1u, tones.size());
  EXPECT_EQ((std::vector<uint8_t>{0x01, 0x00, 0x00, 0x00, 0x0B, 0xB8, 0x00, 0x5A, 0x00, 0x40}),
            tones[0].bytes);
  host().clear();
  EXPECT_EQ(ResultOk, s.ApplySettings(-1));  // no pattern of its own: the default
  EXPECT_EQ(4u, host().count(HostEvent::kTone));
  EXPECT_EQ(3u, host().count(HostEvent::kSleep));
}

TEST_F(SettingsTest, ResetRestoresEveryDefaultAndDiscardsPendingChanges) {
  auto& s = open();
  s.SetStoredLevel1(70);
  s.SetStoredCode(181);
  s.SetTriggerMode(8);
  s.SetGoodReadBeep(0);
  s.EnableAuxFlag();
  s.ApplySettings(0);
  s.SetStoredLevel2(99);  // left pending
  s.SetStoredSelector(3);
  s.SetAffixChars(1, 2, 3);
  s.SetAffixMode(7);
  s.SetStoredSelector2(4);
  s.SetToneFrequency(35, 1234);
  s.SetToneDuration(39, 5);
  ASSERT_EQ(ResultOk, s.ReadLedOn());
  const uint32_t ledCalls = vdev_scan_call_count(VDEV_SCAN_SET_READ_LED);
  host().clear();

  EXPECT_EQ(ResultOk, s.ResetToDefaults());
  EXPECT_TRUE(host().events().empty());
  EXPECT_EQ(ledCalls, vdev_scan_call_count(VDEV_SCAN_SET_READ_LED));
  EXPECT_EQ(1, vdev_scan_read_led());  // the LED itself stays as it was
  EXPECT_EQ(0, s.GetReadLedState());

  for (int applied = 0; applied < 2; ++applied) {
    SCOPED_TRACE(applied ? "after apply" : "after reset");
    EXPECT_EQ(1, s.GetGoodReadBeep());
    EXPECT_EQ(0, s.GetStoredFlag1());
    EXPECT_EQ(30, s.GetStoredLevel1());
    EXPECT_EQ(0, s.GetStoredLevel2());
    EXPECT_EQ(182, s.GetStoredCode());
    EXPECT_EQ(0, s.GetTriggerMode());
    EXPECT_EQ(0, s.GetAuxFlag());
    EXPECT_EQ(30, s.GetStoredLevel3());
    EXPECT_EQ(1, s.GetStoredSelector());
    s.ApplySettings(0);
  }
  int8_t chars[3] = {};
  EXPECT_EQ(ResultOk, s.GetAffixChars(&chars[0], &chars[1], &chars[2]));
  EXPECT_EQ((std::vector<int8_t>{0, 10, 13}), std::vector<int8_t>(chars, chars + 3));
  EXPECT_EQ(0, s.GetAffixMode());
  EXPECT_EQ(0, s.GetStoredSelector2());
  EXPECT_EQ(7500, s.GetToneFrequency(35));
  EXPECT_EQ(90, s.GetToneDuration(39));
}

}  // namespace
}  // namespace zorvan_test

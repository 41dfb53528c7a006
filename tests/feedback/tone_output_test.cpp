// Tone records, the tone parameters, and the request that keeps the device's
// own beeper quiet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_settings.h"
#include "feedback/tone_player.h"
#include "scanner_fixture.h"
#include "tone_timeline.h"

namespace zorvan_test {
namespace {

using Bytes = std::vector<uint8_t>;

class ToneOutputTest : public ScannerTest {};

TEST_F(ToneOutputTest, GoodReadBeepIsOneExactRecordBetweenTwoZeros) {
  auto& s = open();
  EXPECT_EQ(ResultOk, s.PlayTonePattern(27));
  const auto tones = host().eventsOf(HostEvent::kTone);
  ASSERT_EQ(1u, tones.size());
  EXPECT_EQ((Bytes{0x01, 0x00, 0x00, 0x00, 0x0B, 0xB8, 0x00, 0x5A, 0x00, 0x40}), tones[0].bytes);
  EXPECT_EQ(0, tones[0].toneZero1);
  EXPECT_EQ(0, tones[0].toneZero2);
  EXPECT_EQ(0u, host().count(HostEvent::kSleep));
}

TEST_F(ToneOutputTest, ValuesAreSixteenBitsWhole) {
  auto& s = open();
  EXPECT_EQ(ResultOk, s.SetToneFrequency(35, 40000));
  EXPECT_EQ(-25536, s.GetToneFrequency(35));
  EXPECT_EQ(ResultOk, s.SetToneDuration(32, 0x12345));  // low 16 bits: 0x2345
  EXPECT_EQ(0x2345, s.GetToneDuration(32));
  s.PlayTonePattern(1);
  const auto tones = host().eventsOf(HostEvent::kTone);
  ASSERT_EQ(1u, tones.size());
  EXPECT_EQ((Bytes{0x01, 0x00, 0x00, 0x00, 0x9C, 0x40, 0x23, 0x45, 0x00, 0x40}), tones[0].bytes);

  // 65534 reads back like the unsupported status.
  s.SetToneDuration(33, 65534);
  EXPECT_EQ(ResultUnsupported, s.GetToneDuration(33));
}

struct LevelCase {
  uint32_t step;
  uint16_t level;
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << "step " << c.step; }

class ToneLevelTest : public ScannerTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(ToneLevelTest, StepIsLimitedTo11AndScaledTo64) {
  open();
  EXPECT_EQ(1, scanner->state().tones.playTone(0x00012345u, 0xBEEF, GetParam().step));
  const auto tones = host().eventsOf(HostEvent::kTone);
  ASSERT_EQ(1u, tones.size());
  const Bytes expected = {0x01,
                          0x00,
                          0x00,
                          0x01,
                          0x23,
                          0x45,
                          0xBE,
                          0xEF,
                          static_cast<uint8_t>(GetParam().level >> 8),
                          static_cast<uint8_t>(GetParam().level)};
  EXPECT_EQ(expected, tones[0].bytes);
}

INSTANTIATE_TEST_SUITE_P(Steps, ToneLevelTest,
                         ::testing::Values(LevelCase{0, 0}, LevelCase{1, 5}, LevelCase{2, 11},
                                           LevelCase{3, 17}, LevelCase{4, 23}, LevelCase{5, 29},
                                           LevelCase{6, 34}, LevelCase{7, 40}, LevelCase{8, 46},
                                           LevelCase{9, 52}, LevelCase{10, 58}, LevelCase{11, 64},
                                           LevelCase{12, 64}, LevelCase{0x80000000u, 64},
                                           LevelCase{0xFFFFFFFFu, 64}));

TEST_F(ToneOutputTest, PlayToneWithoutCallbackSoundsOneAlertAndNeverWaits) {
  open(false);
  EXPECT_EQ(1, scanner->state().tones.playTone(1000, 500, 11));
  EXPECT_EQ("A48", toneTimeline());
}

// Each operation reaches its own four ids and nothing else; the setters
// answer ResultOk whatever the id.
TEST_F(ToneOutputTest, ParameterOperationsReachOnlyTheirOwnIds) {
  auto& s = open();
  const std::vector<int32_t> durationIds = {32, 33, 34, 39};
  const std::vector<int32_t> frequencyIds = {35, 36, 37, 40};
  auto isIn = [](const std::vector<int32_t>& ids, int32_t id) {
    for (int32_t each : ids) {
      if (each == id) return true;
    }
    return false;
  };
  auto table = [&] {
    std::vector<uint16_t> values;
    for (int slot = 0; slot < zorvan::kToneParameterCount; ++slot) {
      values.push_back(s.state().tones.table().at(slot));
    }
    return values;
  };

  std::vector<int32_t> ids = {INT32_MIN, -35, -1, 0, 1, 256 + 32, 256 + 35, INT32_MAX};
  for (int32_t id = 28; id <= 44; ++id) ids.push_back(id);
  for (int32_t id : ids) {
    SCOPED_TRACE(id);
    const std::vector<uint16_t> before = table();
    EXPECT_EQ(ResultOk, s.SetToneDuration(id, 4321));
    if (isIn(durationIds, id)) {
      EXPECT_EQ(4321, s.GetToneDuration(id));
      EXPECT_EQ(ResultOk, s.SetToneDuration(
                              id, before[zorvan::toneSlotOfId(zorvan::ToneKind::kDuration, id)]));
    } else {
      EXPECT_EQ(ResultUnsupported, s.GetToneDuration(id));
    }
    EXPECT_EQ(ResultOk, s.SetToneFrequency(id, 4321));
    if (isIn(frequencyIds, id)) {
      EXPECT_EQ(4321, s.GetToneFrequency(id));
      EXPECT_EQ(ResultOk, s.SetToneFrequency(
                              id, before[zorvan::toneSlotOfId(zorvan::ToneKind::kFrequency, id)]));
    } else {
      EXPECT_EQ(ResultUnsupported, s.GetToneFrequency(id));
    }
    EXPECT_EQ(before, table());
  }
}

// ---- The device's own beeper ----------------------------------------------

std::u16string lastSettingsRequest() {
  uint16_t units[512];
  const uint32_t length = vdev_settings_last_request(units, 512);
  return std::u16string(units, units + (length < 511 ? length : 511));
}

const std::u16string kBeeperRequest =
    u"<Subsystem Name=\"Device Settings\"><Group Name=\"Beeper\"><Field Name=\"Number of good "
    u"read beeps\">0</Field></Group></Subsystem>";

TEST_F(ToneOutputTest, SilencingSendsTheExactRequestWithA512UnitResponse) {
  open();
  ASSERT_EQ(124u, kBeeperRequest.size());
  EXPECT_TRUE(zorvan::silenceDeviceBeeper(zorvan::processVendorApi()));
  EXPECT_EQ(1u, vdev_settings_calls());
  EXPECT_EQ(kBeeperRequest, lastSettingsRequest());
  EXPECT_EQ(512u, vdev_settings_last_count());
  EXPECT_EQ(0xFFFFFFFFu, vdev_settings_last_timeout());
  EXPECT_EQ(0, vdev_settings_good_read_beeps());
}

struct ServiceResult {
  uint32_t result;
  bool success;
};

void PrintTo(const ServiceResult& c, std::ostream* os) { *os << std::hex << c.result; }

class SilenceResultTest : public ScannerTest,
                          public ::testing::WithParamInterface<ServiceResult> {};

TEST_P(SilenceResultTest, SucceedsWhenBothHighBitsAreClear) {
  open();
  vdev_settings_inject_result(static_cast<int32_t>(GetParam().result));
  EXPECT_EQ(GetParam().success, zorvan::silenceDeviceBeeper(zorvan::processVendorApi()));
}

INSTANTIATE_TEST_SUITE_P(Results, SilenceResultTest,
                         ::testing::Values(ServiceResult{1, true}, ServiceResult{0x3FFFFFFF, true},
                                           ServiceResult{0x40000000, false},
                                           ServiceResult{0x80000000, false},
                                           ServiceResult{0xFFFFFFFF, false}));

TEST_F(ToneOutputTest, WithoutSettingsServiceSilencingFailsQuietly) {
  EXPECT_FALSE(zorvan::silenceDeviceBeeper(zorvan::unavailableVendorApi()));
  EXPECT_EQ(0u, vdev_settings_calls());
  EXPECT_EQ("", toneTimeline());
}

// The scan thread silences the device before every read and sounds the
// good-read beep after each label's scan event.
TEST_F(ToneOutputTest, ScanThreadSilencesBeforeEveryReadAndBeepsAfterEachLabel) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  EXPECT_EQ(1u, vdev_settings_calls());
  EXPECT_EQ(0, vdev_settings_good_read_beeps());

  vdev_settings_set_good_read_beeps(3);  // changed behind the plug-in's back
  scan(1, {'a'});
  EXPECT_EQ(0, vdev_settings_good_read_beeps());
  scan(1, {'b'});
  EXPECT_EQ(vdev_scan_call_count(VDEV_SCAN_SYNC_READ), vdev_settings_calls());
  EXPECT_EQ(kBeeperRequest, lastSettingsRequest());

  std::vector<HostEvent::Kind> kinds;
  for (const HostEvent& event : host().events()) kinds.push_back(event.kind);
  EXPECT_EQ((std::vector<HostEvent::Kind>{HostEvent::kScanEvent, HostEvent::kTone,
                                          HostEvent::kScanEvent, HostEvent::kTone}),
            kinds);
  EXPECT_EQ("T3000/90 T3000/90", toneTimeline());
}

TEST_F(ToneOutputTest, FailedSilencingDoesNotStopTheRead) {
  auto& s = open();
  vdev_settings_inject_result(static_cast<int32_t>(0x80004005u));
  ASSERT_EQ(ResultOk, s.EnableScanner());
  scan(1, {'a'});
  EXPECT_EQ(1u, host().count(HostEvent::kScanEvent));
  EXPECT_EQ(1u, host().count(HostEvent::kTone));
}

TEST_F(ToneOutputTest, HalfOpenObjectNeitherSilencesNorBeeps) {
  vdev_config_fail_open(-5);
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  scan(1, {'a'});
  EXPECT_EQ(1u, host().count(HostEvent::kScanEvent));
  EXPECT_EQ(0u, vdev_settings_calls());
  EXPECT_EQ("", toneTimeline());
}

}  // namespace
}  // namespace zorvan_test

// Numbered patterns and the pattern letters, observed as the host and the
// platform see them: tone records and waits, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feedback/tone_player.h"
#include "scanner_fixture.h"
#include "tone_timeline.h"

namespace zorvan_test {
namespace {

// With the default tone table.
const std::string kHighShort = "T7500/70";
const std::string kLowShort = "T1500/70";
const std::string kHighLong = "T7500/240";
const std::string kLowLong = "T1500/240";
const std::string kDefaultPattern = "T7500/70 W90 T7500/70 W90 T7500/70 W90 T1500/240";

// `count` equal tones with a 90 ms wait between them.
std::string repeated(const std::string& tone, int count) {
  std::string line = tone;
  for (int i = 1; i < count; ++i) line += " W90 " + tone;
  return line;
}

struct PatternCase {
  uint32_t number;
  std::string expected;
};

void PrintTo(const PatternCase& c, std::ostream* os) { *os << "pattern " << c.number; }

std::vector<PatternCase> patternCases() {
  std::vector<PatternCase> cases = {{0, ""}};
  const std::string families[] = {kHighShort, kLowShort, kHighLong, kLowLong};
  for (uint32_t family = 0; family < 4; ++family) {
    for (int count = 1; count <= 5; ++count) {
      cases.push_back(
          {1 + family * 5 + static_cast<uint32_t>(count - 1), repeated(families[family], count)});
    }
  }
  const std::vector<PatternCase> rest = {
      {21, "T7500/70 T1500/70 T7500/70 T1500/70"},
      {22, "T7500/240 T1500/240 T7500/240 T1500/240"},
      {23, "T7500/90 T1500/90"},
      {24, "T1500/90 T7500/90"},
      {25, "T7500/90 T1500/90 T7500/90"},
      {26, "T1500/90 T7500/90 T1500/90"},
      {27, "T3000/90"},
      {28, kDefaultPattern},
      {29, kDefaultPattern},
      {30, "T1500/90 T3000/90 T7500/90 T1500/240"},
      {31, kDefaultPattern},
      {1000, kDefaultPattern},
      {0x7FFFFFFFu, kDefaultPattern},
      {0x80000000u, kDefaultPattern},
      {0xFFFFFFFFu, kDefaultPattern},  // -1
  };
  cases.insert(cases.end(), rest.begin(), rest.end());
  return cases;
}

class PatternTimelineTest : public ScannerTest,
                            public ::testing::WithParamInterface<PatternCase> {};

TEST_P(PatternTimelineTest, PlaysTheTonesAndWaitsOfItsNumber) {
  auto& s = open();
  EXPECT_EQ(ResultOk, s.PlayTonePattern(GetParam().number));
  EXPECT_EQ(GetParam().expected, toneTimeline());
}

INSTANTIATE_TEST_SUITE_P(Defaults, PatternTimelineTest, ::testing::ValuesIn(patternCases()));

class TonePatternTest : public ScannerTest {
 protected:
  // Every tone parameter different, so each letter shows which it used:
  // frequencies H 1001, M 1002, L 1003, D 1004; durations s 11, m 12, l 13,
  // d 14.
  void distinctToneTable() {
    auto& s = *scanner;
    s.SetToneFrequency(35, 1001);
    s.SetToneFrequency(36, 1002);
    s.SetToneFrequency(37, 1003);
    s.SetToneFrequency(40, 1004);
    s.SetToneDuration(32, 11);
    s.SetToneDuration(33, 12);
    s.SetToneDuration(34, 13);
    s.SetToneDuration(39, 14);
  }

  std::string play(const char* pattern) {
    host().clear();
    scanner->state().tones.playString(pattern);
    return toneTimeline();
  }
};

TEST_F(TonePatternTest, LettersSelectTheirToneParameters) {
  open();
  distinctToneTable();
  EXPECT_EQ("T1001/11 T1002/12 T1003/13 T1004/14", play("HsMmLlDd"));
  EXPECT_EQ("W11 W12 W13 W14", play("PsPmPlPd"));
}

TEST_F(TonePatternTest, UnlistedLettersKeepThePreviousValueStartingFromMAndm) {
  open();
  distinctToneTable();
  EXPECT_EQ("T1002/12", play("Xx"));
  EXPECT_EQ("T1002/12", play("hS"));  // letters are case-sensitive
  EXPECT_EQ("T1001/11 T1001/11 W11 W13", play("HsYyPzQl"));
  // Out of step after a blank: each pair is read as frequency letter then
  // duration letter, whatever it holds.
  EXPECT_EQ("T1003/11 T1003/11 T1003/11", play("Ls Hs"));
  EXPECT_EQ("", play(""));
}

TEST_F(TonePatternTest, EveryPlayStartsAfreshFromMAndm) {
  auto& s = open();
  distinctToneTable();
  EXPECT_EQ("T1003/13", play("Ll"));
  EXPECT_EQ("T1002/12", play("??"));
  host().clear();
  s.PlayTonePattern(6);
  s.PlayTonePattern(23);
  EXPECT_EQ("T1003/11 T1001/12 T1003/12", toneTimeline());
}

// Every letter pair reads the tone table anew: a change made by the host
// while a pattern plays counts from the next pair on.
zorvan::ZorvanScannerInterface* gRetuned = nullptr;
void retuneOnFirstTone(int32_t zero, const uint8_t* record, int32_t zero2) {
  HostRecorder::onTone(zero, record, zero2);
  if (gRetuned != nullptr) {
    gRetuned->SetToneFrequency(35, 5000);
    gRetuned->SetToneDuration(33, 30);
    gRetuned = nullptr;
  }
}

TEST_F(TonePatternTest, ChangesWhilePlayingCountFromTheNextPair) {
  auto& s = open();
  s.SetEvtPlayToneCallBack(retuneOnFirstTone);
  gRetuned = &s;
  EXPECT_EQ(ResultOk, s.PlayTonePattern(3));
  EXPECT_EQ("T7500/70 W30 T5000/70 W30 T5000/70", toneTimeline());
}

TEST_F(TonePatternTest, GoodReadBeepFollowsDAnddAtOnce) {
  auto& s = open();
  s.SetToneDuration(39, 200);
  s.SetToneFrequency(40, 4000);
  s.PlayTonePattern(27);
  s.PlayTonePattern(30);  // M and m stay as they were
  EXPECT_EQ("T4000/200 T1500/90 T3000/90 T7500/90 T1500/240", toneTimeline());
}

TEST_F(TonePatternTest, ZeroFrequencyTurnsTonesIntoWaits) {
  auto& s = open();
  s.SetToneFrequency(35, 0);
  EXPECT_EQ(ResultOk, s.PlayTonePattern(1));
  EXPECT_EQ("W70", toneTimeline());
}

TEST_F(TonePatternTest, WithoutToneCallbackEachToneIsOneStandardAlert) {
  auto& s = open(false);
  EXPECT_EQ(ResultOk, s.PlayTonePattern(3));
  EXPECT_EQ("A48 W90 A48 W90 A48", toneTimeline());
}

TEST_F(TonePatternTest, RefusedSoftwareTriggerPlaysTheDefaultPattern) {
  auto& s = open();
  EXPECT_EQ(ResultUnsupported, s.StartSoftwareTrigger());
  EXPECT_EQ(kDefaultPattern, toneTimeline());
  host().clear();
  EXPECT_EQ(ResultUnsupported, s.StopSoftwareTrigger());
  EXPECT_EQ("", toneTimeline());
}

// A pattern with an odd number of letters ends at its terminating zero: the
// lone letter plays with the duration it has, and nothing after the zero is
// read.
TEST_F(TonePatternTest, OddPatternStopsAtTheTerminatingZero) {
  open();
  const char trailingTone[] = {'H', 's', 'L', '\0', 'H', 's', '\0'};
  EXPECT_EQ("T7500/70 T1500/70", play(trailingTone));
  const char trailingPause[] = {'P', '\0', 'D', 'd', '\0'};
  EXPECT_EQ("W90", play(trailingPause));
  // Exactly sized, so a read past the zero is an overflow under the
  // address sanitizer.
  const std::vector<char> exact = {'L', 'm', 'H', '\0'};
  EXPECT_EQ("T1500/90 T7500/90", play(exact.data()));
}

// An object whose construction ended early never had the defaults: every
// tone parameter is 0, so every pair is a wait of 0 ms and the host hears
// nothing until the defaults are reset.
enum class EarlyEnd { kDriverOpen, kConfigOpen };

class EarlyEndedObjectTest : public ScannerTest, public ::testing::WithParamInterface<EarlyEnd> {};

TEST_P(EarlyEndedObjectTest, HasAnAllZeroToneTableUntilReset) {
  if (GetParam() == EarlyEnd::kDriverOpen) {
    vdev_scan_inject_result(VDEV_SCAN_OPEN, -5, 1);
  } else {
    vdev_config_fail_open(-5);
  }
  auto& s = open();
  ASSERT_EQ(0, s.state().configReady.load());
  for (int id = 32; id <= 40; ++id) {
    if (id == 38) continue;
    EXPECT_EQ(0, id <= 34 || id == 39 ? s.GetToneDuration(id) : s.GetToneFrequency(id)) << id;
  }
  EXPECT_EQ(ResultOk, s.PlayTonePattern(1));
  EXPECT_EQ(ResultOk, s.PlayTonePattern(31));
  EXPECT_EQ(0u, host().count(HostEvent::kTone));
  EXPECT_EQ("W0 W0 W0 W0 W0 W0 W0 W0", toneTimeline());

  host().clear();
  EXPECT_EQ(ResultOk, s.ResetToDefaults());
  EXPECT_EQ(ResultOk, s.PlayTonePattern(1));
  EXPECT_EQ("T7500/70", toneTimeline());
}

INSTANTIATE_TEST_SUITE_P(Opens, EarlyEndedObjectTest,
                         ::testing::Values(EarlyEnd::kDriverOpen, EarlyEnd::kConfigOpen),
                         [](const ::testing::TestParamInfo<EarlyEnd>& param) {
                           return std::string(param.param == EarlyEnd::kDriverOpen ? "Driver"
                                                                                   : "Config");
                         });

}  // namespace
}  // namespace zorvan_test

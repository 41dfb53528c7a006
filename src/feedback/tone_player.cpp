#include "feedback/tone_player.h"

#include <string.h>

#include "common/byte_order.h"

namespace zorvan {

namespace {

// Tone patterns by number, from 0 up; 0 sounds nothing, 28 and 29 have no
// pattern of their own, every number past the table plays the default.
const char kDefaultTonePattern[] = "HsPmHsPmHsPmLl";
const char* const kTonePatternTable[] = {
    nullptr,               // 0
    "Hs",                  // 1
    "HsPmHs",              // 2
    "HsPmHsPmHs",          // 3
    "HsPmHsPmHsPmHs",      // 4
    "HsPmHsPmHsPmHsPmHs",  // 5
    "Ls",                  // 6
    "LsPmLs",              // 7
    "LsPmLsPmLs",          // 8
    "LsPmLsPmLsPmLs",      // 9
    "LsPmLsPmLsPmLsPmLs",  // 10
    "Hl",                  // 11
    "HlPmHl",              // 12
    "HlPmHlPmHl",          // 13
    "HlPmHlPmHlPmHl",      // 14
    "HlPmHlPmHlPmHlPmHl",  // 15
    "Ll",                  // 16
    "LlPmLl",              // 17
    "LlPmLlPmLl",          // 18
    "LlPmLlPmLlPmLl",      // 19
    "LlPmLlPmLlPmLlPmLl",  // 20
    "HsLsHsLs",            // 21
    "HlLlHlLl",            // 22
    "HmLm",                // 23
    "LmHm",                // 24
    "HmLmHm",              // 25
    "LmHmLm",              // 26
    "Dd",                  // 27, the good-read beep
    kDefaultTonePattern,   // 28
    kDefaultTonePattern,   // 29
    "LmMmHmLl",            // 30
};
static_assert(sizeof kTonePatternTable / sizeof kTonePatternTable[0] == kTonePatternCount,
              "every listed pattern");
static_assert(kGoodReadBeepPattern < kTonePatternCount, "the good-read beep is listed");

// Every pattern starts from the M frequency and the m duration.
constexpr int kStartFrequencySlot = toneSlotOfLetter(ToneKind::kFrequency, 'M');
constexpr int kStartDurationSlot = toneSlotOfLetter(ToneKind::kDuration, 'm');
static_assert(kStartFrequencySlot >= 0 && kStartDurationSlot >= 0, "M and m are listed");

// The loudest level step, and the record level it stands for.
constexpr uint32_t kLoudestStep = 11;
constexpr uint32_t kFullLevel = 64;
// Every tone from a pattern is at the loudest step.
constexpr uint32_t kPatternLevelStep = kLoudestStep;
// The platform's plain alert, sounded per tone when the host takes no tones.
constexpr uint32_t kStandardAlert = 0x30;

}  // namespace

const char* tonePatternFor(uint32_t number) {
  if (number < kTonePatternCount) return kTonePatternTable[number];
  return kDefaultTonePattern;
}

int16_t TonePlayer::playPattern(uint32_t number, Event* interrupt) {
  if (const char* pattern = tonePatternFor(number)) playString(pattern, interrupt);
  return ResultOk;
}

void TonePlayer::playString(const char* pattern, Event* interrupt) {
  uint16_t frequency = table_.at(kStartFrequencySlot);
  uint16_t duration = table_.at(kStartDurationSlot);
  for (const char* token = pattern; *token != '\0'; token += 2) {
    // An unlisted letter keeps the previous value.
    if (token[0] == kPauseLetter) {
      frequency = 0;
    } else if (const int slot = toneSlotOfLetter(ToneKind::kFrequency, token[0]); slot >= 0) {
      frequency = table_.at(slot);
    }
    // The terminating zero when the pattern has an odd number of letters: no
    // letter is listed for it, so the duration stays, and playing ends after
    // this token.
    const char durationLetter = token[1];
    if (const int slot = toneSlotOfLetter(ToneKind::kDuration, durationLetter); slot >= 0) {
      duration = table_.at(slot);
    }
    if (frequency != 0) {
      playTone(frequency, duration, kPatternLevelStep);
    } else if (!platform_.pause(duration, interrupt)) {
      break;
    }
    if (durationLetter == '\0') break;
  }
}

uint16_t toneLevel(uint32_t step) {
  const uint32_t limited = step < kLoudestStep ? step : kLoudestStep;
  return static_cast<uint16_t>(limited * kFullLevel / kLoudestStep);
}

void buildToneRecord(uint32_t frequency, uint16_t duration, uint32_t step,
                     uint8_t (&record)[ToneRecordSize]) {
  record[0] = 1;
  record[1] = 0;
  putBigEndian32(record + 2, frequency);
  putBigEndian16(record + 6, duration);
  putBigEndian16(record + 8, toneLevel(step));
}

int TonePlayer::playTone(uint32_t frequency, uint16_t duration, uint32_t step) {
  const PlayToneCallback callback = callback_;
  if (callback == nullptr) {
    platform_.alertSound(kStandardAlert);
    return 1;
  }
  uint8_t record[ToneRecordSize];
  buildToneRecord(frequency, duration, step, record);
  callback(0, record, 0);
  return 1;
}

}  // namespace zorvan

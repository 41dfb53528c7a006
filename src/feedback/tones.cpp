#include "feedback/tones.h"

#include <string.h>

#include "plugin/byte_order.h"

namespace zorvan {

namespace {

struct ToneParameter {
  int32_t id;
  ToneSlot slot;
};

const ToneParameter kDurationIds[] = {
    {39, kToneDurationD}, {32, kToneDurationS}, {33, kToneDurationM}, {34, kToneDurationL}};
const ToneParameter kFrequencyIds[] = {
    {40, kToneFrequencyD}, {37, kToneFrequencyL}, {36, kToneFrequencyM}, {35, kToneFrequencyH}};

template <size_t N>
int findSlot(const ToneParameter (&table)[N], int32_t id) {
  for (const ToneParameter& entry : table) {
    if (entry.id == id) return entry.slot;
  }
  return -1;
}

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
constexpr uint32_t kTonePatternCount = sizeof kTonePatternTable / sizeof kTonePatternTable[0];
static_assert(kTonePatternCount == 31, "patterns 0 to 30");

// What one letter of a pattern selects: a slot of the tone table, or for the
// frequency letter P a pause.
constexpr int8_t kPauseSlot = -1;
struct ToneLetter {
  char letter;
  int8_t slot;
};

// Sorted by letter.
const ToneLetter kFrequencyLetters[] = {
    {'D', kToneFrequencyD},  // id 40
    {'H', kToneFrequencyH},  // id 35
    {'L', kToneFrequencyL},  // id 37
    {'M', kToneFrequencyM},  // id 36
    {'P', kPauseSlot},       // frequency 0
};
const ToneLetter kDurationLetters[] = {
    {'d', kToneDurationD},  // id 39
    {'l', kToneDurationL},  // id 34
    {'m', kToneDurationM},  // id 33
    {'s', kToneDurationS},  // id 32
};

// The entry for `letter`, or null when the letter is not listed (the zero
// never is).
template <size_t N>
const ToneLetter* findLetter(const ToneLetter (&table)[N], char letter) {
  for (const ToneLetter& entry : table) {
    if (entry.letter == letter) return &entry;
  }
  return nullptr;
}

// The loudest level step, and the record level it stands for.
constexpr uint32_t kLoudestStep = 11;
constexpr uint32_t kFullLevel = 64;
// Every tone from a pattern is at the loudest step.
constexpr uint32_t kPatternLevelStep = kLoudestStep;
// The platform's plain alert, sounded per tone when the host takes no tones.
constexpr uint32_t kStandardAlert = 0x30;

// The settings-service request that sets the device's own good-read beeps to
// 0, with its terminating zero.
const VendorChar kBeeperRequest[] = VENDOR_TEXT(
    "<Subsystem Name=\"Device Settings\"><Group Name=\"Beeper\">"
    "<Field Name=\"Number of good read beeps\">0</Field></Group></Subsystem>");
constexpr uint32_t kBeeperRequestUnits = sizeof kBeeperRequest / sizeof kBeeperRequest[0];
static_assert(kBeeperRequestUnits == 125, "124 characters and the zero");
static_assert(sizeof kBeeperRequest == 250, "UTF-16 units");
constexpr uint32_t kBeeperResponseUnits = 512;
constexpr uint32_t kBeeperRequestTimeout = 0xFFFFFFFFu;

}  // namespace

int toneDurationSlot(int32_t id) { return findSlot(kDurationIds, id); }
int toneFrequencySlot(int32_t id) { return findSlot(kFrequencyIds, id); }

int16_t setToneDuration(ScannerState& state, int32_t id, int32_t value) {
  const int slot = toneDurationSlot(id);
  if (slot >= 0) state.toneTable[slot] = static_cast<uint16_t>(value);
  return ResultOk;
}

int16_t setToneFrequency(ScannerState& state, int32_t id, int32_t value) {
  const int slot = toneFrequencySlot(id);
  if (slot >= 0) state.toneTable[slot] = static_cast<uint16_t>(value);
  return ResultOk;
}

int16_t getToneDuration(const ScannerState& state, int32_t id) {
  const int slot = toneDurationSlot(id);
  return slot >= 0 ? static_cast<int16_t>(state.toneTable[slot].load())
                   : static_cast<int16_t>(ResultUnsupported);
}

int16_t getToneFrequency(const ScannerState& state, int32_t id) {
  const int slot = toneFrequencySlot(id);
  return slot >= 0 ? static_cast<int16_t>(state.toneTable[slot].load())
                   : static_cast<int16_t>(ResultUnsupported);
}

const char* tonePatternFor(uint32_t number) {
  if (number < kTonePatternCount) return kTonePatternTable[number];
  return kDefaultTonePattern;
}

int16_t playTonePattern(ScannerState& state, uint32_t number, Event* interrupt) {
  if (const char* pattern = tonePatternFor(number)) playToneString(state, pattern, interrupt);
  return ResultOk;
}

void playToneString(ScannerState& state, const char* pattern, Event* interrupt) {
  uint16_t frequency = state.toneTable[kToneFrequencyM];
  uint16_t duration = state.toneTable[kToneDurationM];
  for (const char* token = pattern; *token != '\0'; token += 2) {
    if (const ToneLetter* letter = findLetter(kFrequencyLetters, token[0])) {
      frequency = letter->slot == kPauseSlot ? 0 : state.toneTable[letter->slot].load();
    }
    // The terminating zero when the pattern has an odd number of letters: no
    // letter is listed for it, so the duration stays, and playing ends after
    // this token.
    const char durationLetter = token[1];
    if (const ToneLetter* letter = findLetter(kDurationLetters, durationLetter)) {
      duration = state.toneTable[letter->slot];
    }
    if (frequency != 0) {
      playTone(state, frequency, duration, kPatternLevelStep);
    } else if (!state.platform.pause(duration, interrupt)) {
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

int playTone(ScannerState& state, uint32_t frequency, uint16_t duration, uint32_t step) {
  const PlayToneCallback callback = state.toneCallback;
  if (callback == nullptr) {
    state.platform.alertSound(kStandardAlert);
    return 1;
  }
  uint8_t record[ToneRecordSize];
  buildToneRecord(frequency, duration, step, record);
  callback(0, record, 0);
  return 1;
}

bool silenceDeviceBeeper(ScannerState& state) {
  VendorChar request[kBeeperRequestUnits];
  memcpy(request, kBeeperRequest, sizeof request);
  VendorChar response[kBeeperResponseUnits];
  uint32_t count = kBeeperResponseUnits;
  const int32_t result = state.vendor.ITCSSSetW(request, response, &count, kBeeperRequestTimeout);
  return (static_cast<uint32_t>(result) & 0xC0000000u) == 0;
}

}  // namespace zorvan

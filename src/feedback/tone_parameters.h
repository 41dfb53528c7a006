// The eight tone parameters: the id the host names each by, the letter tone
// patterns name it by, and its default. Written once here; the tone table,
// the defaults and the host tool all read this table.
#ifndef ZORVAN_FEEDBACK_TONE_PARAMETERS_H
#define ZORVAN_FEEDBACK_TONE_PARAMETERS_H

#include <stdint.h>

namespace zorvan {

enum class ToneKind : uint8_t { kDuration, kFrequency };

struct ToneParameter {
  int32_t id;
  char letter;  // durations lower case, frequencies upper case
  ToneKind kind;
  uint16_t defaultValue;  // milliseconds or Hz
};

// Durations d, s, m, l, then frequencies D, L, M, H. A parameter's place in
// this table is its slot in the tone table.
inline constexpr ToneParameter kToneParameters[] = {
    {39, 'd', ToneKind::kDuration, 90},     //
    {32, 's', ToneKind::kDuration, 70},     //
    {33, 'm', ToneKind::kDuration, 90},     //
    {34, 'l', ToneKind::kDuration, 240},    //
    {40, 'D', ToneKind::kFrequency, 3000},  //
    {37, 'L', ToneKind::kFrequency, 1500},  //
    {36, 'M', ToneKind::kFrequency, 3000},  //
    {35, 'H', ToneKind::kFrequency, 7500},  //
};
constexpr int kToneParameterCount = 8;
static_assert(sizeof kToneParameters / sizeof kToneParameters[0] == kToneParameterCount,
              "eight tone parameters");

// The frequency letter of a pause: its tokens wait instead of sounding.
constexpr char kPauseLetter = 'P';

// The slot of a parameter of `kind`, by id or by pattern letter; -1 when
// there is none.
constexpr int toneSlotOfId(ToneKind kind, int32_t id) {
  for (int slot = 0; slot < kToneParameterCount; ++slot) {
    if (kToneParameters[slot].kind == kind && kToneParameters[slot].id == id) return slot;
  }
  return -1;
}
constexpr int toneSlotOfLetter(ToneKind kind, char letter) {
  for (int slot = 0; slot < kToneParameterCount; ++slot) {
    if (kToneParameters[slot].kind == kind && kToneParameters[slot].letter == letter) return slot;
  }
  return -1;
}

}  // namespace zorvan

#endif  // ZORVAN_FEEDBACK_TONE_PARAMETERS_H

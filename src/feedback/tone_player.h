// Tone patterns and tone output: the numbered patterns, the letters they are
// written in, and the tone records handed to the host.
#ifndef ZORVAN_FEEDBACK_TONE_PLAYER_H
#define ZORVAN_FEEDBACK_TONE_PLAYER_H

#include <stdint.h>

#include "common/relaxed.h"
#include "feedback/tone_table.h"
#include "platform/platform.h"
#include "scanner_interface1.h"

namespace zorvan {

// The numbered patterns: 0 to kTonePatternCount - 1 are listed, every number
// past them plays the default pattern.
constexpr uint32_t kTonePatternCount = 31;
// The good-read beep's pattern.
constexpr uint32_t kGoodReadBeepPattern = 27;

// The tone pattern that number `number` plays: null for 0 (nothing sounds),
// the default pattern for every number without a pattern of its own.
const char* tonePatternFor(uint32_t number);

// Level sent in a tone record for a level step: the step, taken as unsigned
// and limited to 11, scaled to 0..64 rounding down.
uint16_t toneLevel(uint32_t step);

// The 10-byte record handed to the host for one tone.
void buildToneRecord(uint32_t frequency, uint16_t duration, uint32_t step,
                     uint8_t (&record)[ToneRecordSize]);

// Owns the object's tone table and the host's tone callback, and plays
// patterns in the calling thread: tones go to the host back to back, pauses
// wait in that thread. Nothing serialises two patterns played at once.
class TonePlayer {
 public:
  explicit TonePlayer(Platform& platform) : platform_(platform) {}
  TonePlayer(const TonePlayer&) = delete;
  TonePlayer& operator=(const TonePlayer&) = delete;

  ToneTable& table() { return table_; }
  const ToneTable& table() const { return table_; }
  // Replaces the host's tone callback; null: none.
  void setCallback(PlayToneCallback callback) { callback_ = callback; }

  // Play numbered pattern `number` (taken as unsigned). Always ResultOk.
  // When `interrupt` is given and gets set during a pause, the pattern ends
  // there.
  int16_t playPattern(uint32_t number, Event* interrupt = nullptr);

  // Play one zero-terminated pattern of frequency/duration letter pairs. The
  // tone table is read anew for every pair. A lone letter before the zero is
  // played as a pair whose duration letter is missing (the duration stays).
  // A pause cut short by `interrupt` ends the pattern.
  void playString(const char* pattern, Event* interrupt = nullptr);

  // Hand one tone to the host's tone callback without waiting for it; with
  // no callback registered, sound the platform's standard alert once
  // instead. Returns 1.
  int playTone(uint32_t frequency, uint16_t duration, uint32_t step);

 private:
  Platform& platform_;
  ToneTable table_;
  Relaxed<PlayToneCallback> callback_;
};

}  // namespace zorvan

#endif  // ZORVAN_FEEDBACK_TONE_PLAYER_H

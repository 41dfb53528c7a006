// Tone patterns, tone output to the host, the tone parameters, and the
// request that silences the device's own good-read beeps.
#ifndef ZORVAN_FEEDBACK_TONES_H
#define ZORVAN_FEEDBACK_TONES_H

#include <stdint.h>

#include "plugin/scanner_state.h"

namespace zorvan {

// Slot of a tone-parameter id in the tone table, or -1 when the id is not a
// duration (resp. frequency) id.
int toneDurationSlot(int32_t id);
int toneFrequencySlot(int32_t id);

// Store the low 16 bits of `value` for a duration (frequency) id; any other
// id changes nothing. Always ResultOk.
int16_t setToneDuration(ScannerState& state, int32_t id, int32_t value);
int16_t setToneFrequency(ScannerState& state, int32_t id, int32_t value);
// The stored value, or ResultUnsupported for an id of the other kind or none.
int16_t getToneDuration(const ScannerState& state, int32_t id);
int16_t getToneFrequency(const ScannerState& state, int32_t id);

// The tone pattern that number `number` plays: null for 0 (nothing sounds),
// the default pattern for every number without a pattern of its own.
const char* tonePatternFor(uint32_t number);

// Play numbered pattern `number` (taken as unsigned) in the calling thread.
// Always ResultOk. When `interrupt` is given and gets set during a pause,
// the pattern ends there.
int16_t playTonePattern(ScannerState& state, uint32_t number, Event* interrupt = nullptr);

// Play one zero-terminated pattern of frequency/duration letter pairs:
// tones go to the host back to back, pauses wait in the calling thread. The
// tone table is read anew for every pair. A lone letter before the zero is
// played as a pair whose duration letter is missing (the duration stays).
// A pause cut short by `interrupt` ends the pattern.
void playToneString(ScannerState& state, const char* pattern, Event* interrupt = nullptr);

// Level sent in a tone record for a level step: the step, taken as unsigned
// and limited to 11, scaled to 0..64 rounding down.
uint16_t toneLevel(uint32_t step);

// The 10-byte record handed to the host for one tone.
void buildToneRecord(uint32_t frequency, uint16_t duration, uint32_t step,
                     uint8_t (&record)[ToneRecordSize]);

// Hand one tone to the host's tone callback without waiting for it; with no
// callback registered, sound the platform's standard alert once instead.
// Returns 1.
int playTone(ScannerState& state, uint32_t frequency, uint16_t duration, uint32_t step);

// Ask the device's settings service to set its own good-read beeps to 0.
// True on success.
bool silenceDeviceBeeper(ScannerState& state);

}  // namespace zorvan

#endif  // ZORVAN_FEEDBACK_TONES_H

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

// Play numbered pattern `number` (taken as unsigned) in the calling thread.
int16_t playTonePattern(ScannerState& state, uint32_t number);

// Ask the device's settings service to set its own good-read beeps to 0.
// True on success.
bool silenceDeviceBeeper(ScannerState& state);

}  // namespace zorvan

#endif  // ZORVAN_FEEDBACK_TONES_H

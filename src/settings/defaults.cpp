#include "settings/defaults.h"

#include "feedback/tones.h"

namespace zorvan {

namespace {

// Tone parameters in the order they are written: frequencies, then durations.
struct ToneDefault {
  int32_t id;
  bool frequency;
  uint16_t value;
};

const ToneDefault kToneDefaults[] = {
    {40, true, 3000}, {37, true, 1500}, {36, true, 3000}, {35, true, 7500},
    {39, false, 90},  {32, false, 70},  {33, false, 90},  {34, false, 240},
};

}  // namespace

void applyDefaults(ScannerState& state) {
  state.pending.clear();

  for (const ToneDefault& tone : kToneDefaults) {
    if (tone.frequency) {
      setToneFrequency(state, tone.id, tone.value);
    } else {
      setToneDuration(state, tone.id, tone.value);
    }
  }

  state.suffix1 = 10;  // line feed
  state.suffix2 = 13;  // carriage return
  state.prefix = 0;
  state.affixMode = 0;

  state.readLedState = 0;
  state.variantFlagE = 0;
  state.variantFlagA = 0;
  state.storedSelector2 = 0;

  SettingsBlock& pending = state.pending;
  pending.goodReadBeep = 1;
  pending.storedFlag1 = 0;
  pending.storedLevel1 = 30;
  pending.storedLevel2 = 0;
  pending.storedCode = 182;
  pending.triggerMode = 0;
  pending.auxFlag = 0;
  pending.storedLevel3 = 30;
  pending.storedSelector = 1;

  state.applied.copyFrom(pending);
}

}  // namespace zorvan

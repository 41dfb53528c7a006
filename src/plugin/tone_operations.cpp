// Tone patterns and the tone parameters.
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::PlayTonePattern(uint32_t pattern) {
  return state_->tones.playPattern(pattern);
}

int16_t ZorvanScannerInterface::GetToneDuration(int32_t id) {
  return state_->tones.table().get(ToneKind::kDuration, id);
}

int16_t ZorvanScannerInterface::GetToneFrequency(int32_t id) {
  return state_->tones.table().get(ToneKind::kFrequency, id);
}

int16_t ZorvanScannerInterface::SetToneDuration(int32_t id, int32_t value) {
  state_->tones.table().set(ToneKind::kDuration, id, value);
  return ResultOk;
}

int16_t ZorvanScannerInterface::SetToneFrequency(int32_t id, int32_t value) {
  state_->tones.table().set(ToneKind::kFrequency, id, value);
  return ResultOk;
}

}  // namespace zorvan

// Tone patterns and tone parameters.
#include "feedback/tones.h"
#include "plugin/zorvan_scanner.h"

namespace zorvan {

int16_t ZorvanScannerInterface::PlayTonePattern(uint32_t pattern) {
  return playTonePattern(*state_, pattern);
}

int16_t ZorvanScannerInterface::GetToneDuration(int32_t id) { return getToneDuration(*state_, id); }

int16_t ZorvanScannerInterface::GetToneFrequency(int32_t id) {
  return getToneFrequency(*state_, id);
}

int16_t ZorvanScannerInterface::SetToneDuration(int32_t id, int32_t value) {
  return setToneDuration(*state_, id, value);
}

int16_t ZorvanScannerInterface::SetToneFrequency(int32_t id, int32_t value) {
  return setToneFrequency(*state_, id, value);
}

}  // namespace zorvan

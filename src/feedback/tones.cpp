#include "feedback/tones.h"

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

int16_t playTonePattern(ScannerState&, uint32_t) { return ResultOk; }

bool silenceDeviceBeeper(ScannerState&) { return false; }

}  // namespace zorvan

#include "feedback/tone_table.h"

#include <initializer_list>

#include "scanner_interface1.h"

namespace zorvan {

int16_t ToneTable::get(ToneKind kind, int32_t id) const {
  const int slot = toneSlotOfId(kind, id);
  return slot >= 0 ? static_cast<int16_t>(values_[slot].load())
                   : static_cast<int16_t>(ResultUnsupported);
}

void ToneTable::set(ToneKind kind, int32_t id, int32_t value) {
  const int slot = toneSlotOfId(kind, id);
  if (slot >= 0) values_[slot] = static_cast<uint16_t>(value);
}

void ToneTable::applyDefaults() {
  // Frequencies first, then durations, as the defaults are written.
  for (ToneKind kind : {ToneKind::kFrequency, ToneKind::kDuration}) {
    for (int slot = 0; slot < kToneParameterCount; ++slot) {
      if (kToneParameters[slot].kind == kind) values_[slot] = kToneParameters[slot].defaultValue;
    }
  }
}

}  // namespace zorvan

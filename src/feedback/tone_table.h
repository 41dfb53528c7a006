// The object's tone parameters: four durations and four frequencies that the
// host reads and changes by id and the patterns read by letter.
#ifndef ZORVAN_FEEDBACK_TONE_TABLE_H
#define ZORVAN_FEEDBACK_TONE_TABLE_H

#include <stdint.h>

#include "common/relaxed.h"
#include "feedback/tone_parameters.h"

namespace zorvan {

// No lock: each value is read and written whole, so a pattern playing while
// the host changes a value uses the old or the new one from the next token
// on.
class ToneTable {
 public:
  // The value of id `id` of `kind`, or ResultUnsupported when no parameter of
  // that kind has the id. A value of 65534 reads as -2 all the same.
  int16_t get(ToneKind kind, int32_t id) const;
  // Store the low 16 bits of `value` for id `id` of `kind`; any other id
  // changes nothing.
  void set(ToneKind kind, int32_t id, int32_t value);
  // The value in `slot` (see kToneParameters).
  uint16_t at(int slot) const { return values_[slot]; }
  // Every parameter to its default.
  void applyDefaults();

 private:
  Relaxed<uint16_t> values_[kToneParameterCount];
};

}  // namespace zorvan

#endif  // ZORVAN_FEEDBACK_TONE_TABLE_H

// The host's side of the last label: fetching it as a record or as text.
#ifndef ZORVAN_ACQUISITION_LABEL_RETRIEVAL_H
#define ZORVAN_ACQUISITION_LABEL_RETRIEVAL_H

#include <stdint.h>

#include "plugin/scanner_state.h"

namespace zorvan {

// Fill the host's 264-byte label record with the pending label (at most 255
// bytes of it), or with the no-label record "NR" when none is pending, and
// consume the label. ResultRejected for a null record, leaving the label
// pending.
int16_t getLastLabelRecord(ScannerState& state, uint8_t* record);

// Copy at most `maxCount` bytes of the pending label into `buffer`, a zero
// after them, store its reported symbology and consume the label; with none
// pending, an empty text and symbology 0. ResultRejected for a negative count
// or a null pointer, leaving the label pending.
int16_t readLabel(ScannerState& state, int32_t maxCount, int16_t* symbology, char* buffer);

}  // namespace zorvan

#endif  // ZORVAN_ACQUISITION_LABEL_RETRIEVAL_H

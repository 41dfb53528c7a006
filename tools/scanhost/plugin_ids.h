// The ids the plug-in's operations accept, read from the plug-in's own
// tables (symbologies, options, option kinds, tone parameters), so what
// scanhost asks about and what the reference lists cannot drift from what
// the plug-in knows. Each list is sorted.
#ifndef SCANHOST_PLUGIN_IDS_H
#define SCANHOST_PLUGIN_IDS_H

#include <stdint.h>

#include <vector>

#include "feedback/tone_parameters.h"

namespace scanhost {

// The tone-parameter ids of one kind.
std::vector<int32_t> toneIds(zorvan::ToneKind kind);
// Every host symbology id.
std::vector<int32_t> symbologyIds();
// The symbology ids that have a length restriction on the device.
std::vector<int32_t> lengthIds();
// The ids of the per-symbology option and of the second option.
std::vector<int32_t> optionIds();
std::vector<int32_t> option2Ids();
// Every option kind, and those that the device holds.
std::vector<int32_t> optionKinds();
std::vector<int32_t> deviceOptionKinds();
// Groups of two or more symbology ids that share one enable field.
std::vector<std::vector<int32_t>> sharedEnableFields();

}  // namespace scanhost

#endif  // SCANHOST_PLUGIN_IDS_H

#include <iterator>

#include "operation_reference.h"
#include "plugin_ids.h"
#include "settings/setting_table.h"

namespace scanhost {

const char kModelNameText[] = "ITCKVP";
const char kInterfaceIdText[] = "KVSym01";

namespace {

// ---- Value sets ----------------------------------------------------------------------

std::vector<int32_t> range(int32_t first, int32_t last) {
  std::vector<int32_t> values;
  for (int32_t value = first; value <= last; ++value) values.push_back(value);
  return values;
}

const ValueSet kValueSets[] = {
    {"{symbology ids}", symbologyIds()},
    {"{length ids}", lengthIds()},
    {"{option ids}", optionIds()},
    {"{option2 ids}", option2Ids()},
    {"{option kinds}", optionKinds()},
    {"{device option kinds}", deviceOptionKinds()},
    {"{duration ids}", toneIds(zorvan::ToneKind::kDuration)},
    {"{frequency ids}", toneIds(zorvan::ToneKind::kFrequency)},
    {"{levels}", range(0, 100)},
    {"{codes}", {181, 182}},
    {"{selectors}", range(1, 4)},
    {"{second selectors}", range(0, 4)},
    {"{affix modes}", range(0, 7)},
};

static_assert(std::size(kValueSets) == kValueSetCount, "one set an id");

}  // namespace

const std::vector<std::vector<int32_t>> kSharedEnableFields = sharedEnableFields();

const ValueSet& valueSet(ValueSetId id) { return kValueSets[id]; }

}  // namespace scanhost

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

// The values a setter of `setting` accepts.
std::vector<int32_t> settingRange(zorvan::SettingId setting) {
  const zorvan::SettingRow& row = zorvan::kSettingRows[setting];
  return range(static_cast<int32_t>(row.lowest), static_cast<int32_t>(row.highest));
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
    {"{levels}", settingRange(zorvan::kStoredLevel1)},
    {"{codes}", settingRange(zorvan::kStoredCode)},
    {"{selectors}", settingRange(zorvan::kStoredSelector)},
    {"{second selectors}", settingRange(zorvan::kStoredSelector2)},
    {"{affix modes}", settingRange(zorvan::kAffixMode)},
};

static_assert(std::size(kValueSets) == kValueSetCount, "one set an id");

}  // namespace

const std::vector<std::vector<int32_t>> kSharedEnableFields = sharedEnableFields();

const ValueSet& valueSet(ValueSetId id) { return kValueSets[id]; }

}  // namespace scanhost

#include "plugin_ids.h"

#include <algorithm>

#include "symbology/option_table.h"
#include "symbology/symbology_table.h"

namespace scanhost {

namespace {

// The host ids of the symbology table whose entry `matches`.
template <typename Predicate>
std::vector<int32_t> symbologiesWhere(Predicate matches) {
  std::vector<int32_t> ids;
  for (int i = 0; i < zorvan::kSymbologyCount; ++i) {
    if (matches(zorvan::kSymbologyTable[i])) ids.push_back(zorvan::kSymbologyTable[i].host);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

// The second option is kept by vendor number.
bool hasOption2(const zorvan::SymbologyEntry& entry) {
  for (int i = 0; i < zorvan::kSymbologyOption2Count; ++i) {
    if (zorvan::kSymbologyOptions2[i].vendor == entry.vendor) return true;
  }
  return false;
}

std::vector<int32_t> kindsWhere(bool deviceOnly) {
  std::vector<int32_t> kinds;
  for (int kind = 0; kind < zorvan::kOptionKindCount; ++kind) {
    if (!deviceOnly || zorvan::kOptionKinds[kind].onDevice) kinds.push_back(kind);
  }
  return kinds;
}

}  // namespace

std::vector<int32_t> toneIds(zorvan::ToneKind kind) {
  std::vector<int32_t> ids;
  for (const zorvan::ToneParameter& parameter : zorvan::kToneParameters) {
    if (parameter.kind == kind) ids.push_back(parameter.id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::vector<int32_t> symbologyIds() {
  return symbologiesWhere([](const zorvan::SymbologyEntry&) { return true; });
}

std::vector<int32_t> lengthIds() {
  return symbologiesWhere([](const zorvan::SymbologyEntry& entry) {
    return entry.lengthForm != zorvan::LengthForm::kNone;
  });
}

std::vector<int32_t> optionIds() {
  std::vector<int32_t> ids;
  for (int i = 0; i < zorvan::kSymbologyOptionCount; ++i) {
    ids.push_back(zorvan::kSymbologyOptions[i].id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::vector<int32_t> option2Ids() { return symbologiesWhere(hasOption2); }

std::vector<int32_t> optionKinds() { return kindsWhere(false); }
std::vector<int32_t> deviceOptionKinds() { return kindsWhere(true); }

std::vector<std::vector<int32_t>> sharedEnableFields() {
  std::vector<std::vector<int32_t>> groups;
  std::vector<bool> placed(zorvan::kSymbologyCount, false);
  for (int i = 0; i < zorvan::kSymbologyCount; ++i) {
    if (placed[i]) continue;
    const zorvan::SymbologyEntry& first = zorvan::kSymbologyTable[i];
    std::vector<int32_t> group;
    for (int j = i; j < zorvan::kSymbologyCount; ++j) {
      const zorvan::SymbologyEntry& other = zorvan::kSymbologyTable[j];
      if (other.group == first.group && other.enableField == first.enableField) {
        group.push_back(other.host);
        placed[j] = true;
      }
    }
    if (group.size() > 1) groups.push_back(group);
  }
  return groups;
}

}  // namespace scanhost

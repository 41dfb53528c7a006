// show: reads back every setting and state the interface can report. The
// ids it asks about come from the plug-in's own tables.
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "commands.h"
#include "feedback/tone_parameters.h"
#include "job_runner.h"
#include "symbology/option_table.h"
#include "symbology/symbology_table.h"

namespace scanhost {

namespace {

// The tone-parameter ids of one kind.
std::vector<int64_t> toneIds(zorvan::ToneKind kind) {
  std::vector<int64_t> ids;
  for (const zorvan::ToneParameter& parameter : zorvan::kToneParameters) {
    if (parameter.kind == kind) ids.push_back(parameter.id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

// The host symbology numbers of the symbology table, those whose entry
// `matches`.
template <typename Predicate>
std::vector<int64_t> symbologyIds(Predicate matches) {
  std::vector<int64_t> ids;
  for (int i = 0; i < zorvan::kSymbologyCount; ++i) {
    if (matches(zorvan::kSymbologyTable[i])) ids.push_back(zorvan::kSymbologyTable[i].host);
  }
  return ids;
}

// The second per-symbology option is kept by vendor number.
bool hasOption2(const zorvan::SymbologyEntry& entry) {
  for (int i = 0; i < zorvan::kSymbologyOption2Count; ++i) {
    if (zorvan::kSymbologyOptions2[i].vendor == entry.vendor) return true;
  }
  return false;
}

// What show reads back, in this order. Retrieval operations are left out,
// since they consume the label.
std::vector<Call> showCalls() {
  std::vector<Call> calls;
  const auto each = [&calls](std::initializer_list<const char*> names) {
    for (const char* name : names) calls.push_back(makeCall(name));
  };
  const auto byId = [&calls](const char* name, const std::vector<int64_t>& ids) {
    for (const int64_t id : ids) calls.push_back(makeCall(name, {id}));
  };
  each({"IsScannerEnabled", "GetReadLedState", "GetAffixChars", "GetAffixMode",
        "GetStoredSelector2", "GetGoodReadBeep", "GetTriggerMode", "GetAuxFlag", "GetStoredFlag1",
        "GetStoredLevel1", "GetStoredLevel2", "GetStoredLevel3", "GetStoredCode",
        "GetStoredSelector"});
  byId("GetToneDuration", toneIds(zorvan::ToneKind::kDuration));
  byId("GetToneFrequency", toneIds(zorvan::ToneKind::kFrequency));
  byId("GetSymbologyEnabled", symbologyIds([](const zorvan::SymbologyEntry&) { return true; }));
  byId("GetSymbologyLengths", symbologyIds([](const zorvan::SymbologyEntry& entry) {
         return entry.lengthForm != zorvan::LengthForm::kNone;
       }));
  std::vector<int64_t> optionIds;
  for (int i = 0; i < zorvan::kSymbologyOptionCount; ++i) {
    optionIds.push_back(zorvan::kSymbologyOptions[i].id);
  }
  byId("GetSymbologyOption", optionIds);
  byId("GetSymbologyOption2", symbologyIds(hasOption2));
  each({"GetOptionA1", "GetOptionA4", "GetOptionB1", "GetOptionB2", "GetOptionE1",
        "GetOptionF1Bit1"});
  std::vector<int64_t> kinds;
  for (int kind = 0; kind < zorvan::kOptionKindCount; ++kind) kinds.push_back(kind);
  byId("GetOptionIByKind", kinds);
  each({"GetOptionIKind3", "GetOptionITriple", "GetOptionJ"});
  return calls;
}

}  // namespace

Stop commandShow(Job& job) {
  if (!job.operands.empty()) return Stop{kExitUsage, job.command + " takes no operands"};
  job.calls = showCalls();
  return runOnObject(job, runJobCalls, false);
}

}  // namespace scanhost

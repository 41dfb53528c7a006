// show: says whether the object opened the device, then reads back every
// setting and state the interface can report. The ids it asks about come
// from the plug-in's own tables.
#include <initializer_list>
#include <vector>

#include "commands.h"
#include "job_runner.h"
#include "plugin_ids.h"

namespace scanhost {

namespace {

// What show reads back, in this order. Retrieval operations are left out,
// since they consume the label.
std::vector<Call> showCalls() {
  std::vector<Call> calls;
  const auto each = [&calls](std::initializer_list<const char*> names) {
    for (const char* name : names) calls.push_back(makeCall(name));
  };
  const auto byId = [&calls](const char* name, const std::vector<int32_t>& ids) {
    for (const int32_t id : ids) calls.push_back(makeCall(name, {id}));
  };
  each({"IsScannerEnabled", "GetReadLedState", "GetAffixChars", "GetAffixMode",
        "GetStoredSelector2", "GetGoodReadBeep", "GetTriggerMode", "GetAuxFlag", "GetStoredFlag1",
        "GetStoredLevel1", "GetStoredLevel2", "GetStoredLevel3", "GetStoredCode",
        "GetStoredSelector"});
  byId("GetToneDuration", toneIds(zorvan::ToneKind::kDuration));
  byId("GetToneFrequency", toneIds(zorvan::ToneKind::kFrequency));
  byId("GetSymbologyEnabled", symbologyIds());
  byId("GetSymbologyLengths", lengthIds());
  byId("GetSymbologyOption", optionIds());
  byId("GetSymbologyOption2", option2Ids());
  each({"GetOptionA1", "GetOptionA4", "GetOptionB1", "GetOptionB2", "GetOptionE1",
        "GetOptionF1Bit1"});
  byId("GetOptionIByKind", optionKinds());
  each({"GetOptionIKind3", "GetOptionITriple", "GetOptionJ"});
  return calls;
}

// The first line: whether the object opened the device. Only an object that
// opened the driver and DeviceConfig had the defaults applied (the good-read
// tone's frequency, parameter 40, is 3000 Hz), and only one with
// DeviceConfig answers a symbology query with 0 or 1. Neither call changes
// anything.
void showState(Host& host, Job& job) {
  CallResult tone, symbology;
  if (!execute(host, makeCall("GetToneFrequency", {40}), &tone) ||
      !execute(host, makeCall("GetSymbologyEnabled", {symbologyIds().front()}), &symbology)) {
    return;
  }
  // A value, and the status name of a negative one.
  const auto answer = [](int16_t value) {
    return value < 0 ? statusText(value) : std::to_string(value);
  };
  const std::string probes = "GetToneFrequency 40 -> " + answer(tone.value) +
                             ", GetSymbologyEnabled " + std::to_string(symbologyIds().front()) +
                             " -> " + answer(symbology.value);
  const bool opened = tone.value == 3000 && (symbology.value == 0 || symbology.value == 1);
  host.output.emit(opened ? "object: opened (" + probes + ")"
                          : "object: HALF-OPEN, the device's driver or DeviceConfig missing (" +
                                probes + "): what follows is not the device's");
  runJobCalls(host, job);
}

}  // namespace

Stop commandShow(Job& job) {
  if (!job.operands.empty()) return Stop{kExitUsage, job.command + " takes no operands"};
  job.calls = showCalls();
  return runOnObject(job, showState, false);
}

}  // namespace scanhost

#include "host_calls.h"

namespace scanhost {

std::string statusText(int16_t value) {
  const char* name = statusName(value);
  return std::to_string(value) + (name != nullptr ? std::string(" ") + name : "");
}

bool execute(Host& host, const Call& call, CallResult* result) {
  const Operation& operation = *call.operation;
  if (operation.position >= 0 && host.session.scanner == nullptr) {
    host.output.reportError(
        "%s: there is no scanner object (Destructor destroyed it; NewScanner makes one)",
        operation.name);
    return false;
  }
  operation.invoke(host.session, call, result);
  if (!result->notCalled.empty()) host.output.reportError("%s", result->notCalled.c_str());
  return result->notCalled.empty();
}

bool runCall(Host& host, const Call& call, CallResult* result) {
  host.output.beginSequence(playsPattern(*call.operation), true);
  const bool ran = execute(host, call, result);
  host.output.endSequence(describeCall(call) +
                          (ran ? describeResult(call, *result) : " -> not called"));
  if (ran && !result->fault.empty())
    host.output.reportError("%s %s", call.operation->name, result->fault.c_str());
  return ran && result->fault.empty();
}

void runCalls(Host& host, const std::vector<Call>& calls) {
  for (const Call& call : calls) {
    CallResult result;
    runCall(host, call, &result);
  }
}

bool runRequired(Host& host, const Call& call) {
  CallResult result;
  if (!runCall(host, call, &result)) return false;
  if (result.value == ResultOk) return true;
  host.output.reportError("%s returned %s", call.operation->name, statusText(result.value).c_str());
  return false;
}

bool applySettings(Host& host, const Job& job, Runner run) {
  CallResult affixes;
  if (job.anyAffix() &&
      (!run(host, makeCall("GetAffixChars"), &affixes) || affixes.value != ResultOk)) {
    host.output.reportError("GetAffixChars failed; cannot set the affix characters");
    return false;
  }
  Stop checkedBefore;  // every setting was read when the job was prepared
  for (const Call& setting : settingCalls(job, affixes.outValues, &checkedBefore)) {
    CallResult result;
    if (!run(host, setting, &result)) return false;
    if (result.value == ResultOk) continue;
    host.output.reportError("setting %s was refused: %s", describeCall(setting).c_str(),
                            statusText(result.value).c_str());
    return false;
  }
  return true;
}

}  // namespace scanhost

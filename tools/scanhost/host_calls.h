// The host context every command works in (the object being driven and the
// output its callbacks write to), and making calls in it: one call, a list,
// a call that must succeed, and the settings of the command line.
#ifndef SCANHOST_HOST_CALLS_H
#define SCANHOST_HOST_CALLS_H

#include <stdint.h>

#include <string>
#include <vector>

#include "host_output.h"
#include "operations.h"
#include "options.h"

namespace scanhost {

struct Host {
  Session session;
  HostOutput output;
};

// "-4 ResultRejected", or the bare number when it is no status.
std::string statusText(int16_t value);

// Runs one call without printing; false, reported as an error, when it could
// not run at all.
bool execute(Host& host, const Call& call, CallResult* result);
// Runs one call and prints "Name args -> result", then what happened during
// it; false when it could not run or the plug-in mishandled the host's memory.
bool runCall(Host& host, const Call& call, CallResult* result);
// runCall where the host's own calls are shown (run), else execute.
using Runner = bool (*)(Host& host, const Call& call, CallResult* result);

void runCalls(Host& host, const std::vector<Call>& calls);
// A call whose result must be ResultOk; any other is reported.
bool runRequired(Host& host, const Call& call);
// Makes the settings of the command line, the affix characters it leaves
// out kept as GetAffixChars tells them. False, reported, when one is refused.
bool applySettings(Host& host, const Job& job, Runner run);

}  // namespace scanhost

#endif  // SCANHOST_HOST_CALLS_H

// call: operations named on the command line, several in a row; without
// any, it reads them from standard input like script.
#include "commands.h"
#include "job_runner.h"

namespace scanhost {

Stop commandCall(Job& job) {
  if (job.operands.empty()) return commandScript(job);
  std::string error;
  // All calls are checked before the first one runs.
  if (!parseCalls(job.operands, &job.calls, &error)) return Stop{kExitUsage, error};
  for (const Call& call : job.calls) {
    if (job.value("virtual") == "none" && call.operation->name == std::string("PushLabel")) {
      return Stop{kExitUsage, "PushLabel needs the virtual device (--virtual none was given)"};
    }
  }
  return runOnObject(job, runJobCalls, false);
}

}  // namespace scanhost

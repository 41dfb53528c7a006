// patterns: plays tone patterns 1 to 30 and one number beyond the table.
#include "commands.h"
#include "job_runner.h"

namespace scanhost {

namespace {
constexpr int kLastPattern = 31;
}  // namespace

Stop commandPatterns(Job& job) {
  if (!job.operands.empty()) return Stop{kExitUsage, job.command + " takes no operands"};
  for (int pattern = 1; pattern <= kLastPattern; ++pattern) {
    job.calls.push_back(makeCall("PlayTonePattern", {pattern}));
  }
  return runOnObject(job, runJobCalls, false);
}

}  // namespace scanhost

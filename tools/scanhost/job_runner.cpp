#include "job_runner.h"

#include <errno.h>
#include <string.h>

#include "loader.h"

namespace scanhost {

Stop openInput(Job* job) {
  const std::vector<std::string>& operands = job->operands;
  if (operands.size() > 1) {
    return Stop{kExitUsage,
                job->command + " takes one file, got " + std::to_string(operands.size())};
  }
  if (operands.empty() || operands[0] == "-") return {};
  job->inputName = operands[0];
  job->file.open(job->inputName);
  job->input = &job->file;
  if (!job->file.is_open()) {
    return Stop{kExitFailure, "cannot open " + job->inputName + ": " + strerror(errno)};
  }
  return {};
}

Stop runOnObject(Job& job, Work work, bool labelRun) {
  Host host;
  const std::string wavPath = job.value("wav");
  std::string error;
  if (!wavPath.empty() && !host.output.openWav(wavPath, &error)) return Stop{kExitFailure, error};
  // The host's callbacks print scan events, debug messages and tones as they come.
  host.output.connect(&host.session);
  const std::string virtualDir = job.value("virtual");
  const bool loaded = virtualDir == "none" || loadVirtualDevice(virtualDir, &host.session, &error);
  host.session.newScanner = loaded ? loadPlugin(job.value("plugin"), &error) : nullptr;
  if (host.session.newScanner == nullptr) return Stop{kExitFailure, error};
  const Runner run = labelRun ? runCall : execute;
  CallResult created;
  if (!run(host, makeCall("NewScanner"), &created)) return Stop{kExitFailure, ""};
  // A setting refused is reported, and nothing else is done.
  if (applySettings(host, job, run)) work(host, job);
  delete host.session.scanner;
  if (!host.output.closeWav())
    host.output.reportError("%s: writing the WAV file failed", wavPath.c_str());
  return Stop{host.output.errors() == 0 ? kExitOk : kExitFailure, ""};
}

void runJobCalls(Host& host, Job& job) { runCalls(host, job.calls); }

}  // namespace scanhost

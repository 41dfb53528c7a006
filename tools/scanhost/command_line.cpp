// The command line: options read, the command looked up in the table of
// commands and run, its message and exit status.
#include <signal.h>
#include <stdio.h>
#include <string.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "commands.h"

namespace scanhost {

namespace {

struct Command {
  const char* name;
  Stop (*run)(Job& job);
};

const Command kCommands[] = {
    {"run", commandRun},     {"call", commandCall},         {"script", commandScript},
    {"show", commandShow},   {"patterns", commandPatterns}, {"ops", commandOps},
    {"check", commandCheck}, {"device", commandDevice},     {"panel", commandPanel},
};

void setUpOutput() {
  setvbuf(stdout, nullptr, _IOLBF, 0);
#if defined(SIGPIPE)
  // A reader that stops early (scanhost ... | head) must not cut the WAV file short.
  signal(SIGPIPE, SIG_IGN);
#endif
#if defined(_WIN32)
  // The same bytes as on Linux: lines end in a line feed alone.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

Stop runJob(int argc, char** argv) {
  Job job;
  if (Stop stop = parseOptions(argc, argv, &job)) return stop;
  if (job.command.empty() || job.command == "help") {
    fputs(kUsage, job.command.empty() ? stderr : stdout);
    return Stop{job.command.empty() ? kExitUsage : kExitOk, ""};
  }
  if (job.has("timeout") && job.command != "check" && job.command != "device") {
    return Stop{kExitUsage, "--timeout is an option of check and device (see scanhost --help)"};
  }
  if (job.has("port") && job.command != "panel") {
    return Stop{kExitUsage, "--port is an option of panel alone (see scanhost --help)"};
  }
  if (job.has("endpoint") && job.command != "device" && job.command != "panel") {
    return Stop{kExitUsage, "--endpoint is an option of device and panel (see scanhost --help)"};
  }
  for (const Command& command : kCommands) {
    if (job.command == command.name) return command.run(job);
  }
  return Stop{kExitUsage, "unknown command '" + job.command + "' (see scanhost --help)"};
}

}  // namespace

#if !defined(SCANHOST_PANEL)
Stop commandPanel(Job&) {
  return Stop{kExitFailure, "this scanhost was built without the panel (cpp-httplib)"};
}
#endif

int runCommandLine(int argc, char** argv) {
  setUpOutput();
  const Stop stop = runJob(argc, argv);
  if (!stop.message.empty()) {
    fflush(stdout);
    fprintf(stderr, "scanhost: %s\n", stop.message.c_str());
    fflush(stderr);
  }
  return stop.status;
}

}  // namespace scanhost

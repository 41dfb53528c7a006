// The commands of scanhost, one function each: each checks its operands,
// does its work and says how scanhost ends. runCommandLine reads the command
// line and runs the command it names.
#ifndef SCANHOST_COMMANDS_H
#define SCANHOST_COMMANDS_H

#include "options.h"

namespace scanhost {

Stop commandRun(Job& job);
Stop commandCall(Job& job);
Stop commandScript(Job& job);
Stop commandShow(Job& job);
Stop commandPatterns(Job& job);
Stop commandOps(Job& job);
Stop commandCheck(Job& job);
Stop commandDevice(Job& job);
Stop commandPanel(Job& job);

// The `ops` listing on standard output (the ops command, and `ops` typed in a
// script).
void printOperations();

// The whole program: the exit status of the command the command line names.
int runCommandLine(int argc, char** argv);

}  // namespace scanhost

#endif  // SCANHOST_COMMANDS_H

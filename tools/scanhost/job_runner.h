// What the commands that drive one object share: reading their one input
// file, and the frame every such command runs in (load the virtual device
// and the plug-in, make the object with the host's callbacks, apply the
// settings of the command line, do the work, destroy the object, complete
// the WAV file).
#ifndef SCANHOST_JOB_RUNNER_H
#define SCANHOST_JOB_RUNNER_H

#include "host_calls.h"
#include "options.h"

namespace scanhost {

// Opens the command's one operand, a file or "-" for standard input, as the
// job's input; none reads standard input.
Stop openInput(Job* job);

// The work a command does on the object.
using Work = void (*)(Host& host, Job& job);

// Runs `work` in the frame above. A label run (`labelRun`) needs the virtual
// device and shows the host's own calls too.
Stop runOnObject(Job& job, Work work, bool labelRun);

// Work: the job's calls, one after another.
void runJobCalls(Host& host, Job& job);

}  // namespace scanhost

#endif  // SCANHOST_JOB_RUNNER_H

// ops: the operation listing, or the rows of the operations named.
#include <stdio.h>

#include "commands.h"

namespace scanhost {

void printOperations() { fputs(listOperations().c_str(), stdout); }

Stop commandOps(Job& job) {
  if (job.operands.empty()) {
    printOperations();
    return {};
  }
  std::string text, error;
  if (!listOperations(job.operands, &text, &error)) return Stop{kExitUsage, error};
  fputs(text.c_str(), stdout);
  return {};
}

}  // namespace scanhost

// ops: the operation listing.
#include <stdio.h>

#include "commands.h"

namespace scanhost {

void printOperations() { fputs(listOperations().c_str(), stdout); }

Stop commandOps(Job&) {
  printOperations();
  return {};
}

}  // namespace scanhost

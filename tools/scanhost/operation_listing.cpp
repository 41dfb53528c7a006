#include <stdio.h>

#include <string>

#include "call_kinds.h"
#include "operation_reference.h"
#include "operations.h"

namespace scanhost {

namespace {

// The listing's header line, then a row: position, name, arguments and
// result, with the reference's facts under each of the 91 operations.
std::string listingHeader() {
  char line[256];
  snprintf(line, sizeof line, "%3s  %-30s %-48s %s\n", "#", "operation", "arguments", "result");
  return line;
}

std::string listingRow(const Operation& operation) {
  std::string arguments;
  for (int a = 0; a < argCount(operation); ++a) {
    const ArgKind& kind = *operation.kinds[a];
    const std::string argument = std::string(operation.args[a]) + ":" + kind.listing;
    arguments +=
        (a > 0 ? " " : "") +
        (kind.byDefault ? "[" + argument + "=" + std::to_string(*kind.byDefault) + "]" : argument);
  }
  if (operation.outputs[0] != nullptr) {
    arguments += (arguments.empty() ? "-> " : " -> ") + joinedNames(operation.outputs);
  }
  // A pending setter's status says so: the effect is the row's, not the kind's.
  const std::string result = std::string(operation.result->listing) +
                             (pending(operation) ? ", pending until ApplySettings" : "");
  char line[256];
  const std::string position = operation.position >= 0 ? std::to_string(operation.position) : "-";
  snprintf(line, sizeof line, "%3s  %-30s %-48s %s\n", position.c_str(), operation.name,
           arguments.empty() ? "-" : arguments.c_str(), result.c_str());
  return line + (operation.position >= 0 ? referenceLines(operation.position) : std::string());
}

}  // namespace

std::string listOperations() {
  std::string out =
      "Under each operation: what it takes, when a change takes effect, its answer on an\n"
      "opened object and on a half-open one (no driver; or the driver but no DeviceConfig),\n"
      "what it does with pointers, and calls on a new object with their answers in those\n"
      "three states (opened | no driver | no DeviceConfig).\n\n" +
      listingHeader();
  for (int position = 0; position < kOperationCount; ++position) {
    out += listingRow(operationAt(position));
  }
  return out +
         "\nBeside them: NewScanner (a new object after Destructor) and\n"
         "PushLabel symbology text (a label scanned on the virtual device; escapes as in label "
         "files).\n";
}

bool listOperations(const std::vector<std::string>& names, std::string* text, std::string* error) {
  std::string out = listingHeader();
  for (const std::string& name : names) {
    const Operation* operation = findOperation(name);
    if (operation == nullptr) {
      *error = unknownOperation(name);
      return false;
    }
    out += listingRow(*operation);
  }
  *text = out;
  return true;
}

}  // namespace scanhost

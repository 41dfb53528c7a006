// run: enables the scanner, pushes every label of a file into the virtual
// device and prints each scan event, label, tone and debug message; labels
// scanned in from elsewhere (the virtual device's control endpoint) are
// fetched and printed as they come, while run waits for its input.
#include <stdio.h>

#include <string>

#include "commands.h"
#include "input_lines.h"
#include "invokers.h"
#include "job_runner.h"

namespace scanhost {

namespace {

// How often run looks for scan events while it waits for a line.
constexpr uint32_t kPollMs = 20;

void printLabel(uint32_t serial, Host& host, bool fromRecord) {
  const Call call = makeCall(fromRecord ? "GetLastLabelRecord" : "ReadLabel");
  CallResult result;
  if (!execute(host, call, &result)) return;
  const char* name = call.operation->name;
  if (!result.fault.empty()) host.output.reportError("%s %s", name, result.fault.c_str());
  if (result.value != ResultOk) {
    host.output.reportError("label %u: %s returned %s", serial, name,
                            statusText(result.value).c_str());
    return;
  }
  // ReadLabel: symbology, length; the record: length, symbology. A line is
  // cut at 2047 bytes.
  char line[2048];
  snprintf(line, sizeof line, "label %u: symbology %lld, length %lld, \"%s\"", serial,
           static_cast<long long>(result.outValues[fromRecord ? 1 : 0]),
           static_cast<long long>(result.outValues[fromRecord ? 0 : 1]),
           escaped(result.outBytes).c_str());
  host.output.emit(line);
}

// Pushes one label and prints each label its scan events bring; false when
// the scanner stopped taking labels.
bool deliverLabel(Host& host, const LabelLine& label, const std::string& where, bool fromRecord) {
  Session& session = host.session;
  host.output.beginSequence(false, false);
  const int32_t pushed =
      session.pushLabel(label.symbology, reinterpret_cast<const uint8_t*>(label.bytes.data()),
                        static_cast<uint32_t>(label.bytes.size()));
  const bool idle = pushed == 0 && session.waitIdle(kLabelTimeoutMs) == 1;
  host.output.endSequence("");
  uint32_t serial = 0;
  int events = 0;
  for (; host.output.takeScanEvent(&serial); ++events) printLabel(serial, host, fromRecord);
  if (pushed != 0)
    host.output.reportError("%s: the virtual device refused the label", where.c_str());
  if (pushed == 0 && !idle) {
    host.output.reportError("%s: the scanner did not take the label within %u ms; stopping",
                            where.c_str(), kLabelTimeoutMs);
  }
  if (idle && events == 0)
    host.output.reportError("%s: the label brought no scan event", where.c_str());
  return pushed != 0 || idle;
}

void runLabels(Host& host, Job& job) {
  if (!runRequired(host, makeCall("EnableScanner"))) return;
  const bool fromRecord = job.value("fetch") == "record";
  InputLines input(*job.input);
  std::string line;
  for (int number = 0;;) {
    const InputLines::Next next = input.next(&line, kPollMs);
    uint32_t serial = 0;
    while (host.output.takeScanEvent(&serial)) printLabel(serial, host, fromRecord);
    if (next == InputLines::Next::kEnd) break;
    if (next == InputLines::Next::kNothingYet) continue;
    ++number;
    const std::string where = job.inputName + ":" + std::to_string(number);
    LabelLine label;
    std::string problem;
    const LineKind kind = parseLabelLine(line, &label, &problem);
    if (kind == LineKind::kMalformed)
      host.output.reportError("%s: %s", where.c_str(), problem.c_str());
    if (kind == LineKind::kLabel && !deliverLabel(host, label, where, fromRecord)) break;
  }
  runRequired(host, makeCall("DisableScanner"));
  runRequired(host, makeCall("Destructor"));
}

}  // namespace

Stop commandRun(Job& job) {
  if (job.value("virtual") == "none") {
    return Stop{kExitUsage, "run needs the virtual device (--virtual none was given)"};
  }
  if (Stop stop = openInput(&job)) return stop;
  return runOnObject(job, runLabels, true);
}

}  // namespace scanhost

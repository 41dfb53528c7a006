// Explores the schedules of the plug-in's lifecycle and scan thread, scenario
// by scenario, and replays a schedule from its choices.
//
//   interleaving_tests [--bound N] [--random N] [--max N] [--only NAME]
//                      [--every-kind] [--expect-failures NAME,NAME...]
//   interleaving_tests --replay NAME CHOICES
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "acquisition/scan_thread.h"
#include "explore.h"
#include "world.h"

namespace interleaving {
namespace {

constexpr uint32_t kCancelled = 0xC1600147u;
constexpr uint32_t kAborted = 0xFFFFFFFCu;
constexpr uint32_t kOtherFailure = 0x80000005u;

// name, host script, cancel, read failure, driver faults, settings call ms,
// event callback, bound of a host call
const Scenario kScenarios[] = {
    {"cancel-honoured", "ELDELX", Cancel::Honours, kCancelled, 0, 0, Callback::Returns, kQuick},
    {"cancel-aborted", "ELDX", Cancel::Honours, kAborted, 0, 0, Callback::Returns, kQuick},
    {"cancel-fails-otherwise", "ELDX", Cancel::Honours, kOtherFailure, 0, 0, Callback::Returns,
     kQuick},
    {"read-fails-alone", "EFDEX", Cancel::Honours, kOtherFailure, 0, 0, Callback::Returns, kQuick},
    {"delete-without-disable", "ELX", Cancel::Honours, kCancelled, 0, 0, Callback::Returns, kQuick},
    {"label-waiting-at-start", "LECX", Cancel::Honours, kCancelled, 0, 0, Callback::Returns,
     kQuick},
    {"enable-query-fails", "ELCX", Cancel::Honours, kCancelled, kEnableQueryFails, 0,
     Callback::Returns, kQuick},
    {"cancel-ignored", "ELDX", Cancel::Ignores, kCancelled, 0, 0, Callback::Returns, kStuck},
    {"cancel-ignored-reenable", "EDEELCX", Cancel::Ignores, kCancelled, 0, 0, Callback::Returns,
     kStuck},
    {"cancel-ignored-label-while-off", "EDLECX", Cancel::Ignores, kCancelled, 0, 0,
     Callback::Returns, kStuck},
    {"cancel-ignored-delete", "ELX", Cancel::Ignores, kCancelled, 0, 0, Callback::Returns, kStuck},
    {"switch-off-refused", "EDLELCX", Cancel::Ignores, kCancelled, kRefusesSwitchOff, 0,
     Callback::Returns, kStuck},
    {"cancel-late-reenable", "EDEELCX", Cancel::HonoursLate, kCancelled, 0, 0, Callback::Returns,
     kStuck},
    {"label-instead-of-failure", "ELDEX", Cancel::LabelInstead, kCancelled, 0, 0, Callback::Returns,
     kQuick},
    {"settings-call-slow", "ELDEX", Cancel::Honours, kCancelled, 0, 200, Callback::Returns, kQuick},
    {"settings-call-slow-forgotten-cancel", "ELDEX", Cancel::Honours, kCancelled,
     kForgetsEarlyCancel, 200, Callback::Returns, kQuick},
    {"settings-call-slow-ignored", "EDX", Cancel::Ignores, kCancelled, 0, 200, Callback::Returns,
     kStuck},
    {"settings-call-slower-than-the-wait", "EDEELCX", Cancel::Honours, kCancelled,
     kForgetsEarlyCancel, 5000, Callback::Returns, kStuck},
    {"settings-call-blocks", "ELDEX", Cancel::Honours, kCancelled, 0, kSettingsBlock,
     Callback::Returns, kStuck},
    {"callback-slow", "ELDX", Cancel::Honours, kCancelled, 0, 0, Callback::Slow, kStuck},
    {"callback-slow-reenable", "ELDEELCX", Cancel::Honours, kCancelled, 0, 0, Callback::Slow,
     kStuck},
    {"callback-disables", "ELCEELCX", Cancel::Honours, kCancelled, 0, 0, Callback::Disables,
     kQuick},
    {"callback-disables-and-enables", "LELCX", Cancel::Honours, kCancelled, 0, 0,
     Callback::DisablesAndEnables, kQuick},
    {"callback-deletes", "EL", Cancel::Honours, kCancelled, 0, 0, Callback::Deletes, kQuick},
    {"callback-deletes-first-label", "LE", Cancel::Honours, kCancelled, 0, 0, Callback::Deletes,
     kQuick},
    {"callback-waits-for-host", "ELDX", Cancel::Honours, kCancelled, 0, 0, Callback::WaitsForHost,
     kStuck},
    {"callback-waits-for-host-delete", "ELX", Cancel::Ignores, kCancelled, 0, 0,
     Callback::WaitsForHost, kStuck},
    {"callback-waits-for-host-8s", "ELDX", Cancel::Ignores, kCancelled, 0, 0,
     Callback::WaitsForHostBounded, kStuck},
};

const Scenario* findScenario(const char* name) {
  for (const Scenario& scenario : kScenarios) {
    if (strcmp(scenario.name, name) == 0) return &scenario;
  }
  fprintf(stderr, "no scenario %s\n", name);
  return nullptr;
}

// The scenario being explored, for a run that crashes the process.
const char* gExploring = nullptr;
const char* gProgram = "interleaving_tests";

// A fault that frees the state too early or twice may crash the process
// before any check sees it: the schedule that did it is printed so that
// --replay (under a debugger or a sanitizer) shows where. The thread that
// crashed holds the scheduler's baton, so the trace is not changing; the
// heap may be what broke, so the line is made without allocating.
char gCrashLine[65536];

void append(size_t& at, const char* text) {
  while (*text != '\0' && at + 1 < sizeof gCrashLine) gCrashLine[at++] = *text++;
}

void appendNumber(size_t& at, unsigned long long value) {
  char digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0 && at + 1 < sizeof gCrashLine) gCrashLine[at++] = digits[--count];
}

void reportCrash(int signal) {
  if (gExploring != nullptr) {
    size_t at = 0;
    append(at, gExploring);
    append(at, ": crashed with signal ");
    appendNumber(at, static_cast<unsigned long long>(signal));
    append(at, " after ");
    appendNumber(at, scheduler().trace().size());
    append(at, " choices: ");
    append(at, gProgram);
    append(at, " --replay ");
    append(at, gExploring);
    append(at, " ");
    bool first = true;
    for (const Choice& choice : scheduler().trace()) {
      if (!first) append(at, ".");
      first = false;
      appendNumber(at, static_cast<unsigned long long>(choice.chosen));
    }
    append(at, "\n");
    if (write(STDERR_FILENO, gCrashLine, at) < 0) _exit(128 + signal);
  }
  _exit(128 + signal);
}

void reportCrashes() {
  const int signals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
  for (const int number : signals) signal(number, reportCrash);
}

bool listed(const std::string& list, const char* name) {
  const std::string padded = "," + list + ",";
  return padded.find("," + std::string(name) + ",") != std::string::npos;
}

int replay(const char* name, const char* text) {
  const Scenario* scenario = findScenario(name);
  Strategy strategy;
  if (scenario == nullptr || !parseChoices(text, strategy.prefix)) return 2;
  gExploring = scenario->name;
  const std::string failure = runScenario(*scenario, strategy, true);
  printf("%s, %zu choices: %s\n", name, scheduler().trace().size(),
         failure.empty() ? "ok" : failure.c_str());
  return failure.empty() ? 0 : 1;
}

}  // namespace
}  // namespace interleaving

int main(int argc, char** argv) {
  using namespace interleaving;
  int bound = 3;
  uint64_t randomRuns = 1000;
  uint64_t maxBounded = 200000;
  const char* only = nullptr;
  const char* expected = nullptr;
  bool everyKind = false;
  gProgram = argv[0];
  reportCrashes();
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (strcmp(argv[i], "--replay") == 0 && i + 2 < argc) return replay(argv[i + 1], argv[i + 2]);
    if (strcmp(argv[i], "--bound") == 0 && hasValue) {
      bound = atoi(argv[++i]);
    } else if (strcmp(argv[i], "--random") == 0 && hasValue) {
      randomRuns = strtoull(argv[++i], nullptr, 10);
    } else if (strcmp(argv[i], "--max") == 0 && hasValue) {
      maxBounded = strtoull(argv[++i], nullptr, 10);
    } else if (strcmp(argv[i], "--only") == 0 && hasValue) {
      only = argv[++i];
    } else if (strcmp(argv[i], "--every-kind") == 0) {
      everyKind = true;
    } else if (strcmp(argv[i], "--expect-failures") == 0 && hasValue) {
      expected = argv[++i];
    } else {
      fprintf(stderr, "unknown argument %s\n", argv[i]);
      return 2;
    }
  }

  bool asExpected = true;
  uint64_t total = 0;
  for (const Scenario& scenario : kScenarios) {
    if (only != nullptr && strcmp(only, scenario.name) != 0) continue;
    gExploring = scenario.name;
    const Exploration result =
        explore([&scenario](const Strategy& strategy) { return runScenario(scenario, strategy); },
                bound, randomRuns, maxBounded, everyKind);
    const uint64_t count = result.bounded + result.random;
    total += count;
    printf("%-32s %7llu schedules (%llu within %d preemptions%s, %llu random) %7.2f s  ",
           scenario.name, static_cast<unsigned long long>(count),
           static_cast<unsigned long long>(result.bounded), bound,
           result.complete ? "" : ", cut short", static_cast<unsigned long long>(result.random),
           result.seconds);
    const bool failed = !result.found.empty();
    printf("%s\n", failed ? "FAILED" : "ok");
    for (const Found& found : result.found) {
      const std::string choices = formatChoices(found.choices);
      printf("  %s\n    schedule %llu, %.2f s, %zu choices: %s --replay %s %s\n",
             found.failure.c_str(), static_cast<unsigned long long>(found.schedule), found.seconds,
             found.choices.size(), argv[0], scenario.name, choices.c_str());
    }
    const bool expectedToFail = expected != nullptr && listed(expected, scenario.name);
    if (failed != expectedToFail) asExpected = false;
    fflush(stdout);
  }
  printf("%llu schedules in all\n", static_cast<unsigned long long>(total));
  return asExpected ? 0 : 1;
}

// Systematic exploration of a scenario's schedules: every schedule with at
// most `bound` preemptions (switching away from a thread that could have
// gone on), depth first, then a number of random schedules beyond them.
#ifndef ZORVAN_TESTS_INTERLEAVING_EXPLORE_H
#define ZORVAN_TESTS_INTERLEAVING_EXPLORE_H

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "scheduler.h"

namespace interleaving {

// Runs the scenario once under `strategy`; returns what went wrong, or an
// empty text. The choices made are left in scheduler().trace().
using RunOnce = std::function<std::string(const Strategy& strategy)>;

struct Found {
  std::string failure;
  std::vector<int> choices;  // the schedule that shows it
  uint64_t schedule;         // how many schedules it took to find
  double seconds;            // and how long
};

struct Exploration {
  uint64_t bounded = 0;  // schedules within the preemption bound
  uint64_t random = 0;   // random schedules beyond them
  bool complete = true;  // every schedule within the bound was run
  std::vector<Found> found;
  double seconds = 0;
};

// Stops at the first failure, or with `everyKind` goes on and keeps the first
// schedule of each kind of failure (the text up to " (at").
Exploration explore(const RunOnce& run, int bound, uint64_t randomRuns, uint64_t maxBounded,
                    bool everyKind);

// "0.1.1.2" and back.
std::string formatChoices(const std::vector<int>& choices);
bool parseChoices(const char* text, std::vector<int>& choices);

}  // namespace interleaving

#endif  // ZORVAN_TESTS_INTERLEAVING_EXPLORE_H

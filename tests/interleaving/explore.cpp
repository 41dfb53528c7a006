#include "explore.h"

#include <stdlib.h>

#include <chrono>

namespace interleaving {

namespace {

// A choice point on the current path and the alternatives tried there.
struct Node {
  Choice choice;
  std::vector<bool> tried;
  int preemptionsBefore;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string kindOf(const std::string& failure) { return failure.substr(0, failure.find(" (at")); }

}  // namespace

Exploration explore(const RunOnce& run, int bound, uint64_t randomRuns, uint64_t maxBounded,
                    bool everyKind) {
  Exploration result;
  const auto start = std::chrono::steady_clock::now();
  // True when the exploration stops here.
  const auto failed = [&](const Strategy& strategy) {
    const std::string failure = run(strategy);
    if (failure.empty()) return false;
    for (const Found& found : result.found) {
      if (kindOf(found.failure) == kindOf(failure)) return false;
    }
    Found found{failure, {}, result.bounded + result.random, secondsSince(start)};
    for (const Choice& choice : scheduler().trace()) found.choices.push_back(choice.chosen);
    result.found.push_back(std::move(found));
    return !everyKind;
  };
  const auto finished = [&] {
    result.seconds = secondsSince(start);
    return result;
  };

  // Depth first over the choice points of the runs, each run replaying the
  // path to its node and taking the default beyond it.
  std::vector<Node> path;
  const auto extendPath = [&path] {
    const std::vector<Choice>& trace = scheduler().trace();
    for (size_t i = path.size(); i < trace.size(); ++i) {
      int before = 0;
      if (!path.empty()) {
        const Choice& last = path.back().choice;
        before = path.back().preemptionsBefore + (last.preempts(last.chosen) ? 1 : 0);
      }
      Node node{trace[i], std::vector<bool>(trace[i].enabled.size(), false), before};
      for (size_t k = 0; k < node.choice.enabled.size(); ++k) {
        if (node.choice.enabled[k] == node.choice.chosen) node.tried[k] = true;
      }
      path.push_back(std::move(node));
    }
  };
  ++result.bounded;
  if (failed(Strategy{})) return finished();
  extendPath();
  while (!path.empty()) {
    if (result.bounded >= maxBounded) {
      result.complete = false;
      break;
    }
    Node& node = path.back();
    size_t alternative = node.tried.size();
    for (size_t k = 0; k < node.tried.size(); ++k) {
      const int preemptions =
          node.preemptionsBefore + (node.choice.preempts(node.choice.enabled[k]) ? 1 : 0);
      if (!node.tried[k] && preemptions <= bound) {
        alternative = k;
        break;
      }
    }
    if (alternative == node.tried.size()) {
      path.pop_back();
      continue;
    }
    node.tried[alternative] = true;
    node.choice.chosen = node.choice.enabled[alternative];
    Strategy strategy;
    for (const Node& step : path) strategy.prefix.push_back(step.choice.chosen);
    ++result.bounded;
    if (failed(strategy)) return finished();
    extendPath();
  }

  for (uint64_t seed = 1; seed <= randomRuns; ++seed) {
    Strategy strategy;
    strategy.random = true;
    strategy.seed = seed;
    ++result.random;
    if (failed(strategy)) return finished();
  }
  return finished();
}

std::string formatChoices(const std::vector<int>& choices) {
  std::string text;
  for (size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(choices[i]);
  }
  return text;
}

bool parseChoices(const char* text, std::vector<int>& choices) {
  choices.clear();
  while (*text != '\0') {
    char* end = nullptr;
    const long value = strtol(text, &end, 10);
    if (end == text || value < 0) return false;
    choices.push_back(static_cast<int>(value));
    text = end;
    if (*text == '.') ++text;
  }
  return true;
}

}  // namespace interleaving

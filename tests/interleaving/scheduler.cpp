#include "scheduler.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

namespace interleaving {

namespace {

// The simulated thread the calling OS thread is, or -1.
thread_local int tSelf = -1;

// More synchronisation points than any scenario needs: a loop that never
// blocks.
constexpr uint64_t kStepLimit = 200000;

}  // namespace

void Scheduler::fatal(const char* what) {
  std::string choices;
  for (const Choice& choice : trace_) {
    if (!choices.empty()) choices += '.';
    choices += std::to_string(choice.chosen);
  }
  printf("\n%s: %s\n  %zu choices: --replay %s %s\n", label.c_str(), what, trace_.size(),
         label.c_str(), choices.c_str());
  fflush(stdout);
  // The simulated threads cannot be unwound; leave at once.
  _Exit(2);
}

bool Choice::preempts(int pick) const {
  return pick != current && std::find(enabled.begin(), enabled.end(), current) != enabled.end();
}

Scheduler& scheduler() {
  static Scheduler instance;
  return instance;
}

int Scheduler::self() const { return tSelf; }

void Scheduler::run(const Strategy& strategy, Body main) {
  threads_.clear();
  trace_.clear();
  strategy_ = strategy;
  random_.seed(strategy.seed);
  now_ = 0;
  steps_ = 0;
  spawn(std::move(main));
  {
    std::unique_lock<std::mutex> lock(batonLock_);
    running_ = 0;
    batonMoved_.notify_all();
    batonMoved_.wait(lock, [this] { return running_ == kController; });
  }
  for (auto& thread : threads_) thread->os.join();
  threads_.clear();
}

int Scheduler::spawn(Body body) {
  const int id = static_cast<int>(threads_.size());
  threads_.push_back(std::make_unique<Thread>());
  threads_.back()->body = std::move(body);
  threads_.back()->os = std::thread([this, id] { threadMain(id); });
  return id;
}

void Scheduler::threadMain(int id) {
  tSelf = id;
  {
    std::unique_lock<std::mutex> lock(batonLock_);
    batonMoved_.wait(lock, [this, id] { return running_ == id; });
  }
  Thread& me = *threads_[static_cast<size_t>(id)];
  me.body();
  me.ended = true;
  me.waiting = false;
  handOver(pick(id), id, true);
}

bool Scheduler::block(std::function<bool()> ready, uint64_t timeoutMs) {
  const int id = self();
  if (id < 0) fatal("a synchronisation point outside a simulated thread");
  Thread& me = *threads_[static_cast<size_t>(id)];
  me.ready = std::move(ready);
  me.deadline = timeoutMs == kForever ? kForever : now_ + timeoutMs;
  me.timedOut = false;
  me.waiting = true;
  handOver(pick(id), id, false);
  return !me.timedOut;
}

int Scheduler::pick(int self) {
  if (++steps_ > kStepLimit) fatal("step limit reached: a thread loops without blocking");
  std::vector<int> enabled;
  for (;;) {
    enabled.clear();
    bool anyAlive = false;
    for (size_t i = 0; i < threads_.size(); ++i) {
      Thread& t = *threads_[i];
      if (t.ended) continue;
      anyAlive = true;
      if (t.waiting && (!t.ready || t.ready())) enabled.push_back(static_cast<int>(i));
    }
    if (!anyAlive) return kController;
    if (!enabled.empty()) break;
    // Nobody can go on: the earliest time-out ends.
    Thread* earliest = nullptr;
    int earliestId = -1;
    for (size_t i = 0; i < threads_.size(); ++i) {
      Thread& t = *threads_[i];
      if (!t.ended && t.deadline != kForever &&
          (earliest == nullptr || t.deadline < earliest->deadline)) {
        earliest = &t;
        earliestId = static_cast<int>(i);
      }
    }
    if (earliest != nullptr) {
      now_ = earliest->deadline;
      earliest->timedOut = true;
      earliest->waiting = false;
      earliest->ready = nullptr;
      earliest->deadline = kForever;
      return earliestId;
    }
    if (!onStuck || !onStuck()) fatal("every thread waits for ever, even with the world released");
  }
  int chosen = enabled.front();
  if (enabled.size() > 1) {
    Choice choice{enabled, self, -1};
    const size_t index = trace_.size();
    const bool selfEnabled = std::find(enabled.begin(), enabled.end(), self) != enabled.end();
    if (index < strategy_.prefix.size()) {
      chosen = strategy_.prefix[index];
      if (std::find(enabled.begin(), enabled.end(), chosen) == enabled.end()) {
        fatal("the replayed choices do not fit this run (not deterministic?)");
      }
    } else if (strategy_.random) {
      chosen = enabled[random_() % enabled.size()];
    } else if (selfEnabled) {
      chosen = self;
    }
    choice.chosen = chosen;
    trace_.push_back(std::move(choice));
  }
  Thread& next = *threads_[static_cast<size_t>(chosen)];
  next.waiting = false;
  next.ready = nullptr;
  next.deadline = kForever;
  return chosen;
}

void Scheduler::handOver(int next, int self, bool exiting) {
  if (next == self && !exiting) return;
  std::unique_lock<std::mutex> lock(batonLock_);
  running_ = next;
  batonMoved_.notify_all();
  if (exiting) return;
  batonMoved_.wait(lock, [this, self] { return running_ == self; });
}

}  // namespace interleaving

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
  if (pick >= kTimeout) return true;  // a choice: some thread could go on
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
  starvation_ = 0;
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

// Thread `id`'s wait ends by its time-out; the threads in `starving` could
// have gone on meanwhile.
int Scheduler::timeOut(Thread& thread, int id, const std::vector<int>& starving) {
  const uint64_t passed = thread.deadline - now_;
  for (int other : starving) threads_[static_cast<size_t>(other)]->starved += passed;
  if (!starving.empty()) starvation_ += passed;
  now_ = thread.deadline;
  thread.timedOut = true;
  thread.waiting = false;
  thread.ready = nullptr;
  thread.deadline = kForever;
  return id;
}

int Scheduler::pick(int self) {
  if (++steps_ > kStepLimit) fatal("step limit reached: a thread loops without blocking");
  std::vector<int> enabled;
  int earliestId = -1;  // the waiting thread whose time-out comes first
  for (;;) {
    enabled.clear();
    earliestId = -1;
    bool anyAlive = false;
    for (size_t i = 0; i < threads_.size(); ++i) {
      Thread& t = *threads_[i];
      if (t.ended) continue;
      anyAlive = true;
      if (t.waiting && (!t.ready || t.ready())) {
        enabled.push_back(static_cast<int>(i));
      } else if (t.deadline != kForever &&
                 (earliestId < 0 ||
                  t.deadline < threads_[static_cast<size_t>(earliestId)]->deadline)) {
        earliestId = static_cast<int>(i);
      }
    }
    if (!anyAlive) return kController;
    if (!enabled.empty()) break;
    // Nobody can go on: the earliest time-out ends.
    if (earliestId >= 0) return timeOut(*threads_[static_cast<size_t>(earliestId)], earliestId, {});
    if (!onStuck || !onStuck()) fatal("every thread waits for ever, even with the world released");
  }
  std::vector<int> options = enabled;
  if (earliestId >= 0) options.push_back(kTimeout + earliestId);
  int chosen = options.front();
  if (options.size() > 1) {
    Choice choice{options, self, -1};
    const size_t index = trace_.size();
    const bool selfEnabled = std::find(enabled.begin(), enabled.end(), self) != enabled.end();
    if (index < strategy_.prefix.size()) {
      chosen = strategy_.prefix[index];
      if (std::find(options.begin(), options.end(), chosen) == options.end()) {
        fatal("the replayed choices do not fit this run (not deterministic?)");
      }
    } else if (strategy_.random) {
      // Time passes seldom while threads could run, as on a core that is
      // mostly free.
      if (earliestId >= 0 && random_() % 16 == 0) {
        chosen = kTimeout + earliestId;
      } else {
        chosen = enabled[random_() % enabled.size()];
      }
    } else if (selfEnabled) {
      chosen = self;
    }
    choice.chosen = chosen;
    trace_.push_back(std::move(choice));
  }
  if (chosen >= kTimeout) {
    const int id = chosen - kTimeout;
    return timeOut(*threads_[static_cast<size_t>(id)], id, enabled);
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

// A deterministic scheduler for simulated threads. Each simulated thread is a
// real OS thread, but only the one holding the baton runs; at every
// synchronisation point the running thread hands the baton to the thread the
// schedule picks next. Time is virtual and moves only to the earliest
// time-out: when no thread can go on, or, as one more choice, while threads
// could go on but are kept from running (as a thread descheduled on a busy
// core is), which then counts as time they were starved of.
// A run is therefore fixed by the choices made where more than one thing
// could happen next, and replays from them.
#ifndef ZORVAN_TESTS_INTERLEAVING_SCHEDULER_H
#define ZORVAN_TESTS_INTERLEAVING_SCHEDULER_H

#include <stdint.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace interleaving {

constexpr uint64_t kForever = UINT64_MAX;

// How a run chooses: the choices of `prefix` first, then at random (with
// `seed`) or, without `random`, by staying on the running thread while it can
// go on and otherwise taking the lowest-numbered thread that can.
struct Strategy {
  std::vector<int> prefix;
  bool random = false;
  uint64_t seed = 0;
};

// A choice of kTimeout + N: thread N's time-out ends its wait while other
// threads could go on.
constexpr int kTimeout = 1000;

// One point where more than one thing could happen next.
struct Choice {
  std::vector<int> enabled;  // the threads that could go on, in id order, then a time-out
  int current;               // the thread that reached the point
  int chosen;
  // Choosing another thread while the current one could go on, or letting
  // time pass while any could.
  bool preempts(int pick) const;
};

class Scheduler {
 public:
  using Body = std::function<void()>;
  // Run `main` as thread 0, with every thread it starts, until all have
  // ended. The choices made are in trace() afterwards.
  void run(const Strategy& strategy, Body main);
  const std::vector<Choice>& trace() const { return trace_; }

  // Called when no thread can go on and none waits with a time-out. True
  // when it released something; false means the run cannot end.
  std::function<bool()> onStuck;
  // Names the run when it cannot go on (the scenario).
  std::string label;

  // From simulated threads only.
  int spawn(Body body);
  // A synchronisation point: wait until `ready` (null: at once) holds or
  // `timeoutMs` of virtual time passed. True when `ready` held.
  bool block(std::function<bool()> ready, uint64_t timeoutMs);
  void yield() { block(nullptr, kForever); }
  int self() const;
  bool inSimulation() const { return self() >= 0; }
  bool ended(int id) const { return threads_[static_cast<size_t>(id)]->ended; }
  uint64_t now() const { return now_; }
  // Virtual time that passed while threads could go on but were kept from
  // running: in all, and while thread `id` was one of them.
  uint64_t starvation() const { return starvation_; }
  uint64_t starved(int id) const { return threads_[static_cast<size_t>(id)]->starved; }

 private:
  struct Thread {
    Body body;
    std::thread os;
    std::function<bool()> ready;
    uint64_t deadline = kForever;
    bool waiting = true;
    bool timedOut = false;
    bool ended = false;
    uint64_t starved = 0;
  };
  static constexpr int kController = -2;

  [[noreturn]] void fatal(const char* what);
  void threadMain(int id);
  int pick(int self);
  int timeOut(Thread& thread, int id, const std::vector<int>& starving);
  void handOver(int next, int self, bool exiting);

  std::mutex batonLock_;
  std::condition_variable batonMoved_;
  int running_ = kController;  // guarded by batonLock_

  // Touched only by the thread holding the baton.
  std::vector<std::unique_ptr<Thread>> threads_;
  std::vector<Choice> trace_;
  Strategy strategy_;
  std::mt19937_64 random_;
  uint64_t now_ = 0;
  uint64_t starvation_ = 0;
  uint64_t steps_ = 0;
};

Scheduler& scheduler();

}  // namespace interleaving

#endif  // ZORVAN_TESTS_INTERLEAVING_SCHEDULER_H

// Cost of the label path: assembling a label, the platform's thread wake-up,
// and a label's whole trip from the driver to the host's event callback and
// back to a blocked read, through the plug-in on the virtual device and
// through the floor beside it (bench/label_trip.h), in the same run.
#include <benchmark/benchmark.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/scan_thread.h"
#include "label_trip.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The `quantile` of the samples taken (reorders them).
double quantileOf(std::vector<double>& samples, double quantile) {
  if (samples.empty()) return 0;
  const auto at = samples.begin() +
                  static_cast<std::ptrdiff_t>(quantile * static_cast<double>(samples.size() - 1));
  std::nth_element(samples.begin(), at, samples.end());
  return *at;
}

// Where the threads of a measurement run: all on one CPU, or the producer on
// one and the reader (the scan thread, the floor's reader) on another. The
// reader's CPU is set on the main thread before the reader is started, which
// inherits it; then the main thread moves to the producer's CPU. Left to the
// scheduler, the placement changes from run to run, and on a virtual machine
// a wake-up across CPUs costs several times one on the same CPU, so the
// figures would tell where the threads landed rather than what they did.
class Placement {
 public:
  // `cpus` is 1 or 2. False (and nothing changed) when the process may not
  // use that many CPUs.
  bool place(int64_t cpus) {
    if (sched_getaffinity(0, sizeof original_, &original_) != 0) return false;
    int found = 0;
    for (int cpu = 0; cpu < CPU_SETSIZE && found < 2; ++cpu) {
      if (CPU_ISSET(cpu, &original_)) cpu_[found++] = cpu;
    }
    if (found < cpus) return false;
    readerCpu_ = cpu_[cpus - 1];
    placed_ = pinTo(readerCpu_);
    return placed_;
  }
  // Call once the reader threads have started.
  void moveToProducer() {
    if (placed_) pinTo(cpu_[0]);
  }
  ~Placement() {
    if (placed_) sched_setaffinity(0, sizeof original_, &original_);
  }

 private:
  static bool pinTo(int cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return sched_setaffinity(0, sizeof set, &set) == 0;
  }
  cpu_set_t original_;
  int cpu_[2] = {0, 0};
  int readerCpu_ = 0;
  bool placed_ = false;
};

void BM_AssembleLabel(benchmark::State& run) {
  std::vector<uint8_t> data(static_cast<size_t>(run.range(0)), 'x');
  uint8_t buffer[zorvan::kLabelBufferSize];
  const zorvan::Affixes affixes{2, 10, 13, 7};
  for (auto _ : run) {
    benchmark::DoNotOptimize(
        zorvan::assembleLabel(data.data(), static_cast<uint32_t>(data.size()), affixes, buffer));
    benchmark::ClobberMemory();
  }
  run.SetBytesProcessed(static_cast<int64_t>(run.iterations()) * run.range(0));
}
BENCHMARK(BM_AssembleLabel)->Arg(10)->Arg(255)->Arg(2999);

// What bounds every trip below: one thread wakes another that is blocked on
// a condition and is woken back, nothing else done. A label trip has two such
// wake-ups (the producer wakes the reader, the reader's next read wakes the
// producer). Argument: CPUs used, as for the trips.
void BM_ThreadWakeRoundTrip(benchmark::State& run) {
  Placement placement;
  if (!placement.place(run.range(0))) {
    run.SkipWithError("not enough CPUs");
    return;
  }
  std::mutex mutex;
  std::condition_variable toPeer, toMain;
  int turn = 0;  // 0 main, 1 peer, 2 end
  std::thread peer([&] {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      toPeer.wait(lock, [&] { return turn != 0; });
      if (turn == 2) return;
      turn = 0;
      lock.unlock();
      toMain.notify_one();
      lock.lock();
    }
  });
  placement.moveToProducer();
  for (auto _ : run) {
    std::unique_lock<std::mutex> lock(mutex);
    turn = 1;
    lock.unlock();
    toPeer.notify_one();
    lock.lock();
    toMain.wait(lock, [&] { return turn == 0; });
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    turn = 2;
  }
  toPeer.notify_one();
  peer.join();
}
BENCHMARK(BM_ThreadWakeRoundTrip)->ArgName("cpus")->Arg(1)->Arg(2)->UseRealTime();

// One label through the plug-in and one through the floor per iteration,
// alternating which goes first. The reported time is the plug-in's mean trip,
// `floor_ns` the floor's and `ratio` the plug-in's over the floor's. On a
// virtual machine the single trips fall in two modes (whether the woken
// thread runs at once or only after a tick of the scheduler), so the median
// is not a stable figure; p10 and p90 each sit inside one mode and are given
// for both, with their ratios.
// Arguments: label bytes, good-read beep on (1) or off (0), CPUs used (1: all
// threads on one; 2: the producer on one, both readers on the other).
void BM_LabelTrip(benchmark::State& run) {
  const std::vector<uint8_t> label(static_cast<size_t>(run.range(0)), '7');
  const uint32_t size = static_cast<uint32_t>(label.size());
  const bool beep = run.range(1) != 0;
  Placement placement;
  if (!placement.place(run.range(2))) {
    run.SkipWithError("not enough CPUs");
    return;
  }
  zorvan_bench::PluginTrip plugin(beep);
  zorvan_bench::FloorTrip floor(beep);
  placement.moveToProducer();
  double pluginSeconds = 0;
  double floorSeconds = 0;
  std::vector<double> pluginTrips, floorTrips;
  pluginTrips.reserve(1 << 20);
  floorTrips.reserve(1 << 20);
  bool pluginFirst = true;
  for (auto _ : run) {
    double pluginTime = 0;
    double floorTime = 0;
    for (int pass = 0; pass < 2; ++pass) {
      const bool doPlugin = (pass == 0) == pluginFirst;
      const Clock::time_point start = Clock::now();
      if (doPlugin) {
        plugin.trip(label.data(), size);
        pluginTime = secondsBetween(start, Clock::now());
      } else {
        floor.trip(label.data(), size);
        floorTime = secondsBetween(start, Clock::now());
      }
    }
    pluginFirst = !pluginFirst;
    run.SetIterationTime(pluginTime);
    pluginSeconds += pluginTime;
    floorSeconds += floorTime;
    if (pluginTrips.size() < pluginTrips.capacity()) {
      pluginTrips.push_back(pluginTime);
      floorTrips.push_back(floorTime);
    }
  }
  if (run.iterations() > 0 && floorSeconds > 0) {
    run.counters["floor_ns"] = floorSeconds * 1e9 / static_cast<double>(run.iterations());
    run.counters["ratio"] = pluginSeconds / floorSeconds;
    for (double quantile : {0.1, 0.9}) {
      const std::string name = quantile < 0.5 ? "p10" : "p90";
      const double pluginAt = quantileOf(pluginTrips, quantile);
      const double floorAt = quantileOf(floorTrips, quantile);
      run.counters[name + "_ns"] = pluginAt * 1e9;
      run.counters["floor_" + name + "_ns"] = floorAt * 1e9;
      run.counters[name + "_ratio"] = pluginAt / floorAt;
    }
  }
}
BENCHMARK(BM_LabelTrip)
    ->ArgNames({"bytes", "beep", "cpus"})
    ->ArgsProduct({{10, 255, 2999}, {0, 1}, {1, 2}})
    ->UseManualTime();

}  // namespace

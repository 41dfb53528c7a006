// Cost of the label path: assembling a label, the platform's thread wake-up,
// and a label's whole trip from the driver to the host's event callback and
// back to a blocked read, through the plug-in on the virtual device and
// through the floor beside it (bench/label_trip.h), in the same run.
#include <benchmark/benchmark.h>

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
// producer).
void BM_ThreadWakeRoundTrip(benchmark::State& run) {
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
BENCHMARK(BM_ThreadWakeRoundTrip)->UseRealTime();

// One label through the plug-in and one through the floor per iteration,
// alternating which goes first. The reported time is the plug-in's mean trip,
// `floor_ns` the floor's and `ratio` the plug-in's over the floor's. On a
// virtual machine the single trips fall in two modes (whether the woken
// thread runs at once or only after a tick of the scheduler), so the median
// is not a stable figure; p10 and p90 each sit inside one mode and are given
// for both, with their ratios.
// Arguments: label bytes, good-read beep on (1) or off (0).
void BM_LabelTrip(benchmark::State& run) {
  const std::vector<uint8_t> label(static_cast<size_t>(run.range(0)), '7');
  const uint32_t size = static_cast<uint32_t>(label.size());
  const bool beep = run.range(1) != 0;
  zorvan_bench::PluginTrip plugin(beep);
  zorvan_bench::FloorTrip floor(beep);
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
    ->ArgNames({"bytes", "beep"})
    ->ArgsProduct({{10, 255, 2999}, {0, 1}})
    ->UseManualTime();

}  // namespace

// Latency distributions on the virtual device:
// - a label from the driver's return to the host's event callback, while a
//   host thread retrieves every label it is told of;
// - DisableScanner from call to return with the scan thread blocked in the
//   driver, beside a bare thread woken and joined;
// - construction and destruction of an object.
// Each reports p50, p99 and max as counters. With --samples_dir=DIR the
// single samples (nanoseconds, one a line) are also written to DIR, for
// bench/plot_latency.py.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plugin/zorvan_scanner.h"
#include "virtual_device.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

std::string gSamplesDir;

// Adds p50, p99 and max of `samples` (nanoseconds) as counters and writes
// them to the samples folder when one was given.
void reportSamples(benchmark::State& run, std::vector<int64_t>& samples, const char* name,
                   const char* prefix = "") {
  if (samples.empty()) return;
  std::vector<int64_t> sorted = samples;
  std::sort(sorted.begin(), sorted.end());
  auto at = [&sorted](double quantile) {
    const size_t index = static_cast<size_t>(quantile * static_cast<double>(sorted.size() - 1));
    return static_cast<double>(sorted[index]);
  };
  const std::string p = prefix;
  run.counters[p + "p50_ns"] = at(0.50);
  run.counters[p + "p99_ns"] = at(0.99);
  run.counters[p + "max_ns"] = static_cast<double>(sorted.back());
  if (gSamplesDir.empty()) return;
  const std::string path = gSamplesDir + "/" + name + ".txt";
  if (FILE* file = fopen(path.c_str(), "w")) {
    for (int64_t sample : samples) fprintf(file, "%lld\n", static_cast<long long>(sample));
    fclose(file);
  }
}

// ---- Driver return to event callback ---------------------------------------

// The driver's read as the plug-in sees it, with the moment it returned a
// label noted. Only the scan thread calls it, and only the scan thread reads
// the note (in the event callback).
VendorFn_ITCSCAN_SyncRead gDriverRead = nullptr;
std::atomic<int64_t> gDriverReturnNs{0};

int32_t VENDOR_CALL timedSyncRead(int32_t handle, ReadRequest* request) {
  const int32_t result = gDriverRead(handle, request);
  gDriverReturnNs.store(nowNs(), std::memory_order_relaxed);
  return result;
}

// The host: the event callback notes the latency first, then tells a host
// thread, which fetches the label as a host does.
struct EventHost {
  std::vector<int64_t> latencies;
  std::atomic<size_t> count{0};
  std::mutex mutex;
  std::condition_variable posted;
  uint64_t events = 0;  // guarded by mutex
  bool stop = false;    // guarded by mutex
  std::atomic<uint64_t> fetched{0};
};
EventHost* gEventHost = nullptr;

void onTimedEvent(const uint8_t*) {
  const int64_t arrived = nowNs();
  EventHost& host = *gEventHost;
  const size_t n = host.count.load(std::memory_order_relaxed);
  if (n < host.latencies.size()) {
    host.latencies[n] = arrived - gDriverReturnNs.load(std::memory_order_relaxed);
    host.count.store(n + 1, std::memory_order_relaxed);
  }
  {
    std::lock_guard<std::mutex> lock(host.mutex);
    ++host.events;
  }
  host.posted.notify_one();
}

void onTone(int32_t, const uint8_t*, int32_t) {}

constexpr uint32_t kEventLabels = 20000;
constexpr uint32_t kBurst = 8;  // labels queued in the driver at once

// Labels of 10, 255 and 2999 bytes in turn, pushed in bursts of eight so the
// host thread's retrieval of one label overlaps the scan thread's handling
// of the next. The time reported is per label, push to idle.
void BM_DriverToEventCallback(benchmark::State& run) {
  vdev_reset_all();
  zorvan::VendorApi vendor = zorvan::processVendorApi();
  gDriverRead = vendor.ITCSCAN_SyncRead;
  vendor.ITCSCAN_SyncRead = timedSyncRead;

  EventHost host;
  host.latencies.assign(kEventLabels, 0);
  gEventHost = &host;
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(
      zorvan::ZorvanScannerInterface::create(zorvan::systemPlatform(), vendor));
  ScannerInterface1* table = scanner.get();
  table->SetEvtAddEventToQueueCallBack(onTimedEvent);
  table->SetEvtPlayToneCallBack(onTone);

  std::thread retriever([&host, table] {
    char text[3001];
    uint8_t record[LabelRecordSize];
    int16_t symbology = 0;
    uint64_t seen = 0;
    for (;;) {
      uint64_t events = 0;
      {
        std::unique_lock<std::mutex> lock(host.mutex);
        host.posted.wait(lock, [&] { return host.stop || host.events != seen; });
        if (host.events == seen) return;
        events = host.events;
      }
      // One fetch per event, as a host working through its event queue:
      // the first gets the label, later ones what is waiting by then.
      for (; seen < events; ++seen) {
        if (seen % 2 == 0) {
          table->ReadLabel(sizeof text - 1, &symbology, text);
        } else {
          table->GetLastLabelRecord(record);
        }
        host.fetched.fetch_add(1, std::memory_order_relaxed);
      }
    }
  });

  table->EnableScanner();
  vdev_scan_wait_blocked(1, 5000);
  const std::vector<uint8_t> labels[] = {std::vector<uint8_t>(10, '1'),
                                         std::vector<uint8_t>(255, '2'),
                                         std::vector<uint8_t>(2999, '3')};
  uint32_t pushed = 0;
  for (auto _ : run) {
    const Clock::time_point start = Clock::now();
    for (uint32_t i = 0; i < kBurst; ++i, ++pushed) {
      const std::vector<uint8_t>& label = labels[pushed % 3];
      vdev_scan_push_label(1, label.data(), static_cast<uint32_t>(label.size()));
    }
    vdev_scan_wait_idle(5000);
    run.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count() / kBurst);
  }
  table->DisableScanner();
  {
    std::lock_guard<std::mutex> lock(host.mutex);
    host.stop = true;
  }
  host.posted.notify_one();
  retriever.join();
  scanner.reset();
  gEventHost = nullptr;
  vdev_reset_all();

  std::vector<int64_t> latencies(
      host.latencies.begin(),
      host.latencies.begin() + static_cast<std::ptrdiff_t>(host.count.load()));
  reportSamples(run, latencies, "driver_to_event");
  run.counters["labels"] = static_cast<double>(latencies.size());
  run.counters["host_fetches"] = static_cast<double>(host.fetched.load());
}
BENCHMARK(BM_DriverToEventCallback)->Iterations(kEventLabels / kBurst)->UseManualTime();

// ---- DisableScanner ------------------------------------------------------

// The floor of a disable: a thread blocked on a condition is woken and
// joined, nothing else.
int64_t bareWakeAndJoinNs() {
  std::mutex mutex;
  std::condition_variable changed;
  bool blocked = false;
  bool stop = false;
  std::thread thread([&] {
    std::unique_lock<std::mutex> lock(mutex);
    blocked = true;
    changed.notify_all();
    changed.wait(lock, [&] { return stop; });
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return blocked; });
  }
  const int64_t start = nowNs();
  {
    std::lock_guard<std::mutex> lock(mutex);
    stop = true;
  }
  changed.notify_all();
  thread.join();
  return nowNs() - start;
}

constexpr uint32_t kDisables = 10000;

// Each iteration enables the scanner, waits until its scan thread is blocked
// in the driver, and times DisableScanner; then times the floor.
void BM_DisableScanner(benchmark::State& run) {
  vdev_reset_all();
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(
      zorvan::ZorvanScannerInterface::create(zorvan::systemPlatform(), zorvan::processVendorApi()));
  ScannerInterface1* table = scanner.get();
  std::vector<int64_t> disables, floors;
  disables.reserve(kDisables);
  floors.reserve(kDisables);
  for (auto _ : run) {
    table->EnableScanner();
    vdev_scan_wait_blocked(1, 5000);
    const int64_t start = nowNs();
    const int16_t result = table->DisableScanner();
    const int64_t took = nowNs() - start;
    benchmark::DoNotOptimize(result);
    run.SetIterationTime(static_cast<double>(took) * 1e-9);
    disables.push_back(took);
    floors.push_back(bareWakeAndJoinNs());
  }
  scanner.reset();
  vdev_reset_all();
  reportSamples(run, disables, "disable_scanner");
  reportSamples(run, floors, "wake_and_join", "floor_");
}
BENCHMARK(BM_DisableScanner)->Iterations(kDisables)->UseManualTime();

// ---- Construction and destruction ----------------------------------------

// Arguments: 0 construction, 1 destruction of a disabled object, 2
// destruction of an enabled object (its scan thread blocked in the driver).
void BM_Lifetime(benchmark::State& run) {
  const int64_t what = run.range(0);
  vdev_reset_all();
  std::vector<int64_t> samples;
  samples.reserve(1 << 16);
  for (auto _ : run) {
    int64_t start = nowNs();
    std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(zorvan::ZorvanScannerInterface::create(
        zorvan::systemPlatform(), zorvan::processVendorApi()));
    int64_t took = nowNs() - start;
    if (what != 0) {
      if (what == 2) {
        scanner->EnableScanner();
        vdev_scan_wait_blocked(1, 5000);
      }
      start = nowNs();
      scanner.reset();
      took = nowNs() - start;
    }
    scanner.reset();
    run.SetIterationTime(static_cast<double>(took) * 1e-9);
    if (samples.size() < samples.capacity()) samples.push_back(took);
  }
  vdev_reset_all();
  const char* names[] = {"construct", "destroy", "destroy_enabled"};
  reportSamples(run, samples, names[what]);
}
BENCHMARK(BM_Lifetime)->ArgName("destroy")->DenseRange(0, 2)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  // Take --samples_dir=DIR before the library sees the arguments.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const char kFlag[] = "--samples_dir=";
    if (strncmp(argv[i], kFlag, sizeof kFlag - 1) == 0) {
      gSamplesDir = argv[i] + sizeof kFlag - 1;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

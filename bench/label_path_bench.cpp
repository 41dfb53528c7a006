// Cost of the label path: assembling a label, and a label's whole trip from
// the driver to the host's event callback on the virtual device.
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <vector>

#include "acquisition/scan_thread.h"
#include "plugin/zorvan_scanner.h"
#include "virtual_device.h"

namespace {

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
BENCHMARK(BM_AssembleLabel)->Arg(12)->Arg(300)->Arg(7095);

std::atomic<int> gEvents{0};
void countEvent(const uint8_t*) { gEvents.fetch_add(1, std::memory_order_relaxed); }

// One label pushed into the virtual driver until the scan thread has handed
// it to the host and is reading again.
void BM_LabelToHost(benchmark::State& run) {
  vdev_reset_all();
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(
      zorvan::ZorvanScannerInterface::create(zorvan::systemPlatform(), zorvan::processVendorApi()));
  scanner->SetEvtAddEventToQueueCallBack(countEvent);
  scanner->SetGoodReadBeep(0);
  scanner->ApplySettings(0);
  scanner->EnableScanner();
  vdev_scan_wait_blocked(1, 5000);
  const std::vector<uint8_t> label(static_cast<size_t>(run.range(0)), '7');
  for (auto _ : run) {
    vdev_scan_push_label(1, label.data(), static_cast<uint32_t>(label.size()));
    vdev_scan_wait_idle(5000);
  }
  scanner->DisableScanner();
  scanner.reset();
  vdev_reset_all();
}
BENCHMARK(BM_LabelToHost)->Arg(12)->Arg(2000)->UseRealTime();

}  // namespace

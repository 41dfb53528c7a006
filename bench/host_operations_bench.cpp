// Cost of the operations a host calls most: retrieving a label, playing the
// good-read beep, and a symbology query through DeviceConfig.
#include <benchmark/benchmark.h>

#include <memory>

#include "plugin/zorvan_scanner.h"
#include "virtual_device.h"

namespace {

void onTone(int32_t, const uint8_t*, int32_t) {}

std::unique_ptr<zorvan::ZorvanScannerInterface> openScanner() {
  vdev_reset_all();
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(
      zorvan::ZorvanScannerInterface::create(zorvan::systemPlatform(), zorvan::processVendorApi()));
  scanner->SetEvtPlayToneCallBack(onTone);
  return scanner;
}

// Retrieval of a pending label: the label is made pending again each round,
// as the scan thread would.
void BM_GetLastLabelRecord(benchmark::State& run) {
  auto scanner = openScanner();
  zorvan::LabelStore& labels = scanner->state().labels;
  const uint8_t label[200] = {};
  const zorvan::Affixes none = {0, 0, 0, 0};
  uint8_t record[LabelRecordSize];
  for (auto _ : run) {
    labels.store(label, sizeof label, none, 1);
    benchmark::DoNotOptimize(scanner->GetLastLabelRecord(record));
  }
}
BENCHMARK(BM_GetLastLabelRecord);

void BM_PlayGoodReadBeep(benchmark::State& run) {
  auto scanner = openScanner();
  for (auto _ : run) benchmark::DoNotOptimize(scanner->PlayTonePattern(27));
}
BENCHMARK(BM_PlayGoodReadBeep);

void BM_GetSymbologyEnabled(benchmark::State& run) {
  auto scanner = openScanner();
  for (auto _ : run) benchmark::DoNotOptimize(scanner->GetSymbologyEnabled(85));
}
BENCHMARK(BM_GetSymbologyEnabled);

}  // namespace

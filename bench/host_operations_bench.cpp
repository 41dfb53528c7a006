// Cost of the operations a host calls most, each through the operation table
// as a host calls it, beside a do-nothing call through the same table
// (NoOpA, position 27) timed in the same iterations: a flag getter, a
// settings setter, a symbology query and a symbology change through the
// virtual DeviceConfig, label retrieval with and without a label waiting, and
// the good-read beep.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "plugin/zorvan_scanner.h"
#include "virtual_device.h"

namespace {

using Clock = std::chrono::steady_clock;

// Calls timed together; the clock is read once per batch, not per call. An
// iteration is one batch, so the Time column is for 64 calls.
constexpr int kBatch = 64;

void onTone(int32_t, const uint8_t*, int32_t) {}

struct Host {
  Host() {
    vdev_reset_all();
    scanner.reset(zorvan::ZorvanScannerInterface::create(zorvan::systemPlatform(),
                                                         zorvan::processVendorApi()));
    table = scanner.get();
    // The compiler may not see which class is behind the table, so every
    // call below is a call through the table.
    benchmark::DoNotOptimize(table);
    table->SetEvtPlayToneCallBack(onTone);
  }
  ~Host() {
    scanner.reset();
    vdev_reset_all();
  }

  // Make a label of `length` bytes wait for retrieval, as the scan thread
  // leaves it.
  void makePending(uint16_t length) {
    static const uint8_t kBytes[zorvan::kLabelBufferSize] = {};
    const zorvan::Affixes none = {0, 0, 0, 0};
    scanner->state().labels.store(kBytes, length, none, 1);
  }

  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner;
  ScannerInterface1* table = nullptr;
};

// The median of `samples` (reorders them).
double median(std::vector<double>& samples) {
  const auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
  std::nth_element(samples.begin(), middle, samples.end());
  return *middle;
}

// Times `operation` and `floor` in alternating batches. The reported time is
// the operation's mean batch; `ns_per_call` is one operation and `floor_ns`
// one floor call, each from the median batch, and `ratio` their quotient. On
// a shared machine a preemption inside a batch of nanosecond calls moves the
// mean far more than the median.
template <typename Operation, typename Floor>
void runBeside(benchmark::State& run, Operation operation, Floor floor) {
  std::vector<double> operationBatches, floorBatches;
  operationBatches.reserve(1 << 22);
  floorBatches.reserve(1 << 22);
  for (auto _ : run) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kBatch; ++i) operation();
    const Clock::time_point middle = Clock::now();
    for (int i = 0; i < kBatch; ++i) floor();
    const Clock::time_point end = Clock::now();
    const double operationTime = std::chrono::duration<double>(middle - start).count();
    run.SetIterationTime(operationTime);
    if (operationBatches.size() < operationBatches.capacity()) {
      operationBatches.push_back(operationTime);
      floorBatches.push_back(std::chrono::duration<double>(end - middle).count());
    }
  }
  if (!operationBatches.empty()) {
    const double operationCall = median(operationBatches) * 1e9 / kBatch;
    const double floorCall = median(floorBatches) * 1e9 / kBatch;
    run.counters["ns_per_call"] = operationCall;
    run.counters["floor_ns"] = floorCall;
    run.counters["ratio"] = floorCall > 0 ? operationCall / floorCall : 0;
  }
}

// An operation beside the plain do-nothing call.
template <typename Operation>
void runBesideNoOp(benchmark::State& run, Host& host, Operation operation) {
  ScannerInterface1* table = host.table;
  runBeside(run, operation, [table] { benchmark::DoNotOptimize(table->NoOpA()); });
}

void BM_GetGoodReadBeep(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  runBesideNoOp(run, host, [table] { benchmark::DoNotOptimize(table->GetGoodReadBeep()); });
}
BENCHMARK(BM_GetGoodReadBeep)->ArgName("calls")->Arg(kBatch)->UseManualTime();

void BM_SetStoredLevel1(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  runBesideNoOp(run, host, [table] { benchmark::DoNotOptimize(table->SetStoredLevel1(50)); });
}
BENCHMARK(BM_SetStoredLevel1)->ArgName("calls")->Arg(kBatch)->UseManualTime();

void BM_GetSymbologyEnabled(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  runBesideNoOp(run, host, [table] { benchmark::DoNotOptimize(table->GetSymbologyEnabled(8)); });
}
BENCHMARK(BM_GetSymbologyEnabled)->ArgName("calls")->Arg(kBatch)->UseManualTime();

void BM_SetSymbologyLengths(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  runBesideNoOp(run, host,
                [table] { benchmark::DoNotOptimize(table->SetSymbologyLengths(7, 2, 10, 20)); });
}
BENCHMARK(BM_SetSymbologyLengths)->ArgName("calls")->Arg(kBatch)->UseManualTime();

// Retrieval with nothing waiting: the no-label answer.
void BM_ReadLabelNone(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  char text[LabelRecordSize];
  int16_t symbology = 0;
  runBesideNoOp(run, host, [table, &text, &symbology] {
    benchmark::DoNotOptimize(table->ReadLabel(sizeof text - 1, &symbology, text));
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_ReadLabelNone)->ArgName("calls")->Arg(kBatch)->UseManualTime();

void BM_GetLastLabelRecordNone(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  uint8_t record[LabelRecordSize];
  runBesideNoOp(run, host, [table, &record] {
    benchmark::DoNotOptimize(table->GetLastLabelRecord(record));
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_GetLastLabelRecordNone)->ArgName("calls")->Arg(kBatch)->UseManualTime();

// Retrieval of a waiting 255-byte label. The label is made to wait again
// before each call, under the label lock as the scan thread does; the floor
// does the same before its do-nothing call, so the ratio compares the
// retrieval alone.
void BM_ReadLabelPending(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  char text[LabelRecordSize];
  int16_t symbology = 0;
  runBeside(
      run,
      [&] {
        host.makePending(255);
        benchmark::DoNotOptimize(table->ReadLabel(sizeof text - 1, &symbology, text));
        benchmark::ClobberMemory();
      },
      [&] {
        host.makePending(255);
        benchmark::DoNotOptimize(table->NoOpA());
      });
}
BENCHMARK(BM_ReadLabelPending)->ArgName("calls")->Arg(kBatch)->UseManualTime();

void BM_GetLastLabelRecordPending(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  uint8_t record[LabelRecordSize];
  runBeside(
      run,
      [&] {
        host.makePending(255);
        benchmark::DoNotOptimize(table->GetLastLabelRecord(record));
        benchmark::ClobberMemory();
      },
      [&] {
        host.makePending(255);
        benchmark::DoNotOptimize(table->NoOpA());
      });
}
BENCHMARK(BM_GetLastLabelRecordPending)->ArgName("calls")->Arg(kBatch)->UseManualTime();

// The good-read beep as a host plays it: pattern 27, one tone to the host's
// callback.
void BM_PlayGoodReadBeep(benchmark::State& run) {
  Host host;
  ScannerInterface1* table = host.table;
  runBesideNoOp(run, host, [table] { benchmark::DoNotOptimize(table->PlayTonePattern(27)); });
}
BENCHMARK(BM_PlayGoodReadBeep)->ArgName("calls")->Arg(kBatch)->UseManualTime();

}  // namespace

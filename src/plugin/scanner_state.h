// The state of one scanner object.
//
// It lives in its own block, apart from the object the host holds, and is
// shared by reference count between that object and its scan thread: a scan
// thread stuck inside the driver keeps the block alive after the host has
// destroyed the object, and frees it when the driver finally lets go.
#ifndef ZORVAN_PLUGIN_SCANNER_STATE_H
#define ZORVAN_PLUGIN_SCANNER_STATE_H

#include <stdint.h>

#include <atomic>

#include "device/device_config.h"
#include "device/platform.h"
#include "device/vendor_api.h"
#include "scanner_interface1.h"

namespace zorvan {

// A value that the scan thread reads while a host thread may write it. Each
// load and store is whole; no ordering with other fields is implied, so a
// label assembled during a change sees the old or the new value of each field.
template <typename T>
class Relaxed {
 public:
  Relaxed() : value_(T()) {}
  Relaxed(const Relaxed&) = delete;
  Relaxed& operator=(const Relaxed&) = delete;
  T load() const { return value_.load(std::memory_order_relaxed); }
  void store(T value) { value_.store(value, std::memory_order_relaxed); }
  operator T() const { return load(); }
  Relaxed& operator=(T value) {
    store(value);
    return *this;
  }

 private:
  std::atomic<T> value_;
};

// Pending and applied settings share this layout and are copied field by
// field as a whole.
struct SettingsBlock {
  Relaxed<uint8_t> goodReadBeep;
  Relaxed<uint8_t> storedFlag1;
  Relaxed<int16_t> storedLevel1;
  Relaxed<int16_t> storedLevel2;
  Relaxed<int16_t> storedCode;
  Relaxed<int32_t> triggerMode;
  Relaxed<uint8_t> auxFlag;
  Relaxed<int16_t> storedLevel3;
  Relaxed<int16_t> storedSelector;

  void clear();
  void copyFrom(const SettingsBlock& other);
};

// Places of the eight tone parameters in the tone table: the durations d, s,
// m, l, then the frequencies D, L, M, H.
enum ToneSlot : uint8_t {
  kToneDurationD,   // id 39
  kToneDurationS,   // id 32
  kToneDurationM,   // id 33
  kToneDurationL,   // id 34
  kToneFrequencyD,  // id 40
  kToneFrequencyL,  // id 37
  kToneFrequencyM,  // id 36
  kToneFrequencyH,  // id 35
  kToneSlotCount
};

constexpr uint32_t kLabelBufferSize = 3000;

struct ScannerState {
  ScannerState(Platform& platform, const VendorApi& vendor);
  ~ScannerState();
  ScannerState(const ScannerState&) = delete;
  ScannerState& operator=(const ScannerState&) = delete;

  // Who shares this block: the object, and the scan thread while it runs.
  std::atomic<int32_t> references{1};
  Platform& platform;
  const VendorApi& vendor;

  Relaxed<uint16_t> toneTable[kToneSlotCount];
  Relaxed<int8_t> prefix;
  Relaxed<int8_t> suffix1;
  Relaxed<int8_t> suffix2;
  Relaxed<int16_t> affixMode;

  // Set during construction and cleared by destruction; the scan thread
  // reads the handle for each read.
  Relaxed<int32_t> driverHandle;
  DeviceConfig* deviceConfig = nullptr;
  // Whether construction's COM start-up succeeded, and on which thread: only
  // that thread can balance it.
  bool comInitialized = false;
  uint32_t comThread = 0;

  // The scan thread; started, waited for and forgotten on host threads.
  ThreadSlot scanThread;
  // Id of the running scan thread, so an operation called from inside a
  // callback can tell it runs on that thread.
  std::atomic<uint32_t> scanThreadId{0};

  // Guards the last label between the scan thread and the retrieval
  // operations.
  Mutex labelLock;
  uint8_t labelBuffer[kLabelBufferSize] ZV_GUARDED_BY(labelLock) = {};
  uint16_t labelLength ZV_GUARDED_BY(labelLock) = 0;
  int32_t labelSymbology ZV_GUARDED_BY(labelLock) = 0;
  uint8_t labelPending ZV_GUARDED_BY(labelLock) = 0;

  Relaxed<uint8_t> configReady;
  Relaxed<uint8_t> readLedState;
  Relaxed<uint8_t> variantFlagE;
  Relaxed<uint8_t> variantFlagA;
  Relaxed<int16_t> storedSelector2;
  SettingsBlock pending;
  SettingsBlock applied;

  Relaxed<EventQueueCallback> eventCallback;
  Relaxed<DebugMessageCallback> debugCallback;
  Relaxed<PlayToneCallback> toneCallback;

  // Held by the scan thread from storing a label until the host's callbacks
  // for it have returned. Once `stopping` is set, DisableScanner and the
  // destructor pass through this lock: a delivery under way finishes, and
  // every later one sees `stopping` and does not happen.
  Mutex deliveryLock;
  // Set when the scan thread of this enable period is to store and announce
  // nothing more and end at its next chance, whatever the driver returns.
  // Cleared when a new scan thread starts.
  std::atomic<bool> stopping{false};
  // Set with `stopping`; cuts short a pause of the good-read pattern on the
  // scan thread.
  Event stopEvent;
};

// Take and drop a share of the block; the last drop frees it.
void retainState(ScannerState& state);
void releaseState(ScannerState* state);

// State blocks alive in the process, so tests can see that a block kept by a
// stuck scan thread is freed once that thread ends.
int32_t liveScannerStates();

}  // namespace zorvan

#endif  // ZORVAN_PLUGIN_SCANNER_STATE_H

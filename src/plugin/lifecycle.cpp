// Construction, destruction, callbacks, enabling, the software trigger and
// the read LED.
#include <new>

#include "plugin/host_table.h"
#include "plugin/zorvan_scanner.h"

namespace zorvan {

namespace {

// How long DisableScanner waits for the scan thread to end.
constexpr uint32_t kScanThreadWaitMs = 3000;
// The trigger mode that allows the software trigger.
constexpr int32_t kSoftwareTriggerMode = 8;
// Pattern played when the software trigger is not allowed.
constexpr uint32_t kTriggerRefusedPattern = 29;

int16_t isScannerEnabled(ScannerState& state) {
  int32_t value = 0;
  const int32_t result = state.vendor.ITCSCAN_GetScannerEnable(state.driver.get(), &value);
  return vendorSucceeded(result) && value != 0 ? 1 : 0;
}

// Ask the recorded scan thread to stop, cancel its read and wait for it. One
// that has not ended when the wait runs out is cut off: it stays recorded
// and no callback of it begins any more.
void stopScanThread(ScannerState& state) {
  state.scanThread.requestStop();
  uint32_t count1 = 0;
  uint32_t count2 = 0;
  state.vendor.ITCSCAN_CancelRead(state.driver.get(), 1, &count1, &count2);
  state.scanThread.wait(kScanThreadWaitMs);
}

// The steps of DisableScanner. `threadStopped`, when given, tells whether
// they stopped a recorded thread (they do not when the driver reports the
// scanner disabled).
int16_t disableScanner(ScannerState& state, bool* threadStopped = nullptr) {
  if (!isScannerEnabled(state)) return ResultRejected;
  if (state.scanThread.recorded()) {
    stopScanThread(state);
    if (threadStopped != nullptr) *threadStopped = true;
  }
  return vendorSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driver.get(), 0))
             ? ResultOk
             : ResultRejected;
}

int16_t setReadLed(ScannerState& state, int32_t on) {
  const int32_t result = state.vendor.ITCSCAN_SetReadLED(state.driver.get(), on);
  state.readLedState = static_cast<uint8_t>(on);
  return result >= 0 ? ResultOk : ResultUnsupported;
}

bool softwareTriggerAllowed(const ScannerState& state) {
  return state.settings.appliedTriggerMode() == kSoftwareTriggerMode;
}

int16_t setTrigger(ScannerState& state, int32_t on) {
  return vendorSucceeded(state.vendor.ITCSCAN_SetTriggerScanner(state.driver.get(), on))
             ? ResultOk
             : ResultUnsupported;
}

}  // namespace

ZorvanScannerInterface* ZorvanScannerInterface::create(Platform& platform,
                                                       const VendorApi& vendor) {
  ScannerState* state = new (std::nothrow) ScannerState(platform, vendor);
  if (state == nullptr) return nullptr;
  ZorvanScannerInterface* scanner = new (std::nothrow) ZorvanScannerInterface(state);
  if (scanner == nullptr) {
    SharedReference(state).release();  // the block's only share: frees it
    return nullptr;
  }
  scanner->construct();
  useHostTable(*scanner);
  return scanner;
}

ZorvanScannerInterface::ZorvanScannerInterface(ScannerState* state)
    : state_(state), stateShare_(state) {}

void ZorvanScannerInterface::construct() {
  ScannerState& state = *state_;
  if (!state.driver.open(state.vendor, VENDOR_TEXT("default"))) return;
  state.com.begin(state.platform);
  if (!state.symbology.device.open()) return;

  state.configReady = 1;
  applyDefaults(state);
  state.vendor.ITCSCAN_SetScannerEnable(state.driver.get(), 0);
}

// Each step releases what one owner holds, exactly once, in this order.
ZorvanScannerInterface::~ZorvanScannerInterface() {
  ScannerState& state = *state_;
  // From here on the scan thread begins no new read; a label the driver has
  // already handed over is still delivered until the thread is cut off.
  state.scanThread.requestStop();
  state.symbology.device.release();
  // Only on the thread that started it; a host thread's own COM stays.
  state.com.end();
  bool threadStopped = false;
  disableScanner(state, &threadStopped);
  // The steps above returned early with a thread recorded (the driver
  // reports the scanner disabled, or cannot say): it is stopped here, and
  // its read cancelled while the driver is still open.
  if (state.scanThread.recorded() && !threadStopped) stopScanThread(state);
  state.driver.close();
  // A thread still recorded that has ended by now is collected; one that has
  // not is left, cut off, to end by itself with its share of the state.
  if (!state.scanThread.wait(0)) state.scanThread.leave();
  stateShare_.release();
}

void ZorvanScannerInterface::SetEvtAddEventToQueueCallBack(EventQueueCallback callback) {
  state_->callbacks.event = callback;
}

void ZorvanScannerInterface::SetEvtDebugMessageCallBack(DebugMessageCallback callback) {
  state_->callbacks.debug = callback;
}

void ZorvanScannerInterface::SetEvtPlayToneCallBack(PlayToneCallback callback) {
  state_->tones.setCallback(callback);
}

int16_t ZorvanScannerInterface::IsScannerEnabled() { return isScannerEnabled(*state_); }

int16_t ZorvanScannerInterface::EnableScanner() {
  ScannerState& state = *state_;
  if (isScannerEnabled(state)) return ResultOk;
  if (!vendorSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driver.get(), 1))) {
    return ResultRejected;
  }
  if (state.scanThread.recorded()) {
    // A thread whose stop timed out and that is still reading is taken back
    // as this enable period's thread, so no label the driver delivers from
    // now on is lost; one that has ended or is ending stays recorded until
    // DisableScanner collects it.
    state.scanThread.takeBack();
    return ResultRejected;
  }
  if (!state.scanThread.start(SharedReference(state_))) {
    if (DebugMessageCallback debug = state.callbacks.debug) {
      debug("Debug Failed to create scan thread");
    }
    return ResultRejected;
  }
  return ResultOk;
}

int16_t ZorvanScannerInterface::DisableScanner() { return disableScanner(*state_); }

int16_t ZorvanScannerInterface::StartSoftwareTrigger() {
  ScannerState& state = *state_;
  if (!softwareTriggerAllowed(state)) {
    state.tones.playPattern(kTriggerRefusedPattern);
    return ResultUnsupported;
  }
  if (!isScannerEnabled(state)) return ResultRejected;
  return setTrigger(state, 1);
}

int16_t ZorvanScannerInterface::StopSoftwareTrigger() {
  ScannerState& state = *state_;
  if (!softwareTriggerAllowed(state)) return ResultUnsupported;
  return setTrigger(state, 0);
}

int16_t ZorvanScannerInterface::ReadLedOn() { return setReadLed(*state_, 1); }
int16_t ZorvanScannerInterface::ReadLedOff() { return setReadLed(*state_, 0); }
int16_t ZorvanScannerInterface::GetReadLedState() { return state_->readLedState != 0 ? 1 : 0; }

}  // namespace zorvan

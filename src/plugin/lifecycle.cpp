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
  const int32_t result = state.vendor.ITCSCAN_GetScannerEnable(state.driverHandle, &value);
  return vendorSucceeded(result) && value != 0 ? 1 : 0;
}

int16_t disableScanner(ScannerState& state) {
  if (!isScannerEnabled(state)) return ResultRejected;
  if (state.scanThread.recorded()) {
    state.scanThread.requestStop();
    uint32_t count1 = 0;
    uint32_t count2 = 0;
    state.vendor.ITCSCAN_CancelRead(state.driverHandle, 1, &count1, &count2);
    state.scanThread.wait(kScanThreadWaitMs);
  }
  return vendorSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driverHandle, 0))
             ? ResultOk
             : ResultRejected;
}

int16_t setReadLed(ScannerState& state, int32_t on) {
  const int32_t result = state.vendor.ITCSCAN_SetReadLED(state.driverHandle, on);
  state.readLedState = static_cast<uint8_t>(on);
  return result >= 0 ? ResultOk : ResultUnsupported;
}

bool softwareTriggerAllowed(const ScannerState& state) {
  return state.settings.appliedTriggerMode() == kSoftwareTriggerMode;
}

int16_t setTrigger(ScannerState& state, int32_t on) {
  return vendorSucceeded(state.vendor.ITCSCAN_SetTriggerScanner(state.driverHandle, on))
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
  int32_t handle = 0;
  if (!vendorSucceeded(state.vendor.ITCSCAN_Open(&handle, VENDOR_TEXT("default")))) return;
  state.driverHandle = handle;

  if (state.platform.comInitialize()) {
    state.comInitialized = true;
    state.comThread = state.platform.currentThreadId();
  }

  state.symbology.device = openDeviceConfig(state.vendor);
  if (state.symbology.device == nullptr) return;

  state.configReady = 1;
  applyDefaults(state);
  state.vendor.ITCSCAN_SetScannerEnable(handle, 0);
}

ZorvanScannerInterface::~ZorvanScannerInterface() {
  ScannerState& state = *state_;
  // First of all the scan thread stops calling back: nothing it does from
  // here on reaches the host, and a pause it plays ends now.
  state.scanThread.requestStop();
  closeDeviceConfig(state.vendor, state.symbology.device);
  // Only a COM start-up of this object's own is undone, and only on the
  // thread that made it; a host thread's own COM start-up stays.
  if (state.comInitialized && state.platform.currentThreadId() == state.comThread) {
    state.platform.comUninitialize();
  }
  state.comInitialized = false;
  disableScanner(state);
  if (state.driverHandle != 0) {
    state.vendor.ITCSCAN_Close(state.driverHandle);
    state.driverHandle = 0;
  }
  // A thread still recorded that has ended is collected; one that has not is
  // left to end by itself with its share of the state.
  if (state.scanThread.recorded() && !state.scanThread.wait(0)) state.scanThread.leave();
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
  if (!vendorSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driverHandle, 1))) {
    return ResultRejected;
  }
  if (state.scanThread.recorded()) return ResultRejected;
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

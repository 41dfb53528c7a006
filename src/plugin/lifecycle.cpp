// Construction, destruction, callbacks, enabling, the software trigger and
// the read LED.
#include <new>

#include "acquisition/scan_thread.h"
#include "feedback/tones.h"
#include "plugin/host_table.h"
#include "plugin/zorvan_scanner.h"
#include "settings/defaults.h"

namespace zorvan {

namespace {

// How long DisableScanner waits for the scan thread to end.
constexpr uint32_t kScanThreadWaitMs = 3000;
// The trigger mode that allows the software trigger.
constexpr int32_t kSoftwareTriggerMode = 8;
// Pattern played when the software trigger is not allowed.
constexpr uint32_t kTriggerRefusedPattern = 29;

// Success test of the driver's results: both high bits clear.
bool driverSucceeded(int32_t result) { return (static_cast<uint32_t>(result) & 0xC0000000u) == 0; }

int16_t isScannerEnabled(ScannerState& state) {
  int32_t value = 0;
  const int32_t result = state.vendor.ITCSCAN_GetScannerEnable(state.driverHandle, &value);
  return driverSucceeded(result) && value != 0 ? 1 : 0;
}

// Wait for a scan thread that was asked to stop. When it does not end in
// time (or the caller is that thread, inside a callback), it stays recorded,
// and once this returns it reaches the host no more.
bool waitForScanThread(ScannerState& state, uint32_t timeoutMs) {
  if (!calledFromScanThread(state) && state.platform.waitThread(state.scanThread, timeoutMs)) {
    return true;
  }
  waitForDeliveryToStop(state);
  return false;
}

int16_t disableScanner(ScannerState& state) {
  if (!isScannerEnabled(state)) return ResultRejected;
  if (state.scanThread.recorded) {
    stopScanThreadDelivery(state);
    uint32_t count1 = 0;
    uint32_t count2 = 0;
    state.vendor.ITCSCAN_CancelRead(state.driverHandle, 1, &count1, &count2);
    waitForScanThread(state, kScanThreadWaitMs);
  }
  return driverSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driverHandle, 0))
             ? ResultOk
             : ResultRejected;
}

// A scan thread still recorded when the object goes: one that has ended is
// collected; one that has not is never ended by force (a thread killed
// inside the driver or a host callback would leave their locks held). It
// is already cut off from the host, and is left to end by itself with its
// share of the state. The plug-in's module is pinned first, so a host that
// unloads the plug-in cannot pull the code from under that thread.
void leaveRemainingScanThread(ScannerState& state) {
  if (!state.scanThread.recorded) return;
  if (waitForScanThread(state, 0)) return;
  state.platform.pinModule();
  state.platform.detachThread(state.scanThread);
}

int16_t setReadLed(ScannerState& state, int32_t on) {
  const int32_t result = state.vendor.ITCSCAN_SetReadLED(state.driverHandle, on);
  state.readLedState = static_cast<uint8_t>(on);
  return result >= 0 ? ResultOk : ResultUnsupported;
}

bool softwareTriggerAllowed(const ScannerState& state) {
  return state.applied.triggerMode == kSoftwareTriggerMode;
}

int16_t setTrigger(ScannerState& state, int32_t on) {
  return driverSucceeded(state.vendor.ITCSCAN_SetTriggerScanner(state.driverHandle, on))
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
    releaseState(state);
    return nullptr;
  }
  scanner->construct();
  useHostTable(*scanner);
  return scanner;
}

ZorvanScannerInterface::ZorvanScannerInterface(ScannerState* state) : state_(state) {}

void ZorvanScannerInterface::construct() {
  ScannerState& state = *state_;
  int32_t handle = 0;
  if (!driverSucceeded(state.vendor.ITCSCAN_Open(&handle, VENDOR_TEXT("default")))) return;
  state.driverHandle = handle;

  if (state.platform.comInitialize()) {
    state.comInitialized = true;
    state.comThread = state.platform.currentThreadId();
  }

  state.deviceConfig = openDeviceConfig(state.vendor);
  if (state.deviceConfig == nullptr) return;

  state.configReady = 1;
  {
    MutexLocker lock(state.labelLock);
    state.labelPending = 0;
  }
  applyDefaults(state);
  state.vendor.ITCSCAN_SetScannerEnable(handle, 0);
}

ZorvanScannerInterface::~ZorvanScannerInterface() {
  ScannerState& state = *state_;
  // First of all the scan thread stops calling back: nothing it does from
  // here on reaches the host, and a pause it plays ends now.
  stopScanThreadDelivery(state);
  closeDeviceConfig(state.vendor, state.deviceConfig);
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
  leaveRemainingScanThread(state);
  releaseState(state_);
}

void ZorvanScannerInterface::SetEvtAddEventToQueueCallBack(EventQueueCallback callback) {
  state_->eventCallback = callback;
}

void ZorvanScannerInterface::SetEvtDebugMessageCallBack(DebugMessageCallback callback) {
  state_->debugCallback = callback;
}

void ZorvanScannerInterface::SetEvtPlayToneCallBack(PlayToneCallback callback) {
  state_->toneCallback = callback;
}

int16_t ZorvanScannerInterface::IsScannerEnabled() { return isScannerEnabled(*state_); }

int16_t ZorvanScannerInterface::EnableScanner() {
  ScannerState& state = *state_;
  if (isScannerEnabled(state)) return ResultOk;
  if (!driverSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driverHandle, 1))) {
    return ResultRejected;
  }
  if (state.scanThread.recorded) return ResultRejected;
  if (!startScanThread(state)) {
    if (DebugMessageCallback debug = state.debugCallback) {
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
    playTonePattern(state, kTriggerRefusedPattern);
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

// Construction, destruction, callbacks, enabling, the software trigger and
// the read LED.
#include <new>

#include "plugin/host_table.h"
#include "plugin/zorvan_scanner.h"

namespace zorvan {

namespace {

// The trigger mode that allows the software trigger.
constexpr int32_t kSoftwareTriggerMode = 8;
// Pattern played when the software trigger is not allowed.
constexpr uint32_t kTriggerRefusedPattern = 29;

int16_t isScannerEnabled(ScannerState& state) {
  int32_t value = 0;
  const int32_t result = state.vendor.ITCSCAN_GetScannerEnable(state.driver.get(), &value);
  return vendorSucceeded(result) && value != 0 ? 1 : 0;
}

// The steps of DisableScanner: a recorded scan thread is stopped (its read
// cancelled, then waited for; one that does not end in time is cut off and
// stays recorded), then the scanner switched off.
int16_t disableScanner(ScannerState& state) {
  if (!isScannerEnabled(state)) return ResultRejected;
  state.scanThread.stop(kStopWaitMs);
  return vendorSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driver.get(), 0))
             ? ResultOk
             : ResultRejected;
}

int16_t startScanThread(ScannerState& state) {
  if (state.scanThread.start(SharedReference(&state))) return ResultOk;
  if (DebugMessageCallback debug = state.callbacks.debug) {
    debug("Debug Failed to create scan thread");
  }
  return ResultRejected;
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
  disableScanner(state);
  // A thread still recorded is stopped here too (the steps above return
  // early when the driver reports the scanner disabled or cannot say), its
  // read cancelled while the driver is still open; one they or an earlier
  // DisableScanner already waited for is not waited for again.
  state.scanThread.stop(kStopWaitMs);
  state.driver.close();
  // A thread that has ended by now is collected; one that has not is left,
  // cut off, to end by itself with its share of the state.
  state.scanThread.collectOrLeave();
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

// A thread stopped earlier is brought back before the driver is switched
// on, so a label the driver hands over from then on meets a thread that
// delivers it: one still running is taken back (and answers ResultRejected,
// as a recorded thread does), one that ended after its stop is collected so
// a new one starts. With the scanner already on, the object still gets a
// thread of its own unless it has one reading (or one that ended on a
// failed read, which the next DisableScanner collects).
int16_t ZorvanScannerInterface::EnableScanner() {
  ScannerState& state = *state_;
  state.scanThread.resume(kStopWaitMs);
  if (isScannerEnabled(state)) {
    switch (state.scanThread.phase()) {
      case ScanPhase::None:
        return startScanThread(state);
      case ScanPhase::EndedOnStop:
        return ResultRejected;  // still on its way out: not collected in time
      default:
        return ResultOk;
    }
  }
  if (!vendorSucceeded(state.vendor.ITCSCAN_SetScannerEnable(state.driver.get(), 1))) {
    return ResultRejected;
  }
  if (state.scanThread.recorded()) return ResultRejected;
  return startScanThread(state);
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

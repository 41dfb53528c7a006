// The vendor libraries as the scenarios need them: each call is a
// synchronisation point; the driver hands over labels while it is enabled,
// reads, cancels, refuses and fails as the scenario's driver does, and the
// settings service takes its time.
#include <string.h>

#include "acquisition/scan_thread.h"
#include "world.h"

namespace interleaving {

namespace {

constexpr int32_t kDriverFailure = static_cast<int32_t>(0x80004005u);

// What DeviceConfig points at: the lifecycle and the scan thread only pass
// the pointer on, they never call through it.
char gDeviceConfig;

void point() { scheduler().yield(); }

bool driverHas(uint32_t fault) { return (world().scenario->driverFaults & fault) != 0; }

// A vendor call made on a scan thread.
void scanThreadCalls(const char* what) { world().scanThreadActs(what); }

int32_t VENDOR_CALL simOpen(int32_t* handle, const VendorChar*) {
  point();
  *handle = 1;
  return 0;
}
int32_t VENDOR_CALL simClose(int32_t) {
  point();
  return 0;
}
int32_t VENDOR_CALL simSetScannerEnable(int32_t, int32_t enable) {
  point();
  World& w = world();
  if (enable == 0 && driverHas(kRefusesSwitchOff)) {
    w.note("the driver refuses to switch off");
    return kDriverFailure;
  }
  const bool on = enable != 0;
  if (on && !w.enabled) {
    // A new enable period starts without a kept cancel; one the driver is
    // still working on for a read goes on.
    if (w.readsPending == 0) w.cancelPending = false;
    for (const World::CallInProgress& call : w.calls) {
      if (call.name == "EnableScanner") w.enablingSwitchedOn = true;
    }
  }
  w.enabled = on;
  w.note(on ? "the driver is switched on" : "the driver is switched off");
  return 0;
}
int32_t VENDOR_CALL simGetScannerEnable(int32_t, int32_t* enable) {
  point();
  if (driverHas(kEnableQueryFails)) return kDriverFailure;
  *enable = world().enabled ? 1 : 0;
  return 0;
}
int32_t VENDOR_CALL simSetTriggerScanner(int32_t, int32_t) {
  point();
  return 0;
}
int32_t VENDOR_CALL simSetReadLed(int32_t, int32_t) {
  point();
  return 0;
}
int32_t VENDOR_CALL simCancelRead(int32_t, int32_t, uint32_t*, uint32_t*) {
  point();
  World& w = world();
  w.note("ITCSCAN_CancelRead");
  if (w.scenario->cancel == Cancel::Ignores) return 0;
  if (w.readsPending == 0 && driverHas(kForgetsEarlyCancel)) return 0;
  // Kept until a read takes it: a cancel that comes just before the read
  // still ends that read.
  w.cancelPending = true;
  w.cancelAt = scheduler().now() + (w.scenario->cancel == Cancel::HonoursLate ? kLateCancelMs : 0);
  return 0;
}

int32_t handOverLabel(ReadRequest* request) {
  World& w = world();
  request->data[0] = 'A';
  request->bytesReturned = 1;
  request->symbology = 1;
  const int self = scheduler().self();
  const ScanThreadRecord& t = w.scanThreads[self];
  // It must reach the host unless its thread was cut off, as the host saw,
  // before the driver handed it over; an EnableScanner that switched the
  // driver on has ended that.
  w.handovers.push_back(Handover{self, !t.cutOff || w.enablingSwitchedOn});
  w.note("the driver hands over a label");
  return 0;
}

int32_t VENDOR_CALL simSyncRead(int32_t, ReadRequest* request) {
  World& w = world();
  scanThreadCalls("ITCSCAN_SyncRead");
  w.scanThreadReads();
  const auto cancelDue = [&w] { return w.cancelPending && scheduler().now() >= w.cancelAt; };
  const auto ready = [&w, &cancelDue] {
    return (w.enabled && w.labelsQueued > 0) || w.failuresQueued > 0 || cancelDue() || w.teardown;
  };
  ++w.readsPending;
  while (!ready()) {
    const uint64_t wait = w.cancelPending ? w.cancelAt - scheduler().now() : kForever;
    scheduler().block(ready, wait);
  }
  --w.readsPending;
  const int self = scheduler().self();
  if (w.enabled && w.labelsQueued > 0) {
    --w.labelsQueued;
    return handOverLabel(request);
  }
  uint32_t result = zorvan::kReadCancelled;  // the run is over: the driver lets go
  if (w.failuresQueued > 0) {
    --w.failuresQueued;
    result = w.scenario->failure;
    w.scanThreads[self].driverFailed = true;
  } else if (cancelDue()) {
    w.cancelPending = false;
    if (w.scenario->cancel == Cancel::LabelInstead) return handOverLabel(request);
    result = w.scenario->failure;
  }
  const int32_t value = static_cast<int32_t>(result);
  w.note("the read fails with " + std::to_string(result));
  if (!w.teardown && value != zorvan::kReadCancelled && value != zorvan::kReadAborted) {
    // Not to be reported by a thread the host has seen cut off.
    ReadFailure failure{self, result};
    failure.excused = w.scanThreads[self].cutOff;
    w.failures.push_back(failure);
  }
  return value;
}

int32_t VENDOR_CALL simDeviceOpen(const VendorChar*, const Guid*, int32_t, void** object) {
  point();
  *object = &gDeviceConfig;
  return 0;
}
void VENDOR_CALL simDeviceClose(void** object) {
  point();
  *object = nullptr;
}

int32_t VENDOR_CALL simSettingsSet(VendorChar*, VendorChar*, uint32_t*, uint32_t) {
  World& w = world();
  scanThreadCalls("ITCSSSetW");
  if (w.scenario->settingsMs == 0) {
    point();
  } else {
    const uint32_t ms = w.scenario->settingsMs;
    scheduler().block([&w] { return w.teardown; }, ms == kSettingsBlock ? kForever : ms);
  }
  return 0;
}

const zorvan::VendorApi kSimulated = {
    simOpen,        simClose,      simSetScannerEnable, simGetScannerEnable, simSetTriggerScanner,
    simSetReadLed,  simCancelRead, simSyncRead,         simDeviceOpen,       simDeviceClose,
    simSettingsSet,
};

}  // namespace

const zorvan::VendorApi& simulatedVendor() { return kSimulated; }

}  // namespace interleaving

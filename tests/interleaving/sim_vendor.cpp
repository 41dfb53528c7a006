// The vendor libraries as the scenarios need them: each call is a
// synchronisation point; the driver reads, cancels and fails as the
// scenario's driver does, and the settings service takes its time.
#include <string.h>

#include "acquisition/scan_thread.h"
#include "world.h"

namespace interleaving {

namespace {

// What DeviceConfig points at: the lifecycle and the scan thread only pass
// the pointer on, they never call through it.
char gDeviceConfig;

void point() { scheduler().yield(); }

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
  w.enabled = enable != 0;
  if (w.enabled) w.cancelPending = false;  // a new enable period starts without one
  return 0;
}
int32_t VENDOR_CALL simGetScannerEnable(int32_t, int32_t* enable) {
  point();
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
  // Remembered until a read takes it: a cancel that comes just before the
  // read still ends that read.
  world().cancelPending = true;
  world().note("ITCSCAN_CancelRead");
  return 0;
}

int32_t handOverLabel(ReadRequest* request) {
  World& w = world();
  request->data[0] = 'A';
  request->bytesReturned = 1;
  request->symbology = 1;
  const int self = scheduler().self();
  w.handovers.push_back(Handover{self, w.enabledView && w.enabled, w.scanThreads[self].cutOff});
  w.note("the driver hands over a label");
  return 0;
}

int32_t VENDOR_CALL simSyncRead(int32_t, ReadRequest* request) {
  World& w = world();
  const bool honoursCancel = w.scenario->driver != Driver::Ignores;
  scheduler().block(
      [&w, honoursCancel] {
        return w.labelsQueued > 0 || w.failuresQueued > 0 || (w.cancelPending && honoursCancel) ||
               w.teardown;
      },
      kForever);
  if (w.labelsQueued > 0) {
    --w.labelsQueued;
    return handOverLabel(request);
  }
  uint32_t result = zorvan::kReadCancelled;  // the run is over: the driver lets go
  if (w.failuresQueued > 0) {
    --w.failuresQueued;
    result = w.scenario->failure;
  } else if (w.cancelPending && honoursCancel) {
    w.cancelPending = false;
    if (w.scenario->driver == Driver::LabelInstead) return handOverLabel(request);
    result = w.scenario->failure;
  }
  const int32_t value = static_cast<int32_t>(result);
  w.note("the read fails with " + std::to_string(result));
  if (!w.teardown && value != zorvan::kReadCancelled && value != zorvan::kReadAborted) {
    w.failures.push_back(ReadFailure{scheduler().self(), result});
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

#include "plugin/scanner_state.h"

namespace zorvan {

void SettingsBlock::clear() {
  goodReadBeep = 0;
  storedFlag1 = 0;
  storedLevel1 = 0;
  storedLevel2 = 0;
  storedCode = 0;
  triggerMode = 0;
  auxFlag = 0;
  storedLevel3 = 0;
  storedSelector = 0;
}

void SettingsBlock::copyFrom(const SettingsBlock& other) {
  goodReadBeep = other.goodReadBeep.load();
  storedFlag1 = other.storedFlag1.load();
  storedLevel1 = other.storedLevel1.load();
  storedLevel2 = other.storedLevel2.load();
  storedCode = other.storedCode.load();
  triggerMode = other.triggerMode.load();
  auxFlag = other.auxFlag.load();
  storedLevel3 = other.storedLevel3.load();
  storedSelector = other.storedSelector.load();
}

namespace {
std::atomic<int32_t> gLiveStates{0};
}  // namespace

ScannerState::ScannerState(Platform& platformServices, const VendorApi& vendorApi)
    : platform(platformServices), vendor(vendorApi) {
  gLiveStates.fetch_add(1, std::memory_order_relaxed);
}

// Release and acquire: whoever sees a block gone also sees everything its
// last owner did before letting it go (a detached scan thread included).
ScannerState::~ScannerState() { gLiveStates.fetch_sub(1, std::memory_order_release); }

int32_t liveScannerStates() { return gLiveStates.load(std::memory_order_acquire); }

void retainState(ScannerState& state) { state.references.fetch_add(1, std::memory_order_relaxed); }

void releaseState(ScannerState* state) {
  if (state->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete state;
}

}  // namespace zorvan

#include "plugin/scanner_state.h"

namespace zorvan {

namespace {
std::atomic<int32_t> gLiveStates{0};
}  // namespace

ScannerState::ScannerState(Platform& platformServices, const VendorApi& vendorApi)
    : platform(platformServices),
      vendor(vendorApi),
      tones(platformServices),
      symbology(vendorApi),
      scanThread(ScanSources{vendorApi, platformServices, driver.value(), configReady, labels,
                             settings, tones, callbacks}) {
  gLiveStates.fetch_add(1, std::memory_order_relaxed);
}

// Release and acquire: whoever sees a block gone also sees everything its
// last owner did before letting it go (a detached scan thread included).
ScannerState::~ScannerState() { gLiveStates.fetch_sub(1, std::memory_order_release); }

int32_t liveScannerStates() { return gLiveStates.load(std::memory_order_acquire); }

void applyDefaults(ScannerState& state) {
  state.tones.table().applyDefaults();
  state.settings.applyDefaults();
  state.readLedState = 0;
  state.symbology.clearVariants();
}

}  // namespace zorvan

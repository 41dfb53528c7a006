#include "plugin/scanner_state.h"

#include "platform/atomic_count.h"

namespace zorvan {

namespace {
AtomicCount gLiveStates;
}  // namespace

ScannerState::ScannerState(Platform& platformServices, const VendorApi& vendorApi)
    : platform(platformServices),
      vendor(vendorApi),
      tones(platformServices),
      symbology(vendorApi),
      scanThread(ScanSources{vendorApi, platformServices, driver.value(), configReady, labels,
                             settings, tones, callbacks}) {
  gLiveStates.increment();
}

// A full barrier and an acquire load: whoever sees a block gone also sees
// everything its last owner did before letting it go (a detached scan thread
// included).
ScannerState::~ScannerState() { gLiveStates.decrement(); }

int32_t liveScannerStates() { return gLiveStates.load(); }

void applyDefaults(ScannerState& state) {
  state.tones.table().applyDefaults();
  state.settings.applyDefaults();
  state.readLedState = 0;
  state.symbology.clearVariants();
}

}  // namespace zorvan

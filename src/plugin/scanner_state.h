// The state of one scanner object, made of the owners of each area.
//
// It lives in a shared block apart from the object the host holds: the
// object holds one share and a running scan thread another, so a thread
// stuck inside the driver keeps the block alive after the host has
// destroyed the object, and frees it when the driver finally lets go.
#ifndef ZORVAN_PLUGIN_SCANNER_STATE_H
#define ZORVAN_PLUGIN_SCANNER_STATE_H

#include <stdint.h>

#include "acquisition/label_store.h"
#include "acquisition/scan_thread.h"
#include "common/relaxed.h"
#include "common/shared_block.h"
#include "platform/com_startup.h"
#include "device/driver_handle.h"
#include "platform/platform.h"
#include "device/vendor_api.h"
#include "feedback/tone_player.h"
#include "settings/settings.h"
#include "symbology/symbology_config.h"

namespace zorvan {

struct ScannerState final : SharedBlock {
  ScannerState(Platform& platform, const VendorApi& vendor);
  ~ScannerState() override;

  Platform& platform;
  const VendorApi& vendor;

  // The driver as construction left it, opened and closed by the object's
  // lifecycle on host threads; the scan thread reads the handle for each
  // read.
  DriverHandle driver;
  // The driver and DeviceConfig were both opened.
  Relaxed<uint8_t> configReady;
  // Construction's COM start-up, balanced by the destructor on its thread.
  ComStartup com;
  // The read LED state last requested (the driver is not asked).
  Relaxed<uint8_t> readLedState;

  TonePlayer tones;
  Settings settings;
  SymbologyConfig symbology;
  LabelStore labels;
  ScanCallbacks callbacks;
  ScanThread scanThread;
};

// The defaults, as construction and ResetToDefaults apply them: the tone
// table, the settings (pending discarded, the defaults in force at once), the
// variant flags and the read LED flag (the LED itself is not touched).
void applyDefaults(ScannerState& state);

// State blocks alive in the process, so tests can see that a block kept by a
// stuck scan thread is freed once that thread ends.
int32_t liveScannerStates();

}  // namespace zorvan

#endif  // ZORVAN_PLUGIN_SCANNER_STATE_H

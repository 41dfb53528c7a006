#include "device/vendor_api.h"

#include <type_traits>

#include "platform/library.h"

namespace zorvan {

namespace {

// Stubs standing in for entry points that could not be resolved.
int32_t VENDOR_CALL stub_ITCSCAN_Open(int32_t* handle, const VendorChar*) {
  if (handle != nullptr) *handle = 0;
  return kVendorUnavailable;
}
int32_t VENDOR_CALL stub_ITCSCAN_Close(int32_t) { return kVendorUnavailable; }
int32_t VENDOR_CALL stub_ITCSCAN_SetScannerEnable(int32_t, int32_t) { return kVendorUnavailable; }
int32_t VENDOR_CALL stub_ITCSCAN_GetScannerEnable(int32_t, int32_t*) { return kVendorUnavailable; }
int32_t VENDOR_CALL stub_ITCSCAN_SetTriggerScanner(int32_t, int32_t) { return kVendorUnavailable; }
int32_t VENDOR_CALL stub_ITCSCAN_SetReadLED(int32_t, int32_t) { return kVendorUnavailable; }
int32_t VENDOR_CALL stub_ITCSCAN_CancelRead(int32_t, int32_t, uint32_t*, uint32_t*) {
  return kVendorUnavailable;
}
int32_t VENDOR_CALL stub_ITCSCAN_SyncRead(int32_t, ReadRequest*) { return kVendorUnavailable; }
int32_t VENDOR_CALL stub_ITCDeviceOpen(const VendorChar*, const Guid*, int32_t, void** object) {
  if (object != nullptr) *object = nullptr;
  return kVendorUnavailable;
}
void VENDOR_CALL stub_ITCDeviceClose(void** object) {
  if (object != nullptr) *object = nullptr;
}
int32_t VENDOR_CALL stub_ITCSSSetW(VendorChar*, VendorChar*, uint32_t*, uint32_t) {
  return kVendorUnavailable;
}

const VendorApi kStubs = {
#define VENDOR_STUB_SLOT(library, ret, name, params) stub_##name,
    VENDOR_FUNCTIONS(VENDOR_STUB_SLOT)
#undef VENDOR_STUB_SLOT
};

VendorApi resolveVendorApi() {
  void* libraries[VENDOR_LIBRARY_COUNT];
  for (int i = 0; i < VENDOR_LIBRARY_COUNT; ++i) libraries[i] = openLibrary(kVendorLibraryFiles[i]);
  VendorApi api = kStubs;
#define VENDOR_RESOLVE_SLOT(library, ret, name, params)       \
  if (void* symbol = findSymbol(libraries[library], #name)) { \
    api.name = reinterpret_cast<VendorFn_##name>(symbol);     \
  }
  VENDOR_FUNCTIONS(VENDOR_RESOLVE_SLOT)
#undef VENDOR_RESOLVE_SLOT
  return api;
}

}  // namespace

const VendorApi& unavailableVendorApi() { return kStubs; }

// The table is never destroyed: a scan thread left running may call the
// driver through it while the process exits and runs its static destructors.
static_assert(std::is_trivially_destructible<VendorApi>::value, "a table of plain pointers");

const VendorApi& processVendorApi() {
  static const VendorApi resolved = resolveVendorApi();
  return resolved;
}

}  // namespace zorvan

// Declarations of the three vendor libraries the plug-in drives: the scanner
// driver (ITCSCAN), device management with its DeviceConfig interface
// (ITCAdcDevMgmt) and the settings service (ITCSSApi). Written from what the
// plug-in relies on; the virtual device implements exactly these.
#ifndef ZORVAN_DEVICE_VENDOR_ABI_H
#define ZORVAN_DEVICE_VENDOR_ABI_H

#include <stdint.h>

#if defined(_WIN32)
typedef wchar_t VendorChar;  // UTF-16 unit
#define VENDOR_TEXT(literal) L##literal
#if defined(_M_IX86) || defined(__i386__)
#define VENDOR_CALL __stdcall
#else
#define VENDOR_CALL
#endif
#else
typedef char16_t VendorChar;  // UTF-16 unit
#define VENDOR_TEXT(literal) u##literal
#define VENDOR_CALL
#endif

// Request block of ITCSCAN_SyncRead: six 32-bit fields on a 32-bit target.
struct ReadRequest {
  uint8_t* data;
  uint32_t bufferSize;
  uint32_t bytesReturned;
  int32_t timeout;  // -1 waits without limit
  int32_t symbology;
  uint32_t reserved;
};

struct Guid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

// Symbology configuration interface returned by ITCDeviceOpen. COM layout:
// IUnknown at 0-2, the group get/set pairs at fixed positions, placeholders
// (never called) everywhere else. A get stores one 32-bit value per field; a
// set takes one byte per field, 255 meaning "leave unchanged". Three pairs
// carry a length list (kind, up to three bytes, count). Negative = failure.
class DeviceConfig {
 public:
  virtual int32_t VENDOR_CALL QueryInterface(const Guid* iid, void** object) = 0;  // 0
  virtual int32_t VENDOR_CALL AddRef() = 0;                                        // 1
  virtual int32_t VENDOR_CALL Release() = 0;                                       // 2
  virtual int32_t VENDOR_CALL Unused3() = 0;
  virtual int32_t VENDOR_CALL Unused4() = 0;
  virtual int32_t VENDOR_CALL Unused5() = 0;
  virtual int32_t VENDOR_CALL Unused6() = 0;
  virtual int32_t VENDOR_CALL Unused7() = 0;
  virtual int32_t VENDOR_CALL Unused8() = 0;
  virtual int32_t VENDOR_CALL Unused9() = 0;
  virtual int32_t VENDOR_CALL Unused10() = 0;
  virtual int32_t VENDOR_CALL Unused11() = 0;
  virtual int32_t VENDOR_CALL Unused12() = 0;
  virtual int32_t VENDOR_CALL Unused13() = 0;
  virtual int32_t VENDOR_CALL Unused14() = 0;
  virtual int32_t VENDOR_CALL Unused15() = 0;
  virtual int32_t VENDOR_CALL Unused16() = 0;
  virtual int32_t VENDOR_CALL Unused17() = 0;
  virtual int32_t VENDOR_CALL Unused18() = 0;
  virtual int32_t VENDOR_CALL Unused19() = 0;
  // 20 / 21: six fields.
  virtual int32_t VENDOR_CALL GetGroupA(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                        uint32_t* f4, uint32_t* f5) = 0;
  virtual int32_t VENDOR_CALL SetGroupA(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t f4,
                                        uint8_t f5) = 0;
  // 22 / 23: seven fields, the length list in 4, 5, 6.
  virtual int32_t VENDOR_CALL GetGroupB(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                        uint32_t* lengthKind, uint8_t* lengthList,
                                        uint32_t* lengthCount) = 0;
  virtual int32_t VENDOR_CALL SetGroupB(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3,
                                        uint8_t lengthKind, const uint8_t* lengthList,
                                        uint32_t lengthCount) = 0;
  // 24 / 25: two fields.
  virtual int32_t VENDOR_CALL GetGroupC(uint32_t* f0, uint32_t* f1) = 0;
  virtual int32_t VENDOR_CALL SetGroupC(uint8_t f0, uint8_t f1) = 0;
  // 26 / 27: five fields.
  virtual int32_t VENDOR_CALL GetGroupD(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                        uint32_t* f4) = 0;
  virtual int32_t VENDOR_CALL SetGroupD(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3,
                                        uint8_t f4) = 0;
  // 28 / 29: five fields, the length list in 2, 3, 4.
  virtual int32_t VENDOR_CALL GetGroupE(uint32_t* f0, uint32_t* f1, uint32_t* lengthKind,
                                        uint8_t* lengthList, uint32_t* lengthCount) = 0;
  virtual int32_t VENDOR_CALL SetGroupE(uint8_t f0, uint8_t f1, uint8_t lengthKind,
                                        const uint8_t* lengthList, uint32_t lengthCount) = 0;
  virtual int32_t VENDOR_CALL Unused30() = 0;
  virtual int32_t VENDOR_CALL Unused31() = 0;
  // 32 / 33: three fields.
  virtual int32_t VENDOR_CALL GetGroupF(uint32_t* f0, uint32_t* f1, uint32_t* f2) = 0;
  virtual int32_t VENDOR_CALL SetGroupF(uint8_t f0, uint8_t f1, uint8_t f2) = 0;
  // 34 / 35: ten fields.
  virtual int32_t VENDOR_CALL GetGroupG(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                        uint32_t* f4, uint32_t* f5, uint32_t* f6, uint32_t* f7,
                                        uint32_t* f8, uint32_t* f9) = 0;
  virtual int32_t VENDOR_CALL SetGroupG(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t f4,
                                        uint8_t f5, uint8_t f6, uint8_t f7, uint8_t f8,
                                        uint8_t f9) = 0;
  virtual int32_t VENDOR_CALL Unused36() = 0;
  virtual int32_t VENDOR_CALL Unused37() = 0;
  // 38 / 39: six fields, the length list in 3, 4, 5.
  virtual int32_t VENDOR_CALL GetGroupH(uint32_t* f0, uint32_t* f1, uint32_t* f2,
                                        uint32_t* lengthKind, uint8_t* lengthList,
                                        uint32_t* lengthCount) = 0;
  virtual int32_t VENDOR_CALL SetGroupH(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t lengthKind,
                                        const uint8_t* lengthList, uint32_t lengthCount) = 0;
  virtual int32_t VENDOR_CALL Unused40() = 0;
  virtual int32_t VENDOR_CALL Unused41() = 0;
  // 42 / 43: seventeen fields.
  virtual int32_t VENDOR_CALL GetGroupI(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                        uint32_t* f4, uint32_t* f5, uint32_t* f6, uint32_t* f7,
                                        uint32_t* f8, uint32_t* f9, uint32_t* f10, uint32_t* f11,
                                        uint32_t* f12, uint32_t* f13, uint32_t* f14, uint32_t* f15,
                                        uint32_t* f16) = 0;
  virtual int32_t VENDOR_CALL SetGroupI(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t f4,
                                        uint8_t f5, uint8_t f6, uint8_t f7, uint8_t f8, uint8_t f9,
                                        uint8_t f10, uint8_t f11, uint8_t f12, uint8_t f13,
                                        uint8_t f14, uint8_t f15, uint8_t f16) = 0;
  // 44 / 45: one field.
  virtual int32_t VENDOR_CALL GetGroupJ(uint32_t* f0) = 0;
  virtual int32_t VENDOR_CALL SetGroupJ(uint8_t f0) = 0;
};

// Byte passed to a DeviceConfig set method for a field that stays unchanged.
enum : uint8_t { NoChange = 255 };

// Interface id of DeviceConfig: {C6AC9214-FC9F-40F1-8899-01FC81B01D7D}.
static const Guid kDeviceConfigIid = {
    0xC6AC9214u, 0xFC9Fu, 0x40F1u, {0x88, 0x99, 0x01, 0xFC, 0x81, 0xB0, 0x1D, 0x7D}};

// Device flags passed to ITCDeviceOpen.
enum : int32_t { kDeviceOpenFlags = 3 };

// Every vendor entry point the plug-in uses, one line each:
// VENDOR_FUNCTION(library, return type, name, parameter list)
// The library index picks the file from the loader's table of library names.
#define VENDOR_LIBRARY_SCANNER 0
#define VENDOR_LIBRARY_DEVICE 1
#define VENDOR_LIBRARY_SETTINGS 2
#define VENDOR_LIBRARY_COUNT 3

// The file of each library, by index.
#if defined(_WIN32)
static const char* const kVendorLibraryFiles[VENDOR_LIBRARY_COUNT] = {
    "ITCSCAN.dll", "ITCAdcDevMgmt.dll", "ITCSSApi.DLL"};
#else
static const char* const kVendorLibraryFiles[VENDOR_LIBRARY_COUNT] = {
    "libITCSCAN.so", "libITCAdcDevMgmt.so", "libITCSSApi.so"};
#endif

#define VENDOR_FUNCTIONS(VENDOR_FUNCTION)                                                  \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_Open,                           \
                  (int32_t * handle, const VendorChar* name))                              \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_Close, (int32_t handle))        \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_SetScannerEnable,               \
                  (int32_t handle, int32_t enable))                                        \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_GetScannerEnable,               \
                  (int32_t handle, int32_t * enable))                                      \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_SetTriggerScanner,              \
                  (int32_t handle, int32_t on))                                            \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_SetReadLED,                     \
                  (int32_t handle, int32_t on))                                            \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_CancelRead,                     \
                  (int32_t handle, int32_t flush, uint32_t * count1, uint32_t * count2))   \
  VENDOR_FUNCTION(VENDOR_LIBRARY_SCANNER, int32_t, ITCSCAN_SyncRead,                       \
                  (int32_t handle, ReadRequest * request))                                 \
  VENDOR_FUNCTION(VENDOR_LIBRARY_DEVICE, int32_t, ITCDeviceOpen,                           \
                  (const VendorChar* name, const Guid* iid, int32_t flags, void** object)) \
  VENDOR_FUNCTION(VENDOR_LIBRARY_DEVICE, void, ITCDeviceClose, (void** object))            \
  VENDOR_FUNCTION(                                                                         \
      VENDOR_LIBRARY_SETTINGS, int32_t, ITCSSSetW,                                         \
      (VendorChar * request, VendorChar * response, uint32_t * count, uint32_t timeout))

// Function pointer types: VendorFn_ITCSCAN_Open and so on.
#define VENDOR_DECLARE_TYPE(library, ret, name, params) \
  typedef ret(VENDOR_CALL* VendorFn_##name) params;
VENDOR_FUNCTIONS(VENDOR_DECLARE_TYPE)
#undef VENDOR_DECLARE_TYPE

#endif  // ZORVAN_DEVICE_VENDOR_ABI_H

/* Control interface of the virtual device.
 *
 * The virtual device is this project's own implementation of the three
 * vendor libraries (libITCSCAN.so, libITCAdcDevMgmt.so, libITCSSApi.so on
 * Linux; ITCSCAN.dll, ITCAdcDevMgmt.dll, ITCSSApi.DLL on Windows). Each
 * library also exports the control functions of its part below, so tests and
 * tools can push labels, read and set configuration fields, inject faults and
 * read back what the plug-in called. All functions are thread-safe.
 */
#ifndef VIRTUAL_DEVICE_H
#define VIRTUAL_DEVICE_H

#include <stdint.h>

/* The control functions are exported by the virtual device's libraries
 * (built with VDEV_BUILDING defined) and imported by everyone else. */
#if defined(_WIN32)
#if defined(VDEV_BUILDING)
#define VDEV_API __declspec(dllexport)
#else
#define VDEV_API __declspec(dllimport)
#endif
#else
#define VDEV_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Scanner driver (ITCSCAN) ------------------------------------------ */

/* Result the virtual driver gives a read that was cancelled. */
#define VDEV_READ_CANCELLED ((int32_t)0xC1600147u)
/* Result the virtual driver gives a read whose timeout ran out. */
#define VDEV_READ_TIMEOUT ((int32_t)0xC00000B5u)
/* Result of any call made with a handle that is not open. */
#define VDEV_BAD_HANDLE ((int32_t)0xC0000008u)
/* Largest label the virtual driver can hold. */
#define VDEV_MAX_LABEL 8192
/* Labels the driver queues before vdev_scan_push_label refuses more. */
#define VDEV_QUEUE_CAPACITY 64

/* Driver entry points, for call counts and injected results. */
typedef enum {
  VDEV_SCAN_OPEN = 0,
  VDEV_SCAN_CLOSE,
  VDEV_SCAN_SET_ENABLE,
  VDEV_SCAN_GET_ENABLE,
  VDEV_SCAN_SET_TRIGGER,
  VDEV_SCAN_SET_READ_LED,
  VDEV_SCAN_CANCEL_READ,
  VDEV_SCAN_SYNC_READ,
  VDEV_SCAN_FUNCTION_COUNT
} vdev_scan_function;

/* Back to the power-on state: closed, disabled, trigger and LED off, empty
 * queue, no injected results, counts zero, cancel honoured, the enable
 * state reported as it is. Releases any
 * blocked read with VDEV_READ_CANCELLED first. */
VDEV_API void vdev_scan_reset(void);

/* Queue one label. A read returns it once the scanner is enabled. Returns 0,
 * or -1 when the queue is full or len exceeds VDEV_MAX_LABEL. */
VDEV_API int32_t vdev_scan_push_label(int32_t symbology, const uint8_t* data, uint32_t len);
/* Like vdev_scan_push_label, but the read reports reportedLen in its
 * bytesReturned field whatever it copied (a misbehaving driver). */
VDEV_API int32_t vdev_scan_push_label_reported(int32_t symbology, const uint8_t* data, uint32_t len,
                                               uint32_t reportedLen);
/* Labels still queued. */
VDEV_API uint32_t vdev_scan_queued(void);
/* Reads currently blocked in ITCSCAN_SyncRead. */
VDEV_API uint32_t vdev_scan_blocked_reads(void);
/* Wait up to timeoutMs until at least `count` reads are blocked; 1 if so. */
VDEV_API int32_t vdev_scan_wait_blocked(uint32_t count, uint32_t timeoutMs);
/* Wait up to timeoutMs until the queue is empty and a read is blocked again
 * (every pushed label was taken and handled); 1 if so. */
VDEV_API int32_t vdev_scan_wait_idle(uint32_t timeoutMs);

/* From now on `function` returns `result` instead of doing its work, for the
 * next `times` calls (-1: until cleared). For VDEV_SCAN_SYNC_READ the read
 * returns at once with that result. vdev_scan_clear_results drops them all. */
VDEV_API void vdev_scan_inject_result(vdev_scan_function function, int32_t result, int32_t times);
VDEV_API void vdev_scan_clear_results(void);

/* A stuck driver: while set, ITCSCAN_CancelRead and ITCSCAN_Close are
 * accepted but release nothing. vdev_scan_release_reads ends every blocked read with `result`. */
VDEV_API void vdev_scan_set_ignore_cancel(int32_t ignore);
VDEV_API int32_t vdev_scan_ignoring_cancel(void);
VDEV_API void vdev_scan_release_reads(int32_t result);

/* What ITCSCAN_GetScannerEnable reports: 1 or 0 whatever the scanner's state
 * (a driver that misreports it), -1 the state itself (the power-on choice). */
VDEV_API void vdev_scan_set_enable_report(int32_t report);
VDEV_API int32_t vdev_scan_enable_report(void);

/* State as the driver holds it. */
VDEV_API int32_t vdev_scan_is_open(void);
VDEV_API int32_t vdev_scan_enabled(void);
VDEV_API int32_t vdev_scan_trigger(void);
VDEV_API int32_t vdev_scan_read_led(void);
/* Calls made to `function` since the last reset. */
VDEV_API uint32_t vdev_scan_call_count(vdev_scan_function function);
/* Arguments of the last ITCSCAN_CancelRead (flush) and ITCSCAN_SyncRead
 * (buffer size, timeout, reserved field) and the UTF-8 name of the last
 * ITCSCAN_Open. */
VDEV_API int32_t vdev_scan_last_cancel_flush(void);
VDEV_API uint32_t vdev_scan_last_read_buffer_size(void);
VDEV_API int32_t vdev_scan_last_read_timeout(void);
VDEV_API uint32_t vdev_scan_last_read_reserved(void);
VDEV_API const char* vdev_scan_last_open_name(void);

/* ---- Device configuration (ITCAdcDevMgmt) ------------------------------ */

/* The ten group get/set pairs of DeviceConfig. */
typedef enum {
  VDEV_GROUP_A = 0,
  VDEV_GROUP_B,
  VDEV_GROUP_C,
  VDEV_GROUP_D,
  VDEV_GROUP_E,
  VDEV_GROUP_F,
  VDEV_GROUP_G,
  VDEV_GROUP_H,
  VDEV_GROUP_I,
  VDEV_GROUP_J,
  VDEV_GROUP_COUNT
} vdev_group;

#define VDEV_MAX_FIELDS 17
#define VDEV_LOG_CAPACITY 256

/* One DeviceConfig group call as the device saw it. For a get, `fields`
 * holds the values returned. For a set, `bytes` holds the bytes passed, one
 * per field in argument order (the length list slot holds 0); for the groups
 * with a length list, `lengthKind`, `lengthList` (the three bytes the pointer
 * showed) and `lengthCount` hold what was passed. */
typedef struct {
  int32_t group;  /* vdev_group */
  int32_t isSet;  /* 0 get, 1 set */
  int32_t result; /* what the call returned */
  uint32_t fields[VDEV_MAX_FIELDS];
  uint8_t bytes[VDEV_MAX_FIELDS];
  uint8_t lengthKind;
  uint8_t lengthList[3];
  uint32_t lengthCount;
} vdev_config_call;

/* Power-on state: every field 0 (length lists: kind 0, bytes 0, count 1),
 * ITCDeviceOpen succeeding, no injected failures, empty log, no open
 * objects counted. */
VDEV_API void vdev_config_reset(void);

/* Number of fields of a group (the length list counts as three). */
VDEV_API int32_t vdev_config_field_count(vdev_group group);
/* Read and write one stored field directly (field numbers from 0 in argument
 * order; the length list slot of a list group reads as 0). */
VDEV_API uint32_t vdev_config_field(vdev_group group, int32_t field);
VDEV_API void vdev_config_set_field(vdev_group group, int32_t field, uint32_t value);
/* Read and write the length list of GroupB, GroupE or GroupH. */
VDEV_API void vdev_config_length_list(vdev_group group, uint32_t* kind, uint8_t list[3],
                                      uint32_t* count);
VDEV_API void vdev_config_set_length_list(vdev_group group, uint32_t kind, const uint8_t list[3],
                                          uint32_t count);

/* Make the group's get and/or set return `result` (negative) instead of
 * working; 0 clears. */
VDEV_API void vdev_config_fail_get(vdev_group group, int32_t result);
VDEV_API void vdev_config_fail_set(vdev_group group, int32_t result);
/* Make ITCDeviceOpen fail with `result` (0 clears). */
VDEV_API void vdev_config_fail_open(int32_t result);

/* The call log, oldest first; calls beyond VDEV_LOG_CAPACITY are dropped.
 * vdev_config_log_entry returns 0, or -1 when index is past the end. */
VDEV_API uint32_t vdev_config_log_size(void);
VDEV_API int32_t vdev_config_log_entry(uint32_t index, vdev_config_call* call);
VDEV_API void vdev_config_clear_log(void);

/* ITCDeviceOpen / ITCDeviceClose bookkeeping: calls, objects still open
 * (references not released), and the arguments of the last open (name as
 * UTF-8, whether the interface id was DeviceConfig's, flags). */
VDEV_API uint32_t vdev_config_open_calls(void);
VDEV_API uint32_t vdev_config_close_calls(void);
VDEV_API int32_t vdev_config_open_objects(void);
VDEV_API const char* vdev_config_last_open_name(void);
VDEV_API int32_t vdev_config_last_open_iid_ok(void);
VDEV_API int32_t vdev_config_last_open_flags(void);
/* Calls that reached a placeholder position (never expected). */
VDEV_API uint32_t vdev_config_unused_calls(void);

/* ---- Settings service (ITCSSApi) --------------------------------------- */

/* Power-on state: good-read beeps 1, no calls, result not injected. */
VDEV_API void vdev_settings_reset(void);
/* The device's own number of good-read beeps, as last set. */
VDEV_API int32_t vdev_settings_good_read_beeps(void);
VDEV_API void vdev_settings_set_good_read_beeps(int32_t count);
/* Calls of ITCSSSetW, and what the last one passed: the request in UTF-16
 * units (copied up to `capacity` units, zero included; returns the length
 * without the zero), the count on entry and the timeout. */
VDEV_API uint32_t vdev_settings_calls(void);
VDEV_API uint32_t vdev_settings_last_request(uint16_t* units, uint32_t capacity);
VDEV_API uint32_t vdev_settings_last_count(void);
VDEV_API uint32_t vdev_settings_last_timeout(void);
/* Make ITCSSSetW return `result` (0 clears). */
VDEV_API void vdev_settings_inject_result(int32_t result);

#ifdef __cplusplus
}

/* Reset all three parts. */
inline void vdev_reset_all() {
  vdev_scan_reset();
  vdev_config_reset();
  vdev_settings_reset();
}
#endif

#endif /* VIRTUAL_DEVICE_H */

// The virtual settings service (ITCSSApi): understands the one request
// that sets the number of good-read beeps and records every call.
//
// The plug-in sends that request before every read, so the service compares
// and copies whole blocks rather than unit by unit: it stays a small part of
// the instructions a label costs instead of outweighing the plug-in's own.
#include <string.h>

#include <mutex>

#include "vdev_exports.h"
#include "vdev_locked.h"

namespace {

constexpr int32_t kBadRequest = static_cast<int32_t>(0x80070057u);
constexpr uint32_t kRequestCapacity = 4096;  // units kept of the last request, zero included

constexpr VendorChar kBeepPrefix[] = VENDOR_TEXT(
    "<Subsystem Name=\"Device Settings\"><Group Name=\"Beeper\">"
    "<Field Name=\"Number of good read beeps\">");
constexpr VendorChar kBeepSuffix[] = VENDOR_TEXT("</Field></Group></Subsystem>");
constexpr VendorChar kResponseOk[] = VENDOR_TEXT("<Subsystem Name=\"Device Settings\"/>");
constexpr VendorChar kResponseError[] =
    VENDOR_TEXT("<Subsystem Error=\"Request not understood\"/>");

// Units of a text constant, its zero not counted.
template <size_t N>
constexpr uint32_t Units(const VendorChar (&)[N]) {
  return N - 1;
}

struct Settings {
  std::mutex mutex;
  int32_t goodReadBeeps = 1;
  int32_t injected = 0;
  uint32_t calls = 0;
  VendorChar lastRequest[kRequestCapacity] = {};
  uint32_t lastRequestLength = 0;
  uint32_t lastCount = 0;
  uint32_t lastTimeout = 0;
};

Settings& State() {
  static Settings settings;
  return settings;
}

using Lock = std::lock_guard<std::mutex>;

template <typename T>
T Get(T Settings::*field) {
  return vdev::LockedGet(State(), field);
}

// Units before the zero of `text`, four tested per round; nothing past the
// zero is read.
uint32_t Length(const VendorChar* text) {
  uint32_t n = 0;
  for (;; n += 4) {
    if (text[n] == 0) return n;
    if (text[n + 1] == 0) return n + 1;
    if (text[n + 2] == 0) return n + 2;
    if (text[n + 3] == 0) return n + 3;
  }
}

// Whether the `units` units at `text` are those of `constant`.
template <size_t N>
bool SameUnits(const VendorChar* text, uint32_t units, const VendorChar (&constant)[N]) {
  return units == Units(constant) && memcmp(text, constant, units * sizeof(VendorChar)) == 0;
}

// The beep count of the one understood request of `len` units, or -1: the
// prefix, one or more digits, the suffix, nothing more.
int64_t ParseBeepRequest(const VendorChar* request, uint32_t len) {
  constexpr uint32_t kPrefixUnits = Units(kBeepPrefix);
  if (len <= kPrefixUnits || !SameUnits(request, kPrefixUnits, kBeepPrefix)) return -1;
  const VendorChar* p = request + kPrefixUnits;
  const VendorChar* const end = request + len;
  if (*p < '0' || *p > '9') return -1;
  int64_t value = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) return -1;
  }
  return SameUnits(p, static_cast<uint32_t>(end - p), kBeepSuffix) ? value : -1;
}

}  // namespace

int32_t VENDOR_CALL ITCSSSetW(VendorChar* request, VendorChar* response, uint32_t* count,
                              uint32_t timeout) {
  Settings& s = State();
  Lock lock(s.mutex);
  ++s.calls;
  const VendorChar* text = request != nullptr ? request : VENDOR_TEXT("");
  const uint32_t len = Length(text);
  s.lastRequestLength = len < kRequestCapacity ? len : kRequestCapacity - 1;
  memcpy(s.lastRequest, text, s.lastRequestLength * sizeof(VendorChar));
  s.lastRequest[s.lastRequestLength] = 0;
  s.lastCount = count != nullptr ? *count : 0;
  s.lastTimeout = timeout;
  if (s.injected != 0) return s.injected;

  const int64_t beeps = ParseBeepRequest(text, len);
  if (beeps >= 0) s.goodReadBeeps = static_cast<int32_t>(beeps);
  if (count != nullptr) {
    // The response, zero-terminated and cut to fit; *count becomes the units
    // written, the zero included.
    const VendorChar* reply = beeps >= 0 ? kResponseOk : kResponseError;
    const uint32_t replyUnits = beeps >= 0 ? Units(kResponseOk) : Units(kResponseError);
    uint32_t written = 0;
    if (response != nullptr && *count > 0) {
      written = replyUnits < *count - 1 ? replyUnits : *count - 1;
      memcpy(response, reply, written * sizeof(VendorChar));
      response[written++] = 0;
    }
    *count = written;
  }
  return beeps >= 0 ? 0 : kBadRequest;
}

void vdev_settings_reset(void) {
  Settings& s = State();
  Lock lock(s.mutex);
  s.goodReadBeeps = 1;
  s.injected = 0;
  s.calls = 0;
  s.lastRequest[0] = 0;
  s.lastRequestLength = s.lastCount = s.lastTimeout = 0;
}

int32_t vdev_settings_good_read_beeps(void) { return Get(&Settings::goodReadBeeps); }

void vdev_settings_set_good_read_beeps(int32_t count) {
  Settings& s = State();
  Lock lock(s.mutex);
  s.goodReadBeeps = count;
}

uint32_t vdev_settings_calls(void) { return Get(&Settings::calls); }

uint32_t vdev_settings_last_request(uint16_t* units, uint32_t capacity) {
  Settings& s = State();
  Lock lock(s.mutex);
  if (units != nullptr && capacity > 0) {
    const uint32_t n = s.lastRequestLength < capacity ? s.lastRequestLength : capacity - 1;
    for (uint32_t i = 0; i < n; ++i) units[i] = s.lastRequest[i];
    units[n] = 0;
  }
  return s.lastRequestLength;
}

uint32_t vdev_settings_last_count(void) { return Get(&Settings::lastCount); }
uint32_t vdev_settings_last_timeout(void) { return Get(&Settings::lastTimeout); }

void vdev_settings_inject_result(int32_t result) {
  Settings& s = State();
  Lock lock(s.mutex);
  s.injected = result;
}

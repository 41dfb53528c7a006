// The virtual settings service (ITCSSApi): understands the one request
// that sets the number of good-read beeps and records every call.
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

// Skips `prefix` at the start of `text`; null when the text differs.
const VendorChar* SkipPrefix(const VendorChar* text, const VendorChar* prefix) {
  for (; *prefix != 0; ++text, ++prefix) {
    if (*text != *prefix) return nullptr;
  }
  return text;
}

// The beep count of the one understood request, or -1.
int64_t ParseBeepRequest(const VendorChar* request) {
  const VendorChar* p = SkipPrefix(request, kBeepPrefix);
  if (p == nullptr || *p < '0' || *p > '9') return -1;
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) return -1;
  }
  p = SkipPrefix(p, kBeepSuffix);
  return p != nullptr && *p == 0 ? value : -1;
}

}  // namespace

int32_t VENDOR_CALL ITCSSSetW(VendorChar* request, VendorChar* response, uint32_t* count,
                              uint32_t timeout) {
  Settings& s = State();
  Lock lock(s.mutex);
  ++s.calls;
  const VendorChar* text = request != nullptr ? request : VENDOR_TEXT("");
  uint32_t len = 0;
  while (text[len] != 0) ++len;
  s.lastRequestLength = len < kRequestCapacity ? len : kRequestCapacity - 1;
  memcpy(s.lastRequest, text, s.lastRequestLength * sizeof(VendorChar));
  s.lastRequest[s.lastRequestLength] = 0;
  s.lastCount = count != nullptr ? *count : 0;
  s.lastTimeout = timeout;
  if (s.injected != 0) return s.injected;

  const int64_t beeps = ParseBeepRequest(text);
  if (beeps >= 0) s.goodReadBeeps = static_cast<int32_t>(beeps);
  if (count != nullptr) {
    // The response, zero-terminated and cut to fit; *count becomes the units
    // written, the zero included.
    const VendorChar* reply = beeps >= 0 ? kResponseOk : kResponseError;
    uint32_t written = 0;
    if (response != nullptr && *count > 0) {
      for (; written + 1 < *count && reply[written] != 0; ++written)
        response[written] = reply[written];
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

// The operation-sequence fuzzer: each input is a program of host calls on
// one or two scanner objects (every one of the 91 positions, with edge-case
// arguments, null pointers and odd buffer sizes) interleaved with events of
// the virtual device (labels of 0 to past 8192 bytes, reported lengths beyond
// what was copied, injected results on every driver, DeviceConfig and
// settings-service call, reads stuck in the driver and released later,
// thread starts refused). After every step it checks what the host can see:
//   - each result is one the operation table allows the operation;
//   - records have their fixed layout, texts end inside their buffers, and
//     nothing is written past a buffer or through a refused pointer;
//   - a label's bytes are those of one label pushed (never torn), and each
//     label is retrieved at most once;
//   - no callback of an object's scan thread comes after its DisableScanner
//     returned ResultOk or its destructor returned.
// After each input no state block and no DeviceConfig reference is left.
// Built with AddressSanitizer and UndefinedBehaviorSanitizer (preset fuzz).
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <memory>
#include <thread>
#include <vector>

#include "acquisition/scan_thread.h"
#include "operations.h"
#include "plugin/zorvan_scanner.h"
#include "quiet_platform.h"
#include "virtual_device.h"

namespace {

using zorvan::ZorvanScannerInterface;

[[noreturn]] void broken(const char* what, long detail) {
  fprintf(stderr, "invariant broken: %s (%ld)\n", what, detail);
  abort();
}

#define CHECK(condition, what, detail)        \
  do {                                        \
    if (!(condition)) broken(what, (detail)); \
  } while (0)

// ---- Reading the input -------------------------------------------------------

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool done() const { return position_ >= size_; }
  uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
  uint16_t u16() { return static_cast<uint16_t>(byte() | byte() << 8); }
  uint32_t u32() { return static_cast<uint32_t>(u16()) | static_cast<uint32_t>(u16()) << 16; }
  bool flag() { return (byte() & 1) != 0; }
  // An argument: mostly values at the edges of what operations accept.
  int32_t edge() {
    static const int32_t kEdges[] = {
        0,         1,   -1,  2,         3,          4,      5,    6,    7,     8,     9,
        11,        12,  15,  27,        29,         30,     31,   32,   33,    34,    35,
        36,        37,  39,  40,        62,         63,     64,   83,   84,    85,    100,
        101,       127, 128, 181,       182,        255,    256,  3000, 65534, 65535, 65536,
        INT32_MIN, -2,  -4,  INT32_MAX, 0x40000000, -32768, 32767};
    constexpr uint8_t kCount = sizeof kEdges / sizeof kEdges[0];
    const uint8_t pick = byte();
    if (pick < kCount) return kEdges[pick];
    if (pick < 0xF0) return static_cast<int32_t>(pick - kCount);
    return static_cast<int32_t>(u32());
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

// ---- The host's platform: pauses end at once, thread waits are short ------

class FuzzPlatform final : public zorvan_test::QuietPlatform {
 public:
  bool startThread(zorvan::ThreadSlot& slot, zorvan::ThreadEntry entry,
                   zorvan::ThreadAfterEnd afterEnd, void* argument) override {
    if (refuseThreads.load()) return false;
    return zorvan::systemPlatform().startThread(slot, entry, afterEnd, argument);
  }
  // A scan thread that does not end within a few milliseconds is treated
  // as one the driver keeps, as after DisableScanner's full wait.
  bool waitThread(zorvan::ThreadSlot& slot, uint32_t timeoutMs) override {
    return zorvan::systemPlatform().waitThread(slot, timeoutMs < 5 ? timeoutMs : 5);
  }

  std::atomic<bool> refuseThreads{false};
};

FuzzPlatform gPlatform;

// ---- Labels pushed, and what retrieval may give back -------------------------

struct PushedLabel {
  uint32_t length;    // bytes copied by the driver
  uint32_t reported;  // bytes the driver said it returned
  bool zeros;         // the content holds zero bytes
  bool retrieved;
};

std::vector<PushedLabel> gLabels;
bool gSyntheticReads = false;  // reads injected to succeed deliver labels nobody pushed
std::atomic<uint32_t> gEvents{0};

const char kIdDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

uint8_t contentByte(uint32_t id, uint32_t at, bool zeros) {
  return zeros ? static_cast<uint8_t>(id * 31 + at * 7)
               : static_cast<uint8_t>('a' + (id + at) % 26);
}

// A label of `length` bytes: '#', its id in four digits of base 36, then
// bytes that follow from the id, so a label mixed from two is noticed.
std::vector<uint8_t> makeLabel(uint32_t id, uint32_t length, bool zeros) {
  std::vector<uint8_t> bytes(length);
  for (uint32_t i = 0; i < length; ++i) bytes[i] = contentByte(id, i, false);
  if (length >= 5) {
    bytes[0] = '#';
    uint32_t rest = id;
    for (int d = 4; d >= 1; --d) {
      bytes[d] = static_cast<uint8_t>(kIdDigits[rest % 36]);
      rest /= 36;
    }
    for (uint32_t i = 5; i < length; ++i) bytes[i] = contentByte(id, i, zeros);
  }
  return bytes;
}

int digitValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

// Retrieved label bytes (affixes included): find the label they came from
// and check that they are its bytes and that it was not retrieved before.
void checkRetrievedLabel(const uint8_t* bytes, uint32_t length) {
  for (uint32_t start = 0; start <= 1; ++start) {
    if (length < start + 5 || bytes[start] != '#') continue;
    uint32_t id = 0;
    bool digits = true;
    for (uint32_t d = 1; d <= 4; ++d) {
      const int value = digitValue(bytes[start + d]);
      digits &= value >= 0;
      id = id * 36 + static_cast<uint32_t>(value < 0 ? 0 : value);
    }
    if (!digits) continue;
    CHECK(id < gLabels.size(), "retrieved a label that was never pushed", id);
    PushedLabel& label = gLabels[id];
    CHECK(!label.retrieved, "a label was retrieved twice", id);
    label.retrieved = true;
    // The label's own bytes come first; what follows may be suffixes.
    const uint32_t own = label.length < label.reported ? label.length : label.reported;
    for (uint32_t i = 5; i < own && start + i < length; ++i) {
      CHECK(bytes[start + i] == contentByte(id, i, label.zeros), "torn label", id);
    }
    return;
  }
}

// ---- The objects and their callbacks -----------------------------------------

constexpr int kSlots = 2;

struct Slot {
  ZorvanScannerInterface* scanner = nullptr;
  // The state of the slot's last object, kept (by a share of it) until the
  // slot's next object, so its scan thread's count of callbacks begun can
  // be read after the object was destroyed.
  zorvan::SharedReference keep;
  std::atomic<zorvan::ScannerState*> state{nullptr};
  // Set once DisableScanner returned ResultOk or the object was destroyed,
  // cleared before EnableScanner: no scan-thread callback may begin then. A
  // callback that had begun before (its number at most `quietMark`) may
  // still be running.
  std::atomic<bool> quiet{false};
  std::atomic<uint32_t> quietMark{0};
};

Slot gSlots[kSlots];
std::thread::id gHostThread;

// No callback of the slot's object begins from now on.
void makeQuiet(int slot) {
  Slot& target = gSlots[slot];
  if (zorvan::ScannerState* state = target.state.load()) {
    target.quietMark = state->scanThread.callbacksDecided();
  }
  target.quiet = true;
}

// Called on the scan thread inside a callback: the callbacks of one thread
// run one at a time, so the count of callbacks begun is this callback's
// number.
void checkFromScanThread(int slot, const char* what) {
  if (std::this_thread::get_id() == gHostThread) return;
  const Slot& target = gSlots[slot];
  if (!target.quiet.load()) return;
  zorvan::ScannerState* state = target.state.load();
  CHECK(state != nullptr && state->scanThread.callbacksDecided() <= target.quietMark.load(), what,
        slot);
}

template <int S>
void onEvent(const uint8_t* record) {
  checkFromScanThread(S, "scan event after DisableScanner or destruction returned");
  CHECK(record[0] == 0x87 && record[1] == 0xFF, "scan event record header", record[0]);
  for (int i = 2; i < ScanEventRecordSize; ++i) {
    if (i >= 9 && i <= 11) continue;
    CHECK(record[i] == 0, "scan event record byte not zero", i);
  }
  const uint16_t length = static_cast<uint16_t>(record[10] << 8 | record[11]);
  if (record[9] == 0) {
    CHECK(length == 0, "short label with a length", length);
  } else {
    CHECK(record[9] == 1 && length > 255 && length <= 2999, "long label record", length);
  }
  gEvents.fetch_add(1);
}

template <int S>
void onDebug(const char* format, ...) {
  checkFromScanThread(S, "debug message after DisableScanner or destruction returned");
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
}

template <int S>
void onTone(int32_t zero, const uint8_t* record, int32_t zero2) {
  checkFromScanThread(S, "tone after DisableScanner or destruction returned");
  CHECK(zero == 0 && zero2 == 0, "tone callback arguments", zero);
  CHECK(record[0] == 1 && record[1] == 0 && record[2] == 0 && record[3] == 0, "tone record header",
        record[0]);
  const uint16_t level = static_cast<uint16_t>(record[8] << 8 | record[9]);
  CHECK(level <= 64, "tone level", level);
}

const EventQueueCallback kEventCallbacks[kSlots] = {onEvent<0>, onEvent<1>};
const DebugMessageCallback kDebugCallbacks[kSlots] = {onDebug<0>, onDebug<1>};
const PlayToneCallback kToneCallbacks[kSlots] = {onTone<0>, onTone<1>};

void create(int slot) {
  if (gSlots[slot].scanner != nullptr) return;
  gSlots[slot].quiet = false;
  gSlots[slot].scanner = ZorvanScannerInterface::create(gPlatform, zorvan::processVendorApi());
  CHECK(gSlots[slot].scanner != nullptr, "NewScanner returned null", slot);
  zorvan::ScannerState* state = &gSlots[slot].scanner->state();
  gSlots[slot].state = state;
  gSlots[slot].keep = zorvan::SharedReference(state);
  // As a host does; positions 0-2 replace or clear them later.
  ScannerInterface1& scanner = *gSlots[slot].scanner;
  scanner.SetEvtAddEventToQueueCallBack(kEventCallbacks[slot]);
  scanner.SetEvtDebugMessageCallBack(kDebugCallbacks[slot]);
  scanner.SetEvtPlayToneCallBack(kToneCallbacks[slot]);
}

void destroy(int slot) {
  if (gSlots[slot].scanner == nullptr) return;
  ScannerInterface1* scanner = gSlots[slot].scanner;
  gSlots[slot].scanner = nullptr;
  delete scanner;  // position 90
  makeQuiet(slot);
}

// Whether the object's scan thread of the last enable period was asked to
// stop and has not been taken back; a new scan thread clears it.
bool stopping(int slot) {
  switch (gSlots[slot].scanner->state().scanThread.phase()) {
    case zorvan::ScanPhase::Stopping:
    case zorvan::ScanPhase::CutOff:
    case zorvan::ScanPhase::EndedOnStop:
      return true;
    default:
      return false;
  }
}

// ---- Checking results ----------------------------------------------------------

void expectAnswer(int position, int16_t result) {
  if (scanhost::operationAt(position).answers.allows(result)) return;
  fprintf(stderr, "operation %d answered %d, not one of %s\n", position, result,
          scanhost::operationAt(position).answers.describe().c_str());
  broken("result the operation may not answer", position);
}

constexpr int16_t kOk = ResultOk;
constexpr int16_t kRejected = ResultRejected;
constexpr uint8_t kCanary = 0xA5;

// A buffer of exactly `size` bytes on the heap (so AddressSanitizer sees a
// write past it), filled with the canary.
std::unique_ptr<uint8_t[]> canaryBuffer(size_t size) {
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
  memset(buffer.get(), kCanary, size);
  return buffer;
}

bool untouched(const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != kCanary) return false;
  }
  return true;
}

// The three text operations: a buffer of `size` bytes, or null.
void callText(int position, ScannerInterface1& s, Input& in) {
  const int32_t size = in.edge();
  const bool null = in.byte() < 32;
  const bool fits = size > 0 && size <= 4096;
  std::unique_ptr<uint8_t[]> buffer = canaryBuffer(fits ? static_cast<size_t>(size) : 8);
  char* text = null || !(fits || size <= 0) ? nullptr : reinterpret_cast<char*>(buffer.get());
  int16_t result = 0;
  switch (position) {
    case 33:
      result = s.GetScannerModelName(text, size);
      break;
    case 49:
      result = s.GetBuildVersion(text, size);
      break;
    default:
      result = s.GetInterfaceId(text, size);
      break;
  }
  if (size <= 0) {
    CHECK(result == kOk, "text with no room answers ResultOk", position);
    CHECK(untouched(buffer.get(), 8), "text written with no room", position);
    return;
  }
  if (text == nullptr) {
    CHECK(result == kRejected, "text into null answers ResultRejected", position);
    return;
  }
  CHECK(result == kOk, "text operation", position);
  CHECK(buffer[static_cast<size_t>(size) - 1] == 0, "text not ended in its buffer", position);
}

void callReadLabel(ScannerInterface1& s, Input& in) {
  const int32_t count = in.edge();
  const uint8_t pointers = in.byte();
  int16_t symbology = -7;
  // The host's buffer holds count + 1 bytes; no label is longer than 2999.
  const size_t size = count < 0 ? 8 : (count < 2999 ? static_cast<size_t>(count) : 2999) + 1;
  std::unique_ptr<uint8_t[]> buffer = canaryBuffer(size);
  int16_t* symbologyOut = (pointers & 1) != 0 ? nullptr : &symbology;
  char* text =
      (pointers & 2) != 0 && (pointers & 4) != 0 ? nullptr : reinterpret_cast<char*>(buffer.get());
  const int16_t result = s.ReadLabel(count, symbologyOut, text);
  if (count < 0 || symbologyOut == nullptr || text == nullptr) {
    CHECK(result == kRejected, "ReadLabel refuses a bad argument", count);
    CHECK(untouched(buffer.get(), size) && symbology == -7, "ReadLabel wrote when refusing", count);
    return;
  }
  CHECK(result == kOk, "ReadLabel", result);
  const size_t length = strnlen(text, size);
  CHECK(length < size, "ReadLabel text not ended in its buffer", static_cast<long>(size));
  CHECK(symbology >= 0 && symbology <= 255, "ReadLabel symbology", symbology);
  checkRetrievedLabel(buffer.get(), static_cast<uint32_t>(length));
}

void callLastLabelRecord(ScannerInterface1& s, Input& in) {
  if (in.byte() < 16) {
    CHECK(s.GetLastLabelRecord(nullptr) == kRejected, "GetLastLabelRecord(null)", 0);
    return;
  }
  std::unique_ptr<uint8_t[]> record = canaryBuffer(LabelRecordSize);
  CHECK(s.GetLastLabelRecord(record.get()) == kOk, "GetLastLabelRecord", 0);
  const uint16_t length = static_cast<uint16_t>(record[0] << 8 | record[1]);
  CHECK(length <= 255, "label record length", length);
  CHECK(record[4] == 0 && record[5] == 0, "label record bytes 4-5", record[4]);
  CHECK(record[2] == 0, "label record symbology above 255", record[2]);
  for (size_t i = 6 + length; i < LabelRecordSize; ++i) {
    CHECK(record[i] == 0, "label record not zero after the label", static_cast<long>(i));
  }
  checkRetrievedLabel(record.get() + 6, length);
}

void callLengths(ScannerInterface1& s, Input& in) {
  const int32_t id = in.edge();
  const uint8_t pointers = in.byte();
  uint16_t values[3] = {0xA5A5, 0xA5A5, 0xA5A5};
  uint16_t* mode = (pointers & 1) != 0 ? nullptr : &values[0];
  uint16_t* first = (pointers & 2) != 0 && (pointers & 8) ? nullptr : &values[1];
  uint16_t* second = (pointers & 4) != 0 && (pointers & 16) ? nullptr : &values[2];
  const int16_t result = s.GetSymbologyLengths(id, mode, first, second);
  expectAnswer(21, result);
  if (mode == nullptr || first == nullptr || second == nullptr || result != kOk) {
    CHECK(values[0] == 0xA5A5 && values[1] == 0xA5A5 && values[2] == 0xA5A5,
          "GetSymbologyLengths wrote when failing", id);
  }
}

void callAffixChars(ScannerInterface1& s, Input& in) {
  const uint8_t pointers = in.byte();
  int8_t values[3] = {-91, -91, -91};
  int8_t* prefix = (pointers & 1) != 0 ? nullptr : &values[0];
  int8_t* suffix1 = (pointers & 2) != 0 ? nullptr : &values[1];
  int8_t* suffix2 = (pointers & 4) != 0 && (pointers & 8) != 0 ? nullptr : &values[2];
  const int16_t result = s.GetAffixChars(prefix, suffix1, suffix2);
  if (prefix == nullptr || suffix1 == nullptr || suffix2 == nullptr) {
    CHECK(result == kRejected, "GetAffixChars with a null pointer", pointers);
    CHECK(values[0] == -91 && values[1] == -91 && values[2] == -91,
          "GetAffixChars wrote when refusing", pointers);
  } else {
    CHECK(result == kOk, "GetAffixChars", result);
  }
}

// Any operation the table can call with integer arguments (and the callback
// registrations, on or off): its arguments from the input, its answer checked
// against the answers the table allows.
void callFromTable(int slot, int position, Input& in) {
  const scanhost::Operation& row = scanhost::operationAt(position);
  scanhost::Session session;
  session.scanner = gSlots[slot].scanner;
  session.eventCallback = kEventCallbacks[slot];
  session.debugCallback = kDebugCallbacks[slot];
  session.toneCallback = kToneCallbacks[slot];
  scanhost::Call call = scanhost::makeCall(row.name);
  for (int a = 0; a < scanhost::argCount(row); ++a) {
    call.args[a] = position <= 2 ? (in.flag() ? 1 : 0) : in.edge();
  }
  scanhost::CallResult result;
  row.invoke(session, call, &result);
  if (row.answers.kind != scanhost::Answers::kNoResult) expectAnswer(position, result.value);
}

// One call of operation `position` (0-90) on the object in `slot`.
void callOperation(int slot, int position, Input& in) {
  Slot& target = gSlots[slot];
  if (target.scanner == nullptr) {
    create(slot);
    return;
  }
  ScannerInterface1& s = *target.scanner;
  switch (position) {
    case 10: {
      const int16_t result = s.DisableScanner();
      expectAnswer(position, result);
      // Once DisableScanner has returned, nothing of the enable period it
      // stopped reaches the host (it stopped one when it answered ResultOk,
      // and when it answered ResultRejected because the driver refused to
      // switch off).
      if (result == kOk || stopping(slot)) makeQuiet(slot);
      return;
    }
    case 11: {
      // A new scan thread may call back before EnableScanner returns.
      const bool wasQuiet = target.quiet;
      target.quiet = false;
      expectAnswer(position, s.EnableScanner());
      // No new thread was started: the stopped one stays silent.
      if (stopping(slot)) target.quiet = wasQuiet;
      return;
    }
    case 21:
      return callLengths(s, in);
    case 31:
      return callLastLabelRecord(s, in);
    case 33:
    case 49:
    case 50:
      return callText(position, s, in);
    case 37:
      return callReadLabel(s, in);
    case 46:
      return callAffixChars(s, in);
    case 90:
      return destroy(slot);  // the destructor
    default:
      return callFromTable(slot, position, in);
  }
}

// ---- Events of the virtual device ---------------------------------------------

int32_t failureValue(Input& in) {
  static const int32_t kResults[] = {
      -1,
      -4,
      static_cast<int32_t>(0x80004005u),
      static_cast<int32_t>(0xC0000001u),
      VDEV_READ_CANCELLED,
      VDEV_READ_TIMEOUT,
      VDEV_BAD_HANDLE,
      INT32_MIN,
      0,
      0x40000000,
  };
  return kResults[in.byte() % (sizeof kResults / sizeof kResults[0])];
}

uint32_t labelLength(Input& in) {
  static const uint32_t kLengths[] = {0,    1,    4,    5,    6,    254,  255,
                                      256,  257,  2997, 2998, 2999, 3000, 7094,
                                      7095, 7096, 8191, 8192, 8193, 9000, 100000};
  const uint8_t pick = in.byte();
  if (pick < sizeof kLengths / sizeof kLengths[0]) return kLengths[pick];
  return in.u16() % 9000;
}

void pushLabel(Input& in) {
  const uint32_t length = labelLength(in);
  const uint8_t how = in.byte();
  const bool zeros = (how & 1) != 0;
  uint32_t reported = length;
  if ((how & 6) == 2) reported = length + in.u16();
  if ((how & 6) == 4) reported = length / 2;
  if ((how & 6) == 6) reported = 0xFFFFFFFFu;
  const int32_t symbology = in.edge();
  const uint32_t id = static_cast<uint32_t>(gLabels.size());
  if (id >= 36u * 36 * 36 * 36) return;
  const std::vector<uint8_t> bytes = makeLabel(id, length, zeros);
  const bool full = vdev_scan_queued() >= VDEV_QUEUE_CAPACITY;
  const int32_t result =
      reported == length ? vdev_scan_push_label(symbology, bytes.data(), length)
                         : vdev_scan_push_label_reported(symbology, bytes.data(), length, reported);
  if (length > VDEV_MAX_LABEL || full) {
    CHECK(result == -1, "the device took a label it cannot hold", static_cast<long>(length));
    return;
  }
  CHECK(result == 0, "the device refused a label", static_cast<long>(length));
  gLabels.push_back({length, reported, zeros, false});
}

void deviceEvent(Input& in) {
  switch (in.byte() % 12) {
    case 0:
    case 1:
    case 2:
      return pushLabel(in);
    case 3: {
      const vdev_scan_function function =
          static_cast<vdev_scan_function>(in.byte() % VDEV_SCAN_FUNCTION_COUNT);
      const int32_t result = failureValue(in);
      static const int32_t kTimes[] = {1, 2, 3, -1, 0};
      const int32_t times = kTimes[in.byte() % 5];
      if (function == VDEV_SCAN_SYNC_READ && result >= 0 && times != 0) gSyntheticReads = true;
      return vdev_scan_inject_result(function, result, times);
    }
    case 4: {
      const vdev_group group = static_cast<vdev_group>(in.byte() % VDEV_GROUP_COUNT);
      const int32_t result = in.flag() ? 0 : (failureValue(in) | INT32_MIN);
      if (in.flag()) return vdev_config_fail_set(group, result);
      return vdev_config_fail_get(group, result);
    }
    case 5:
      return vdev_config_fail_open(in.flag() ? 0 : (failureValue(in) | INT32_MIN));
    case 6:
      return vdev_settings_inject_result(in.flag() ? 0 : failureValue(in));
    case 7:
      return vdev_scan_set_ignore_cancel(in.flag() ? 1 : 0);
    case 8: {
      // A read released with a success result delivers an empty label.
      const int32_t result = failureValue(in);
      if (result >= 0) gSyntheticReads = true;
      return vdev_scan_release_reads(result);
    }
    case 9:
      gPlatform.refuseThreads = in.flag();
      return;
    case 10: {
      const vdev_group group = static_cast<vdev_group>(in.byte() % VDEV_GROUP_COUNT);
      const int32_t field = in.byte() % vdev_config_field_count(group);
      return vdev_config_set_field(group, field, static_cast<uint32_t>(in.edge()));
    }
    default:
      // Give the scan threads time to take what is queued.
      vdev_scan_wait_idle(in.byte() % 8);
      return;
  }
}

// ---- One input ------------------------------------------------------------------

void endInput() {
  for (int slot = 0; slot < kSlots; ++slot) {
    destroy(slot);
    gSlots[slot].keep.release();
  }
  // Let go of every read the driver kept; their threads end and free the
  // state they still share. A thread left running (its driver failed the
  // cancel and the close) may only now come to its next read, so reads are
  // let go until every thread has ended.
  vdev_scan_clear_results();
  vdev_scan_set_ignore_cancel(0);
  for (int i = 0; i < 5000 && zorvan::liveScannerStates() != 0; ++i) {
    vdev_scan_release_reads(VDEV_READ_CANCELLED);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  CHECK(zorvan::liveScannerStates() == 0, "state blocks left after the objects went",
        zorvan::liveScannerStates());
  CHECK(vdev_config_open_objects() == 0, "DeviceConfig references left",
        vdev_config_open_objects());
  // Every event came from a label pushed, unless reads were made to succeed.
  if (!gSyntheticReads) {
    CHECK(gEvents.load() <= gLabels.size(), "more scan events than labels",
          static_cast<long>(gEvents.load()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gHostThread = std::this_thread::get_id();
  vdev_reset_all();
  gPlatform.refuseThreads = false;
  gLabels.clear();
  gSyntheticReads = false;
  gEvents = 0;
  zorvan::resetMissingEventCallbackWarning();
  Input in(data, size);
  for (int step = 0; step < 400 && !in.done(); ++step) {
    const uint8_t what = in.byte();
    if (what >= 0xE0) {
      deviceEvent(in);
    } else {
      // Mostly the first object; 90 positions and the destructor.
      const int slot = what >= 0xC0 ? 1 : 0;
      callOperation(slot, in.byte() % 91, in);
    }
  }
  endInput();
  return 0;
}

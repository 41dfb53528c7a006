// A host built the way the plug-in's users build theirs: with the Microsoft
// C++ ABI (clang --target=i686-pc-windows-msvc), against
// include/scanner_interface1.h alone, without a C run-time. It loads the
// plug-in by path, calls every one of the 91 positions of the operation
// table and checks each one's result or effect, so a shifted table fails,
// and checks the stack pointer across every call and across `delete`
// (positions 0-89 thiscall, 90 the scalar deleting destructor, all
// callee-clean). Exit status 0 when every check passed.
#include <stdarg.h>
#include <stdint.h>

#include "scanner_interface1.h"
#include "virtual_device.h"

// ---- The few Windows declarations the host needs ----

extern "C" {
typedef void* HANDLE;
struct HeapEntry {  // PROCESS_HEAP_ENTRY
  void* data;
  uint32_t size;
  uint8_t overhead;
  uint8_t regionIndex;
  uint16_t flags;
  uint32_t rest[4];
};
enum : uint16_t { kHeapEntryBusy = 0x0004 };
enum : uint32_t { kStdOutput = static_cast<uint32_t>(-11) };
enum : uint32_t { kApartmentThreaded = 0x2 };

__declspec(dllimport) void* __stdcall LoadLibraryA(const char* path);
__declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* name);
__declspec(dllimport) uint32_t __stdcall GetLastError();
__declspec(dllimport) int __stdcall FreeLibrary(void* module);
__declspec(dllimport) void* __stdcall GetModuleHandleA(const char* name);
__declspec(dllimport) HANDLE __stdcall GetStdHandle(uint32_t which);
__declspec(dllimport) int __stdcall WriteFile(HANDLE file, const void* data, uint32_t size,
                                              uint32_t* written, void* overlapped);
__declspec(dllimport) void __stdcall ExitProcess(uint32_t code);
__declspec(dllimport) void __stdcall Sleep(uint32_t milliseconds);
__declspec(dllimport) int __stdcall HeapLock(HANDLE heap);
__declspec(dllimport) int __stdcall HeapUnlock(HANDLE heap);
__declspec(dllimport) int __stdcall HeapWalk(HANDLE heap, HeapEntry* entry);
__declspec(dllimport) int32_t __stdcall CoInitializeEx(void* reserved, uint32_t model);
__declspec(dllimport) void __stdcall CoUninitialize();
__declspec(dllimport) intptr_t __cdecl _get_heap_handle();

// What the compiler may call for copies and zeroing.
void* memset(void* destination, int value, unsigned size) {
  unsigned char* d = static_cast<unsigned char*>(destination);
  for (unsigned i = 0; i < size; ++i) d[i] = static_cast<unsigned char>(value);
  return destination;
}
void* memcpy(void* destination, const void* source, unsigned size) {
  unsigned char* d = static_cast<unsigned char*>(destination);
  const unsigned char* s = static_cast<const unsigned char*>(source);
  for (unsigned i = 0; i < size; ++i) d[i] = s[i];
  return destination;
}
}

namespace {

// ---- Output and checks ----

void write(const char* text) {
  unsigned length = 0;
  while (text[length] != 0) ++length;
  uint32_t written = 0;
  WriteFile(GetStdHandle(kStdOutput), text, length, &written, nullptr);
}

void writeNumber(int32_t value) {
  char digits[16];
  int at = 15;
  digits[at] = 0;
  const bool negative = value < 0;
  uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    digits[--at] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) digits[--at] = '-';
  write(digits + at);
}

int gChecks = 0;
int gFailures = 0;

void check(bool passed, const char* what) {
  ++gChecks;
  if (passed) return;
  ++gFailures;
  write("FAILED: ");
  write(what);
  write("\n");
}

void checkEqual(int32_t expected, int32_t actual, const char* what) {
  ++gChecks;
  if (expected == actual) return;
  ++gFailures;
  write("FAILED: ");
  write(what);
  write(": expected ");
  writeNumber(expected);
  write(", got ");
  writeNumber(actual);
  write("\n");
}

bool sameText(const char* a, const char* b) {
  for (; *a != 0 && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

// The stack pointer, read between statements: a call whose callee pops the
// wrong number of bytes leaves it moved.
#define READ_ESP(into) __asm__ volatile("movl %%esp, %0" : "=r"(into))

// A call through the table with the stack pointer checked across it; the
// value of the call (an int16_t result) when it has one.
#define CALL(what, call)                                                                   \
  ([&]() -> int32_t {                                                                      \
    uint32_t before_ = 0, after_ = 0;                                                      \
    READ_ESP(before_);                                                                     \
    const int32_t result_ = (call);                                                        \
    READ_ESP(after_);                                                                      \
    checkEqual(0, static_cast<int32_t>(after_ - before_), "stack pointer moved by " what); \
    return result_;                                                                        \
  }())
#define CALL_VOID(what, call)                                                              \
  do {                                                                                     \
    uint32_t before_ = 0, after_ = 0;                                                      \
    READ_ESP(before_);                                                                     \
    call;                                                                                  \
    READ_ESP(after_);                                                                      \
    checkEqual(0, static_cast<int32_t>(after_ - before_), "stack pointer moved by " what); \
  } while (0)

// ---- Host callbacks ----

volatile int32_t gEvents = 0;
uint8_t gLastEvent[ScanEventRecordSize];
volatile int32_t gTones = 0;
uint8_t gLastTone[ToneRecordSize];
volatile int32_t gDebugMessages = 0;
const char* volatile gLastDebugFormat = nullptr;
volatile uint32_t gLastDebugArgument = 0;

void onEvent(const uint8_t* record) {
  for (int i = 0; i < ScanEventRecordSize; ++i) gLastEvent[i] = record[i];
  __atomic_add_fetch(&gEvents, 1, __ATOMIC_SEQ_CST);
}

void onDebug(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  gLastDebugArgument = va_arg(arguments, uint32_t);
  va_end(arguments);
  gLastDebugFormat = format;
  __atomic_add_fetch(&gDebugMessages, 1, __ATOMIC_SEQ_CST);
}

void onTone(int32_t, const uint8_t* record, int32_t) {
  for (int i = 0; i < ToneRecordSize; ++i) gLastTone[i] = record[i];
  __atomic_add_fetch(&gTones, 1, __ATOMIC_SEQ_CST);
}

int32_t toneFrequency() {
  return (gLastTone[2] << 24) | (gLastTone[3] << 16) | (gLastTone[4] << 8) | gLastTone[5];
}
int32_t toneDuration() { return (gLastTone[6] << 8) | gLastTone[7]; }

// ---- The plug-in's heap ----

// Whether `block` is a block in use in the C run-time heap that the plug-in
// allocates from (its malloc hands out the heap's blocks as they are).
bool heapBlockInUse(const void* block) {
  HANDLE heap = reinterpret_cast<HANDLE>(_get_heap_handle());
  bool inUse = false;
  HeapLock(heap);
  HeapEntry entry;
  memset(&entry, 0, sizeof entry);
  while (HeapWalk(heap, &entry)) {
    if (entry.data == block) inUse = (entry.flags & kHeapEntryBusy) != 0;
  }
  HeapUnlock(heap);
  return inUse;
}

const uint8_t kLabel[] = {'H', 'O', 'S', 'T'};

void scanOneLabel() {
  check(vdev_scan_push_label(1, kLabel, sizeof kLabel) == 0, "label queued");
  check(vdev_scan_wait_idle(5000) == 1, "label handled");
}

// Every position in table order, each with its result or effect checked.
void callEveryPosition(ScannerInterface1* s) {
  // 0-2: the callbacks, each seen to be called.
  CALL_VOID("SetEvtAddEventToQueueCallBack", s->SetEvtAddEventToQueueCallBack(onEvent));
  CALL_VOID("SetEvtDebugMessageCallBack", s->SetEvtDebugMessageCallBack(onDebug));
  CALL_VOID("SetEvtPlayToneCallBack", s->SetEvtPlayToneCallBack(onTone));
  checkEqual(ResultOk, CALL("PlayTonePattern", s->PlayTonePattern(27)), "PlayTonePattern(27)");
  checkEqual(1, gTones, "good-read tone reached the tone callback");
  checkEqual(3000, toneFrequency(), "good-read tone frequency");
  checkEqual(90, toneDuration(), "good-read tone duration");
  checkEqual(ResultOk, CALL("PlayTonePattern", s->PlayTonePattern(1)), "PlayTonePattern(1)");
  checkEqual(7500, toneFrequency(), "pattern 1 frequency");
  checkEqual(70, toneDuration(), "pattern 1 duration");

  // 3, 4, 18 and 12: the auxiliary flag, pending until applied.
  checkEqual(ResultOk, CALL("EnableAuxFlag", s->EnableAuxFlag()), "EnableAuxFlag");
  checkEqual(0, CALL("GetAuxFlag", s->GetAuxFlag()), "GetAuxFlag before apply");
  const int32_t tonesBeforeApply = gTones;
  checkEqual(ResultOk, CALL("ApplySettings", s->ApplySettings(27)), "ApplySettings(27)");
  checkEqual(tonesBeforeApply + 1, gTones, "ApplySettings(27) plays the good-read tone");
  checkEqual(1, CALL("GetAuxFlag", s->GetAuxFlag()), "GetAuxFlag after apply");
  checkEqual(ResultOk, CALL("DisableAuxFlag", s->DisableAuxFlag()), "DisableAuxFlag");
  CALL("ApplySettings", s->ApplySettings(0));
  checkEqual(0, CALL("GetAuxFlag", s->GetAuxFlag()), "GetAuxFlag after disable");

  // The nine positions that are not supported.
  checkEqual(ResultUnsupported, CALL("NotSupported6", s->NotSupported6()), "position 6");
  checkEqual(ResultUnsupported, CALL("NotSupported15", s->NotSupported15()), "position 15");
  checkEqual(ResultUnsupported, CALL("NotSupported16", s->NotSupported16()), "position 16");
  checkEqual(ResultUnsupported, CALL("NotSupported38", s->NotSupported38()), "position 38");
  checkEqual(ResultUnsupported, CALL("NotSupported51", s->NotSupported51()), "position 51");
  checkEqual(ResultUnsupported, CALL("NotSupported55", s->NotSupported55()), "position 55");
  checkEqual(ResultUnsupported, CALL("NotSupported67", s->NotSupported67()), "position 67");
  checkEqual(ResultUnsupported, CALL("NotSupported75", s->NotSupported75()), "position 75");
  checkEqual(ResultUnsupported, CALL("NotSupported84", s->NotSupported84()), "position 84");

  // 7, 8, 42: the read LED.
  checkEqual(ResultOk, CALL("ReadLedOn", s->ReadLedOn()), "ReadLedOn");
  checkEqual(1, vdev_scan_read_led(), "LED on in the driver");
  checkEqual(1, CALL("GetReadLedState", s->GetReadLedState()), "GetReadLedState on");
  checkEqual(ResultOk, CALL("ReadLedOff", s->ReadLedOff()), "ReadLedOff");
  checkEqual(0, vdev_scan_read_led(), "LED off in the driver");
  checkEqual(0, CALL("GetReadLedState", s->GetReadLedState()), "GetReadLedState off");

  // Fixed answers: 27, 35, 43, 73, 79.
  checkEqual(0, CALL("NoOpA", s->NoOpA()), "NoOpA");
  checkEqual(1, CALL("FixedTrueA", s->FixedTrueA()), "FixedTrueA");
  checkEqual(1, CALL("FixedTrueB", s->FixedTrueB()), "FixedTrueB");
  checkEqual(0, CALL("NoOpB", s->NoOpB()), "NoOpB");
  checkEqual(ResultOk, CALL("AcceptValueOne", s->AcceptValueOne(1)), "AcceptValueOne(1)");
  checkEqual(ResultUnsupported, CALL("AcceptValueOne", s->AcceptValueOne(2)), "AcceptValueOne(2)");

  // 33, 49, 50: the texts.
  char text[16];
  checkEqual(ResultOk, CALL("GetScannerModelName", s->GetScannerModelName(text, sizeof text)),
             "GetScannerModelName");
  check(sameText("ITCKVP", text), "model name text");
  checkEqual(ResultOk, CALL("GetInterfaceId", s->GetInterfaceId(text, sizeof text)),
             "GetInterfaceId");
  check(sameText("KVSym01", text), "interface id text");
  text[5] = 'x';
  checkEqual(ResultOk, CALL("GetBuildVersion", s->GetBuildVersion(text, sizeof text)),
             "GetBuildVersion");
  checkEqual(0, text[5], "build version is five characters");

  // Block settings: each setter pending until ApplySettings, read back by
  // its getter. 58/17, 59/19, 62/22, 65/25, 71/32, 77/40, 78/41, 87/54.
  checkEqual(ResultOk, CALL("SetStoredLevel2", s->SetStoredLevel2(41)), "SetStoredLevel2");
  checkEqual(ResultOk, CALL("SetStoredCode", s->SetStoredCode(181)), "SetStoredCode");
  checkEqual(ResultOk, CALL("SetGoodReadBeep", s->SetGoodReadBeep(0)), "SetGoodReadBeep");
  checkEqual(ResultOk, CALL("SetStoredFlag1", s->SetStoredFlag1(5)), "SetStoredFlag1");
  checkEqual(ResultOk, CALL("SetStoredLevel3", s->SetStoredLevel3(43)), "SetStoredLevel3");
  checkEqual(ResultOk, CALL("SetStoredLevel1", s->SetStoredLevel1(42)), "SetStoredLevel1");
  checkEqual(ResultOk, CALL("SetStoredSelector", s->SetStoredSelector(3)), "SetStoredSelector");
  checkEqual(ResultOk, CALL("SetTriggerMode", s->SetTriggerMode(0x12308)), "SetTriggerMode");
  checkEqual(30, CALL("GetStoredLevel1", s->GetStoredLevel1()), "GetStoredLevel1 pending");
  CALL("ApplySettings", s->ApplySettings(0));
  checkEqual(41, CALL("GetStoredLevel2", s->GetStoredLevel2()), "GetStoredLevel2");
  checkEqual(181, CALL("GetStoredCode", s->GetStoredCode()), "GetStoredCode");
  checkEqual(0, CALL("GetGoodReadBeep", s->GetGoodReadBeep()), "GetGoodReadBeep");
  checkEqual(1, CALL("GetStoredFlag1", s->GetStoredFlag1()), "GetStoredFlag1");
  checkEqual(43, CALL("GetStoredLevel3", s->GetStoredLevel3()), "GetStoredLevel3");
  checkEqual(42, CALL("GetStoredLevel1", s->GetStoredLevel1()), "GetStoredLevel1");
  checkEqual(3, CALL("GetStoredSelector", s->GetStoredSelector()), "GetStoredSelector");
  checkEqual(0x2308, CALL("GetTriggerMode", s->GetTriggerMode()), "GetTriggerMode");

  // Immediate settings: 82/46, 83/47, 88/56, and 9 back to the defaults.
  checkEqual(ResultOk, CALL("SetAffixChars", s->SetAffixChars(2, 3, 4)), "SetAffixChars");
  int8_t prefix = 0, suffix1 = 0, suffix2 = 0;
  checkEqual(ResultOk, CALL("GetAffixChars", s->GetAffixChars(&prefix, &suffix1, &suffix2)),
             "GetAffixChars");
  checkEqual(2 * 100 + 3 * 10 + 4, prefix * 100 + suffix1 * 10 + suffix2, "affix characters");
  checkEqual(ResultOk, CALL("SetAffixMode", s->SetAffixMode(6)), "SetAffixMode");
  checkEqual(6, CALL("GetAffixMode", s->GetAffixMode()), "GetAffixMode");
  checkEqual(ResultOk, CALL("SetStoredSelector2", s->SetStoredSelector2(4)), "SetStoredSelector2");
  checkEqual(4, CALL("GetStoredSelector2", s->GetStoredSelector2()), "GetStoredSelector2");
  checkEqual(ResultOk, CALL("ResetToDefaults", s->ResetToDefaults()), "ResetToDefaults");
  checkEqual(0, CALL("GetAffixMode", s->GetAffixMode()), "GetAffixMode after reset");
  checkEqual(182, CALL("GetStoredCode", s->GetStoredCode()), "GetStoredCode after reset");

  // 23, 24, 63, 64: the tone table.
  checkEqual(90, CALL("GetToneDuration", s->GetToneDuration(39)), "GetToneDuration(39)");
  checkEqual(3000, CALL("GetToneFrequency", s->GetToneFrequency(40)), "GetToneFrequency(40)");
  checkEqual(ResultOk, CALL("SetToneDuration", s->SetToneDuration(39, 123)), "SetToneDuration");
  checkEqual(ResultOk, CALL("SetToneFrequency", s->SetToneFrequency(40, 2345)), "SetToneFrequency");
  checkEqual(123, CALL("GetToneDuration", s->GetToneDuration(39)), "tone duration set");
  checkEqual(2345, CALL("GetToneFrequency", s->GetToneFrequency(40)), "tone frequency set");

  // 20, 60: enabling, on the device.
  vdev_config_set_field(VDEV_GROUP_C, 0, 1);
  checkEqual(1, CALL("GetSymbologyEnabled", s->GetSymbologyEnabled(9)), "GetSymbologyEnabled");
  checkEqual(ResultOk, CALL("SetSymbologyEnabled", s->SetSymbologyEnabled(9, 0)),
             "SetSymbologyEnabled");
  checkEqual(0, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_C, 0)), "enable field");

  // 21, 61: lengths.
  checkEqual(ResultOk, CALL("SetSymbologyLengths", s->SetSymbologyLengths(7, 2, 10, 20)),
             "SetSymbologyLengths");
  uint16_t mode = 0, first = 0, second = 0;
  checkEqual(ResultOk,
             CALL("GetSymbologyLengths", s->GetSymbologyLengths(7, &mode, &first, &second)),
             "GetSymbologyLengths");
  checkEqual(2 * 10000 + 20 * 100 + 10, mode * 10000 + first * 100 + second, "lengths read back");

  // Options, each pair through the device's fields.
  checkEqual(ResultOk, CALL("SetOptionB2", s->SetOptionB2(1)), "SetOptionB2");
  checkEqual(1, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_B, 2)), "GroupB field 2");
  checkEqual(1, CALL("GetOptionB2", s->GetOptionB2()), "GetOptionB2");
  checkEqual(ResultOk, CALL("SetOptionA1", s->SetOptionA1(1)), "SetOptionA1");
  checkEqual(1, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_A, 1)), "GroupA field 1");
  checkEqual(1, CALL("GetOptionA1", s->GetOptionA1()), "GetOptionA1");
  checkEqual(ResultOk, CALL("SetOptionB1", s->SetOptionB1(0)), "SetOptionB1");
  checkEqual(2, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_B, 1)), "GroupB field 1");
  checkEqual(0, CALL("GetOptionB1", s->GetOptionB1()), "GetOptionB1");
  checkEqual(ResultOk, CALL("SetOptionA4", s->SetOptionA4(1)), "SetOptionA4");
  checkEqual(2, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_A, 4)), "GroupA field 4");
  checkEqual(1, CALL("GetOptionA4", s->GetOptionA4()), "GetOptionA4");
  checkEqual(ResultOk, CALL("SetOptionE1", s->SetOptionE1(2)), "SetOptionE1");
  checkEqual(4, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_E, 1)), "GroupE field 1");
  checkEqual(2, CALL("GetOptionE1", s->GetOptionE1()), "GetOptionE1");
  checkEqual(ResultOk, CALL("SetOptionJ", s->SetOptionJ(1)), "SetOptionJ");
  checkEqual(2, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_J, 0)), "GroupJ field 0");
  checkEqual(1, CALL("GetOptionJ", s->GetOptionJ()), "GetOptionJ");
  checkEqual(ResultOk, CALL("SetOptionITriple", s->SetOptionITriple(2)), "SetOptionITriple");
  checkEqual(1, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_I, 7)), "GroupI field 7");
  checkEqual(2, CALL("GetOptionITriple", s->GetOptionITriple()), "GetOptionITriple");
  checkEqual(ResultOk, CALL("SetOptionIByKind", s->SetOptionIByKind(0, 1)), "SetOptionIByKind");
  checkEqual(1, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_I, 15)), "GroupI field 15");
  checkEqual(1, CALL("GetOptionIByKind", s->GetOptionIByKind(1)), "GetOptionIByKind");
  checkEqual(ResultOk, CALL("SetOptionIKind3", s->SetOptionIKind3(1)), "SetOptionIKind3");
  checkEqual(1, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_I, 16)), "GroupI field 16");
  checkEqual(1, CALL("GetOptionIKind3", s->GetOptionIKind3()), "GetOptionIKind3");
  vdev_config_set_field(VDEV_GROUP_F, 1, 0);
  checkEqual(ResultOk, CALL("SetOptionF1Bit1", s->SetOptionF1Bit1(1)), "SetOptionF1Bit1");
  checkEqual(2, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_F, 1)), "GroupF field 1");
  checkEqual(1, CALL("GetOptionF1Bit1", s->GetOptionF1Bit1()), "GetOptionF1Bit1");
  checkEqual(ResultOk, CALL("SetSymbologyOption", s->SetSymbologyOption(1, 1)),
             "SetSymbologyOption");
  checkEqual(1, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_I, 8)), "GroupI field 8");
  checkEqual(1, CALL("GetSymbologyOption", s->GetSymbologyOption(1)), "GetSymbologyOption");
  checkEqual(ResultOk, CALL("SetSymbologyOption2", s->SetSymbologyOption2(12, 1)),
             "SetSymbologyOption2");
  checkEqual(1, static_cast<int32_t>(vdev_config_field(VDEV_GROUP_I, 13)), "GroupI field 13");
  checkEqual(1, CALL("GetSymbologyOption2", s->GetSymbologyOption2(2)), "GetSymbologyOption2");

  // 5 with the tone table changed, and 13, 14: the software trigger.
  const int32_t tonesBeforeTrigger = gTones;
  checkEqual(ResultUnsupported, CALL("StartSoftwareTrigger", s->StartSoftwareTrigger()),
             "StartSoftwareTrigger in trigger mode 0");
  checkEqual(tonesBeforeTrigger + 4, gTones, "the refused trigger's tones");
  checkEqual(ResultUnsupported, CALL("StopSoftwareTrigger", s->StopSoftwareTrigger()),
             "StopSoftwareTrigger in trigger mode 0");
  CALL("SetTriggerMode", s->SetTriggerMode(8));
  CALL("ApplySettings", s->ApplySettings(0));

  // 11, 48, 10 with a label between: 31 and 37 retrieve it.
  checkEqual(0, CALL("IsScannerEnabled", s->IsScannerEnabled()), "IsScannerEnabled before");
  checkEqual(ResultOk, CALL("EnableScanner", s->EnableScanner()), "EnableScanner");
  checkEqual(1, vdev_scan_enabled(), "driver enabled");
  checkEqual(1, CALL("IsScannerEnabled", s->IsScannerEnabled()), "IsScannerEnabled");
  check(vdev_scan_wait_blocked(1, 5000) == 1, "scan thread reading");
  checkEqual(ResultOk, CALL("StartSoftwareTrigger", s->StartSoftwareTrigger()),
             "StartSoftwareTrigger");
  checkEqual(1, vdev_scan_trigger(), "trigger pulled");
  checkEqual(ResultOk, CALL("StopSoftwareTrigger", s->StopSoftwareTrigger()),
             "StopSoftwareTrigger");
  checkEqual(0, vdev_scan_trigger(), "trigger released");

  scanOneLabel();
  checkEqual(1, gEvents, "scan event");
  checkEqual(0x87, gLastEvent[0], "scan event record");
  uint8_t record[LabelRecordSize];
  checkEqual(ResultOk, CALL("GetLastLabelRecord", s->GetLastLabelRecord(record)),
             "GetLastLabelRecord");
  checkEqual(4, record[1], "label record length");
  checkEqual('H', record[6], "label record data");
  scanOneLabel();
  char label[8];
  int16_t symbology = -1;
  checkEqual(ResultOk, CALL("ReadLabel", s->ReadLabel(sizeof label - 1, &symbology, label)),
             "ReadLabel");
  check(sameText("HOST", label), "ReadLabel text");
  checkEqual(1, symbology, "ReadLabel symbology");

  // A read failure: one debug message through the registered callback.
  vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, static_cast<int32_t>(0x80000001u), 1);
  check(vdev_scan_push_label(1, kLabel, sizeof kLabel) == 0, "label queued");
  for (int i = 0; i < 5000 && gDebugMessages == 0; ++i) Sleep(1);
  checkEqual(1, gDebugMessages, "debug message");
  check(gLastDebugFormat != nullptr &&
            sameText("Debug ITCSCAN_SyncRead returned 0x%08lx", gLastDebugFormat),
        "debug message format");
  checkEqual(static_cast<int32_t>(0x80000001u), static_cast<int32_t>(gLastDebugArgument),
             "debug message argument");

  checkEqual(ResultOk, CALL("DisableScanner", s->DisableScanner()), "DisableScanner");
  checkEqual(0, vdev_scan_enabled(), "driver disabled");
  checkEqual(ResultOk, CALL("EnableScanner", s->EnableScanner()), "EnableScanner again");
  check(vdev_scan_wait_blocked(1, 5000) == 1, "scan thread reading again");
}

// The object is deleted as a Microsoft-compiled host deletes it: the
// table's position 90 with the flag 1.
void deleteObject(ScannerInterface1* scanner) { CALL_VOID("delete", delete scanner); }

int run(NewScannerFunction newScanner) {
  // COM: this thread joins a single-threaded apartment first, so the
  // plug-in's multithreaded start-up is refused and must not be undone.
  checkEqual(0, CoInitializeEx(nullptr, kApartmentThreaded), "host's COM start-up");

  ScannerInterface1* scanner = newScanner();
  check(scanner != nullptr, "NewScanner");
  if (scanner == nullptr) return 1;
  check(heapBlockInUse(scanner), "the object is a block of the plug-in's heap");
  callEveryPosition(scanner);
  deleteObject(scanner);
  checkEqual(0, vdev_scan_is_open(), "driver closed by delete");
  checkEqual(0, vdev_scan_enabled(), "scanner disabled by delete");
  checkEqual(0, vdev_config_open_objects(), "DeviceConfig released by delete");
  check(!heapBlockInUse(scanner), "delete freed the object");

  // Still in the host's apartment: a second start-up is counted (S_FALSE).
  checkEqual(1, CoInitializeEx(nullptr, kApartmentThreaded), "host's COM still started");
  CoUninitialize();
  CoUninitialize();
  return 0;
}

// A driver that ignores the cancel keeps the scan thread after delete has
// given up its wait, and the host then unloads the plug-in. The plug-in
// holds its own module, so when the driver finally lets the thread go it
// still has its code, and the process then exits normally.
void unloadWhileAThreadIsStuckInTheDriver(void* plugin, NewScannerFunction newScanner) {
  vdev_scan_set_ignore_cancel(1);
  ScannerInterface1* scanner = newScanner();
  checkEqual(ResultOk, scanner->EnableScanner(), "EnableScanner, stuck driver");
  check(vdev_scan_wait_blocked(1, 5000) == 1, "scan thread reading, stuck driver");
  deleteObject(scanner);
  checkEqual(1, static_cast<int32_t>(vdev_scan_blocked_reads()), "thread left in the driver");
  FreeLibrary(plugin);
  check(GetModuleHandleA("zorvanscanner.dll") != nullptr, "plug-in kept loaded");
  vdev_scan_set_ignore_cancel(0);
  vdev_scan_release_reads(VDEV_READ_CANCELLED);
  Sleep(200);
}

}  // namespace

extern "C" void mainCRTStartup() {
  vdev_reset_all();
  void* plugin = LoadLibraryA(PLUGIN_PATH);
  check(plugin != nullptr, "plug-in loaded");
  if (plugin != nullptr) {
    auto newScanner = reinterpret_cast<NewScannerFunction>(GetProcAddress(plugin, "NewScanner"));
    check(newScanner != nullptr, "NewScanner exported");
    if (newScanner != nullptr) {
      run(newScanner);
      unloadWhileAThreadIsStuckInTheDriver(plugin, newScanner);
    }
  }
  writeNumber(gChecks - gFailures);
  write(" passed, ");
  writeNumber(gFailures);
  write(" failed\n");
  ExitProcess(gFailures == 0 ? 0 : 1);
}

// A first host of the Zorvan scanner plug-in, run on the virtual device:
// load the plug-in, register the callbacks, check that the object opened
// the device, apply a setting, enable, take labels both ways, play a tone,
// switch a symbology off, disable and delete. docs/host-integration.md
// walks through it step by step.
//
//   find_package(ZorvanScanner 1.0 CONFIG REQUIRED)
//   target_link_libraries(first_host PRIVATE ZorvanScanner::Interface
//                         ZorvanScanner::VirtualDevice ${CMAKE_DL_LIBS})
//   target_compile_definitions(first_host PRIVATE
//     PLUGIN_PATH="$<TARGET_FILE:ZorvanScanner::Plugin>")
#include <dlfcn.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "scanner_interface1.h"
#include "virtual_device.h"  // only to play the scanner's part: push labels

namespace {

// The scan thread's news for the host's own thread: labels announced.
std::mutex newsLock;
std::condition_variable newsArrived;
int labelsAnnounced = 0;

// The scan thread calls this once per label. The record carries no text:
// note the label and fetch it on the host's own thread.
void onScanEvent(const uint8_t* record) {
  (void)record;  // bytes 9-11 give the length of a label over 255 bytes
  std::lock_guard<std::mutex> hold(newsLock);
  ++labelsAnnounced;
  newsArrived.notify_all();
}

void onDebugMessage(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  fputs("debug: ", stdout);
  vprintf(format, arguments);
  fputc('\n', stdout);
  va_end(arguments);
}

// A tone to sound: 10 bytes, frequency (bytes 2-5), duration (6-7) and
// level (8-9), big-endian. A real host hands it to its sound output.
void onTone(int32_t, const uint8_t* tone, int32_t) {
  const unsigned hertz = tone[2] << 24 | tone[3] << 16 | tone[4] << 8 | tone[5];
  const unsigned ms = tone[6] << 8 | tone[7];
  printf("tone %u Hz %u ms\n", hertz, ms);
}

// Waits until `count` labels have been announced in all.
bool waitForLabels(int count) {
  std::unique_lock<std::mutex> hold(newsLock);
  return newsArrived.wait_for(hold, std::chrono::seconds(5),
                              [count] { return labelsAnnounced >= count; });
}

// On the device the user scans; here the virtual device's driver reads a
// label of the given driver (vendor) symbology number.
void scan(const char* text, int32_t vendorSymbology) {
  vdev_scan_push_label(vendorSymbology, reinterpret_cast<const uint8_t*>(text),
                       static_cast<uint32_t>(strlen(text)));
}

int fail(const char* what) {
  fprintf(stderr, "first_host: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  // 1. Load the plug-in and make an object.
  void* plugin = dlopen(PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) return fail(dlerror());
  auto newScanner = reinterpret_cast<NewScannerFunction>(dlsym(plugin, "NewScanner"));
  if (newScanner == nullptr) return fail("the library exports no NewScanner");
  ScannerInterface1* scanner = newScanner();
  if (scanner == nullptr) return fail("out of memory");

  // 2. Register the callbacks, before EnableScanner.
  scanner->SetEvtAddEventToQueueCallBack(onScanEvent);
  scanner->SetEvtDebugMessageCallBack(onDebugMessage);
  scanner->SetEvtPlayToneCallBack(onTone);

  // 3. Check that the object opened the driver and DeviceConfig: only then
  // were the defaults applied (3000 Hz) and does a symbology query answer.
  const int16_t frequency = scanner->GetToneFrequency(40);
  const int16_t enabled = scanner->GetSymbologyEnabled(0);
  if (frequency != 3000 || (enabled != 0 && enabled != 1)) {
    delete scanner;
    return fail("half-open object: the vendor libraries or DeviceConfig are missing");
  }

  // 4. A setting: labels end in the first suffix (a line feed by default).
  // The affix mode takes effect at once; pending settings need ApplySettings.
  scanner->SetAffixMode(1);
  scanner->SetGoodReadBeep(1);
  scanner->ApplySettings(0);

  // 5. Enable: the scan thread starts reading.
  if (scanner->EnableScanner() != ResultOk) return fail("EnableScanner failed");

  // 6. A label, fetched with ReadLabel: the text ends at the zero byte.
  scan("HELLO-1", 1);
  if (!waitForLabels(1)) return fail("no scan event");
  char text[256];
  int16_t symbology = 0;
  scanner->ReadLabel(sizeof text - 1, &symbology, text);
  const int printed = static_cast<int>(strcspn(text, "\n"));
  printf("ReadLabel: symbology %d, \"%.*s\" and a line feed\n", symbology, printed, text);

  // 7. A label, fetched as a 264-byte record: length, symbology, bytes.
  scan("HELLO-2", 1);
  if (!waitForLabels(2)) return fail("no scan event");
  uint8_t record[LabelRecordSize];
  scanner->GetLastLabelRecord(record);
  const int length = record[0] << 8 | record[1];
  printf("GetLastLabelRecord: symbology %d, %d bytes\n", record[2] << 8 | record[3], length);

  // 8. A tone pattern of the host's own (pattern 2: two short high tones).
  scanner->PlayTonePattern(2);

  // 9. Switch off the symbology just read: reported number 1 is host id 0
  // (the guide's "Symbology numbers"); the device changes at once.
  if (scanner->SetSymbologyEnabled(0, 0) != ResultOk) return fail("SetSymbologyEnabled failed");
  printf("GetSymbologyEnabled 0 -> %d\n", scanner->GetSymbologyEnabled(0));

  // 10. Disable, then delete: no callback begins after these return.
  scanner->DisableScanner();
  delete scanner;
  dlclose(plugin);
  puts("first host: done");
  return 0;
}

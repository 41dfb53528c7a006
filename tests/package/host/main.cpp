// Loads the installed plug-in, checks that the object opened the whole
// virtual device (a symbology query answers 0 or 1, the tones are at their
// defaults: a half-open object answers -2 and 0), scans one label and reads
// it back. Prints "scanned HELLO" on success.
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "scanner_interface1.h"
#include "virtual_device.h"

int main() {
  void* plugin = dlopen(PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) {
    fprintf(stderr, "cannot load %s: %s\n", PLUGIN_PATH, dlerror());
    return 1;
  }
  auto newScanner = reinterpret_cast<NewScannerFunction>(dlsym(plugin, "NewScanner"));
  if (newScanner == nullptr) return 1;
  ScannerInterface1* scanner = newScanner();
  if (scanner == nullptr) return 1;
  const int16_t enabled = scanner->GetSymbologyEnabled(7);
  const int16_t frequency = scanner->GetToneFrequency(40);
  if ((enabled != 0 && enabled != 1) || frequency != 3000) {
    fprintf(stderr, "half-open object: GetSymbologyEnabled 7 -> %d, GetToneFrequency 40 -> %d\n",
            enabled, frequency);
    return 1;
  }
  if (scanner->EnableScanner() != ResultOk) {
    fprintf(stderr, "the scanner cannot be enabled\n");
    return 1;
  }
  // The scanner's controls alone: with --as-needed, nothing here keeps the
  // other two libraries but the package's own link rule.
  const uint8_t label[] = {'H', 'E', 'L', 'L', 'O'};
  vdev_scan_push_label(1, label, sizeof label);
  vdev_scan_wait_idle(5000);
  char text[16] = {};
  int16_t symbology = -1;
  scanner->ReadLabel(sizeof text - 1, &symbology, text);
  delete scanner;
  printf("scanned %s\n", text);
  return strcmp(text, "HELLO") == 0 && symbology == 1 ? 0 : 1;
}

// Loads the installed plug-in, scans one label on the virtual device and
// reads it back. Prints "scanned HELLO" on success.
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
  if (scanner == nullptr || scanner->EnableScanner() != ResultOk) {
    fprintf(stderr, "the scanner cannot be enabled\n");
    return 1;
  }
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

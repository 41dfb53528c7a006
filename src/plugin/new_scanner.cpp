// The plug-in's one export.
#include "platform/export.h"
#include "platform/platform.h"
#include "plugin/zorvan_scanner.h"

extern "C" ZV_EXPORT ScannerInterface1* NewScanner(void) {
  return zorvan::ZorvanScannerInterface::create(zorvan::systemPlatform(),
                                                zorvan::processVendorApi());
}

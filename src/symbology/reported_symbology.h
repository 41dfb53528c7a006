// The symbology numbers reported to the host with a label: a third numbering,
// neither the driver's nor the host's configuration numbers.
#ifndef ZORVAN_SYMBOLOGY_REPORTED_SYMBOLOGY_H
#define ZORVAN_SYMBOLOGY_REPORTED_SYMBOLOGY_H

#include <stdint.h>

namespace zorvan {

struct ReportedSymbology {
  int32_t vendor;
  uint8_t reported;
};

// Driver symbology numbers with a reported number, sorted by driver number;
// every other driver number is reported as 0.
constexpr int kReportedSymbologyCount = 19;
extern const ReportedSymbology kReportedSymbologies[];

// The number reported to the host for a driver symbology number; 0 for every
// number without one.
uint8_t mapReportedSymbology(int32_t vendorSymbology);

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_REPORTED_SYMBOLOGY_H

#include "symbology/reported_symbology.h"

namespace zorvan {

// 6 and 62 are both reported as 8.
const ReportedSymbology kReportedSymbologies[] = {
    {1, 1},   {2, 7},   {4, 6},    {5, 2},   {6, 8},   {7, 3},   {11, 14},
    {12, 17}, {13, 4},  {19, 255}, {62, 8},  {63, 9},  {64, 16}, {65, 10},
    {66, 11}, {67, 22}, {68, 23},  {69, 25}, {70, 15},
};
static_assert(sizeof kReportedSymbologies / sizeof kReportedSymbologies[0] ==
                  kReportedSymbologyCount,
              "one row for each entry");

uint8_t mapReportedSymbology(int32_t vendorSymbology) {
  for (int i = 0; i < kReportedSymbologyCount; ++i) {
    if (kReportedSymbologies[i].vendor == vendorSymbology) return kReportedSymbologies[i].reported;
  }
  return 0;
}

}  // namespace zorvan

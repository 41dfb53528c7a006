#include "symbology/symbology_table.h"

namespace zorvan {

namespace {
constexpr LengthForm kNone = LengthForm::kNone;
constexpr LengthForm kMinimum = LengthForm::kMinimumByte;
constexpr LengthForm kList = LengthForm::kLengthList;
}  // namespace

// Several host values share one enable field, and so one enabled state:
// 1 and 85, 2 and 12, 3 and 83, 8, 14 and 84.
const SymbologyEntry kSymbologyTable[] = {
    // host, vendor, group, enable field, length form, length field
    {0, 1, Group::A, 0, kMinimum, 5},    //
    {1, 62, Group::I, 1, kNone, 0},      //
    {2, 63, Group::I, 2, kNone, 0},      //
    {3, 66, Group::I, 4, kNone, 0},      //
    {4, 65, Group::I, 3, kNone, 0},      //
    {5, 13, Group::H, 0, kList, 3},      //
    {6, 4, Group::E, 0, kList, 2},       //
    {7, 5, Group::B, 0, kList, 4},       //
    {8, 7, Group::D, 0, kNone, 0},       //
    {9, 2, Group::C, 0, kMinimum, 1},    //
    {11, 11, Group::F, 0, kMinimum, 2},  //
    {12, 64, Group::I, 2, kNone, 0},     //
    {14, 70, Group::D, 0, kNone, 0},     //
    {15, 12, Group::G, 0, kNone, 0},     //
    {83, 67, Group::I, 4, kNone, 0},     //
    {84, 69, Group::D, 0, kNone, 0},     //
    {85, 68, Group::I, 1, kNone, 0},     //
};
static_assert(sizeof kSymbologyTable / sizeof kSymbologyTable[0] == kSymbologyCount,
              "one row for each entry");

const SymbologyEntry* findSymbology(HostSymbologyId host) {
  for (const SymbologyEntry& entry : kSymbologyTable) {
    if (entry.host == host) return &entry;
  }
  return nullptr;
}

VendorSymbologyId MapHostSymbology(HostSymbologyId host) {
  const SymbologyEntry* entry = findSymbology(host);
  return entry != nullptr ? entry->vendor : kNoVendorSymbology;
}

}  // namespace zorvan

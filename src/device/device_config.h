// Calls into the vendor's DeviceConfig interface by group, so the symbology
// code works on arrays of field values instead of positional arguments.
#ifndef ZORVAN_DEVICE_DEVICE_CONFIG_H
#define ZORVAN_DEVICE_DEVICE_CONFIG_H

#include <stdint.h>

#include "device/vendor_abi.h"

namespace zorvan {

class Platform;
struct VendorApi;

// The ten get/set pairs of DeviceConfig.
enum class Group : uint8_t { A, B, C, D, E, F, G, H, I, J };
constexpr int kGroupCount = 10;
constexpr int kMaxGroupFields = 17;
constexpr int kLengthListBytes = 3;

// The method pair of each group sits at the positions the DeviceConfig class
// declares; the layout says how its arguments are read.
struct GroupLayout {
  char name;            // 'A' to 'J'
  uint8_t fieldCount;   // fields in argument order, a length list counting three
  int8_t lengthListAt;  // field of lengthKind (list and count follow), or -1
};

// Sorted by group; the index is the Group value. The plug-in and its tests
// read this table (the virtual device keeps its own, which its tests compare
// with this one); device_config.cpp checks it against the DeviceConfig
// methods' parameter lists at compile time.
// clang-format off
inline constexpr GroupLayout kGroupLayouts[] = {
    // name, fields, length list at
    {'A',  6, -1},
    {'B',  7,  4},
    {'C',  2, -1},
    {'D',  5, -1},
    {'E',  5,  2},
    {'F',  3, -1},
    {'G', 10, -1},
    {'H',  6,  3},
    {'I', 17, -1},
    {'J',  1, -1},
};
// clang-format on
static_assert(sizeof kGroupLayouts / sizeof kGroupLayouts[0] == kGroupCount, "ten groups");

inline const GroupLayout& layoutOf(Group group) { return kGroupLayouts[static_cast<int>(group)]; }

// What a get returned. For a group with a length list, field[at] holds
// lengthKind, field[at + 2] lengthCount, field[at + 1] is 0, and the list
// bytes are in lengthList.
struct GroupValues {
  uint32_t field[kMaxGroupFields];
  uint8_t lengthList[4];
};

// What a set passes: one byte per field, NoChange unless changed. For a
// group with a length list, field[at] is lengthKind and the list and count
// are below. A new change leaves the lengths alone: kind NoChange, three zero
// bytes and the count 3.
struct GroupChange {
  explicit GroupChange(Group g);
  Group group;
  uint8_t field[kMaxGroupFields];
  uint8_t lengthList[kLengthListBytes];
  uint32_t lengthCount;
};

// Result of a group call made without a DeviceConfig. Negative, so it reads
// as a failed call, and distinct, so operations can tell it apart.
constexpr int32_t kNoDeviceConfig = static_cast<int32_t>(0x80004003u);

// Call the group's get or set method. Returns the method's result, or
// kNoDeviceConfig when `config` is null (nothing is called then).
int32_t readGroup(DeviceConfig* config, Group group, GroupValues& values);
int32_t writeGroup(DeviceConfig* config, const GroupChange& change);

// Open the process's DeviceConfig as construction does; null on failure.
DeviceConfig* openDeviceConfig(const VendorApi& vendor);
// Release it (also when null) and clear the pointer.
void closeDeviceConfig(const VendorApi& vendor, DeviceConfig*& config);

}  // namespace zorvan

#endif  // ZORVAN_DEVICE_DEVICE_CONFIG_H

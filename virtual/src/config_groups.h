// How the virtual DeviceConfig reads the arguments of each group's get/set
// pair, written from the vendor declarations: the virtual device keeps its
// own table rather than the plug-in's, so a wrong layout in either shows up
// as a disagreement (tests/virtual_device/device_config_test.cpp compares
// both with the methods' parameter lists).
#ifndef VDEV_CONFIG_GROUPS_H
#define VDEV_CONFIG_GROUPS_H

#include <stdint.h>

#include "virtual_device.h"

namespace vdev {

struct ConfigGroup {
  char name;            // 'A' to 'J'
  uint8_t fieldCount;   // arguments of the pair, a length list counting three
  int8_t lengthListAt;  // argument of the length kind (list and count follow), or -1
};

// Indexed by vdev_group.
// clang-format off
inline constexpr ConfigGroup kConfigGroups[VDEV_GROUP_COUNT] = {
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

inline bool HasLengthList(int32_t group) { return kConfigGroups[group].lengthListAt >= 0; }

}  // namespace vdev

#endif  // VDEV_CONFIG_GROUPS_H

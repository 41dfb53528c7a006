// Fixture for the symbology operations: an object on the virtual device and
// checks of the DeviceConfig calls it made.
#ifndef ZORVAN_TESTS_SYMBOLOGY_FIXTURE_H
#define ZORVAN_TESTS_SYMBOLOGY_FIXTURE_H

#include <stdint.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "device/device_config.h"
#include "scanner_fixture.h"

namespace zorvan_test {

constexpr uint8_t kKeep = 255;  // NoChange as the device sees it

// A length list as a set passes it.
struct PassedList {
  uint8_t kind;
  uint8_t bytes[3];
  uint32_t count;
};

// What every change that leaves the lengths alone passes.
constexpr PassedList kListLeftAlone = {kKeep, {0, 0, 0}, 3};

// Field of lengthKind in the groups that carry a length list, -1 elsewhere.
inline int lengthKindField(vdev_group group) { return zorvan::kGroupLayouts[group].lengthListAt; }

inline std::string groupName(vdev_group group) {
  return std::string("Group") + static_cast<char>('A' + group);
}

class SymbologyTest : public ScannerTest {
 protected:
  // A new object; the log starts empty.
  zorvan::ZorvanScannerInterface& object() {
    if (!scanner) open();
    vdev_config_clear_log();
    return *scanner;
  }

  static std::vector<vdev_config_call> calls() {
    std::vector<vdev_config_call> all(vdev_config_log_size());
    for (uint32_t i = 0; i < all.size(); ++i) EXPECT_EQ(0, vdev_config_log_entry(i, &all[i]));
    return all;
  }

  // The device was not called since the log was last cleared.
  static void expectNoCall() { EXPECT_EQ(0u, vdev_config_log_size()) << "unexpected device call"; }

  // The calls since the log was cleared were exactly a get of `group`
  // (when `read`) followed by a set of it; returns the set.
  static vdev_config_call expectOneSet(vdev_group group, bool read = false) {
    const std::vector<vdev_config_call> log = calls();
    vdev_config_call set = {};
    const size_t expected = read ? 2 : 1;
    EXPECT_EQ(expected, log.size()) << "calls on the device";
    if (log.size() != expected) return set;
    if (read) {
      EXPECT_EQ(group, log[0].group);
      EXPECT_EQ(0, log[0].isSet);
    }
    set = log.back();
    EXPECT_EQ(group, set.group) << groupName(static_cast<vdev_group>(set.group));
    EXPECT_EQ(1, set.isSet);
    return set;
  }

  // `set` passed `changed` (field, byte) and NoChange in every other plain
  // field; a length list group passed `list`.
  static void expectBytes(const vdev_config_call& set,
                          const std::vector<std::pair<int, uint8_t>>& changed,
                          const PassedList& list = kListLeftAlone) {
    const vdev_group group = static_cast<vdev_group>(set.group);
    const int at = lengthKindField(group);
    for (int field = 0; field < vdev_config_field_count(group); ++field) {
      if (at >= 0 && field >= at) break;  // the length list, checked below
      uint8_t expected = kKeep;
      for (const auto& c : changed) {
        if (c.first == field) expected = c.second;
      }
      EXPECT_EQ(expected, set.bytes[field]) << groupName(group) << " field " << field;
    }
    if (at < 0) return;
    EXPECT_EQ(list.kind, set.lengthKind) << "lengthKind";
    const uint32_t shown = list.count < 3 ? list.count : 3;
    for (uint32_t i = 0; i < shown; ++i) {
      EXPECT_EQ(list.bytes[i], set.lengthList[i]) << "lengthList[" << i << "]";
    }
    EXPECT_EQ(list.count, set.lengthCount) << "lengthCount";
  }

  static void setFields(vdev_group group, int first, std::initializer_list<uint32_t> values) {
    int field = first;
    for (uint32_t v : values) vdev_config_set_field(group, field++, v);
  }
};

}  // namespace zorvan_test

#endif  // ZORVAN_TESTS_SYMBOLOGY_FIXTURE_H

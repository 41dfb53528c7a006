// The virtual DeviceConfig: its group layouts, the NoChange rule, the length
// lists, failures that change nothing, the call log and reference counting.
#include "device/device_config.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <type_traits>

#include "config_groups.h"
#include "vdev_exports.h"

namespace {

constexpr Guid kUnknownIid = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class DeviceConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vdev_reset_all();
    ASSERT_EQ(ITCDeviceOpen(VENDOR_TEXT("DevMgmt"), &kDeviceConfigIid, kDeviceOpenFlags, &object_),
              0);
    config_ = static_cast<DeviceConfig*>(object_);
    ASSERT_NE(config_, nullptr);
  }
  void TearDown() override {
    ITCDeviceClose(&object_);
    EXPECT_EQ(object_, nullptr);
    EXPECT_EQ(vdev_config_open_objects(), 0);
  }

  static vdev_config_call LastCall() {
    vdev_config_call call;
    EXPECT_EQ(vdev_config_log_entry(vdev_config_log_size() - 1, &call), 0);
    return call;
  }

  void* object_ = nullptr;
  DeviceConfig* config_ = nullptr;
};

// What the vendor declarations say of a group method: how many arguments it
// takes and which one is the length list's pointer (-1: none).
struct Arguments {
  int count;
  int listAt;
};
template <typename... Parameters>
Arguments argumentsOf(int32_t (VENDOR_CALL DeviceConfig::*)(Parameters...)) {
  const bool isList[] = {std::is_same<Parameters, uint8_t*>::value ||
                         std::is_same<Parameters, const uint8_t*>::value...};
  Arguments arguments = {static_cast<int>(sizeof...(Parameters)), -1};
  for (int i = 0; i < arguments.count; ++i) {
    if (isList[i]) arguments.listAt = i;
  }
  return arguments;
}

struct DeclaredGroup {
  vdev_group group;
  zorvan::Group pluginGroup;
  Arguments get;
  Arguments set;
};
#define DECLARED_GROUP(g)                                                      \
  {                                                                            \
    VDEV_GROUP_##g, zorvan::Group::g, argumentsOf(&DeviceConfig::GetGroup##g), \
        argumentsOf(&DeviceConfig::SetGroup##g)                                \
  }
const DeclaredGroup kDeclaredGroups[] = {
    DECLARED_GROUP(A), DECLARED_GROUP(B), DECLARED_GROUP(C), DECLARED_GROUP(D), DECLARED_GROUP(E),
    DECLARED_GROUP(F), DECLARED_GROUP(G), DECLARED_GROUP(H), DECLARED_GROUP(I), DECLARED_GROUP(J),
};
#undef DECLARED_GROUP

// The virtual device reads each group's arguments by its own table; that
// table, the methods as declared and the plug-in's table must all agree.
TEST(DeviceConfigLayout, AgreesWithTheDeclaredMethodsAndThePlugIn) {
  ASSERT_EQ(std::size(kDeclaredGroups), static_cast<size_t>(VDEV_GROUP_COUNT));
  for (const DeclaredGroup& declared : kDeclaredGroups) {
    const vdev::ConfigGroup& own = vdev::kConfigGroups[declared.group];
    SCOPED_TRACE(std::string("group ") + own.name);
    EXPECT_EQ(own.name, 'A' + declared.group);
    const int listAt = own.lengthListAt < 0 ? -1 : own.lengthListAt + 1;
    EXPECT_EQ(own.fieldCount, declared.get.count);
    EXPECT_EQ(own.fieldCount, declared.set.count);
    EXPECT_EQ(listAt, declared.get.listAt);
    EXPECT_EQ(listAt, declared.set.listAt);
    EXPECT_EQ(vdev_config_field_count(declared.group), own.fieldCount);

    const zorvan::GroupLayout& plugin = zorvan::layoutOf(declared.pluginGroup);
    EXPECT_EQ(plugin.name, own.name);
    EXPECT_EQ(plugin.fieldCount, own.fieldCount);
    EXPECT_EQ(plugin.lengthListAt, own.lengthListAt);
  }
}

TEST_F(DeviceConfigTest, SetStoresEveryByteButNoChange) {
  for (int f = 0; f < 6; ++f) vdev_config_set_field(VDEV_GROUP_A, f, 10 + f);
  ASSERT_EQ(config_->SetGroupA(1, NoChange, 3, NoChange, 0, 6), 0);
  uint32_t got[6];
  ASSERT_EQ(config_->GetGroupA(&got[0], &got[1], &got[2], &got[3], &got[4], &got[5]), 0);
  const uint32_t expected[6] = {1, 11, 3, 13, 0, 6};
  for (int f = 0; f < 6; ++f) EXPECT_EQ(got[f], expected[f]) << "field " << f;
  EXPECT_EQ(LastCall().fields[5], 6u);  // a get logs the values it returned

  const uint8_t n = NoChange;
  ASSERT_EQ(config_->SetGroupI(n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, 9), 0);
  EXPECT_EQ(vdev_config_field(VDEV_GROUP_I, 0), 0u);
  EXPECT_EQ(vdev_config_field(VDEV_GROUP_I, 16), 9u);
}

// The three list groups, driven alike: set and get with the list bytes.
struct ListGroup {
  vdev_group group;
  std::function<int32_t(DeviceConfig*, uint8_t, const uint8_t*, uint32_t)> set;
  std::function<int32_t(DeviceConfig*, uint32_t*, uint8_t*, uint32_t*)> get;
};
const ListGroup kListGroups[] = {
    {VDEV_GROUP_B,
     [](DeviceConfig* c, uint8_t k, const uint8_t* l, uint32_t n) {
       return c->SetGroupB(1, 2, 3, 4, k, l, n);
     },
     [](DeviceConfig* c, uint32_t* k, uint8_t* l, uint32_t* n) {
       uint32_t f[4];
       return c->GetGroupB(&f[0], &f[1], &f[2], &f[3], k, l, n);
     }},
    {VDEV_GROUP_E,
     [](DeviceConfig* c, uint8_t k, const uint8_t* l, uint32_t n) {
       return c->SetGroupE(1, 2, k, l, n);
     },
     [](DeviceConfig* c, uint32_t* k, uint8_t* l, uint32_t* n) {
       uint32_t f[2];
       return c->GetGroupE(&f[0], &f[1], k, l, n);
     }},
    {VDEV_GROUP_H,
     [](DeviceConfig* c, uint8_t k, const uint8_t* l, uint32_t n) {
       return c->SetGroupH(1, 2, 3, k, l, n);
     },
     [](DeviceConfig* c, uint32_t* k, uint8_t* l, uint32_t* n) {
       uint32_t f[3];
       return c->GetGroupH(&f[0], &f[1], &f[2], k, l, n);
     }},
};

TEST_F(DeviceConfigTest, LengthListIsStoredReadBackAndLogged) {
  struct Case {
    uint8_t kind;
    uint32_t count;
    uint8_t storedKind;
    uint8_t stored[3];
    uint32_t storedCount;
  } cases[] = {
      {2, 2, 2, {21, 22, 9}, 2},       // only `count` bytes replace the list
      {1, 0, 1, {7, 8, 9}, 1},         // count 0: stored as 1, nothing read
      {3, 9, 3, {21, 22, 23}, 3},      // count above 3: three bytes, count 3
      {NoChange, 2, 5, {7, 8, 9}, 3},  // kind NoChange leaves the list alone
  };
  const uint8_t initial[3] = {7, 8, 9};
  for (const ListGroup& g : kListGroups) {
    for (const Case& c : cases) {
      vdev_config_set_length_list(g.group, 5, initial, 3);
      // Exactly as many bytes as the count vouches for, so an over-read shows
      // under the address sanitizer.
      const uint32_t size = c.count < 3 ? c.count : 3;
      std::unique_ptr<uint8_t[]> list(new uint8_t[size]);
      for (uint32_t i = 0; i < size; ++i) list[i] = static_cast<uint8_t>(21 + i);
      ASSERT_EQ(g.set(config_, c.kind, list.get(), c.count), 0);

      const vdev_config_call set = LastCall();
      EXPECT_EQ(set.lengthKind, c.kind);
      EXPECT_EQ(set.lengthCount, c.count);
      for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(set.lengthList[i], i < size ? 21 + i : 0);

      uint32_t kind = 0, count = 0;
      uint8_t got[4] = {0xEE, 0xEE, 0xEE, 0xEE};
      ASSERT_EQ(g.get(config_, &kind, got, &count), 0);
      EXPECT_EQ(kind, c.storedKind) << "group " << g.group;
      EXPECT_EQ(count, c.storedCount);
      for (int i = 0; i < 3; ++i) EXPECT_EQ(got[i], c.stored[i]);
      EXPECT_EQ(got[3], 0);
      const int32_t listAt = vdev_config_field_count(g.group) - 2;
      EXPECT_EQ(vdev_config_field(g.group, listAt), 0u);  // the list slot reads as 0
    }
  }
}

TEST_F(DeviceConfigTest, FailingCallsChangeNothingAndAreLogged) {
  vdev_config_fail_set(VDEV_GROUP_G, -7);
  EXPECT_EQ(config_->SetGroupG(1, 2, 3, 4, 5, 6, 7, 8, 9, 10), -7);
  for (int f = 0; f < 10; ++f) EXPECT_EQ(vdev_config_field(VDEV_GROUP_G, f), 0u);
  vdev_config_call call = LastCall();
  EXPECT_EQ(call.result, -7);
  EXPECT_EQ(call.bytes[9], 10);

  vdev_config_set_field(VDEV_GROUP_C, 0, 4);
  vdev_config_fail_get(VDEV_GROUP_C, -9);
  uint32_t f0 = 0xEE, f1 = 0xEE;
  EXPECT_EQ(config_->GetGroupC(&f0, &f1), -9);
  EXPECT_EQ(f0, 0xEEu);
  EXPECT_EQ(LastCall().result, -9);

  vdev_config_fail_get(VDEV_GROUP_C, 0);
  EXPECT_EQ(config_->GetGroupC(&f0, &f1), 0);
  EXPECT_EQ(f0, 4u);
  for (int i = 0; i < VDEV_LOG_CAPACITY; ++i) config_->SetGroupJ(1);
  EXPECT_EQ(vdev_config_log_size(), static_cast<uint32_t>(VDEV_LOG_CAPACITY));
}

TEST_F(DeviceConfigTest, ReferencesAreCountedUntilReleased) {
  EXPECT_EQ(vdev_config_open_objects(), 1);
  EXPECT_STREQ(vdev_config_last_open_name(), "DevMgmt");
  EXPECT_EQ(vdev_config_last_open_iid_ok(), 1);
  EXPECT_EQ(vdev_config_last_open_flags(), kDeviceOpenFlags);

  void* other = nullptr;
  ASSERT_EQ(config_->QueryInterface(&kUnknownIid, &other), 0);
  EXPECT_EQ(other, object_);
  EXPECT_EQ(vdev_config_open_objects(), 2);
  EXPECT_EQ(config_->Release(), 1);
  EXPECT_LT(config_->QueryInterface(&kUnknownIid, nullptr), 0);
  const Guid wrong = {1, 2, 3, {4}};
  other = &other;
  EXPECT_LT(config_->QueryInterface(&wrong, &other), 0);
  EXPECT_EQ(other, nullptr);
  EXPECT_LT(config_->Unused30(), 0);
  EXPECT_EQ(vdev_config_unused_calls(), 1u);
  EXPECT_EQ(vdev_config_open_objects(), 1);
}

TEST_F(DeviceConfigTest, FailedOpensHandOutNothing) {
  const Guid wrong = {1, 2, 3, {4}};
  const struct {
    int32_t failOpen;
    const Guid* iid;
    int32_t iidOk;
  } cases[] = {{-3, &kDeviceConfigIid, 1}, {0, &wrong, 0}, {0, nullptr, 0}};
  for (const auto& c : cases) {
    vdev_config_fail_open(c.failOpen);
    void* object = &object;
    EXPECT_LT(ITCDeviceOpen(VENDOR_TEXT("X"), c.iid, 0, &object), 0);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(vdev_config_last_open_iid_ok(), c.iidOk);
    ITCDeviceClose(&object);
  }
  EXPECT_EQ(vdev_config_open_calls(), 4u);
  EXPECT_EQ(vdev_config_close_calls(), 3u);  // a close of nothing still counts
  EXPECT_EQ(vdev_config_open_objects(), 1);
}

}  // namespace

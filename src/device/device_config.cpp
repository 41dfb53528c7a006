#include "device/device_config.h"

#include <string.h>

#include <type_traits>

#include "device/vendor_api.h"

namespace zorvan {

namespace {

// The layouts, checked against the methods as the vendor declares them: a
// group's get method takes one out-pointer per field, and its length list
// is the one byte pointer among them, just after lengthKind.
template <typename... Parameters>
constexpr int parameterCount(int32_t (VENDOR_CALL DeviceConfig::*)(Parameters...)) {
  return sizeof...(Parameters);
}

template <typename... Parameters>
constexpr int lengthListParameter(int32_t (VENDOR_CALL DeviceConfig::*)(Parameters...)) {
  constexpr bool isList[] = {std::is_same<Parameters, uint8_t*>::value...};
  for (int i = 0; i < static_cast<int>(sizeof...(Parameters)); ++i) {
    if (isList[i]) return i;
  }
  return -1;
}

template <typename Method>
constexpr bool matches(Group group, Method get) {
  const GroupLayout& layout = kGroupLayouts[static_cast<int>(group)];
  const int list = lengthListParameter(get);
  return layout.fieldCount == parameterCount(get) &&
         (layout.lengthListAt < 0 ? list < 0 : list == layout.lengthListAt + 1);
}

static_assert(matches(Group::A, &DeviceConfig::GetGroupA), "GroupA layout");
static_assert(matches(Group::B, &DeviceConfig::GetGroupB), "GroupB layout");
static_assert(matches(Group::C, &DeviceConfig::GetGroupC), "GroupC layout");
static_assert(matches(Group::D, &DeviceConfig::GetGroupD), "GroupD layout");
static_assert(matches(Group::E, &DeviceConfig::GetGroupE), "GroupE layout");
static_assert(matches(Group::F, &DeviceConfig::GetGroupF), "GroupF layout");
static_assert(matches(Group::G, &DeviceConfig::GetGroupG), "GroupG layout");
static_assert(matches(Group::H, &DeviceConfig::GetGroupH), "GroupH layout");
static_assert(matches(Group::I, &DeviceConfig::GetGroupI), "GroupI layout");
static_assert(matches(Group::J, &DeviceConfig::GetGroupJ), "GroupJ layout");

}  // namespace

GroupChange::GroupChange(Group g) : group(g), lengthList{0, 0, 0}, lengthCount(3) {
  memset(field, NoChange, sizeof field);
}

int32_t readGroup(DeviceConfig* config, Group group, GroupValues& values) {
  memset(&values, 0, sizeof values);
  if (config == nullptr) return kNoDeviceConfig;
  uint32_t* f = values.field;
  uint8_t* list = values.lengthList;
  switch (group) {
    case Group::A:
      return config->GetGroupA(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    case Group::B:
      return config->GetGroupB(&f[0], &f[1], &f[2], &f[3], &f[4], list, &f[6]);
    case Group::C:
      return config->GetGroupC(&f[0], &f[1]);
    case Group::D:
      return config->GetGroupD(&f[0], &f[1], &f[2], &f[3], &f[4]);
    case Group::E:
      return config->GetGroupE(&f[0], &f[1], &f[2], list, &f[4]);
    case Group::F:
      return config->GetGroupF(&f[0], &f[1], &f[2]);
    case Group::G:
      return config->GetGroupG(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8],
                               &f[9]);
    case Group::H:
      return config->GetGroupH(&f[0], &f[1], &f[2], &f[3], list, &f[5]);
    case Group::I:
      return config->GetGroupI(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9],
                               &f[10], &f[11], &f[12], &f[13], &f[14], &f[15], &f[16]);
    case Group::J:
      return config->GetGroupJ(&f[0]);
  }
  return kNoDeviceConfig;
}

int32_t writeGroup(DeviceConfig* config, const GroupChange& change) {
  if (config == nullptr) return kNoDeviceConfig;
  const uint8_t* b = change.field;
  const uint8_t* list = change.lengthList;
  const uint32_t count = change.lengthCount;
  switch (change.group) {
    case Group::A:
      return config->SetGroupA(b[0], b[1], b[2], b[3], b[4], b[5]);
    case Group::B:
      return config->SetGroupB(b[0], b[1], b[2], b[3], b[4], list, count);
    case Group::C:
      return config->SetGroupC(b[0], b[1]);
    case Group::D:
      return config->SetGroupD(b[0], b[1], b[2], b[3], b[4]);
    case Group::E:
      return config->SetGroupE(b[0], b[1], b[2], list, count);
    case Group::F:
      return config->SetGroupF(b[0], b[1], b[2]);
    case Group::G:
      return config->SetGroupG(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9]);
    case Group::H:
      return config->SetGroupH(b[0], b[1], b[2], b[3], list, count);
    case Group::I:
      return config->SetGroupI(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10],
                               b[11], b[12], b[13], b[14], b[15], b[16]);
    case Group::J:
      return config->SetGroupJ(b[0]);
  }
  return kNoDeviceConfig;
}

DeviceConfig* openDeviceConfig(const VendorApi& vendor) {
  static const VendorChar kDefaultName[] = VENDOR_TEXT("default");
  void* object = nullptr;
  if (vendor.ITCDeviceOpen(kDefaultName, &kDeviceConfigIid, kDeviceOpenFlags, &object) < 0) {
    return nullptr;
  }
  return static_cast<DeviceConfig*>(object);
}

void closeDeviceConfig(const VendorApi& vendor, DeviceConfig*& config) {
  void* object = config;
  vendor.ITCDeviceClose(&object);
  config = nullptr;
}

}  // namespace zorvan

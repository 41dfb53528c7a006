// Virtual device management (libITCAdcDevMgmt.so): ITCDeviceOpen hands out
// DeviceConfig objects that all read and write one store of symbology
// fields, and every group call is logged.
#include <string.h>

#include <initializer_list>
#include <mutex>

#include "config_groups.h"
#include "vdev_exports.h"
#include "vdev_locked.h"
#include "vdev_text.h"

namespace {

constexpr int32_t kNotImplemented = static_cast<int32_t>(0x80004001u);
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002u);
constexpr int32_t kPointer = static_cast<int32_t>(0x80004003u);

constexpr Guid kUnknownIid = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Where each group's fields sit (config_groups.h): how many, and where the
// length kind is when the group has a length list; kind, list and count
// follow one another.
using vdev::HasLengthList;
using vdev::kConfigGroups;

bool ValidGroup(int32_t group) { return group >= 0 && group < VDEV_GROUP_COUNT; }
bool IsListSlot(int32_t group, int32_t field) {
  return HasLengthList(group) && field == kConfigGroups[group].lengthListAt + 1;
}

bool SameGuid(const Guid& a, const Guid& b) {
  return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
         memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

struct Store {
  std::mutex mutex;
  // Fields in argument order; for a list group the kind and the count sit in
  // their own slots and the list slot stays 0, the list bytes live in `list`.
  uint32_t fields[VDEV_GROUP_COUNT][VDEV_MAX_FIELDS];
  uint8_t list[VDEV_GROUP_COUNT][3];
  int32_t failGet[VDEV_GROUP_COUNT];
  int32_t failSet[VDEV_GROUP_COUNT];
  int32_t failOpen;

  vdev_config_call log[VDEV_LOG_CAPACITY];
  uint32_t logSize;

  uint32_t openCalls;
  uint32_t closeCalls;
  uint32_t unusedCalls;
  int32_t references;  // held on objects of this generation
  uint32_t generation = 0;
  char lastOpenName[256];
  int32_t lastOpenIidOk;
  int32_t lastOpenFlags;

  Store() { Reset(); }

  void Reset() {
    memset(fields, 0, sizeof fields);
    memset(list, 0, sizeof list);
    for (int32_t g = 0; g < VDEV_GROUP_COUNT; ++g) {
      if (HasLengthList(g)) fields[g][kConfigGroups[g].lengthListAt + 2] = 1;
    }
    memset(failGet, 0, sizeof failGet);
    memset(failSet, 0, sizeof failSet);
    failOpen = 0;
    logSize = 0;
    openCalls = closeCalls = unusedCalls = 0;
    references = 0;
    ++generation;  // objects still held no longer count
    lastOpenName[0] = 0;
    lastOpenIidOk = lastOpenFlags = 0;
  }

  void Log(const vdev_config_call& call) {
    if (logSize < VDEV_LOG_CAPACITY) log[logSize++] = call;
  }
};

Store& State() {
  static Store store;
  return store;
}

using Lock = std::lock_guard<std::mutex>;

template <typename T>
T Get(T Store::*field) {
  return vdev::LockedGet(State(), field);
}

// A get: writes each stored field through its out-pointer (the list slot
// gets the three list bytes and a zero through `listOut`).
int32_t GroupGet(vdev_group group, std::initializer_list<uint32_t*> out, uint8_t* listOut) {
  Store& s = State();
  Lock lock(s.mutex);
  vdev_config_call call = {};
  call.group = group;
  call.result = s.failGet[group];
  if (call.result == 0) {
    int32_t field = 0;
    for (uint32_t* p : out) {
      const uint32_t value = IsListSlot(group, field) ? 0 : s.fields[group][field];
      if (p != nullptr) *p = value;
      call.fields[field++] = value;
    }
    if (HasLengthList(group)) {
      const int32_t at = kConfigGroups[group].lengthListAt;
      if (listOut != nullptr) {
        memcpy(listOut, s.list[group], 3);
        listOut[3] = 0;
      }
      call.lengthKind = static_cast<uint8_t>(s.fields[group][at]);
      memcpy(call.lengthList, s.list[group], 3);
      call.lengthCount = s.fields[group][at + 2];
    }
  }
  s.Log(call);
  return call.result;
}

// A set: stores every byte but NoChange. For a list group (the list always
// comes last) `in` holds the kind at the kind slot; when the kind is not
// NoChange the kind, the count (clamped 1..3) and the first min(count, 3)
// list bytes are stored. No more list bytes than that are ever read.
int32_t GroupSet(vdev_group group, std::initializer_list<uint8_t> in,
                 const uint8_t* listIn = nullptr, uint32_t count = 0) {
  Store& s = State();
  Lock lock(s.mutex);
  vdev_config_call call = {};
  call.group = group;
  call.isSet = 1;
  call.result = s.failSet[group];
  int32_t field = 0;
  for (uint8_t b : in) call.bytes[field++] = b;
  const int32_t at = kConfigGroups[group].lengthListAt;
  const uint32_t shown = count < 3 ? count : 3;
  if (at >= 0) {
    call.bytes[at + 2] = static_cast<uint8_t>(count < 255 ? count : 255);
    call.lengthKind = call.bytes[at];
    if (listIn != nullptr) memcpy(call.lengthList, listIn, shown);
    call.lengthCount = count;
  }
  if (call.result == 0) {
    const int32_t plain = at >= 0 ? at + 1 : kConfigGroups[group].fieldCount;  // the kind included
    for (int32_t f = 0; f < plain; ++f) {
      if (call.bytes[f] != NoChange) s.fields[group][f] = call.bytes[f];
    }
    if (at >= 0 && call.lengthKind != NoChange) {
      s.fields[group][at + 2] = count < 1 ? 1 : shown;
      if (listIn != nullptr) memcpy(s.list[group], listIn, shown);
    }
  }
  s.Log(call);
  return call.result;
}

int32_t Unused() {
  Store& s = State();
  Lock lock(s.mutex);
  ++s.unusedCalls;
  return kNotImplemented;
}

// The object ends itself in Release, so DeviceConfig needs no destructor.
class VirtualDeviceConfig final : public DeviceConfig {
 public:
  explicit VirtualDeviceConfig(uint32_t generation) : generation_(generation) {}

  int32_t VENDOR_CALL QueryInterface(const Guid* iid, void** object) override {
    if (object == nullptr) return kPointer;
    if (iid == nullptr || !(SameGuid(*iid, kUnknownIid) || SameGuid(*iid, kDeviceConfigIid))) {
      *object = nullptr;
      return kNoInterface;
    }
    AddRef();
    *object = static_cast<DeviceConfig*>(this);
    return 0;
  }
  int32_t VENDOR_CALL AddRef() override {
    Store& s = State();
    Lock lock(s.mutex);
    if (generation_ == s.generation) ++s.references;
    return ++references_;
  }
  int32_t VENDOR_CALL Release() override {
    int32_t left;
    {
      Store& s = State();
      Lock lock(s.mutex);
      if (generation_ == s.generation) --s.references;
      left = --references_;
    }
    if (left == 0) delete this;
    return left;
  }

  int32_t VENDOR_CALL Unused3() override { return Unused(); }
  int32_t VENDOR_CALL Unused4() override { return Unused(); }
  int32_t VENDOR_CALL Unused5() override { return Unused(); }
  int32_t VENDOR_CALL Unused6() override { return Unused(); }
  int32_t VENDOR_CALL Unused7() override { return Unused(); }
  int32_t VENDOR_CALL Unused8() override { return Unused(); }
  int32_t VENDOR_CALL Unused9() override { return Unused(); }
  int32_t VENDOR_CALL Unused10() override { return Unused(); }
  int32_t VENDOR_CALL Unused11() override { return Unused(); }
  int32_t VENDOR_CALL Unused12() override { return Unused(); }
  int32_t VENDOR_CALL Unused13() override { return Unused(); }
  int32_t VENDOR_CALL Unused14() override { return Unused(); }
  int32_t VENDOR_CALL Unused15() override { return Unused(); }
  int32_t VENDOR_CALL Unused16() override { return Unused(); }
  int32_t VENDOR_CALL Unused17() override { return Unused(); }
  int32_t VENDOR_CALL Unused18() override { return Unused(); }
  int32_t VENDOR_CALL Unused19() override { return Unused(); }
  int32_t VENDOR_CALL Unused30() override { return Unused(); }
  int32_t VENDOR_CALL Unused31() override { return Unused(); }
  int32_t VENDOR_CALL Unused36() override { return Unused(); }
  int32_t VENDOR_CALL Unused37() override { return Unused(); }
  int32_t VENDOR_CALL Unused40() override { return Unused(); }
  int32_t VENDOR_CALL Unused41() override { return Unused(); }

  int32_t VENDOR_CALL GetGroupA(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                uint32_t* f4, uint32_t* f5) override {
    return GroupGet(VDEV_GROUP_A, {f0, f1, f2, f3, f4, f5}, nullptr);
  }
  int32_t VENDOR_CALL SetGroupA(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t f4,
                                uint8_t f5) override {
    return GroupSet(VDEV_GROUP_A, {f0, f1, f2, f3, f4, f5});
  }
  int32_t VENDOR_CALL GetGroupB(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                uint32_t* lengthKind, uint8_t* lengthList,
                                uint32_t* lengthCount) override {
    return GroupGet(VDEV_GROUP_B, {f0, f1, f2, f3, lengthKind, nullptr, lengthCount}, lengthList);
  }
  int32_t VENDOR_CALL SetGroupB(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t lengthKind,
                                const uint8_t* lengthList, uint32_t lengthCount) override {
    return GroupSet(VDEV_GROUP_B, {f0, f1, f2, f3, lengthKind, 0}, lengthList, lengthCount);
  }
  int32_t VENDOR_CALL GetGroupC(uint32_t* f0, uint32_t* f1) override {
    return GroupGet(VDEV_GROUP_C, {f0, f1}, nullptr);
  }
  int32_t VENDOR_CALL SetGroupC(uint8_t f0, uint8_t f1) override {
    return GroupSet(VDEV_GROUP_C, {f0, f1});
  }
  int32_t VENDOR_CALL GetGroupD(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                uint32_t* f4) override {
    return GroupGet(VDEV_GROUP_D, {f0, f1, f2, f3, f4}, nullptr);
  }
  int32_t VENDOR_CALL SetGroupD(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3,
                                uint8_t f4) override {
    return GroupSet(VDEV_GROUP_D, {f0, f1, f2, f3, f4});
  }
  int32_t VENDOR_CALL GetGroupE(uint32_t* f0, uint32_t* f1, uint32_t* lengthKind,
                                uint8_t* lengthList, uint32_t* lengthCount) override {
    return GroupGet(VDEV_GROUP_E, {f0, f1, lengthKind, nullptr, lengthCount}, lengthList);
  }
  int32_t VENDOR_CALL SetGroupE(uint8_t f0, uint8_t f1, uint8_t lengthKind,
                                const uint8_t* lengthList, uint32_t lengthCount) override {
    return GroupSet(VDEV_GROUP_E, {f0, f1, lengthKind, 0}, lengthList, lengthCount);
  }
  int32_t VENDOR_CALL GetGroupF(uint32_t* f0, uint32_t* f1, uint32_t* f2) override {
    return GroupGet(VDEV_GROUP_F, {f0, f1, f2}, nullptr);
  }
  int32_t VENDOR_CALL SetGroupF(uint8_t f0, uint8_t f1, uint8_t f2) override {
    return GroupSet(VDEV_GROUP_F, {f0, f1, f2});
  }
  int32_t VENDOR_CALL GetGroupG(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                uint32_t* f4, uint32_t* f5, uint32_t* f6, uint32_t* f7,
                                uint32_t* f8, uint32_t* f9) override {
    return GroupGet(VDEV_GROUP_G, {f0, f1, f2, f3, f4, f5, f6, f7, f8, f9}, nullptr);
  }
  int32_t VENDOR_CALL SetGroupG(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t f4,
                                uint8_t f5, uint8_t f6, uint8_t f7, uint8_t f8,
                                uint8_t f9) override {
    return GroupSet(VDEV_GROUP_G, {f0, f1, f2, f3, f4, f5, f6, f7, f8, f9});
  }
  int32_t VENDOR_CALL GetGroupH(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* lengthKind,
                                uint8_t* lengthList, uint32_t* lengthCount) override {
    return GroupGet(VDEV_GROUP_H, {f0, f1, f2, lengthKind, nullptr, lengthCount}, lengthList);
  }
  int32_t VENDOR_CALL SetGroupH(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t lengthKind,
                                const uint8_t* lengthList, uint32_t lengthCount) override {
    return GroupSet(VDEV_GROUP_H, {f0, f1, f2, lengthKind, 0}, lengthList, lengthCount);
  }
  int32_t VENDOR_CALL GetGroupI(uint32_t* f0, uint32_t* f1, uint32_t* f2, uint32_t* f3,
                                uint32_t* f4, uint32_t* f5, uint32_t* f6, uint32_t* f7,
                                uint32_t* f8, uint32_t* f9, uint32_t* f10, uint32_t* f11,
                                uint32_t* f12, uint32_t* f13, uint32_t* f14, uint32_t* f15,
                                uint32_t* f16) override {
    return GroupGet(VDEV_GROUP_I,
                    {f0, f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16},
                    nullptr);
  }
  int32_t VENDOR_CALL SetGroupI(uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t f4,
                                uint8_t f5, uint8_t f6, uint8_t f7, uint8_t f8, uint8_t f9,
                                uint8_t f10, uint8_t f11, uint8_t f12, uint8_t f13, uint8_t f14,
                                uint8_t f15, uint8_t f16) override {
    return GroupSet(VDEV_GROUP_I,
                    {f0, f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16});
  }
  int32_t VENDOR_CALL GetGroupJ(uint32_t* f0) override {
    return GroupGet(VDEV_GROUP_J, {f0}, nullptr);
  }
  int32_t VENDOR_CALL SetGroupJ(uint8_t f0) override { return GroupSet(VDEV_GROUP_J, {f0}); }

 private:
  const uint32_t generation_;
  int32_t references_ = 0;  // guarded by the store's mutex
};

}  // namespace

// ---- Vendor entry points --------------------------------------------------

int32_t VENDOR_CALL ITCDeviceOpen(const VendorChar* name, const Guid* iid, int32_t flags,
                                  void** object) {
  uint32_t generation;
  {
    Store& s = State();
    Lock lock(s.mutex);
    ++s.openCalls;
    vdev::Utf16ToUtf8(name, s.lastOpenName, sizeof s.lastOpenName);
    s.lastOpenIidOk = iid != nullptr && SameGuid(*iid, kDeviceConfigIid);
    s.lastOpenFlags = flags;
    if (object == nullptr) return kPointer;
    *object = nullptr;
    if (s.failOpen != 0) return s.failOpen;
    if (!s.lastOpenIidOk) return kNoInterface;
    generation = s.generation;
  }
  auto* config = new VirtualDeviceConfig(generation);
  config->AddRef();
  *object = static_cast<DeviceConfig*>(config);
  return 0;
}

void VENDOR_CALL ITCDeviceClose(void** object) {
  {
    Store& s = State();
    Lock lock(s.mutex);
    ++s.closeCalls;
  }
  if (object == nullptr || *object == nullptr) return;
  static_cast<DeviceConfig*>(*object)->Release();
  *object = nullptr;
}

// ---- Control --------------------------------------------------------------

void vdev_config_reset(void) {
  Store& s = State();
  Lock lock(s.mutex);
  s.Reset();
}

int32_t vdev_config_field_count(vdev_group group) {
  return ValidGroup(group) ? kConfigGroups[group].fieldCount : 0;
}

uint32_t vdev_config_field(vdev_group group, int32_t field) {
  if (!ValidGroup(group) || field < 0 || field >= kConfigGroups[group].fieldCount) return 0;
  Store& s = State();
  Lock lock(s.mutex);
  return IsListSlot(group, field) ? 0 : s.fields[group][field];
}

void vdev_config_set_field(vdev_group group, int32_t field, uint32_t value) {
  if (!ValidGroup(group) || field < 0 || field >= kConfigGroups[group].fieldCount) return;
  if (IsListSlot(group, field)) return;
  Store& s = State();
  Lock lock(s.mutex);
  s.fields[group][field] = value;
}

void vdev_config_length_list(vdev_group group, uint32_t* kind, uint8_t list[3], uint32_t* count) {
  const bool has = ValidGroup(group) && HasLengthList(group);
  Store& s = State();
  Lock lock(s.mutex);
  const int32_t at = has ? kConfigGroups[group].lengthListAt : 0;
  if (kind != nullptr) *kind = has ? s.fields[group][at] : 0;
  if (list != nullptr) {
    for (int i = 0; i < 3; ++i) list[i] = has ? s.list[group][i] : 0;
  }
  if (count != nullptr) *count = has ? s.fields[group][at + 2] : 0;
}

void vdev_config_set_length_list(vdev_group group, uint32_t kind, const uint8_t list[3],
                                 uint32_t count) {
  if (!ValidGroup(group) || !HasLengthList(group)) return;
  Store& s = State();
  Lock lock(s.mutex);
  const int32_t at = kConfigGroups[group].lengthListAt;
  s.fields[group][at] = kind;
  if (list != nullptr) memcpy(s.list[group], list, 3);
  s.fields[group][at + 2] = count;
}

void vdev_config_fail_get(vdev_group group, int32_t result) {
  if (!ValidGroup(group)) return;
  Store& s = State();
  Lock lock(s.mutex);
  s.failGet[group] = result;
}

void vdev_config_fail_set(vdev_group group, int32_t result) {
  if (!ValidGroup(group)) return;
  Store& s = State();
  Lock lock(s.mutex);
  s.failSet[group] = result;
}

void vdev_config_fail_open(int32_t result) {
  Store& s = State();
  Lock lock(s.mutex);
  s.failOpen = result;
}

uint32_t vdev_config_log_size(void) { return Get(&Store::logSize); }

int32_t vdev_config_log_entry(uint32_t index, vdev_config_call* call) {
  Store& s = State();
  Lock lock(s.mutex);
  if (index >= s.logSize || call == nullptr) return -1;
  *call = s.log[index];
  return 0;
}

void vdev_config_clear_log(void) {
  Store& s = State();
  Lock lock(s.mutex);
  s.logSize = 0;
}

uint32_t vdev_config_open_calls(void) { return Get(&Store::openCalls); }

uint32_t vdev_config_close_calls(void) { return Get(&Store::closeCalls); }

int32_t vdev_config_open_objects(void) { return Get(&Store::references); }

const char* vdev_config_last_open_name(void) {
  return vdev::LockedText(State(), &Store::lastOpenName);
}

int32_t vdev_config_last_open_iid_ok(void) { return Get(&Store::lastOpenIidOk); }

int32_t vdev_config_last_open_flags(void) { return Get(&Store::lastOpenFlags); }

uint32_t vdev_config_unused_calls(void) { return Get(&Store::unusedCalls); }

// Once an object is constructed, nothing the plug-in does allocates: not the
// scan thread handling labels, not retrieval, not tones, not symbology calls.
// Every C++ allocation in this process is counted while the counter is armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "plugin/zorvan_scanner.h"
#include "virtual_device.h"

namespace {

std::atomic<bool> gArmed{false};
std::atomic<int> gAllocations{0};

void* countedAllocation(std::size_t size) {
  if (gArmed.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

// Callbacks and platform that allocate nothing themselves.
std::atomic<int> gEvents{0};
std::atomic<int> gTones{0};
void onEvent(const uint8_t*) { gEvents.fetch_add(1); }
void onTone(int32_t, const uint8_t*, int32_t) { gTones.fetch_add(1); }

class QuietPlatform final : public zorvan::Platform {
 public:
  bool pause(uint32_t, zorvan::Event*) override { return true; }
  void alertSound(uint32_t) override {}
  bool startThread(zorvan::ThreadSlot& slot, zorvan::ThreadEntry entry,
                   zorvan::ThreadAfterEnd afterEnd, void* argument) override {
    return zorvan::systemPlatform().startThread(slot, entry, afterEnd, argument);
  }
  bool waitThread(zorvan::ThreadSlot& slot, uint32_t timeoutMs) override {
    return zorvan::systemPlatform().waitThread(slot, timeoutMs);
  }
  void detachThread(zorvan::ThreadSlot& slot) override {
    zorvan::systemPlatform().detachThread(slot);
  }
  void pinModule() override {}
  bool comInitialize() override { return false; }
  void comUninitialize() override {}
  uint32_t currentThreadId() override { return zorvan::systemPlatform().currentThreadId(); }
};

TEST(Allocation, NoneAfterConstruction) {
  vdev_reset_all();
  QuietPlatform platform;
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(
      zorvan::ZorvanScannerInterface::create(platform, zorvan::processVendorApi()));
  ASSERT_NE(nullptr, scanner);
  scanner->SetEvtAddEventToQueueCallBack(onEvent);
  scanner->SetEvtPlayToneCallBack(onTone);
  const uint8_t label[] = {'0', '1', '2', '3', '4', '5', '6', '7'};
  uint8_t record[LabelRecordSize];
  char text[64];
  int16_t symbology = 0;
  uint16_t mode = 0, first = 0, second = 0;

  gArmed = true;
  scanner->EnableScanner();
  for (int i = 0; i < 20; ++i) {
    vdev_scan_push_label(1, label, sizeof label);
    vdev_scan_wait_idle(5000);
    if (i % 2 == 0) {
      scanner->GetLastLabelRecord(record);
    } else {
      scanner->ReadLabel(sizeof text - 1, &symbology, text);
    }
  }
  scanner->PlayTonePattern(3);
  scanner->SetAffixMode(7);
  scanner->SetStoredLevel1(50);
  scanner->ApplySettings(27);
  scanner->SetSymbologyEnabled(7, 1);
  scanner->GetSymbologyLengths(7, &mode, &first, &second);
  scanner->SetSymbologyOption(0, 1);
  scanner->DisableScanner();
  gArmed = false;

  EXPECT_EQ(0, gAllocations.load());
  EXPECT_EQ(20, gEvents.load());
  EXPECT_GE(gTones.load(), 20 + 3 + 1);
  scanner.reset();
  vdev_reset_all();
}

}  // namespace

void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (gArmed.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void* operator new[](std::size_t size) { return countedAllocation(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

// Memory an object takes. Once it is constructed, nothing the plug-in does
// allocates: not the scan thread handling labels, not retrieval, not tones,
// not symbology calls. The one exception is the C library's own bookkeeping
// for a new thread, which it allocates when the process starts its first
// thread and reuses for later ones. Construction takes a bounded number of
// heap bytes, and the scan thread a bounded part of the handheld's 64 KiB
// thread stack.
//
// Every C++ allocation in this process is counted while the counter is armed.
// On POSIX the C allocation functions are counted too (malloc, calloc,
// realloc and the aligned forms): this executable defines them over the C
// library's own, or, in a sanitizer build, whose run-time owns them, counts
// through the sanitizer's allocation hook. What a new thread allocates before
// it reaches the plug-in's code is the thread's set-up, not the plug-in's:
// none without a sanitizer, a few blocks of the sanitizer run-time's own
// with one.
#include <gtest/gtest.h>
#include <pthread.h>
#include <stdio.h>
#include <string.h>
#if !defined(_WIN32)
#include <sys/mman.h>
#endif
#include <time.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "plugin/zorvan_scanner.h"
#include "quiet_platform.h"
#include "virtual_device.h"

#if !defined(_WIN32)
#define ZV_COUNT_C_ALLOCATIONS 1
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZV_SANITIZER_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZV_SANITIZER_HOOKS 1
#endif
#endif
#endif

#if defined(ZV_SANITIZER_HOOKS)
// The sanitizer run-times' allocation hook (gcc ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*onMalloc)(const volatile void* memory, size_t size),
    void (*onFree)(const volatile void* memory));
#elif defined(ZV_COUNT_C_ALLOCATIONS)
#include <errno.h>
#include <stdint.h>
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* memory, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}
#endif

namespace {

std::atomic<bool> gArmed{false};
// Allocations made anywhere while armed, outside a thread start.
std::atomic<int> gAllocations{0};
std::atomic<size_t> gAllocatedBytes{0};
// Allocations made on the thread starting the scan thread, inside the
// platform's thread start, and their bytes.
std::atomic<int> gThreadStartAllocations{0};
std::atomic<size_t> gThreadStartBytes{0};
// Allocations on a new thread before it reaches the plug-in's entry: the
// set-up a sanitizer run-time does for each thread.
std::atomic<int> gNewThreadSetupAllocations{0};
// Set on the starting thread for the length of the platform's thread start.
thread_local bool tInThreadStart = false;
// Set on the test's thread, and on the scan thread once it runs the
// plug-in's code.
thread_local bool tKnownThread = false;

void countAllocation(size_t size) {
  if (!gArmed.load(std::memory_order_relaxed)) return;
  if (tInThreadStart) {
    gThreadStartAllocations.fetch_add(1);
    gThreadStartBytes.fetch_add(size);
  } else if (!tKnownThread) {
    gNewThreadSetupAllocations.fetch_add(1);
  } else {
    gAllocations.fetch_add(1);
    gAllocatedBytes.fetch_add(size);
  }
}

#if defined(ZV_COUNT_C_ALLOCATIONS)
// operator new takes its memory from malloc, which counts it.
void countNew(size_t) {}
#else
void countNew(size_t size) { countAllocation(size); }
#endif

void* countedAllocation(std::size_t size) {
  countNew(size);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

// Callbacks and platform that allocate nothing themselves.
std::atomic<int> gEvents{0};
std::atomic<int> gTones{0};
void onEvent(const uint8_t*) { gEvents.fetch_add(1); }
void onTone(int32_t, const uint8_t*, int32_t) { gTones.fetch_add(1); }

// The scan thread's entry, wrapped so the thread is known from its first
// instruction of plug-in code on.
struct WrappedThread {
  zorvan::ThreadEntry entry;
  zorvan::ThreadAfterEnd afterEnd;
  void* argument;
};
WrappedThread gWrapped;

uint32_t wrappedEntry(void* wrapped) {
  tKnownThread = true;
  const WrappedThread& thread = *static_cast<WrappedThread*>(wrapped);
  return thread.entry(thread.argument);
}

void wrappedAfterEnd(void* wrapped) {
  const WrappedThread& thread = *static_cast<WrappedThread*>(wrapped);
  if (thread.afterEnd != nullptr) thread.afterEnd(thread.argument);
}

class CountingPlatform final : public zorvan_test::QuietPlatform {
 public:
  bool startThread(zorvan::ThreadSlot& slot, zorvan::ThreadEntry entry,
                   zorvan::ThreadAfterEnd afterEnd, void* argument) override {
    const int before = gThreadStartAllocations.load();
    gWrapped = {entry, afterEnd, argument};
    tInThreadStart = true;
    const bool started =
        zorvan::systemPlatform().startThread(slot, wrappedEntry, wrappedAfterEnd, &gWrapped);
    tInThreadStart = false;
    if (gThreadStartAllocations.load() != before) ++startsThatAllocated;
    if (started && ++starts > 1 && gThreadStartAllocations.load() != before)
      ++laterStartsThatAllocated;
    return started;
  }

  int starts = 0;
  int startsThatAllocated = 0;
  int laterStartsThatAllocated = 0;
};

// Everything a host does with an enabled object: labels, retrieval, tones,
// settings and symbology calls, then disable.
void scanWorkload(ScannerInterface1& scanner) {
  const uint8_t label[] = {'0', '1', '2', '3', '4', '5', '6', '7'};
  uint8_t record[LabelRecordSize];
  char text[64];
  int16_t symbology = 0;
  uint16_t mode = 0, first = 0, second = 0;
  ASSERT_EQ(ResultOk, scanner.EnableScanner());
  for (int i = 0; i < 20; ++i) {
    vdev_scan_push_label(1, label, sizeof label);
    vdev_scan_wait_idle(5000);
    if (i % 2 == 0) {
      scanner.GetLastLabelRecord(record);
    } else {
      scanner.ReadLabel(sizeof text - 1, &symbology, text);
    }
  }
  scanner.PlayTonePattern(3);
  scanner.SetAffixMode(7);
  scanner.SetStoredLevel1(50);
  scanner.ApplySettings(27);
  scanner.SetSymbologyEnabled(7, 1);
  scanner.GetSymbologyLengths(7, &mode, &first, &second);
  scanner.SetSymbologyOption(0, 1);
  ASSERT_EQ(ResultOk, scanner.DisableScanner());
}

class AllocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tKnownThread = true;
    vdev_reset_all();
    gAllocations = 0;
    gThreadStartAllocations = 0;
    gThreadStartBytes = 0;
    gNewThreadSetupAllocations = 0;
    gEvents = 0;
    gTones = 0;
    scanner.reset(zorvan::ZorvanScannerInterface::create(platform, zorvan::processVendorApi()));
    ASSERT_NE(nullptr, scanner);
    scanner->SetEvtAddEventToQueueCallBack(onEvent);
    scanner->SetEvtPlayToneCallBack(onTone);
  }
  void TearDown() override {
    gArmed = false;
    scanner.reset();
    vdev_reset_all();
  }

  CountingPlatform platform;
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner;
};

TEST_F(AllocationTest, NoneAfterConstructionButTheThreadStart) {
  gArmed = true;
  scanWorkload(*scanner);
  gArmed = false;

  EXPECT_EQ(0, gAllocations.load());
  EXPECT_EQ(20, gEvents.load());
  EXPECT_GE(gTones.load(), 20 + 3 + 1);
}

// Heap bytes one object holds: everything construction allocates, less what
// the device's own library allocates for the DeviceConfig object it hands
// out (the vendor's memory, not the plug-in's). The bound leaves room for
// small additions; past it, look at what grew before raising it.
constexpr size_t kObjectHeapBound = 4096;

TEST(MemoryBound, HeapBytesPerObject) {
  tKnownThread = true;
  vdev_reset_all();
  zorvan_test::QuietPlatform platform;
  const zorvan::VendorApi& vendor = zorvan::processVendorApi();

  gAllocatedBytes = 0;
  gArmed = true;
  DeviceConfig* config = zorvan::openDeviceConfig(vendor);
  gArmed = false;
  ASSERT_NE(nullptr, config);
  zorvan::closeDeviceConfig(vendor, config);
  const size_t deviceBytes = gAllocatedBytes.exchange(0);

  gArmed = true;
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(
      zorvan::ZorvanScannerInterface::create(platform, vendor));
  gArmed = false;
  const size_t totalBytes = gAllocatedBytes.load();
  ASSERT_NE(nullptr, scanner);
  ASSERT_EQ(1u, vdev_config_open_objects());  // the object is fully open

  const size_t objectBytes = totalBytes - deviceBytes;
  printf("heap bytes per object: %zu (and %zu of the device's DeviceConfig object)\n", objectBytes,
         deviceBytes);
  RecordProperty("heap_bytes_per_object", static_cast<int>(objectBytes));
  EXPECT_LE(objectBytes, kObjectHeapBound);
  scanner.reset();
  vdev_reset_all();
}

#if !defined(_WIN32)
// The stack is painted through POSIX threads and mmap.
// Starts the scan thread on a stack of the handheld's default size, 64 KiB,
// painted with a pattern beforehand, so the deepest byte the thread wrote
// can be found once it has ended. Only one thread at a time.
class PaintedStackPlatform final : public zorvan_test::QuietPlatform {
 public:
#if defined(__SANITIZE_THREAD__)
  // ThreadSanitizer's per-thread state lives in the static TLS the C library
  // puts at the top of a given stack, and takes about 900 KiB of it.
  static constexpr size_t kStackBytes = 2 * 1024 * 1024;
#else
  static constexpr size_t kStackBytes = 64 * 1024;
#endif
  static constexpr uint8_t kPaint = 0xA5;

  PaintedStackPlatform() {
    void* memory =
        mmap(nullptr, kStackBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    stack_ = memory == MAP_FAILED ? nullptr : static_cast<uint8_t*>(memory);
    pthread_mutex_init(&lock_, nullptr);
    pthread_cond_init(&ended_, nullptr);
  }
  ~PaintedStackPlatform() override {
    pthread_cond_destroy(&ended_);
    pthread_mutex_destroy(&lock_);
    if (stack_ != nullptr) munmap(stack_, kStackBytes);
  }

  bool startThread(zorvan::ThreadSlot& slot, zorvan::ThreadEntry entry,
                   zorvan::ThreadAfterEnd afterEnd, void* argument) override {
    if (slot.recorded || stack_ == nullptr) return false;
    memset(stack_, kPaint, kStackBytes);
    entry_ = entry;
    afterEnd_ = afterEnd;
    argument_ = argument;
    finished_ = false;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstack(&attributes, stack_, kStackBytes);
    const bool started = pthread_create(&thread_, &attributes, trampoline, this) == 0;
    pthread_attr_destroy(&attributes);
    slot.recorded = started;
    return started;
  }
  bool waitThread(zorvan::ThreadSlot& slot, uint32_t timeoutMs) override {
    if (!slot.recorded) return true;
    timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000 + 1);
    pthread_mutex_lock(&lock_);
    while (!finished_ && pthread_cond_timedwait(&ended_, &lock_, &deadline) == 0) {
    }
    const bool finished = finished_;
    pthread_mutex_unlock(&lock_);
    if (!finished) return false;
    pthread_join(thread_, nullptr);
    slot.recorded = false;
    return true;
  }
  void detachThread(zorvan::ThreadSlot&) override { ADD_FAILURE() << "scan thread left running"; }

  // Bytes of stack the thread used below its first frame, at its deepest.
  size_t usedBelowEntry() const {
    size_t untouched = 0;
    while (untouched < kStackBytes && stack_[untouched] == kPaint) ++untouched;
    return static_cast<size_t>(entryFrame_ - (stack_ + untouched));
  }

 private:
  static void* trampoline(void* raw) {
    PaintedStackPlatform& self = *static_cast<PaintedStackPlatform*>(raw);
    uint8_t frame = 0;
    self.entryFrame_ = &frame;  // what the C library keeps above this is not ours
    self.entry_(self.argument_);
    pthread_mutex_lock(&self.lock_);
    self.finished_ = true;
    pthread_cond_broadcast(&self.ended_);
    pthread_mutex_unlock(&self.lock_);
    if (self.afterEnd_ != nullptr) self.afterEnd_(self.argument_);
    return nullptr;
  }

  uint8_t* stack_ = nullptr;
  const uint8_t* volatile entryFrame_ = nullptr;
  zorvan::ThreadEntry entry_ = nullptr;
  zorvan::ThreadAfterEnd afterEnd_ = nullptr;
  void* argument_ = nullptr;
  pthread_t thread_{};
  pthread_mutex_t lock_;
  pthread_cond_t ended_;
  bool finished_ = false;  // guarded by lock_
};

std::atomic<int> gDebugs{0};
void onDebug(const char*, ...) { gDebugs.fetch_add(1); }

// The scan thread's deepest stack use, over every path it takes: labels of
// each size with affixes and the good-read beep, a label longer than the read
// buffer, and a failed read reported through the debug callback. The callbacks
// here only count, so the figure is the plug-in's and the driver's; what it
// leaves of 64 KiB is the host's callbacks' (one that formats the debug
// message with vsnprintf takes about 2.3 KiB more on x86-64).
// Checked in optimised builds without sanitizers, whose frames are larger;
// the others still run the thread on the painted stack (64 KiB but under
// ThreadSanitizer).
constexpr size_t kScanThreadStackBound = 12 * 1024;

TEST(PosixMemoryBound, ScanThreadStackHighWater) {
  vdev_reset_all();
  PaintedStackPlatform platform;
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner(
      zorvan::ZorvanScannerInterface::create(platform, zorvan::processVendorApi()));
  ASSERT_NE(nullptr, scanner);
  scanner->SetEvtAddEventToQueueCallBack(onEvent);
  scanner->SetEvtPlayToneCallBack(onTone);
  scanner->SetEvtDebugMessageCallBack(onDebug);
  scanner->SetAffixMode(7);
  scanner->SetAffixChars(2, 10, 13);
  ASSERT_EQ(ResultOk, scanner->EnableScanner());
  const int events = gEvents.load();
  for (uint32_t size : {10u, 255u, 2999u, 7095u}) {
    const std::vector<uint8_t> label(size, 'x');
    ASSERT_EQ(0, vdev_scan_push_label(1, label.data(), size));
  }
  const std::vector<uint8_t> longLabel(100, 'y');
  ASSERT_EQ(0, vdev_scan_push_label_reported(1, longLabel.data(), 100, 100000));
  ASSERT_EQ(1, vdev_scan_wait_idle(5000));
  ASSERT_EQ(events + 5, gEvents.load());
  vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, -5, 1);  // reported, then the thread ends
  ASSERT_EQ(0, vdev_scan_push_label(1, longLabel.data(), 1));
  ASSERT_TRUE(scanner->state().scanThread.collect(5000));
  ASSERT_EQ(1, gDebugs.load());

  const size_t used = platform.usedBelowEntry();
  printf("scan thread stack high-water: %zu bytes of %zu\n", used,
         PaintedStackPlatform::kStackBytes);
  RecordProperty("scan_thread_stack_bytes", static_cast<int>(used));
#if defined(__OPTIMIZE__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  EXPECT_LE(used, kScanThreadStackBound);
#endif
  scanner.reset();
  vdev_reset_all();
}
#endif  // !_WIN32

#if defined(ZV_COUNT_C_ALLOCATIONS)
// The C library sets up a new thread's bookkeeping (its thread-local storage
// vector, a few hundred bytes) when it makes the thread's stack; a stack of
// an ended, collected thread is kept and reused with it. So only the first
// thread start of the process allocates, a little, and every later enable
// period allocates nothing at all.
TEST_F(AllocationTest, PosixOnlyTheFirstThreadStartOfTheProcessAllocates) {
  gArmed = true;
  for (int period = 0; period < 3; ++period) scanWorkload(*scanner);
  gArmed = false;

  EXPECT_EQ(0, gAllocations.load());
  EXPECT_EQ(3, platform.starts);
  EXPECT_LE(platform.startsThatAllocated, 1);
  EXPECT_EQ(0, platform.laterStartsThatAllocated);
  EXPECT_LE(gThreadStartBytes.load(), 1024u);
  EXPECT_EQ(60, gEvents.load());
#if !defined(ZV_SANITIZER_HOOKS)
  // A sanitizer run-time sets each new thread up with a few allocations of
  // its own; without one there are none.
  EXPECT_EQ(0, gNewThreadSetupAllocations.load());
#endif
  printf("thread starts: %d, of which allocated: %d, bytes: %zu in %d allocations\n",
         platform.starts, platform.startsThatAllocated, gThreadStartBytes.load(),
         gThreadStartAllocations.load());
}
#endif

}  // namespace

void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  countNew(size);
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

#if defined(ZV_SANITIZER_HOOKS)
namespace {
void onSanitizerMalloc(const volatile void*, size_t size) { countAllocation(size); }
void onSanitizerFree(const volatile void*) {}
// Installed before main, so every test runs with it.
const int kHooksInstalled =
    __sanitizer_install_malloc_and_free_hooks(onSanitizerMalloc, onSanitizerFree);
}  // namespace
#elif defined(ZV_COUNT_C_ALLOCATIONS)
// The C allocation functions of the process, counted, then passed to the C
// library's own. free needs no wrapper: the memory is the C library's.
extern "C" {
void* malloc(size_t size) {
  countAllocation(size);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  countAllocation(count * size);
  return __libc_calloc(count, size);
}
void* realloc(void* memory, size_t size) {
  countAllocation(size);
  return __libc_realloc(memory, size);
}
void* memalign(size_t alignment, size_t size) {
  countAllocation(size);
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  countAllocation(size);
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** memory, size_t alignment, size_t size) {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  countAllocation(size);
  void* block = __libc_memalign(alignment, size);
  if (block == nullptr) return ENOMEM;
  *memory = block;
  return 0;
}
}
#endif

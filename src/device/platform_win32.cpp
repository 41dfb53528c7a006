// Win32 implementation of the platform layer.
#include <objbase.h>

#include "device/platform.h"

namespace zorvan {

Mutex::Mutex() { InitializeCriticalSection(&section_); }
Mutex::~Mutex() { DeleteCriticalSection(&section_); }
void Mutex::lock() { EnterCriticalSection(&section_); }
void Mutex::unlock() { LeaveCriticalSection(&section_); }

ThreadSlot::ThreadSlot() {}

ThreadSlot::~ThreadSlot() {
  if (handle != nullptr) CloseHandle(handle);
}

namespace {

DWORD WINAPI threadTrampoline(LPVOID raw) {
  // Everything the thread needs is taken from the slot before it runs: once
  // afterEnd has run the slot may be gone.
  ThreadSlot& slot = *static_cast<ThreadSlot*>(raw);
  const ThreadEntry entry = slot.entry;
  const ThreadAfterEnd afterEnd = slot.afterEnd;
  void* const argument = slot.argument;
  const uint32_t exitCode = entry(argument);
  if (afterEnd != nullptr) afterEnd(argument);
  return exitCode;
}

void forget(ThreadSlot& slot) {
  CloseHandle(slot.handle);
  slot.handle = nullptr;
  slot.recorded = false;
}

class Win32Platform final : public Platform {
 public:
  void sleepMs(uint32_t milliseconds) override { Sleep(milliseconds); }

  void alertSound(uint32_t code) override { MessageBeep(code); }

  bool startThread(ThreadSlot& slot, ThreadEntry entry, ThreadAfterEnd afterEnd,
                   void* argument) override {
    if (slot.recorded) return false;
    slot.entry = entry;
    slot.afterEnd = afterEnd;
    slot.argument = argument;
    slot.handle = CreateThread(nullptr, 0, threadTrampoline, &slot, 0, nullptr);
    if (slot.handle == nullptr) return false;
    slot.recorded = true;
    return true;
  }

  // The thread's handle is signalled once its entry and afterEnd have both
  // returned.
  bool waitThread(ThreadSlot& slot, uint32_t timeoutMs) override {
    if (!slot.recorded) return true;
    if (WaitForSingleObject(slot.handle, timeoutMs) != WAIT_OBJECT_0) return false;
    forget(slot);
    return true;
  }

  bool terminateThread(ThreadSlot& slot, uint32_t exitCode) override {
    if (!slot.recorded) return true;
    if (!TerminateThread(slot.handle, exitCode)) return false;
    forget(slot);
    return true;
  }

  void detachThread(ThreadSlot& slot) override {
    if (slot.recorded) forget(slot);
  }

  void comInitialize() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  void comUninitialize() override { CoUninitialize(); }
};

}  // namespace

Platform& systemPlatform() {
  static Win32Platform platform;
  return platform;
}

void* openLibrary(const char* name) { return reinterpret_cast<void*>(LoadLibraryA(name)); }

void* findSymbol(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace zorvan

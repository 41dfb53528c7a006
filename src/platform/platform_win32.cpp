// Win32 implementation of the platform layer.
//
// It keeps to calls that desktop Windows and Windows CE both have, so it
// ports to the handheld without a rewrite:
//   kernel32 (coredll on CE): InitializeCriticalSection, EnterCriticalSection,
//     LeaveCriticalSection, DeleteCriticalSection, CreateEventW, SetEvent,
//     ResetEvent, WaitForSingleObject, CloseHandle, CreateThread, ResumeThread,
//     GetCurrentThreadId, GetTickCount, Sleep, LoadLibraryW, GetModuleFileNameW,
//     GetProcAddress (GetProcAddressW on CE, which takes a wide name),
//     InterlockedIncrement, InterlockedDecrement, InterlockedExchange
//     (atomic_count_win32.cpp);
//   user32: MessageBeep;
//   ole32: CoInitializeEx, CoUninitialize;
//   the C run-time (msvcrt; coredll on CE), for the whole plug-in:
//     vsnprintf (_vsnprintf on CE, in text_format.cpp alone), memset,
//     memcpy, strncmp, and the nothrow operator new and operator delete
//     (malloc and free) during construction and destruction.
// Desktop Windows alone also gets LoadLibraryExW with
// LOAD_LIBRARY_SEARCH_DEFAULT_DIRS and LOAD_WITH_ALTERED_SEARCH_PATH, so a
// vendor library is never taken from the current directory, and
// GetModuleHandleExW to pin the plug-in without a path-length limit.
//
// Vendor libraries are looked for in this order:
//   1. desktop: the application's directory, the system directory and the
//      directories the host added with AddDllDirectory (never the current
//      directory, nor PATH); where the system lacks that search (before
//      Windows 8 without its update), the system's standard order.
//      CE: the system's standard order (CE has no current directory).
//   2. the plug-in's own directory, by full path.
#include <objbase.h>

#include <new>

#include "platform/event.h"
#include "platform/library.h"
#include "platform/mutex.h"
#include "platform/platform.h"
#include "platform/thread_slot.h"

// The plug-in's own module: the linker places this symbol at the module's
// base address, which is its module handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace zorvan {

namespace {

CRITICAL_SECTION& section(OsStorage<kMutexBytes>& storage) {
  return storage.as<CRITICAL_SECTION>();
}

HANDLE& handle(OsStorage<kEventBytes>& storage) { return storage.as<HANDLE>(); }

HANDLE& handle(ThreadSlot& slot) { return slot.os.as<HANDLE>(); }

}  // namespace

Mutex::Mutex() { InitializeCriticalSection(new (storage_.bytes) CRITICAL_SECTION); }
Mutex::~Mutex() { DeleteCriticalSection(&section(storage_)); }
void Mutex::lock() { EnterCriticalSection(&section(storage_)); }
void Mutex::unlock() { LeaveCriticalSection(&section(storage_)); }

Event::Event() { new (storage_.bytes) HANDLE(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

Event::~Event() {
  if (handle(storage_) != nullptr) CloseHandle(handle(storage_));
}

void Event::set() {
  if (handle(storage_) != nullptr) SetEvent(handle(storage_));
}

void Event::reset() {
  if (handle(storage_) != nullptr) ResetEvent(handle(storage_));
}

bool Event::wait(uint32_t milliseconds) {
  const HANDLE event = handle(storage_);
  if (event == nullptr) {
    // Without an event nothing can cut the wait short.
    Sleep(milliseconds);
    return false;
  }
  return WaitForSingleObject(event, milliseconds) == WAIT_OBJECT_0;
}

ThreadSlot::ThreadSlot() { new (os.bytes) HANDLE(nullptr); }

ThreadSlot::~ThreadSlot() {
  if (handle(*this) != nullptr) CloseHandle(handle(*this));
}

bool ThreadSlot::holdsHandle() const { return os.as<HANDLE>() != nullptr; }

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
  CloseHandle(handle(slot));
  handle(slot) = nullptr;
  slot.recorded = false;
}

HMODULE ownModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

// Longest path handled, in UTF-16 units with the terminating zero.
constexpr DWORD kPathUnits = MAX_PATH;

// Copies the ASCII text `name` into `wide`; false when it does not fit.
bool widen(const char* name, WCHAR* wide, DWORD units) {
  DWORD i = 0;
  for (; name[i] != '\0'; ++i) {
    if (i + 1 >= units) return false;
    wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(name[i]));
  }
  wide[i] = 0;
  return true;
}

// The full path of `name` in the plug-in's own directory, in `path`.
bool besideThePlugin(const WCHAR* name, WCHAR* path, DWORD units) {
  const DWORD length = GetModuleFileNameW(ownModule(), path, units);
  if (length == 0 || length >= units) return false;
  DWORD directoryEnd = 0;  // just past the last separator
  for (DWORD i = 0; i < length; ++i) {
    if (path[i] == L'\\' || path[i] == L'/') directoryEnd = i + 1;
  }
  DWORD i = 0;
  for (; name[i] != 0; ++i) {
    if (directoryEnd + i + 1 >= units) return false;
    path[directoryEnd + i] = name[i];
  }
  path[directoryEnd + i] = 0;
  return true;
}

HMODULE loadFromSearchPath(const WCHAR* name) {
#if defined(_WIN32_WCE)
  return LoadLibraryW(name);
#else
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  // Refused as an unknown flag where the system predates the safe search.
  if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
    module = LoadLibraryW(name);
  }
  return module;
#endif
}

HMODULE loadByFullPath(const WCHAR* path) {
#if defined(_WIN32_WCE)
  return LoadLibraryW(path);
#else
  // The library's own dependencies are then also looked for beside it.
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
#endif
}

class Win32Platform final : public Platform {
 public:
  bool pause(uint32_t milliseconds, Event* interrupt) override {
    if (interrupt != nullptr) return !interrupt->wait(milliseconds);
    Sleep(milliseconds);
    return true;
  }

  void alertSound(uint32_t code) override { MessageBeep(code); }

  bool startThread(ThreadSlot& slot, ThreadEntry entry, ThreadAfterEnd afterEnd,
                   void* argument) override {
    if (slot.recorded) return false;
    slot.entry = entry;
    slot.afterEnd = afterEnd;
    slot.argument = argument;
    // Created suspended and resumed once recorded, handle included: the
    // thread runs nothing before the slot records it.
    HANDLE& thread = handle(slot);
    thread = CreateThread(nullptr, 0, threadTrampoline, &slot, CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) return false;
    slot.recorded = true;
    if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
      // It never runs: nothing of it needs to be released but the handle.
      forget(slot);
      return false;
    }
    return true;
  }

  // The thread's handle is signalled once its entry and afterEnd have both
  // returned.
  bool waitThread(ThreadSlot& slot, uint32_t timeoutMs) override {
    if (!slot.recorded) return true;
    if (WaitForSingleObject(handle(slot), timeoutMs) != WAIT_OBJECT_0) return false;
    forget(slot);
    return true;
  }

  void detachThread(ThreadSlot& slot) override {
    if (slot.recorded) forget(slot);
  }

#if defined(_WIN32_WCE)
  // Loading the plug-in's own file again adds one reference to the module,
  // so the host's FreeLibrary cannot unload it. CE paths are at most
  // MAX_PATH long.
  void pinModule() override {
    WCHAR path[kPathUnits];
    const DWORD length = GetModuleFileNameW(ownModule(), path, kPathUnits);
    if (length == 0 || length >= kPathUnits) return;
    LoadLibraryW(path);
  }
#else
  // Marks the module holding this code as never to be unloaded, found by
  // address rather than by path, so any path length will do.
  void pinModule() override {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&__ImageBase), &module);
  }
#endif

  bool comInitialize() override {
    // S_OK and S_FALSE both count a start-up that CoUninitialize balances;
    // RPC_E_CHANGED_MODE (the thread is in another model) counts none.
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  }

  void comUninitialize() override { CoUninitialize(); }

  uint32_t currentThreadId() override { return GetCurrentThreadId(); }

  uint32_t milliseconds() override { return GetTickCount(); }
};

}  // namespace

// Built on first use (construction time) and never destroyed: a scan thread
// left running may still use it while the process exits and runs its static
// destructors.
Platform& systemPlatform() {
  alignas(Win32Platform) static unsigned char storage[sizeof(Win32Platform)];
  static Win32Platform* const platform = new (storage) Win32Platform();
  return *platform;
}

void* openLibrary(const char* name) {
  WCHAR wideName[kPathUnits];
  if (!widen(name, wideName, kPathUnits)) return nullptr;
  if (HMODULE module = loadFromSearchPath(wideName)) return reinterpret_cast<void*>(module);
  WCHAR path[kPathUnits];
  if (!besideThePlugin(wideName, path, kPathUnits)) return nullptr;
  return reinterpret_cast<void*>(loadByFullPath(path));
}

void* findSymbol(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  const HMODULE module = static_cast<HMODULE>(library);
#if defined(_WIN32_WCE)
  WCHAR wideName[kPathUnits];
  if (!widen(name, wideName, kPathUnits)) return nullptr;
  return reinterpret_cast<void*>(GetProcAddressW(module, wideName));
#else
  return reinterpret_cast<void*>(GetProcAddress(module, name));
#endif
}

}  // namespace zorvan

// The few pieces of the C++ run-time the plug-in uses, for the CE flavour's
// plug-in, which links against coredll.dll and ole32.dll alone and so has
// neither the compiler's C++ library nor its start-up code. Memory comes
// from the core library's malloc and free; nothing here allocates on its own.
#include <stdlib.h>
#include <windows.h>

#include <new>

// The DLL's entry point. The plug-in has no static constructors or
// destructors to run and needs no notice of threads or of the process.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID) { return TRUE; }

// Allocation: construction and destruction only, never throwing.
namespace std {
const nothrow_t nothrow{};
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return malloc(size != 0 ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return malloc(size != 0 ? size : 1);
}
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { free(block); }

extern "C" {

// A call of a pure virtual function: a fault in the plug-in itself. Stops
// here rather than jumping into nothing.
void __cxa_pure_virtual() {
  for (;;) Sleep(INFINITE);
}

// The guard of a function-local static, initialised by the first thread to
// reach it while any other waits. Its first 32-bit word: 1 once done (the
// compiler's own check reads its lowest byte, or bit), 0x100 while a thread
// initialises. The guard is 64 bits on x86 and 32 on ARM; only that word is
// used.
namespace {
constexpr LONG kDone = 1;
constexpr LONG kBusy = 0x100;
volatile LONG* guardWord(void* guard) { return static_cast<volatile LONG*>(guard); }
}  // namespace

int __cxa_guard_acquire(void* guard) {
  for (;;) {
    const LONG state = InterlockedCompareExchange(guardWord(guard), kBusy, 0);
    if (state == 0) return 1;
    if (state == kDone) return 0;
    Sleep(0);  // another thread is initialising
  }
}

void __cxa_guard_release(void* guard) { InterlockedExchange(guardWord(guard), kDone); }

void __cxa_guard_abort(void* guard) { InterlockedExchange(guardWord(guard), 0); }

}  // extern "C"

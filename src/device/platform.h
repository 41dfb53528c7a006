// Operating-system services the plug-in needs, behind one small interface so
// a Win32 implementation can sit beside the POSIX one without touching the
// code that uses them. Nothing outside src/device includes an OS header.
#ifndef ZORVAN_DEVICE_PLATFORM_H
#define ZORVAN_DEVICE_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

// Clang thread-safety annotations; no-ops elsewhere.
#if defined(__clang__)
#define ZV_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ZV_THREAD_ANNOTATION(x)
#endif
#define ZV_CAPABILITY(x) ZV_THREAD_ANNOTATION(capability(x))
#define ZV_SCOPED_CAPABILITY ZV_THREAD_ANNOTATION(scoped_lockable)
#define ZV_GUARDED_BY(x) ZV_THREAD_ANNOTATION(guarded_by(x))
#define ZV_ACQUIRE(...) ZV_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ZV_RELEASE(...) ZV_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define ZV_REQUIRES(...) ZV_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ZV_EXCLUDES(...) ZV_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))

// Lets the compiler check the arguments of a printf-style function.
#if defined(__GNUC__)
#define ZV_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define ZV_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Marks the plug-in's one export.
#if defined(_WIN32)
#define ZV_EXPORT __declspec(dllexport)
#else
#define ZV_EXPORT __attribute__((visibility("default")))
#endif

namespace zorvan {

// A non-recursive lock (a critical section on Windows).
class ZV_CAPABILITY("mutex") Mutex final {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock() ZV_ACQUIRE();
  void unlock() ZV_RELEASE();

 private:
#if defined(_WIN32)
  CRITICAL_SECTION section_;
#else
  pthread_mutex_t mutex_;
#endif
};

class ZV_SCOPED_CAPABILITY MutexLocker final {
 public:
  explicit MutexLocker(Mutex& mutex) ZV_ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
  ~MutexLocker() ZV_RELEASE() { mutex_.unlock(); }
  MutexLocker(const MutexLocker&) = delete;
  MutexLocker& operator=(const MutexLocker&) = delete;

 private:
  Mutex& mutex_;
};

// A manual-reset event: once set it stays set until reset. Used to cut a
// pause short when the thread playing it is asked to stop.
class Event final {
 public:
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  void set();
  void reset();
  // Wait up to `milliseconds` for the event; true when it is set.
  bool wait(uint32_t milliseconds);

 private:
#if defined(_WIN32)
  HANDLE handle_;
#else
  pthread_mutex_t mutex_;
  pthread_cond_t changed_;
  bool set_ = false;  // guarded by mutex_
#endif
};

// Entry point of a thread started through Platform::startThread; returns
// the thread's exit code.
typedef uint32_t (*ThreadEntry)(void* argument);
// Runs on the thread after it has ended and its slot is no longer touched,
// so it may release whatever holds the slot.
typedef void (*ThreadAfterEnd)(void* argument);

// Storage for one thread, owned by whoever starts it. Records at most one
// thread at a time and can be reused once that thread has been waited for.
struct ThreadSlot {
  ThreadSlot();
  ~ThreadSlot();
  ThreadSlot(const ThreadSlot&) = delete;
  ThreadSlot& operator=(const ThreadSlot&) = delete;

  bool recorded = false;  // a thread has been started and not waited for or detached
  ThreadEntry entry = nullptr;
  ThreadAfterEnd afterEnd = nullptr;
  void* argument = nullptr;
#if defined(_WIN32)
  HANDLE handle = nullptr;
#else
  pthread_t thread{};
  pthread_mutex_t lock;
  pthread_cond_t changed;  // signalled when the thread is released and when it ends
  bool released = false;   // guarded by lock: startThread has recorded the thread
  bool finished = false;   // guarded by lock
#endif
};

// The services that construction, the scan thread and the tone player use.
// Tests substitute their own to observe waits and alerts or to refuse a
// thread; the plug-in itself uses systemPlatform().
//
// Threads are asked to stop and waited for; they are never ended by force.
// A thread that does not end in time is detached and ends by itself.
class Platform {
 public:
  virtual ~Platform() = default;
  // Block the calling thread for `milliseconds`, or less when `interrupt`
  // (may be null) is set first. True when the whole time passed.
  virtual bool pause(uint32_t milliseconds, Event* interrupt) = 0;
  // The system's standard alert sound (code 0x30 is the plain beep).
  virtual void alertSound(uint32_t code) = 0;
  // Start `entry(argument)` at once with the default stack size and record
  // it in `slot`: the thread runs `entry` only once the slot records it
  // (and whatever the caller wrote before the call is visible to it). False
  // when the thread could not be created. `afterEnd`, when not null, runs on
  // the thread once it has ended.
  virtual bool startThread(ThreadSlot& slot, ThreadEntry entry, ThreadAfterEnd afterEnd,
                           void* argument) = 0;
  // Wait up to `timeoutMs` for the recorded thread to end. On true the
  // thread has ended and the slot records nothing any more.
  virtual bool waitThread(ThreadSlot& slot, uint32_t timeoutMs) = 0;
  // Forget the recorded thread; it runs on and its resources are released
  // when it ends by itself.
  virtual void detachThread(ThreadSlot& slot) = 0;
  // Take one more reference on the plug-in's own module, never given back,
  // so a host that unloads the plug-in cannot unmap code a detached thread
  // still runs.
  virtual void pinModule() = 0;
  // COM start-up for the calling thread where the platform has COM. True
  // when it succeeded (started, or already started in the same model) and
  // so must be balanced by comUninitialize on the same thread; false when
  // it failed or there is no COM.
  virtual bool comInitialize() = 0;
  virtual void comUninitialize() = 0;
  // An id of the calling thread, unique among the threads alive.
  virtual uint32_t currentThreadId() = 0;
  // A count of milliseconds that only goes forward (it wraps after about 49
  // days: take differences).
  virtual uint32_t milliseconds() = 0;
};

// The process's real platform.
Platform& systemPlatform();

// Bounded printf-style formatting into `buffer` of `size` bytes: the text
// is cut to fit and the buffer always ends with a zero (nothing is written
// when `size` is 0). All of the plug-in's formatting goes through here.
void formatText(char* buffer, size_t size, const char* format, ...) ZV_PRINTF_FORMAT(3, 4);

// Dynamic loading of the vendor libraries. A library that cannot be found
// gives null; so does a missing symbol. `name` is the file name alone; where
// it is looked for is the platform's business (platform_posix.cpp and
// platform_win32.cpp each say their order).
void* openLibrary(const char* name);
void* findSymbol(void* library, const char* name);

}  // namespace zorvan

#endif  // ZORVAN_DEVICE_PLATFORM_H

// Loading a built library by path as a host does: dlopen on POSIX,
// LoadLibrary on Windows.
#ifndef ZORVAN_TESTS_LIBRARY_LOADER_H
#define ZORVAN_TESTS_LIBRARY_LOADER_H

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace zorvan_test {

inline void* loadLibrary(const char* path) {
#if defined(_WIN32)
  return reinterpret_cast<void*>(LoadLibraryA(path));
#else
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
}

inline void* librarySymbol(void* library, const char* name) {
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  return dlsym(library, name);
#endif
}

// Why the last load failed.
inline std::string loadError() {
#if defined(_WIN32)
  return "error " + std::to_string(GetLastError());
#else
  const char* error = dlerror();
  return error != nullptr ? error : "";
#endif
}

// Whether a library of this file name is loaded in the process.
inline bool libraryLoaded(const char* fileName) {
#if defined(_WIN32)
  return GetModuleHandleA(fileName) != nullptr;
#else
  return dlopen(fileName, RTLD_NOW | RTLD_NOLOAD) != nullptr;
#endif
}

}  // namespace zorvan_test

#endif  // ZORVAN_TESTS_LIBRARY_LOADER_H

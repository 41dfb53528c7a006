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

#if defined(_WIN32)
// Takes `directory` (as "Z:/..." or "Z:\\...") off the process's PATH, which
// the system's standard search order reads at each load: a CE build of the
// plug-in, which searches that order first, then no longer finds what lies
// there.
inline void takeOffSearchPath(const char* directory) {
  auto normal = [](std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : c;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
  };
  char path[32768];
  const DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  const std::string unwanted = normal(directory);
  std::string kept;
  std::string all(path, length);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(';', start);
    if (end == std::string::npos) end = all.size();
    const std::string entry = all.substr(start, end - start);
    if (!entry.empty() && lstrcmpiA(normal(entry).c_str(), unwanted.c_str()) != 0) {
      kept += (kept.empty() ? "" : ";") + entry;
    }
    start = end + 1;
  }
  SetEnvironmentVariableA("PATH", kept.c_str());
}
#endif

}  // namespace zorvan_test

#endif  // ZORVAN_TESTS_LIBRARY_LOADER_H

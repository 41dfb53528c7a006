#include "loader.h"

#include <algorithm>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

#include "virtual_device.h"

// The installed layout, relative to the directory of scanhost itself; set by
// the build from the install directories.
#ifndef SCANHOST_INSTALLED_PLUGIN_DIR
#define SCANHOST_INSTALLED_PLUGIN_DIR "../lib/zorvanscanner"
#endif

namespace scanhost {

namespace {

#if defined(_WIN32)
const char kSeparator = '\\';
const char kPluginFile[] = "zorvanscanner.dll";
const char* const kVirtualLibraries[] = {"ITCSCAN.dll", "ITCAdcDevMgmt.dll", "ITCSSApi.DLL"};

void* openLibrary(const std::string& path, bool) {
  return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}
void* symbolOf(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
std::string loadError(const std::string& path) {
  return path + ": error " + std::to_string(GetLastError());
}
std::string programPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? "" : std::string(path, length);
}
bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
#else
const char kSeparator = '/';
const char kPluginFile[] = "libzorvanscanner.so";
const char* const kVirtualLibraries[] = {"libITCSCAN.so", "libITCAdcDevMgmt.so", "libITCSSApi.so"};

// The virtual device's symbols are made global, so the plug-in's own dlopen
// of the driver by name finds the library already loaded.
void* openLibrary(const std::string& path, bool global) {
  return dlopen(path.c_str(), RTLD_NOW | (global ? RTLD_GLOBAL : RTLD_LOCAL));
}
void* symbolOf(void* library, const char* name) { return dlsym(library, name); }
std::string loadError(const std::string&) { return dlerror(); }
std::string programPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length <= 0 ? "" : std::string(path, static_cast<size_t>(length));
}
bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
#endif

// `relative` ('/' separated) below the directory of scanhost.
std::string besideTheProgram(std::string relative) {
  const std::string program = programPath();
  const size_t separator = program.find_last_of(kSeparator == '/' ? "/" : "\\/");
  std::replace(relative.begin(), relative.end(), '/', kSeparator);
  return (separator == std::string::npos ? "." : program.substr(0, separator)) + kSeparator +
         relative;
}

std::string joined(const std::string& directory, const char* name) {
  return directory + kSeparator + name;
}

std::string defaultVirtualDirectory() {
  const std::string buildTree = besideTheProgram("../virtual");
  if (exists(joined(buildTree, kVirtualLibraries[0]))) return buildTree;
  return besideTheProgram(SCANHOST_INSTALLED_PLUGIN_DIR "/virtual");
}

std::string defaultPluginPath() {
  const std::string buildTree = joined(besideTheProgram("../lib"), kPluginFile);
  if (exists(buildTree)) return buildTree;
  return joined(besideTheProgram(SCANHOST_INSTALLED_PLUGIN_DIR), kPluginFile);
}

}  // namespace

void loadVirtualDevice(const std::string& given, Session* session) {
  const std::string directory = given.empty() ? defaultVirtualDirectory() : given;
  void* scanner = nullptr;
  for (const char* name : kVirtualLibraries) {
    const std::string path = joined(directory, name);
    void* library = openLibrary(path, true);
    if (library == nullptr)
      throw std::runtime_error("cannot load the virtual device: " + loadError(path));
    if (scanner == nullptr) scanner = library;
  }
  // The declarations in virtual_device.h give the types; nothing is linked.
  session->pushLabel =
      reinterpret_cast<decltype(&vdev_scan_push_label)>(symbolOf(scanner, "vdev_scan_push_label"));
  session->waitIdle =
      reinterpret_cast<decltype(&vdev_scan_wait_idle)>(symbolOf(scanner, "vdev_scan_wait_idle"));
  session->scannerEnabled =
      reinterpret_cast<decltype(&vdev_scan_enabled)>(symbolOf(scanner, "vdev_scan_enabled"));
  if (session->pushLabel == nullptr || session->waitIdle == nullptr ||
      session->scannerEnabled == nullptr) {
    throw std::runtime_error(joined(directory, kVirtualLibraries[0]) +
                             " is not the virtual device: it lacks its control functions");
  }
}

NewScannerFunction loadPlugin(const std::string& given) {
  const std::string path = given.empty() ? defaultPluginPath() : given;
  // A bare name would be looked up on the library search path; the plug-in
  // is named by its file.
  const bool bare = path.find_first_of("/\\") == std::string::npos;
  const std::string file = bare ? std::string(".") + kSeparator + path : path;
  void* library = openLibrary(file, false);
  if (library == nullptr) throw std::runtime_error("cannot load the plug-in: " + loadError(file));
  const auto newScanner = reinterpret_cast<NewScannerFunction>(symbolOf(library, "NewScanner"));
  if (newScanner == nullptr) {
    throw std::runtime_error(path + " is not a scanner plug-in: it does not export NewScanner");
  }
  return newScanner;
}

}  // namespace scanhost

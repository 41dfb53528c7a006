#include "loader.h"

#include <algorithm>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

#include "device/vendor_abi.h"
#include "virtual_device.h"

// The build defines SCANHOST_PLUGIN_FILE, the plug-in's file name, and
// SCANHOST_INSTALLED_PLUGIN_DIR, the installed plug-in's directory seen from
// the installed scanhost.

namespace scanhost {

namespace {

#if defined(_WIN32)
const char kSeparator = '\\';

void* openLibrary(const std::string& path, bool) {
  std::wstring wide(path.size() + 1, L'\0');  // the system's code page, one unit a byte at most
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  return reinterpret_cast<void*>(LoadLibraryW(wide.c_str()));
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
  if (exists(joined(buildTree, kVendorLibraryFiles[0]))) return buildTree;
  return besideTheProgram(SCANHOST_INSTALLED_PLUGIN_DIR "/virtual");
}

std::string defaultPluginPath() {
  const std::string buildTree = joined(besideTheProgram("../lib"), SCANHOST_PLUGIN_FILE);
  if (exists(buildTree)) return buildTree;
  return joined(besideTheProgram(SCANHOST_INSTALLED_PLUGIN_DIR), SCANHOST_PLUGIN_FILE);
}

}  // namespace

bool loadVirtualDevice(const std::string& given, Session* session, std::string* error) {
  const std::string directory = given.empty() ? defaultVirtualDirectory() : given;
  void* scanner = nullptr;
  for (const char* name : kVendorLibraryFiles) {
    const std::string path = joined(directory, name);
    void* library = openLibrary(path, true);
    if (library == nullptr) {
      *error = "cannot load the virtual device: " + loadError(path);
      return false;
    }
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
    *error = joined(directory, kVendorLibraryFiles[0]) +
             " is not the virtual device: it lacks its control functions";
    return false;
  }
  return true;
}

NewScannerFunction loadPlugin(const std::string& given, std::string* error) {
  const std::string path = given.empty() ? defaultPluginPath() : given;
  // A bare name would be looked up on the library search path; the plug-in
  // is named by its file.
  const bool bare = path.find_first_of("/\\") == std::string::npos;
  const std::string file = bare ? std::string(".") + kSeparator + path : path;
  void* library = openLibrary(file, false);
  if (library == nullptr) {
    *error = "cannot load the plug-in: " + loadError(file);
    return nullptr;
  }
  const auto newScanner = reinterpret_cast<NewScannerFunction>(symbolOf(library, "NewScanner"));
  if (newScanner == nullptr) {
    *error = path + " is not a scanner plug-in: it does not export NewScanner";
  }
  return newScanner;
}

}  // namespace scanhost

#include "loader.h"

#include <algorithm>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <unistd.h>
#endif

#include "device/vendor_abi.h"

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
std::string moduleFile(HMODULE module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? "" : std::string(path, length);
}
std::string programPath() { return moduleFile(nullptr); }
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

// The control function `name` of the library `library`, typed as `slot`.
template <typename Function>
void find(void* library, const char* name, Function* slot) {
  *slot = reinterpret_cast<Function>(symbolOf(library, name));
}

}  // namespace

bool loadDeviceLibraries(const std::string& given, DeviceLibraries* libraries, std::string* error) {
  libraries->directory = given.empty() ? defaultVirtualDirectory() : given;
  void* loaded[VENDOR_LIBRARY_COUNT] = {};
  for (int i = 0; i < VENDOR_LIBRARY_COUNT; ++i) {
    const std::string path = joined(libraries->directory, kVendorLibraryFiles[i]);
    loaded[i] = openLibrary(path, true);
    if (loaded[i] == nullptr) {
      *error = loadError(path);
      return false;
    }
  }
  VirtualControls& controls = libraries->controls;
  void* scanner = loaded[VENDOR_LIBRARY_SCANNER];
  void* device = loaded[VENDOR_LIBRARY_DEVICE];
  find(scanner, "vdev_scan_push_label", &controls.pushLabel);
  find(scanner, "vdev_scan_wait_idle", &controls.waitIdle);
  find(scanner, "vdev_scan_enabled", &controls.scannerEnabled);
  find(scanner, "vdev_scan_wait_blocked", &controls.waitBlocked);
  find(scanner, "vdev_scan_blocked_reads", &controls.blockedReads);
  find(scanner, "vdev_scan_set_ignore_cancel", &controls.setIgnoreCancel);
  find(scanner, "vdev_scan_release_reads", &controls.releaseReads);
  find(scanner, "vdev_scan_inject_result", &controls.injectResult);
  find(scanner, "vdev_scan_clear_results", &controls.clearResults);
  find(device, "vdev_config_fail_open", &controls.failConfigOpen);
  find(device, "vdev_config_open_objects", &controls.configOpenObjects);
  libraries->isVirtual = controls.pushLabel != nullptr && controls.waitIdle != nullptr &&
                         controls.scannerEnabled != nullptr && controls.waitBlocked != nullptr &&
                         controls.blockedReads != nullptr && controls.setIgnoreCancel != nullptr &&
                         controls.releaseReads != nullptr && controls.injectResult != nullptr &&
                         controls.clearResults != nullptr && controls.failConfigOpen != nullptr &&
                         controls.configOpenObjects != nullptr;
  return true;
}

bool loadVirtualDevice(const std::string& given, Session* session, std::string* error) {
  DeviceLibraries libraries;
  if (!loadDeviceLibraries(given, &libraries, error)) {
    *error = "cannot load the virtual device: " + *error;
    return false;
  }
  if (!libraries.isVirtual) {
    *error = joined(libraries.directory, kVendorLibraryFiles[0]) +
             " is not the virtual device: it lacks its control functions";
    return false;
  }
  session->pushLabel = libraries.controls.pushLabel;
  session->waitIdle = libraries.controls.waitIdle;
  session->scannerEnabled = libraries.controls.scannerEnabled;
  return true;
}

std::string pluginPath(const std::string& given) {
  if (!given.empty()) return given;
  const std::string buildTree = joined(besideTheProgram("../lib"), SCANHOST_PLUGIN_FILE);
  if (exists(buildTree)) return buildTree;
  return joined(besideTheProgram(SCANHOST_INSTALLED_PLUGIN_DIR), SCANHOST_PLUGIN_FILE);
}

NewScannerFunction loadPlugin(const std::string& given, std::string* error) {
  const std::string path = pluginPath(given);
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

std::string loadedLibraryPath(const char* file) {
#if defined(_WIN32)
  const HMODULE module = GetModuleHandleA(file);
  return module == nullptr ? "" : moduleFile(module);
#else
  // RTLD_NOLOAD finds a library already loaded under that name, its own
  // or the one it was opened by, and loads nothing.
  void* library = dlopen(file, RTLD_LAZY | RTLD_NOLOAD);
  if (library == nullptr) return "";
  link_map* map = nullptr;
  std::string path;
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr) {
    path = map->l_name;
  }
  dlclose(library);
  return path;
#endif
}

}  // namespace scanhost

#include "device_parts.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vdev {

namespace {

#if defined(_WIN32)
const wchar_t kConfigLibrary[] = L"ITCAdcDevMgmt.dll";
const wchar_t kSettingsLibrary[] = L"ITCSSApi.DLL";

// A reference of our own, so the library cannot go while a command runs.
void* Hold(const wchar_t* name) {
  HMODULE module = nullptr;
  return GetModuleHandleExW(0, name, &module) ? module : nullptr;
}
void Let(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
void* Symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
#else
const char kConfigLibrary[] = "libITCAdcDevMgmt.so";
const char kSettingsLibrary[] = "libITCSSApi.so";

void* Hold(const char* name) { return dlopen(name, RTLD_NOW | RTLD_NOLOAD); }
void Let(void* library) { dlclose(library); }
void* Symbol(void* library, const char* name) { return dlsym(library, name); }
#endif

template <typename Function>
bool Find(void* library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(Symbol(library, name));
  return *function != nullptr;
}

}  // namespace

OtherParts::OtherParts() {
  config_ = Hold(kConfigLibrary);
  ConfigControls& c = configControls_;
  if (config_ != nullptr && !(Find(config_, "vdev_config_field_count", &c.fieldCount) &&
                              Find(config_, "vdev_config_field", &c.field) &&
                              Find(config_, "vdev_config_length_list", &c.lengthList) &&
                              Find(config_, "vdev_config_log_size", &c.logSize) &&
                              Find(config_, "vdev_config_log_entry", &c.logEntry) &&
                              Find(config_, "vdev_config_open_objects", &c.openObjects) &&
                              Find(config_, "vdev_config_fail_get", &c.failGet) &&
                              Find(config_, "vdev_config_fail_set", &c.failSet) &&
                              Find(config_, "vdev_config_fail_open", &c.failOpen))) {
    Let(config_);  // a library of that name, but not the virtual device's
    config_ = nullptr;
  }
  settings_ = Hold(kSettingsLibrary);
  SettingsControls& s = settingsControls_;
  if (settings_ != nullptr &&
      !(Find(settings_, "vdev_settings_good_read_beeps", &s.goodReadBeeps) &&
        Find(settings_, "vdev_settings_calls", &s.calls) &&
        Find(settings_, "vdev_settings_last_request", &s.lastRequest) &&
        Find(settings_, "vdev_settings_inject_result", &s.injectResult))) {
    Let(settings_);
    settings_ = nullptr;
  }
}

OtherParts::~OtherParts() {
  if (config_ != nullptr) Let(config_);
  if (settings_ != nullptr) Let(settings_);
}

}  // namespace vdev

// The control endpoint lives in the scanner driver's library; the device
// configuration and the settings service are libraries of their own, which
// a process may not have loaded (or may have unloaded). Their control
// functions are looked up, for the length of one command, in the library
// already loaded under its name; nothing is loaded that was not.
#ifndef VDEV_DEVICE_PARTS_H
#define VDEV_DEVICE_PARTS_H

#include "virtual_device.h"

namespace vdev {

struct ConfigControls {
  decltype(&vdev_config_field_count) fieldCount = nullptr;
  decltype(&vdev_config_field) field = nullptr;
  decltype(&vdev_config_length_list) lengthList = nullptr;
  decltype(&vdev_config_log_size) logSize = nullptr;
  decltype(&vdev_config_log_entry) logEntry = nullptr;
  decltype(&vdev_config_open_objects) openObjects = nullptr;
  decltype(&vdev_config_fail_get) failGet = nullptr;
  decltype(&vdev_config_fail_set) failSet = nullptr;
  decltype(&vdev_config_fail_open) failOpen = nullptr;
};

struct SettingsControls {
  decltype(&vdev_settings_good_read_beeps) goodReadBeeps = nullptr;
  decltype(&vdev_settings_calls) calls = nullptr;
  decltype(&vdev_settings_last_request) lastRequest = nullptr;
  decltype(&vdev_settings_inject_result) injectResult = nullptr;
};

// The other two parts while an object of this class lives: each set of
// controls is whole, or `loaded` says the library is not in the process.
class OtherParts {
 public:
  OtherParts();
  ~OtherParts();
  OtherParts(const OtherParts&) = delete;
  OtherParts& operator=(const OtherParts&) = delete;

  bool configLoaded() const { return config_ != nullptr; }
  bool settingsLoaded() const { return settings_ != nullptr; }
  const ConfigControls& config() const { return configControls_; }
  const SettingsControls& settings() const { return settingsControls_; }

 private:
  void* config_ = nullptr;
  void* settings_ = nullptr;
  ConfigControls configControls_;
  SettingsControls settingsControls_;
};

}  // namespace vdev

#endif  // VDEV_DEVICE_PARTS_H

// Loading the plug-in and the virtual device as a host does, on Linux
// (dlopen) and Windows (LoadLibrary), and where scanhost finds them by
// default: beside the build tree's bin/ (lib/, virtual/) or in the installed
// layout (the plug-in's directory under the library directory, the virtual
// device in its virtual/), whichever holds them.
#ifndef SCANHOST_LOADER_H
#define SCANHOST_LOADER_H

#include <stdint.h>

#include <string>

#include "operations.h"
#include "virtual_device.h"

namespace scanhost {

// The virtual device's control functions scanhost uses: pushing labels for
// run and check, and the fault controls of check's fault cases. Null when the
// libraries are not the virtual device's. The declarations in
// virtual_device.h give their types and meaning; nothing is linked.
struct VirtualControls {
  decltype(&vdev_scan_push_label) pushLabel = nullptr;
  decltype(&vdev_scan_wait_idle) waitIdle = nullptr;
  decltype(&vdev_scan_enabled) scannerEnabled = nullptr;
  decltype(&vdev_scan_wait_blocked) waitBlocked = nullptr;
  decltype(&vdev_scan_blocked_reads) blockedReads = nullptr;
  decltype(&vdev_scan_set_ignore_cancel) setIgnoreCancel = nullptr;
  decltype(&vdev_scan_release_reads) releaseReads = nullptr;
  decltype(&vdev_scan_inject_result) injectResult = nullptr;
  decltype(&vdev_scan_clear_results) clearResults = nullptr;
  decltype(&vdev_config_fail_open) failConfigOpen = nullptr;
  decltype(&vdev_config_open_objects) configOpenObjects = nullptr;
};

// The three vendor libraries as loaded from one directory.
struct DeviceLibraries {
  std::string directory;
  bool isVirtual = false;  // every control function was found
  VirtualControls controls;
};

// Loads the three vendor libraries from `directory` (empty: the virtual
// device's default one), so that the plug-in's own lookup of the driver
// finds each one already loaded under its name, and looks up the virtual
// device's control functions in them. False, saying what failed in `error`,
// when a library cannot be loaded.
bool loadDeviceLibraries(const std::string& directory, DeviceLibraries* libraries,
                         std::string* error);
// loadDeviceLibraries for the virtual device, putting the control functions
// the host needs into `session`; false as well when the libraries are not the
// virtual device.
bool loadVirtualDevice(const std::string& directory, Session* session, std::string* error);
// The path loadPlugin loads for `given` (empty: the default one).
std::string pluginPath(const std::string& given);
// Loads the plug-in from `path` (empty: the default one) and resolves its
// one export; null, saying what failed in `error`, when it cannot.
NewScannerFunction loadPlugin(const std::string& path, std::string* error);
// Where the library the process knows by the file name `file` was loaded
// from; empty when no such library is loaded.
std::string loadedLibraryPath(const char* file);

}  // namespace scanhost

#endif  // SCANHOST_LOADER_H

// Loading the plug-in and the virtual device as a host does, on Linux
// (dlopen) and Windows (LoadLibrary), and where scanhost finds them by
// default.
#ifndef SCANHOST_LOADER_H
#define SCANHOST_LOADER_H

#include <string>

#include "host.h"

namespace scanhost {

// Loads the three libraries of the virtual device from `directory`, so that
// the plug-in's own lookup of the driver finds each one already loaded under
// its name, and puts the control functions the host needs into `session`.
bool loadVirtualDevice(const std::string& directory, Session* session, std::string* error);
// Loads the plug-in and resolves its one export.
bool loadPlugin(const std::string& path, NewScannerFunction* newScanner, std::string* error);

// Where the plug-in and the virtual device are when scanhost is not told:
// beside the build tree's bin/ (lib/, virtual/) or in the installed layout
// (the plug-in's directory under the library directory, the virtual device
// in its virtual/), whichever holds them.
std::string defaultPluginPath();
std::string defaultVirtualDirectory();

}  // namespace scanhost

#endif  // SCANHOST_LOADER_H

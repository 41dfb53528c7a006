// Loading the plug-in and the virtual device as a host does, on Linux
// (dlopen) and Windows (LoadLibrary), and where scanhost finds them by
// default: beside the build tree's bin/ (lib/, virtual/) or in the installed
// layout (the plug-in's directory under the library directory, the virtual
// device in its virtual/), whichever holds them.
#ifndef SCANHOST_LOADER_H
#define SCANHOST_LOADER_H

#include <string>

#include "operations.h"

namespace scanhost {

// Loads the three libraries of the virtual device from `directory` (empty:
// the default one), so that the plug-in's own lookup of the driver finds
// each one already loaded under its name, and puts the control functions the
// host needs into `session`. False, saying what failed in `error`, when it
// cannot.
bool loadVirtualDevice(const std::string& directory, Session* session, std::string* error);
// Loads the plug-in from `path` (empty: the default one) and resolves its
// one export; null, saying what failed in `error`, when it cannot.
NewScannerFunction loadPlugin(const std::string& path, std::string* error);

}  // namespace scanhost

#endif  // SCANHOST_LOADER_H

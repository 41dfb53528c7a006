// What the endpoint's commands do to the virtual device, and what they
// answer. Behind an interface, so that a session can be driven (and fuzzed)
// without a device.
#ifndef VDEV_CONTROL_COMMANDS_H
#define VDEV_CONTROL_COMMANDS_H

#include <stdint.h>

#include <string>

#include "control_protocol.h"

namespace vdev {
namespace control {

// What one client's session remembers between commands: whether it
// follows the device, and what it was last shown.
struct Watch {
  bool on = false;
  uint32_t logNext = 0;  // the next call-log entry to show
  std::string driver;    // the driver line last shown
  std::string settings;  // the settings line last shown
};

class Device {
 public:
  virtual ~Device() = default;
  // Does `command` and appends its answer: lines of data, then one line
  // starting "ok" or "error".
  virtual void Run(const Command& command, Watch* watch, std::string* reply) = 0;
  // For a watching session: a line for each change since the last call.
  virtual void Follow(Watch* watch, std::string* out) = 0;
};

// The virtual device of this process. Its commands run on the endpoint's
// thread alone.
Device& VirtualDevice();

}  // namespace control
}  // namespace vdev

#endif  // VDEV_CONTROL_COMMANDS_H

// One client of the endpoint: the bytes it writes cut into lines, each
// line parsed and run, the answers waiting to be sent. No sockets here; the
// endpoint moves the bytes.
//
// A bad line (an unknown command, a malformed argument or escape, a line
// too long) gets one error line and changes nothing. A client that writes
// control bytes is not speaking the protocol: it gets one error line and the
// session ends. So does a client that lets its answers pile up unread.
#ifndef VDEV_CONTROL_SESSION_H
#define VDEV_CONTROL_SESSION_H

#include <stddef.h>

#include <string>

#include "control_commands.h"

namespace vdev {
namespace control {

// Answers held for a client that does not read before it is dropped.
constexpr size_t kMaxPending = 1 << 20;

class Session {
 public:
  explicit Session(Device& device) : device_(device) {}

  // Takes what the client wrote.
  void Feed(const char* data, size_t size);
  // A watching client's news since the last call.
  void Tick() { device_.Follow(&watch_, &output_); }

  // Bytes to send; the endpoint erases what it sent.
  std::string& output() { return output_; }
  // Once true, the endpoint sends what is left of the output and closes.
  bool ending() const { return ending_; }
  // A watching client is never idle.
  bool watching() const { return watch_.on; }
  // True when the client let more than kMaxPending bytes of answers pile up:
  // close without sending more.
  bool overflowing() const { return output_.size() > kMaxPending; }

 private:
  void Line(const char* line, size_t length);

  Device& device_;
  Watch watch_;
  std::string line_;       // an unfinished line
  bool skipping_ = false;  // the rest of an over-long line, answered already
  bool ending_ = false;
  std::string output_;
};

}  // namespace control
}  // namespace vdev

#endif  // VDEV_CONTROL_SESSION_H

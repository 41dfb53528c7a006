// The control endpoint: a thread of its own that listens where
// ZORVAN_VIRTUAL_ENDPOINT says (virtual_endpoint.h) and runs a Session for
// each client. One transport a platform: a Unix-domain socket
// (control_endpoint_posix.cpp), a named pipe (control_endpoint_win32.cpp).
#ifndef VDEV_CONTROL_ENDPOINT_H
#define VDEV_CONTROL_ENDPOINT_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <chrono>
#include <string>

namespace vdev {

// Starts the endpoint, once a process, when the variable names one; called on
// the first use of the scanner driver. It only reads the variable and starts
// the thread: everything else, and every failure (told on standard error),
// happens there, so no vendor call waits for it. Stopped at process exit.
void StartControlEndpoint();

namespace endpoint {

// Clients served at once; one more gets an error line and is closed.
constexpr int kMaxClients = 16;
// How often the endpoint's thread looks for news for watching clients, and
// how often it checks that it is to stop.
constexpr int kTickMs = 50;
// A client that writes nothing for this long, and does not watch, is closed.
constexpr uint32_t kIdleMs = 300000;
// What a closing client's last answer may take to go out.
constexpr uint32_t kFlushMs = 1000;
// Bytes read from a client at a time.
constexpr size_t kReadChunk = 65536;

using Clock = std::chrono::steady_clock;

inline uint32_t MsSince(Clock::time_point then) {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - then).count());
}

// What goes wrong in the endpoint is told on standard error, never to a
// vendor call.
inline void Tell(const std::string& what) {
  fprintf(stderr, "virtual device: control endpoint: %s\n", what.c_str());
}

}  // namespace endpoint
}  // namespace vdev

#endif  // VDEV_CONTROL_ENDPOINT_H

/* Where the virtual device's control endpoint listens, shared by the
 * endpoint and its clients (scanhost device, scanhost panel).
 *
 * The endpoint is off unless the environment variable ZORVAN_VIRTUAL_ENDPOINT
 * names one when the process first uses the virtual scanner driver. The
 * value is a name: letters, digits, '.', '_' and '-', up to 64 of them. On
 * Linux it stands for a Unix-domain socket in a directory only the user can
 * enter: $XDG_RUNTIME_DIR/zorvan-virtual/NAME, or without XDG_RUNTIME_DIR
 * /tmp/zorvan-virtual-UID/NAME; a value holding a '/' is that socket's path
 * itself. On Windows it stands for the named pipe
 * \\.\pipe\zorvan-virtual-NAME; a value starting \\.\pipe\ is the pipe's
 * name itself. */
#ifndef VIRTUAL_ENDPOINT_H
#define VIRTUAL_ENDPOINT_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <string>

#define VDEV_ENDPOINT_VARIABLE "ZORVAN_VIRTUAL_ENDPOINT"

namespace vdev {

/* The directory the endpoints of a name live in (Linux; empty on Windows). */
inline std::string EndpointDirectory() {
#if defined(_WIN32)
  return "";
#else
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/zorvan-virtual";
  return "/tmp/zorvan-virtual-" + std::to_string(static_cast<unsigned long>(getuid()));
#endif
}

/* The socket path or pipe name `value` stands for; false, saying why in
 * `error`, when it is neither a name nor such a path. */
inline bool EndpointAddress(const std::string& value, std::string* address, std::string* error) {
#if defined(_WIN32)
  const std::string kPipes = "\\\\.\\pipe\\";
  if (value.compare(0, kPipes.size(), kPipes) == 0 && value.size() > kPipes.size()) {
    *address = value;
    return true;
  }
#else
  if (value.find('/') != std::string::npos) {
    // sun_path holds 108 bytes, the terminating zero included.
    if (value.size() > 107) {
      *error = "socket path longer than 107 bytes";
      return false;
    }
    *address = value;
    return true;
  }
#endif
  const bool named =
      !value.empty() && value.size() <= 64 &&
      strspn(value.c_str(), "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-") ==
          value.size() &&
      value != "." && value != "..";
  if (!named) {
    *error = "endpoint name '" + value.substr(0, 64) +
             "' is not 1 to 64 letters, digits, '.', '_' or '-'";
    return false;
  }
#if defined(_WIN32)
  *address = "\\\\.\\pipe\\zorvan-virtual-" + value;
#else
  *address = EndpointDirectory() + "/" + value;
  if (address->size() > 107) {
    *error = "socket path " + *address + " longer than 107 bytes";
    return false;
  }
#endif
  return true;
}

}  // namespace vdev

#endif /* VIRTUAL_ENDPOINT_H */

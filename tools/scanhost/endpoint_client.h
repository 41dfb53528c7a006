// A client of the virtual device's control endpoint (virtual_endpoint.h):
// one connection, lines out, lines back, every wait bounded.
#ifndef SCANHOST_ENDPOINT_CLIENT_H
#define SCANHOST_ENDPOINT_CLIENT_H

#include <stdint.h>

#include <string>

namespace scanhost {

class EndpointClient {
 public:
  enum class Read { kLine, kClosed, kTimeout };

  EndpointClient() = default;
  ~EndpointClient();
  EndpointClient(const EndpointClient&) = delete;
  EndpointClient& operator=(const EndpointClient&) = delete;

  // Connects to the socket or pipe `address`, waiting up to `timeoutMs` for
  // one that is not there yet or busy; false, saying why in `error`.
  bool connect(const std::string& address, uint32_t timeoutMs, std::string* error);
  // Sends `line` and a line feed; false when the endpoint has gone.
  bool send(const std::string& line) { return write(line + "\n"); }
  // Sends `bytes` as they are.
  bool write(const std::string& bytes);
  // The next line the endpoint sends, without its line feed.
  Read readLine(std::string* line, uint32_t timeoutMs);

 private:
  bool fill(uint32_t timeoutMs, Read* why);

  std::string buffer_;
#if defined(_WIN32)
  void* pipe_ = nullptr;
  void* event_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// The address an endpoint name (or path) stands for, from `given` or else
// the environment variable; false, saying why in `error`.
bool endpointAddress(const std::string& given, std::string* address, std::string* error);

}  // namespace scanhost

#endif  // SCANHOST_ENDPOINT_CLIENT_H

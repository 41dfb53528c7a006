#include "endpoint_client.h"

#include <stdlib.h>
#include <string.h>

#include <chrono>

#if defined(_WIN32)
#include <windows.h>
#else
#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "virtual_endpoint.h"

namespace scanhost {

namespace {

using Clock = std::chrono::steady_clock;

uint32_t msLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<uint32_t>(left.count()) : 0;
}

}  // namespace

bool endpointAddress(const std::string& given, std::string* address, std::string* error) {
  std::string value = given;
  if (value.empty()) {
    const char* variable = getenv(VDEV_ENDPOINT_VARIABLE);
    value = variable != nullptr ? variable : "";
  }
  if (value.empty()) {
    *error = "no endpoint: give --endpoint NAME or set " VDEV_ENDPOINT_VARIABLE;
    return false;
  }
  return vdev::EndpointAddress(value, address, error);
}

#if defined(_WIN32)

EndpointClient::~EndpointClient() {
  if (pipe_ != nullptr) CloseHandle(pipe_);
  if (event_ != nullptr) CloseHandle(event_);
}

bool EndpointClient::connect(const std::string& address, uint32_t timeoutMs, std::string* error) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    HANDLE pipe = CreateFileA(address.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
      pipe_ = pipe;
      event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      return event_ != nullptr;
    }
    const DWORD why = GetLastError();
    // Not there yet (a host starting up) or busy: tried again until the time is up.
    if (msLeft(deadline) > 0 && why == ERROR_FILE_NOT_FOUND) {
      Sleep(20);
      continue;
    }
    if (why != ERROR_PIPE_BUSY || msLeft(deadline) == 0) {
      *error = why == ERROR_PIPE_BUSY
                   ? "the endpoint " + address + " stayed busy"
                   : "no endpoint at " + address + " (is the host running with " +
                         VDEV_ENDPOINT_VARIABLE + " set?)";
      return false;
    }
    WaitNamedPipeA(address.c_str(), msLeft(deadline) < 100 ? msLeft(deadline) : 100);
  }
}

bool EndpointClient::write(const std::string& bytes) {
  OVERLAPPED overlapped = {};
  overlapped.hEvent = event_;
  DWORD written = 0;
  if (!WriteFile(pipe_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &overlapped) &&
      GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  if (WaitForSingleObject(event_, 10000) != WAIT_OBJECT_0) {
    CancelIo(pipe_);
    GetOverlappedResult(pipe_, &overlapped, &written, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe_, &overlapped, &written, FALSE) && written == bytes.size();
}

bool EndpointClient::fill(uint32_t timeoutMs, Read* why) {
  char chunk[4096];
  OVERLAPPED overlapped = {};
  overlapped.hEvent = event_;
  DWORD got = 0;
  if (!ReadFile(pipe_, chunk, sizeof chunk, nullptr, &overlapped) &&
      GetLastError() != ERROR_IO_PENDING) {
    *why = Read::kClosed;
    return false;
  }
  if (WaitForSingleObject(event_, timeoutMs) != WAIT_OBJECT_0) {
    CancelIo(pipe_);
    if (!GetOverlappedResult(pipe_, &overlapped, &got, TRUE) || got == 0) {
      *why = Read::kTimeout;
      return false;
    }
  } else if (!GetOverlappedResult(pipe_, &overlapped, &got, FALSE) || got == 0) {
    *why = Read::kClosed;
    return false;
  }
  buffer_.append(chunk, got);
  return true;
}

#else

EndpointClient::~EndpointClient() {
  if (fd_ >= 0) close(fd_);
}

bool EndpointClient::connect(const std::string& address, uint32_t timeoutMs, std::string* error) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  sockaddr_un where = {};
  where.sun_family = AF_UNIX;
  memcpy(where.sun_path, address.c_str(), address.size() + 1);
  // Non-blocking: a listener whose backlog is full (a host that is stopped)
  // answers EAGAIN. That, and an endpoint not there yet (a host starting up),
  // are tried again until the time is up.
  for (;;) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) break;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0) return true;
    const int why = errno;
    close(fd_);
    fd_ = -1;
    errno = why;
    if ((why != EAGAIN && why != ENOENT && why != ECONNREFUSED) || msLeft(deadline) == 0) break;
    usleep(20000);
  }
  *error = "no endpoint at " + address + " (" + strerror(errno) + "; is the host running with " +
           VDEV_ENDPOINT_VARIABLE + " set?)";
  return false;
}

bool EndpointClient::write(const std::string& bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    pollfd polled = {fd_, POLLOUT, 0};
    if (poll(&polled, 1, 10000) != 1) return false;
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool EndpointClient::fill(uint32_t timeoutMs, Read* why) {
  pollfd polled = {fd_, POLLIN, 0};
  const int ready = poll(&polled, 1, static_cast<int>(timeoutMs));
  if (ready == 0) {
    *why = Read::kTimeout;
    return false;
  }
  char chunk[4096];
  const ssize_t got = ready > 0 ? recv(fd_, chunk, sizeof chunk, 0) : -1;
  if (got <= 0) {
    *why = ready < 0 && errno == EINTR ? Read::kTimeout : Read::kClosed;
    return false;
  }
  buffer_.append(chunk, static_cast<size_t>(got));
  return true;
}

#endif

EndpointClient::Read EndpointClient::readLine(std::string* line, uint32_t timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const size_t end = buffer_.find('\n');
    if (end != std::string::npos) {
      *line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return Read::kLine;
    }
    Read why = Read::kTimeout;
    if (!fill(msLeft(deadline), &why)) return why;
  }
}

}  // namespace scanhost

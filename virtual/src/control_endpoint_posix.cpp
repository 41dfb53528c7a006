// The endpoint on Linux: a Unix-domain socket in a directory only the user
// can enter, served by one thread with poll(); every socket non-blocking.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control_endpoint.h"
#include "control_session.h"
#include "virtual_endpoint.h"

namespace vdev {

namespace {

using namespace endpoint;
// The socket's directory: made when missing, and then it must be a real
// directory of this user's that no one else may enter.
bool PrivateDirectory(const std::string& socketPath, std::string* error) {
  const size_t slash = socketPath.rfind('/');
  const std::string dir = slash == 0                   ? "/"
                          : slash == std::string::npos ? "."
                                                       : socketPath.substr(0, slash);
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = "cannot make " + dir + ": " + strerror(errno);
    return false;
  }
  struct stat info;
  if (lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
      (info.st_mode & 077) != 0) {
    *error = dir + " is not a directory of this user's that only the user can enter (mode 0700)";
    return false;
  }
  return true;
}

struct Client {
  explicit Client(int socket) : fd(socket), session(control::VirtualDevice()) {}
  ~Client() { close(fd); }
  int fd;
  control::Session session;
  Clock::time_point heard = Clock::now();
  bool gone = false;  // the client hung up
  bool ending = false;
  Clock::time_point endingSince;
};

class Endpoint {
 public:
  bool Start(const std::string& path) {
    path_ = path;
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    thread_ = std::thread([this] { Serve(); });
    return true;
  }

  // At exit: the thread is told, and ends within a tick; then the socket goes.
  void Stop() {
    stop_.store(true);
    const char byte = 0;
    ssize_t ignored = write(wake_[1], &byte, 1);
    (void)ignored;
    if (thread_.joinable()) thread_.join();
  }

 private:
  bool Listen(std::string* error) {
    if (!PrivateDirectory(path_, error)) return false;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    struct stat info;
    if (lstat(path_.c_str(), &info) == 0) {
      // Left over from a process that ended without stopping, or in use.
      const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const bool live = S_ISSOCK(info.st_mode) && probe >= 0 &&
                        connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      if (probe >= 0) close(probe);
      if (!S_ISSOCK(info.st_mode) || live) {
        *error = path_ + (live ? " is in use by another process" : " exists and is no socket");
        return false;
      }
      unlink(path_.c_str());
    }
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, kMaxClients) != 0) {
      *error = "cannot listen on " + path_ + ": " + strerror(errno);
      return false;
    }
    chmod(path_.c_str(), 0600);
    return true;
  }

  void Serve() {
    std::string error;
    if (!Listen(&error)) {
      Tell(error);
      if (listener_ >= 0) close(listener_);
      return;
    }
    std::vector<std::unique_ptr<Client>> clients;
    std::vector<pollfd> polled;
    while (!stop_.load()) {
      polled.assign({{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}});
      for (const auto& client : clients) {
        const bool sending = !client->session.output().empty();
        polled.push_back({client->fd, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0});
      }
      if (poll(polled.data(), polled.size(), kTickMs) < 0 && errno != EINTR) break;
      for (size_t i = 0; i < clients.size(); ++i) Handle(*clients[i], polled[i + 2].revents);
      for (auto& client : clients) client->session.Tick();
      for (auto& client : clients) {
        if (!Keep(*client)) client.reset();
      }
      clients.erase(std::remove(clients.begin(), clients.end(), nullptr), clients.end());
      if (polled[0].revents & POLLIN) Accept(&clients);
    }
    clients.clear();
    close(listener_);
    unlink(path_.c_str());
  }

  void Accept(std::vector<std::unique_ptr<Client>>* clients) {
    for (;;) {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) return;
      if (clients->size() >= static_cast<size_t>(kMaxClients)) {
        static const char kBusy[] = "error too many clients; try again later\n";
        ssize_t ignored = send(fd, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL);
        (void)ignored;
        close(fd);
        continue;
      }
      clients->push_back(std::make_unique<Client>(fd));
    }
  }

  // Reads what came, sends what waits. A client that hung up is ending.
  void Handle(Client& client, short events) {
    if (events & (POLLIN | POLLHUP | POLLERR)) {
      char buffer[kReadChunk];
      const ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
      if (got > 0) {
        client.heard = Clock::now();
        client.session.Feed(buffer, static_cast<size_t>(got));
      } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        client.gone = true;  // no one left to answer
      }
    }
    std::string& output = client.session.output();
    if (!output.empty() && !client.session.overflowing()) {
      const ssize_t sent = send(client.fd, output.data(), output.size(), MSG_NOSIGNAL);
      if (sent > 0) output.erase(0, static_cast<size_t>(sent));
    }
  }

  // Whether the client stays connected.
  bool Keep(Client& client) {
    if (client.gone || client.session.overflowing()) return false;
    if (client.session.ending() && !client.ending) {
      client.ending = true;
      client.endingSince = Clock::now();
    }
    if (client.ending) {
      return !client.session.output().empty() && MsSince(client.endingSince) < kFlushMs;
    }
    return client.session.watching() || MsSince(client.heard) < kIdleMs;
  }

  std::string path_;
  int wake_[2] = {-1, -1};
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Never destroyed: Stop, registered with atexit, ends its thread first.
Endpoint* running = nullptr;

void StopAtExit() { running->Stop(); }

// The library stays loaded to the end of the process once its thread runs:
// a host that unloads the driver must not pull the code from under it.
void PinThisLibrary() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&StopAtExit), &info) != 0 && info.dli_fname != nullptr) {
    dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
}

}  // namespace

void StartControlEndpoint() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* value = getenv(VDEV_ENDPOINT_VARIABLE);
    if (value == nullptr || value[0] == 0) return;
    std::string path;
    std::string error;
    if (!EndpointAddress(value, &path, &error)) return Tell(error);
    PinThisLibrary();
    running = new Endpoint();
    if (!running->Start(path)) return Tell("cannot start its thread");
    atexit(StopAtExit);
  });
}

}  // namespace vdev

// The endpoint on Windows: a named pipe that only this user may open, its
// instances served by one thread with overlapped I/O. At process exit the
// system ends the thread and closes the pipe; nothing is left behind.
#include <windows.h>
// After windows.h:
#include <sddl.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
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
// A security descriptor granting this user alone; null when it cannot be made.
PSECURITY_DESCRIPTOR UserOnly() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  alignas(TOKEN_USER) unsigned char buffer[256];
  DWORD size = 0;
  const BOOL got = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
  CloseHandle(token);
  char* sid = nullptr;
  if (!got || !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
    return nullptr;
  }
  const std::string sddl = std::string("D:P(A;;GA;;;") + sid + ")";
  LocalFree(sid);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return nullptr;
  }
  return descriptor;
}

// One instance of the pipe: waiting for a client, or serving one.
struct Slot {
  explicit Slot(HANDLE instance) : pipe(instance), session(control::VirtualDevice()) {
    reading.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    writing.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  ~Slot() {
    CancelIo(pipe);
    DWORD ignored = 0;
    if (readPending) GetOverlappedResult(pipe, &reading, &ignored, TRUE);
    if (writePending) GetOverlappedResult(pipe, &writing, &ignored, TRUE);
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);
    CloseHandle(reading.hEvent);
    CloseHandle(writing.hEvent);
  }
  HANDLE pipe;
  OVERLAPPED reading = {};  // the connect, then each read
  OVERLAPPED writing = {};
  bool connected = false;
  bool readPending = false;
  bool writePending = false;
  bool gone = false;
  bool ending = false;
  Clock::time_point heard = Clock::now();
  Clock::time_point endingSince;
  char in[kReadChunk];
  std::string out;  // being written
  control::Session session;
};

class Endpoint {
 public:
  bool Start(const std::string& name) {
    name_ = name;
    descriptor_ = UserOnly();
    if (descriptor_ == nullptr) {
      Tell("cannot make a security descriptor for this user");
      return false;
    }
    std::thread([this] { Serve(); }).detach();
    return true;
  }

 private:
  std::unique_ptr<Slot> Instance(bool first) {
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor_, FALSE};
    const DWORD open =
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    const DWORD mode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
    HANDLE pipe = CreateNamedPipeA(name_.c_str(), open, mode, PIPE_UNLIMITED_INSTANCES, 65536,
                                   65536, 0, &security);
    if (pipe == INVALID_HANDLE_VALUE) return nullptr;
    auto slot = std::make_unique<Slot>(pipe);
    if (ConnectNamedPipe(pipe, &slot->reading)) {
      SetEvent(slot->reading.hEvent);
    } else if (GetLastError() == ERROR_PIPE_CONNECTED) {
      SetEvent(slot->reading.hEvent);
    } else if (GetLastError() != ERROR_IO_PENDING) {
      return nullptr;
    }
    slot->readPending = true;
    return slot;
  }

  void Serve() {
    std::vector<std::unique_ptr<Slot>> slots;
    std::unique_ptr<Slot> waiting = Instance(true);
    if (waiting == nullptr) {
      return Tell(name_ + (GetLastError() == ERROR_ACCESS_DENIED
                               ? " is in use by another process"
                               : " cannot be made: error " + std::to_string(GetLastError())));
    }
    std::vector<HANDLE> events;
    for (;;) {
      events.assign({waiting->reading.hEvent});
      for (const auto& slot : slots) {
        if (slot->readPending) events.push_back(slot->reading.hEvent);
        if (slot->writePending) events.push_back(slot->writing.hEvent);
      }
      WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, kTickMs);
      for (auto& slot : slots) Handle(*slot);
      for (auto& slot : slots) slot->session.Tick();
      for (auto& slot : slots) {
        Send(*slot);
        if (!Keep(*slot)) slot.reset();
      }
      slots.erase(std::remove(slots.begin(), slots.end(), nullptr), slots.end());
      if (WaitForSingleObject(waiting->reading.hEvent, 0) == WAIT_OBJECT_0) {
        DWORD ignored = 0;
        waiting->readPending = false;
        if (GetOverlappedResult(waiting->pipe, &waiting->reading, &ignored, FALSE)) {
          waiting->connected = true;
          if (slots.size() >= static_cast<size_t>(kMaxClients)) {
            static const char kBusy[] = "error too many clients; try again later\n";
            waiting->out = kBusy;
            waiting->ending = true;
            waiting->endingSince = Clock::now();
          }
          ResetEvent(waiting->reading.hEvent);
          slots.push_back(std::move(waiting));
          Read(*slots.back());
        }
        waiting = Instance(false);
        if (waiting == nullptr) return Tell("cannot make another pipe instance");
      }
    }
  }

  void Read(Slot& slot) {
    if (slot.gone || slot.ending) return;
    ResetEvent(slot.reading.hEvent);
    if (!ReadFile(slot.pipe, slot.in, sizeof slot.in, nullptr, &slot.reading) &&
        GetLastError() != ERROR_IO_PENDING) {
      slot.gone = true;
      return;
    }
    slot.readPending = true;
  }

  void Handle(Slot& slot) {
    DWORD got = 0;
    if (slot.readPending && WaitForSingleObject(slot.reading.hEvent, 0) == WAIT_OBJECT_0) {
      slot.readPending = false;
      if (!GetOverlappedResult(slot.pipe, &slot.reading, &got, FALSE)) {
        slot.gone = true;  // the client closed its end
        return;
      }
      slot.heard = Clock::now();
      slot.session.Feed(slot.in, got);
      Read(slot);
    }
    if (slot.writePending && WaitForSingleObject(slot.writing.hEvent, 0) == WAIT_OBJECT_0) {
      slot.writePending = false;
      if (!GetOverlappedResult(slot.pipe, &slot.writing, &got, FALSE)) slot.gone = true;
      slot.out.clear();
    }
  }

  // One write at a time; what the session answers meanwhile waits in it.
  void Send(Slot& slot) {
    if (slot.writePending || slot.gone || slot.session.overflowing()) return;
    if (slot.out.empty()) slot.out.swap(slot.session.output());
    if (slot.out.empty()) return;
    ResetEvent(slot.writing.hEvent);
    if (!WriteFile(slot.pipe, slot.out.data(), static_cast<DWORD>(slot.out.size()), nullptr,
                   &slot.writing) &&
        GetLastError() != ERROR_IO_PENDING) {
      slot.gone = true;
      return;
    }
    slot.writePending = true;
  }

  bool Keep(Slot& slot) {
    if (slot.gone || slot.session.overflowing()) return false;
    if (slot.session.ending() && !slot.ending) {
      slot.ending = true;
      slot.endingSince = Clock::now();
    }
    if (slot.ending) {
      const bool unsent = slot.writePending || !slot.out.empty() || !slot.session.output().empty();
      return unsent && MsSince(slot.endingSince) < kFlushMs;
    }
    return slot.session.watching() || MsSince(slot.heard) < kIdleMs;
  }

  std::string name_;
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

// The library stays loaded to the end of the process once its thread runs.
void PinThisLibrary() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&PinThisLibrary), &self);
}

}  // namespace

void StartControlEndpoint() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* value = getenv(VDEV_ENDPOINT_VARIABLE);
    if (value == nullptr || value[0] == 0) return;
    std::string name;
    std::string error;
    if (!EndpointAddress(value, &name, &error)) return Tell(error);
    PinThisLibrary();
    static Endpoint* const endpoint = new Endpoint();
    endpoint->Start(name);
  });
}

}  // namespace vdev

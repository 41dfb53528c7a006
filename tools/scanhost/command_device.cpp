// device: one command to the virtual device's control endpoint of a running
// host, the answer printed. The endpoint's own table of commands checks the
// command line, so a command it would refuse is refused before connecting.
#include <stdio.h>

#include "commands.h"
#include "control_protocol.h"
#include "endpoint_client.h"

namespace scanhost {

namespace {

// How long device waits to connect and for an answer, unless --timeout says.
constexpr uint32_t kAnswerMs = 10000;

}  // namespace

Stop commandDevice(Job& job) {
  if (job.operands.empty()) {
    return Stop{kExitUsage,
                "device needs a command: scan, fail, stick, release, state, watch, ... "
                "(see scanhost --help)"};
  }
  std::string line;
  for (const std::string& word : job.operands) line += (line.empty() ? "" : " ") + word;
  vdev::control::Command command;
  std::string error;
  if (vdev::control::ParseLine(line.data(), line.size(), &command, &error) !=
      vdev::control::Parsed::kCommand) {
    return Stop{kExitUsage, "device " + error};
  }
  std::string address;
  if (!endpointAddress(job.value("endpoint"), &address, &error)) return Stop{kExitUsage, error};
  const bool watching = command.id == vdev::control::CommandId::kWatch;
  const uint32_t timeoutMs =
      job.has("timeout") ? static_cast<uint32_t>(std::stoul(job.value("timeout"))) : kAnswerMs;
  EndpointClient client;
  if (!client.connect(address, timeoutMs, &error)) return Stop{kExitFailure, error};
  if (!client.send(line)) return Stop{kExitFailure, "the endpoint " + address + " hung up"};
  // Lines of data, then "ok ..." or "error ..."; a watch goes on after its ok
  // until the host ends or the time given runs out.
  bool answered = false;
  for (;;) {
    std::string reply;
    const EndpointClient::Read read =
        client.readLine(&reply, watching && !job.has("timeout") ? 3600000 : timeoutMs);
    if (read == EndpointClient::Read::kTimeout && watching && (answered || !job.has("timeout"))) {
      if (job.has("timeout")) return {};
      continue;
    }
    if (read == EndpointClient::Read::kTimeout) {
      return Stop{kExitFailure,
                  "no answer from " + address + " within " + std::to_string(timeoutMs) + " ms"};
    }
    if (read == EndpointClient::Read::kClosed) {
      if (answered) return {};  // the watched host ended
      return Stop{kExitFailure, "the endpoint " + address + " closed before answering"};
    }
    if (answered) {
      printf("%s\n", reply.c_str());
      continue;
    }
    if (reply.compare(0, 6, "error ") == 0) {
      return Stop{kExitFailure, "the virtual device: " + reply.substr(6)};
    }
    if (reply == "ok" || reply.compare(0, 3, "ok ") == 0) {
      if (reply.size() > 3 && !watching) printf("%s\n", reply.c_str() + 3);
      if (!watching) return {};
      answered = true;
      continue;
    }
    printf("%s\n", reply.c_str());
  }
}

}  // namespace scanhost

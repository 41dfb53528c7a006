// panel: a page on 127.0.0.1 showing a running host's virtual handheld live
// and scanning into it, served with cpp-httplib. Every request is one
// connection to the control endpoint; the page polls /state and posts the
// commands a person gives to /command.
#include <httplib.h>
#include <signal.h>
#include <stdio.h>

#include <thread>

#include "commands.h"
#include "control_protocol.h"
#include "endpoint_client.h"
#include "panel_state.h"

namespace scanhost {

extern const char kPanelPage[];

namespace {

// How long a request waits for the endpoint.
constexpr uint32_t kEndpointMs = 2000;
constexpr int kDefaultPort = 8022;

// One command, its data lines and its last line; false, saying why in
// `error`, when the endpoint cannot be reached or does not answer.
bool ask(const std::string& address, const std::string& line, std::vector<std::string>* data,
         std::string* last, std::string* error) {
  EndpointClient client;
  // No waiting for a host that is not there: the page says so at once.
  if (!client.connect(address, 0, error)) return false;
  if (!client.send(line)) {
    *error = "the endpoint hung up";
    return false;
  }
  for (std::string reply;;) {
    if (client.readLine(&reply, kEndpointMs) != EndpointClient::Read::kLine) {
      *error = "no answer from the endpoint within " + std::to_string(kEndpointMs) + " ms";
      return false;
    }
    if (reply == "ok" || reply.compare(0, 3, "ok ") == 0 || reply.compare(0, 6, "error ") == 0) {
      *last = reply;
      return true;
    }
    if (data != nullptr) data->push_back(reply);
  }
}

// The commands the page may give: what a person does with a handheld.
bool fromThePage(vdev::control::CommandId id) {
  using vdev::control::CommandId;
  return id == CommandId::kScan || id == CommandId::kFail || id == CommandId::kStick ||
         id == CommandId::kRelease;
}

void serve(httplib::Server& server, const std::string& address, int port) {
  const std::string host = "127.0.0.1:" + std::to_string(port);
  const std::string localhost = "localhost:" + std::to_string(port);
  // Only this machine's pages: another site's page, even one whose name
  // resolves here, names another host.
  server.set_pre_routing_handler(
      [host, localhost](const httplib::Request& request, httplib::Response& response) {
        const std::string given = request.get_header_value("Host");
        if (given == host || given == localhost) return httplib::Server::HandlerResponse::Unhandled;
        response.status = 403;
        response.set_content("not this panel's host\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
      });
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    response.set_content(kPanelPage, "text/html; charset=utf-8");
  });
  server.Get("/state", [address](const httplib::Request& request, httplib::Response& response) {
    std::vector<std::string> state, log;
    std::string last, error;
    const std::string from = request.has_param("from") ? request.get_param_value("from") : "0";
    if (!ask(address, "state", &state, &last, &error) ||
        !ask(address, "log " + from, &log, &last, &error)) {
      response.status = 503;
      response.set_content("{\"error\":" + jsonString(error) + "}", "application/json");
      return;
    }
    response.set_header("Cache-Control", "no-store");
    response.set_content(panelStateJson(state, log), "application/json");
  });
  server.Post("/command", [address](const httplib::Request& request, httplib::Response& response) {
    // A header a page of another site cannot send without asking first.
    if (request.get_header_value("X-Panel") != "1") {
      response.status = 403;
      return;
    }
    const std::string& line = request.body;
    vdev::control::Command command;
    std::string error, last;
    const bool understood =
        vdev::control::ParseLine(line.data(), line.size(), &command, &error) ==
            vdev::control::Parsed::kCommand &&
        (fromThePage(command.id) || (error = "not a command of the panel's", false));
    const bool asked = understood && ask(address, line, nullptr, &last, &error);
    const bool ok = asked && last.compare(0, 2, "ok") == 0;
    response.set_content("{\"ok\":" + std::string(ok ? "true" : "false") +
                             ",\"answer\":" + jsonString(asked ? last : "error " + error) + "}",
                         "application/json");
  });
}

}  // namespace

Stop commandPanel(Job& job) {
  if (!job.operands.empty()) return Stop{kExitUsage, "panel takes no operands"};
  std::string address, error;
  if (!endpointAddress(job.value("endpoint"), &address, &error)) return Stop{kExitUsage, error};
  const int wanted = job.has("port") ? std::stoi(job.value("port")) : kDefaultPort;
  // SIGINT and SIGTERM end the panel: a thread of its own waits for them.
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGINT);
  sigaddset(&ending, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);
  httplib::Server server;
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);
  server.set_keep_alive_timeout(5);
  const int port = wanted == 0 ? server.bind_to_any_port("127.0.0.1")
                               : (server.bind_to_port("127.0.0.1", wanted) ? wanted : -1);
  if (port <= 0) {
    return Stop{kExitFailure, "cannot listen on 127.0.0.1 port " + std::to_string(wanted)};
  }
  serve(server, address, port);
  printf("panel: http://127.0.0.1:%d/ shows the virtual device at %s; Ctrl-C ends it\n", port,
         address.c_str());
  fflush(stdout);
  std::thread waiter([&server, ending] {
    int signal = 0;
    sigwait(&ending, &signal);
    server.stop();
  });
  const bool listened = server.listen_after_bind();
  pthread_kill(waiter.native_handle(), SIGTERM);  // if no signal ended it
  waiter.join();
  return listened ? Stop{} : Stop{kExitFailure, "the panel's server failed"};
}

}  // namespace scanhost

// scanhost panel as a person meets it: a host running with the endpoint,
// the panel serving its page, and a headless Chromium (driven over its
// DevTools pipe) typing a label and clicking Scan; the host must print the
// label and the page show it, UTF-8 as text. The page's screenshot is kept as
// PANEL_SHOT, its path printed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

extern char** environ;

namespace {

using json = nlohmann::json;
using Clock = std::chrono::steady_clock;

// Every wait of this test ends after this long.
constexpr int kWaitMs = 20000;

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Polls `done` every 50 ms for up to kWaitMs.
template <typename Done>
bool waitUntil(Done done) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
  while (Clock::now() < deadline) {
    if (done()) return true;
    usleep(50000);
  }
  return done();
}

// A child process; `fds` maps child descriptors to ours (dup2), `out` is
// its standard output and error.
struct Child {
  pid_t pid = 0;
  bool start(std::vector<std::string> words, const std::string& out,
             const std::vector<std::pair<int, int>>& fds, const std::string& environment = "") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    for (const auto& [child, ours] : fds) posix_spawn_file_actions_adddup2(&actions, ours, child);
    std::vector<std::string> env;
    if (!environment.empty()) env.push_back(environment);
    for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
    std::vector<char*> argv, envp;
    for (std::string& word : words) argv.push_back(&word[0]);
    for (std::string& e : env) envp.push_back(&e[0]);
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const bool started =
        posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started;
  }
  // The exit status within kWaitMs, else killed and -1.
  int wait() {
    int status = 0;
    if (pid == 0) return -1;
    if (!waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      pid = 0;
      return -1;
    }
    pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  ~Child() {
    if (pid != 0) kill(pid, SIGKILL), wait();
  }
};

// Chromium's DevTools protocol over --remote-debugging-pipe: JSON messages
// ending in a zero byte, commands on its descriptor 3, answers on 4.
class DevTools {
 public:
  bool start(const std::string& profile, const std::string& log) {
    int toChrome[2], fromChrome[2];
    if (pipe2(toChrome, O_CLOEXEC) != 0 || pipe2(fromChrome, O_CLOEXEC) != 0) return false;
    const bool started =
        chrome_.start({CHROMIUM_PATH, "--headless", "--no-sandbox", "--disable-gpu",
                       "--no-first-run", "--disable-extensions", "--remote-debugging-pipe",
                       "--user-data-dir=" + profile, "about:blank"},
                      log, {{3, toChrome[0]}, {4, fromChrome[1]}});
    close(toChrome[0]);
    close(fromChrome[1]);
    out_ = toChrome[1];
    in_ = fromChrome[0];
    return started;
  }
  ~DevTools() {
    if (out_ >= 0) close(out_);
    if (in_ >= 0) close(in_);
  }

  // Sends a command (to the page's session once attached) and returns its
  // result; a null result when it fails or no answer comes in time.
  json call(const std::string& method, const json& params = json::object()) {
    json message = {{"id", ++id_}, {"method", method}, {"params", params}};
    if (!session_.empty()) message["sessionId"] = session_;
    const std::string bytes = message.dump() + std::string(1, '\0');
    if (write(out_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) return {};
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
    for (;;) {
      const size_t end = buffer_.find('\0');
      if (end != std::string::npos) {
        const json answer = json::parse(buffer_.substr(0, end), nullptr, false);
        buffer_.erase(0, end + 1);
        if (answer.is_object() && answer.value("id", -1) == id_) {
          return answer.contains("result") ? answer["result"] : json();
        }
        continue;  // an event, or another session's answer
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd polled = {in_, POLLIN, 0};
      if (left <= 0 || poll(&polled, 1, static_cast<int>(left)) != 1) return {};
      char chunk[65536];
      const ssize_t got = read(in_, chunk, sizeof chunk);
      if (got <= 0) return {};
      buffer_.append(chunk, static_cast<size_t>(got));
    }
  }

  // Opens `url` in a page of its own and talks to that page from now on.
  bool open(const std::string& url) {
    const json target = call("Target.createTarget", {{"url", url}});
    if (!target.contains("targetId")) return false;
    const json attached =
        call("Target.attachToTarget", {{"targetId", target["targetId"]}, {"flatten", true}});
    if (!attached.contains("sessionId")) return false;
    session_ = attached["sessionId"];
    return true;
  }

  // The value of a JavaScript expression in the page.
  json evaluate(const std::string& expression) {
    const json result =
        call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
    return result.contains("result") ? result["result"].value("value", json()) : json();
  }

  void closeBrowser() {
    session_.clear();
    call("Browser.close");
  }
  int wait() { return chrome_.wait(); }

 private:
  Child chrome_;
  int out_ = -1;
  int in_ = -1;
  int id_ = 0;
  std::string session_;
  std::string buffer_;
};

std::string base64Decode(const std::string& text) {
  static const std::string kDigits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    const size_t digit = kDigits.find(c);
    if (digit == std::string::npos) continue;  // padding
    bits = bits << 6 | static_cast<uint32_t>(digit);
    if ((count += 6) >= 8) out.push_back(static_cast<char>(bits >> (count -= 8)));
  }
  return out;
}

TEST(PanelTest, ALabelScannedOnThePageReachesTheHost) {
  if (std::string(CHROMIUM_PATH).empty()) {
    if (getenv("ZORVAN_CI") != nullptr) FAIL() << "CI runs this test: install chromium";
    GTEST_SKIP() << "chromium not found";
  }
  const std::string dir = ::testing::TempDir() + "panel_" + std::to_string(getpid());
  ASSERT_EQ(0, system(("rm -rf " + dir + " && mkdir -p " + dir).c_str()));
  const std::string endpoint = "panel-test-" + std::to_string(getpid());

  int input[2];
  ASSERT_EQ(0, pipe2(input, O_CLOEXEC));
  Child host;
  ASSERT_TRUE(host.start({SCANHOST_PATH, "run", "-"}, dir + "/host.out", {{0, input[0]}},
                         "ZORVAN_VIRTUAL_ENDPOINT=" + endpoint));
  close(input[0]);
  const auto hostSays = [&](const std::string& pattern) {
    return std::regex_search(readFile(dir + "/host.out"), std::regex(pattern));
  };
  ASSERT_TRUE(waitUntil([&] { return hostSays("EnableScanner -> 0"); }));

  Child panel;
  ASSERT_TRUE(panel.start({SCANHOST_PATH, "--endpoint", endpoint, "--port", "0", "panel"},
                          dir + "/panel.out", {}));
  std::smatch url;
  std::string said;
  ASSERT_TRUE(waitUntil([&] {
    said = readFile(dir + "/panel.out");
    return std::regex_search(said, url, std::regex("panel: (http://127\\.0\\.0\\.1:[0-9]+/) "));
  })) << said;

  DevTools browser;
  ASSERT_TRUE(browser.start(dir + "/profile", dir + "/chromium.log"));
  ASSERT_TRUE(browser.open(url[1])) << readFile(dir + "/chromium.log");
  browser.call("Emulation.setDeviceMetricsOverride",
               {{"width", 1440}, {"height", 900}, {"deviceScaleFactor", 1}, {"mobile", false}});
  ASSERT_TRUE(waitUntil([&] {
    return browser.evaluate("document.getElementById('status').textContent") == "live";
  })) << browser.evaluate("document.body.innerText");
  EXPECT_EQ(17, browser.evaluate("document.querySelectorAll('#symbologies tr').length"));
  EXPECT_EQ("lamp on", browser.evaluate("document.querySelectorAll('.lamp')[1].className"));

  // A person types the label, picks symbology 1 and clicks Scan.
  browser.evaluate(
      "document.getElementById('symbology').value = '1';"
      "document.getElementById('label').focus()");
  browser.call("Input.insertText", {{"text", "PANEL-0001 Größe"}});
  const json box = browser.evaluate(
      "(() => { const r = document.getElementById('scan').getBoundingClientRect();"
      " return [r.x + r.width / 2, r.y + r.height / 2]; })()");
  ASSERT_TRUE(box.is_array()) << box;
  for (const char* type : {"mousePressed", "mouseReleased"}) {
    browser.call(
        "Input.dispatchMouseEvent",
        {{"type", type}, {"x", box[0]}, {"y", box[1]}, {"button", "left"}, {"clickCount", 1}});
  }
  EXPECT_TRUE(waitUntil([&] {
    return hostSays(
        "label 1: symbology 1, length 18, \"PANEL-0001 Gr\\\\xC3\\\\xB6\\\\xC3\\\\x9Fe\"");
  })) << readFile(dir + "/host.out");
  EXPECT_TRUE(waitUntil([&] {
    return browser.evaluate(
               "document.getElementById('labels').innerText.includes('PANEL-0001 Größe')") == true;
  }));
  const json answer = browser.evaluate("document.getElementById('answer').textContent");
  EXPECT_EQ(0u, answer.get<std::string>().find("ok label 1 queued=")) << answer;

  const json shot = browser.call("Page.captureScreenshot", {{"format", "png"}});
  ASSERT_TRUE(shot.contains("data"));
  std::ofstream(PANEL_SHOT, std::ios::binary) << base64Decode(shot["data"]);
  EXPECT_EQ(0u, readFile(PANEL_SHOT).find("\x89PNG"));
  printf("screenshot: %s\n", PANEL_SHOT);

  browser.closeBrowser();
  EXPECT_NE(-1, browser.wait());
  kill(panel.pid, SIGINT);
  EXPECT_EQ(0, panel.wait()) << readFile(dir + "/panel.out");
  close(input[1]);
  EXPECT_EQ(0, host.wait());
}

}  // namespace

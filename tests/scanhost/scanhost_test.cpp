// scanhost run as a subprocess on the built plug-in and virtual device:
// what it prints, what it writes and how it exits.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "endpoint_client.h"

namespace {

// What starts scanhost: a cross-built scanhost runs under the emulator the
// tests run under (SCANHOST_EMULATOR, its words as string literals).
#ifdef SCANHOST_EMULATOR
const std::vector<std::string> kLauncher = {SCANHOST_EMULATOR};
#else
const std::vector<std::string> kLauncher;
#endif

// A directory of the test's own, removed with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory() {
#if defined(_WIN32)
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    for (unsigned n = GetTickCount();; ++n) {
      path_ = std::string(base) + "scanhost_" + std::to_string(GetCurrentProcessId()) + "_" +
              std::to_string(n);
      if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
#else
    std::string pattern = ::testing::TempDir() + "scanhost_XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) path_ = pattern;
#endif
  }
  ~ScratchDirectory() {
#if defined(_WIN32)
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((path_ + "\\" + entry.cFileName).c_str());
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
#else
    if (DIR* dir = opendir(path_.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") unlink((path_ + "/" + name).c_str());
      }
      closedir(dir);
    }
    rmdir(path_.c_str());
#endif
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs `words` with standard input, output and error on the given files;
// the exit status, or -1 when it could not be started.
#if defined(_WIN32)
std::string quoted(const std::string& word) {
  // The quoting CommandLineToArgvW and the C run-time undo.
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

int runProcess(const std::vector<std::string>& words, const std::string& in, const std::string& out,
               const std::string& err) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE input =
      CreateFileA(in.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
  HANDLE output = CreateFileA(out.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
  HANDLE error = CreateFileA(err.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
  std::string commandLine;
  for (const std::string& word : words)
    commandLine += (commandLine.empty() ? "" : " ") + quoted(word);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(input);
  CloseHandle(output);
  CloseHandle(error);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
#else
int runProcess(std::vector<std::string> words, const std::string& in, const std::string& out,
               const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
#endif

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

size_t countMatching(const std::vector<std::string>& lines, const std::string& pattern) {
  const std::regex expression(pattern);
  size_t count = 0;
  for (const std::string& line : lines) count += std::regex_match(line, expression) ? 1 : 0;
  return count;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<std::string> outLines() const { return linesOf(out); }
  std::vector<std::string> errLines() const { return linesOf(err); }
};

class ScanhostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }

  std::string path(const std::string& name) const { return dir_.path() + "/" + name; }

  // Runs scanhost with `args`, `input` on its standard input.
  Outcome run(const std::vector<std::string>& args, const std::string& input = "") {
    writeFile(path("stdin"), input);
    std::vector<std::string> words = kLauncher;
    words.push_back(SCANHOST_PATH);
    words.insert(words.end(), args.begin(), args.end());
    Outcome outcome;
    outcome.status = runProcess(words, path("stdin"), path("stdout"), path("stderr"));
    EXPECT_NE(-1, outcome.status) << "scanhost could not be started";
    outcome.out = readFile(path("stdout"));
    outcome.err = readFile(path("stderr"));
    return outcome;
  }

  std::string labelFile(const std::string& text) {
    writeFile(path("labels.txt"), text);
    return path("labels.txt");
  }

  ScratchDirectory dir_;
};

// ---- run ----------------------------------------------------------------------

TEST_F(ScanhostTest, RunShowsEachLabelWithItsEventAndToneThenStops) {
  const Outcome outcome = run({"run", "--prefix", "\\x02", "--affix-mode", "7",
                               labelFile("1 HELLO\n19 tab\\there\\x7F\\\\\n")});
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ("", outcome.err);
  const std::vector<std::string> expected = {
      "NewScanner -> object, callbacks registered",
      "GetAffixChars -> 0 ResultOk prefix=0 suffix1=10 suffix2=13",
      "SetAffixChars \\x02 10 13 -> 0 ResultOk",
      "SetAffixMode 7 -> 0 ResultOk",
      "EnableScanner -> 0 ResultOk",
      "event 1: 87 FF, label of 255 bytes or fewer",
      "tone 3000 Hz 90 ms level 64",
      "label 1: symbology 1, length 8, \"\\x02HELLO\\n\\r\"",
      "event 2: 87 FF, label of 255 bytes or fewer",
      "tone 3000 Hz 90 ms level 64",
      "label 2: symbology 255, length 13, \"\\x02tab\\there\\x7F\\\\\\n\\r\"",
      "DisableScanner -> 0 ResultOk",
      "Destructor -> done",
  };
  EXPECT_EQ(expected, outcome.outLines());
}

TEST_F(ScanhostTest, RunReadsTheCommittedSamplesCleanly) {
  const Outcome outcome = run({"run", SAMPLES_DIR "/labels.txt"});
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ("", outcome.err);
  const std::vector<std::string> lines = outcome.outLines();
  const size_t labels =
      countMatching(lines, "label [0-9]+: symbology [0-9]+, length [0-9]+, \".*\"");
  EXPECT_GT(labels, 0u);
  EXPECT_EQ(labels, countMatching(lines, "event [0-9]+: 87 FF, .*"));
  EXPECT_EQ(labels, countMatching(lines, "tone 3000 Hz 90 ms level 64"));
  EXPECT_EQ("Destructor -> done", lines.back());
}

TEST_F(ScanhostTest, RunReadsStandardInputWithCommentsAndCrLf) {
  const Outcome outcome = run({"run", "-"}, "# a comment\r\n\r\n   \n5 A B\r\n");
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ(1u, countMatching(outcome.outLines(), "label 1: symbology 2, length 3, \"A B\""));
}

TEST_F(ScanhostTest, RunAppliesPendingSettingsBeforeEnabling) {
  const Outcome outcome =
      run({"run", "--good-read-beep", "off", "--trigger-mode", "8", labelFile("1 A\n")});
  EXPECT_EQ(0, outcome.status);
  const std::vector<std::string> lines = outcome.outLines();
  EXPECT_EQ(1u, countMatching(lines,
                              "SetGoodReadBeep 0 -> 0 ResultOk \\(pending until ApplySettings\\)"));
  EXPECT_EQ(
      1u, countMatching(lines, "SetTriggerMode 8 -> 0 ResultOk \\(pending until ApplySettings\\)"));
  EXPECT_EQ(1u, countMatching(lines, "ApplySettings 0 -> 0 ResultOk"));
  EXPECT_EQ(0u, countMatching(lines, "tone .*"));
  EXPECT_EQ(1u, countMatching(lines, "label 1: .*"));
}

struct FetchCase {
  const char* fetch;
  std::vector<std::string> labels;
};

void PrintTo(const FetchCase& c, std::ostream* os) { *os << c.fetch; }

class RunFetchTest : public ScanhostTest, public ::testing::WithParamInterface<FetchCase> {};

// ReadLabel ends a label at its first zero byte; the record carries a length
// but holds 255 bytes at most.
TEST_P(RunFetchTest, FetchesEveryLabelTheChosenWay) {
  const std::string longLabel(300, 'L');
  const Outcome outcome =
      run({"run", "--fetch", GetParam().fetch, labelFile("1 X\\x00Y\n2 " + longLabel + "\n")});
  EXPECT_EQ(0, outcome.status);
  const std::vector<std::string> lines = outcome.outLines();
  EXPECT_EQ(1u, countMatching(lines, "event 2: 87 FF, label of 300 bytes"));
  std::vector<std::string> labels;
  for (const std::string& line : lines) {
    if (line.compare(0, 6, "label ") == 0) labels.push_back(line);
  }
  EXPECT_EQ(GetParam().labels, labels);
}

INSTANTIATE_TEST_SUITE_P(Fetch, RunFetchTest,
                         ::testing::Values(FetchCase{"read-label",
                                                     {"label 1: symbology 1, length 1, \"X\"",
                                                      "label 2: symbology 7, length 300, \"" +
                                                          std::string(300, 'L') + "\""}},
                                           FetchCase{"record",
                                                     {"label 1: symbology 1, length 3, \"X\\x00Y\"",
                                                      "label 2: symbology 7, length 255, \"" +
                                                          std::string(255, 'L') + "\""}}));

// A case's name in the test list: what it runs, cut short so that a test
// run's lines stay readable, a backslash (which CTest would take as an
// escape) written as a slash.
std::string caseName(std::string text) {
  constexpr size_t kLongest = 40;
  if (text.size() > kLongest) text = text.substr(0, kLongest - 3) + "...";
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

struct MalformedLine {
  std::string line;
  const char* message;
};

void PrintTo(const MalformedLine& c, std::ostream* os) { *os << caseName(c.line); }

class MalformedLineTest : public ScanhostTest,
                          public ::testing::WithParamInterface<MalformedLine> {};

TEST_P(MalformedLineTest, IsReportedOnceAndTheLinesAroundItAreDelivered) {
  const std::string file = labelFile("1 FIRST\n" + GetParam().line + "\n2 LAST\n");
  const Outcome outcome = run({"run", file});
  EXPECT_EQ(1, outcome.status);
  ASSERT_EQ(1u, outcome.errLines().size()) << outcome.err;
  EXPECT_EQ("scanhost: " + file + ":2: " + GetParam().message, outcome.errLines()[0]);
  const std::vector<std::string> lines = outcome.outLines();
  EXPECT_EQ(1u, countMatching(lines, "label 1: symbology 1, length 5, \"FIRST\""));
  EXPECT_EQ(1u, countMatching(lines, "label 2: symbology 7, length 4, \"LAST\""));
  EXPECT_EQ("Destructor -> done", lines.back());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedLineTest,
    ::testing::Values(
        MalformedLine{"1 bad\\q", "unknown escape \\q at column 6 (known: \\n \\r \\t \\\\ \\xHH)"},
        MalformedLine{"1 ab\\x4", "\\x at column 5 needs two hexadecimal digits"},
        MalformedLine{"1 ab\\xG0", "\\x at column 5 needs two hexadecimal digits"},
        MalformedLine{"1 end\\", "lone backslash at column 6 (write \\\\ for a backslash)"},
        MalformedLine{"x1 ABC", "'x1' is not a vendor symbology number (a 32-bit integer)"},
        MalformedLine{"4294967296 ABC",
                      "'4294967296' is not a vendor symbology number (a 32-bit integer)"},
        MalformedLine{"7", "no label after the symbology (write '<symbology> <text>')"},
        MalformedLine{" 1 ABC",
                      "starts with a blank; a line starts with the vendor symbology number"},
        MalformedLine{"1 " + std::string(8193, 'A'),
                      "label of 8193 bytes is longer than the virtual device takes (8192)"}));

// ---- call and script ------------------------------------------------------------

TEST_F(ScanhostTest, CallPrintsResultsWithStatusNamesAndOutValues) {
  const Outcome outcome = run({"call",
                               "AcceptValueOne",
                               "1",
                               "AcceptValueOne",
                               "2",
                               "SetAffixMode",
                               "8",
                               "SetAffixMode",
                               "0x7",
                               "GetAffixMode",
                               "SetAffixChars",
                               "A",
                               "\\n",
                               "-1",
                               "GetAffixChars",
                               "GetToneFrequency",
                               "35",
                               "GetToneFrequency",
                               "38",
                               "SetStoredLevel1",
                               "4294967295",
                               "GetInterfaceId",
                               "4",
                               "GetScannerModelName",
                               "GetScannerModelName",
                               "0",
                               "GetLastLabelRecord",
                               "ReadLabel",
                               "-1",
                               "NotSupported84",
                               "FixedTrueB",
                               "IsScannerEnabled",
                               "SetEvtDebugMessageCallBack",
                               "off",
                               "Destructor",
                               "NewScanner",
                               "GetAffixMode"});
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ("", outcome.err);
  const std::vector<std::string> expected = {
      "AcceptValueOne 1 -> 0 ResultOk",
      "AcceptValueOne 2 -> -2 ResultUnsupported",
      "SetAffixMode 8 -> -4 ResultRejected",
      "SetAffixMode 0x7 -> 0 ResultOk",
      "GetAffixMode -> 7",
      "SetAffixChars A \\n -1 -> 0 ResultOk",
      "GetAffixChars -> 0 ResultOk prefix=65 suffix1=10 suffix2=-1",
      "GetToneFrequency 35 -> 7500",
      "GetToneFrequency 38 -> -2 ResultUnsupported",
      "SetStoredLevel1 4294967295 -> -4 ResultRejected",
      "GetInterfaceId 4 -> 0 ResultOk text=\"KVS\"",
      "GetScannerModelName 64 -> 0 ResultOk text=\"ITCKVP\"",
      "GetScannerModelName 0 -> 0 ResultOk text=\"\"",
      "GetLastLabelRecord -> 0 ResultOk length=2 symbology=0 reserved=0 data=\"NR\"",
      "ReadLabel -1 -> -4 ResultRejected",
      "NotSupported84 -> -2 ResultUnsupported",
      "FixedTrueB -> 1",
      "IsScannerEnabled -> 0",
      "SetEvtDebugMessageCallBack off -> done",
      "Destructor -> done",
      "NewScanner -> object, callbacks registered",
      "GetAffixMode -> 0",
  };
  EXPECT_EQ(expected, outcome.outLines());
}

TEST_F(ScanhostTest, PushedLabelsAreRetrievedByEitherOperation) {
  const Outcome outcome =
      run({"call", "EnableScanner", "PushLabel", "1", "A\\x00BC", "ReadLabel", "2", "ReadLabel",
           "PushLabel", "19", "XYZ", "GetLastLabelRecord", "GetLastLabelRecord"});
  EXPECT_EQ(0, outcome.status);
  const std::vector<std::string> expected = {
      "EnableScanner -> 0 ResultOk",
      "PushLabel 1 A\\x00BC -> read",
      "  event 1: 87 FF, label of 255 bytes or fewer",
      "  tone 3000 Hz 90 ms level 64",
      "ReadLabel 2 -> 0 ResultOk symbology=1 length=1 text=\"A\"",
      "ReadLabel 4095 -> 0 ResultOk symbology=0 length=0 text=\"\"",
      "PushLabel 19 XYZ -> read",
      "  event 2: 87 FF, label of 255 bytes or fewer",
      "  tone 3000 Hz 90 ms level 64",
      "GetLastLabelRecord -> 0 ResultOk length=3 symbology=255 reserved=0 data=\"XYZ\"",
      "GetLastLabelRecord -> 0 ResultOk length=2 symbology=0 reserved=0 data=\"NR\"",
  };
  EXPECT_EQ(expected, outcome.outLines());
}

TEST_F(ScanhostTest, DebugMessagesArePrintedAsTheyCome) {
  const Outcome outcome = run({"call", "SetEvtAddEventToQueueCallBack", "off", "EnableScanner",
                               "PushLabel", "1", "A", "PushLabel", "1", "B"});
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ(1u, countMatching(outcome.outLines(),
                              "  debug: No scan events generated\\. Implementer must call "
                              "SetEvtAddEventToQueueCallBack after creating new "
                              "ScannerInterface1 object"));
}

TEST_F(ScanhostTest, PatternsShowTonesAndTheWaitsBetweenThem) {
  const Outcome outcome =
      run({"call", "PlayTonePattern", "2", "PlayTonePattern", "-1", "SetToneFrequency", "35", "0",
           "PlayTonePattern", "1", "PlayTonePattern", "0"});
  EXPECT_EQ(0, outcome.status);
  const std::string tone = "  tone 7500 Hz 70 ms level 64\n";
  const std::string wait = "  wait [0-9]+ ms\n";
  // A thread held up for long at the start or end of a call shows as a wait there.
  const std::string edge = "(" + wait + ")?";
  const std::regex expected("PlayTonePattern 2 -> 0 ResultOk\n" + edge + tone + wait + tone + edge +
                            "PlayTonePattern -1 -> 0 ResultOk\n" + edge + tone + wait + tone +
                            wait + tone + wait + "  tone 1500 Hz 240 ms level 64\n" + edge +
                            "SetToneFrequency 35 0 -> 0 ResultOk\n"
                            "PlayTonePattern 1 -> 0 ResultOk\n" +
                            wait + "PlayTonePattern 0 -> 0 ResultOk\n" + edge);
  EXPECT_TRUE(std::regex_match(outcome.out, expected)) << outcome.out;
}

TEST_F(ScanhostTest, SettingsFromTheCommandLineApplyInCallToo) {
  const Outcome outcome =
      run({"--trigger-mode", "8", "call", "GetTriggerMode", "StartSoftwareTrigger"});
  EXPECT_EQ(0, outcome.status);
  const std::vector<std::string> expected = {"GetTriggerMode -> 8",
                                             "StartSoftwareTrigger -> -4 ResultRejected"};
  std::vector<std::string> results;
  for (const std::string& line : outcome.outLines()) {
    if (line[0] != ' ') results.push_back(line);
  }
  EXPECT_EQ(expected, results);
}

TEST_F(ScanhostTest, ScriptRunsOneCallALineAndReportsBadLines) {
  const std::string script =
      "# set and read back\nSetAffixMode 3\n\nGetAffixMode\nBogus 1\nGetAffixMode 5\n"
      "GetAffixMode\n";
  writeFile(path("calls.txt"), script);
  const Outcome fromFile = run({"script", path("calls.txt")});
  EXPECT_EQ(1, fromFile.status);
  const std::vector<std::string> expectedOut = {"SetAffixMode 3 -> 0 ResultOk", "GetAffixMode -> 3",
                                                "GetAffixMode -> 3"};
  EXPECT_EQ(expectedOut, fromFile.outLines());
  const std::vector<std::string> expectedErr = {
      "scanhost: " + path("calls.txt") +
          ":5: unknown operation 'Bogus' ('scanhost ops' lists the operations)",
      "scanhost: " + path("calls.txt") + ":6: GetAffixMode takes no arguments, got 1"};
  EXPECT_EQ(expectedErr, fromFile.errLines());

  // Without operations, call reads them from standard input.
  const Outcome fromInput = run({"call"}, script);
  EXPECT_EQ(1, fromInput.status);
  EXPECT_EQ(expectedOut, fromInput.outLines());
  EXPECT_EQ(2u, fromInput.errLines().size());
}

// ---- the operation table ----------------------------------------------------------

TEST_F(ScanhostTest, OpsListsTheNinetyOneOperationsInInterfaceOrder) {
  const Outcome outcome = run({"ops"});
  EXPECT_EQ(0, outcome.status);
  const std::regex row(" *([0-9]+)  ([A-Za-z0-9]+) +(.*)");
  int next = 0;
  for (const std::string& line : outcome.outLines()) {
    std::smatch match;
    if (!std::regex_match(line, match, row)) continue;
    EXPECT_EQ(next, std::stoi(match[1])) << line;
    ++next;
  }
  EXPECT_EQ(91, next);
  EXPECT_NE(std::string::npos,
            outcome.out.find(" 37  ReadLabel                      [count:int32=4095] -> "
                             "symbology length text"));
  EXPECT_NE(std::string::npos, outcome.out.find(" 89  SetSymbologyOption2            id:int32 "
                                                "value:uint16"));
}

// Every row of the listing can be called with the arguments it lists.
TEST_F(ScanhostTest, EveryListedOperationCanBeCalled) {
  const Outcome listing = run({"ops"});
  const std::regex row(" *[0-9]+  ([A-Za-z0-9]+) +(.*)");
  const std::regex required("([a-z0-9]+):([a-z|0-9]+)");
  std::vector<std::string> args = {"call"};
  std::vector<std::string> names;
  for (const std::string& line : linesOf(listing.out)) {
    std::smatch match;
    if (!std::regex_match(line, match, row)) continue;
    names.push_back(match[1]);
    args.push_back(match[1]);
    // Required arguments are "name:kind"; optional ones are bracketed.
    std::string rest = match[2];
    rest = rest.substr(0, rest.find(" -> "));
    std::istringstream words(rest);
    std::string word;
    while (words >> word) {
      if (std::regex_match(word, required))
        args.push_back(word.find("on|off") != std::string::npos ? "on" : "0");
    }
  }
  ASSERT_EQ(91u, names.size());
  const Outcome outcome = run(args);
  EXPECT_EQ(0, outcome.status) << outcome.err;
  std::vector<std::string> called;
  for (const std::string& line : outcome.outLines()) {
    if (line[0] != ' ') called.push_back(line.substr(0, line.find(' ')));
  }
  EXPECT_EQ(names, called);
}

// ---- errors -------------------------------------------------------------------------

struct ErrorCase {
  std::vector<std::string> args;
  int status;
  std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  std::string words;
  for (const std::string& arg : c.args) words += (words.empty() ? "" : " ") + arg;
  *os << caseName(words);
}

class ErrorTest : public ScanhostTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorTest, GivesOneClearMessageAndFails) {
  const Outcome outcome = run(GetParam().args);
  EXPECT_EQ(GetParam().status, outcome.status);
  ASSERT_EQ(1u, outcome.errLines().size()) << outcome.err;
  EXPECT_EQ("scanhost: " + GetParam().message, outcome.errLines()[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorTest,
    ::testing::Values(
#if defined(_WIN32)
        // The loader's reason is the system's error number.
        ErrorCase{{"--plugin", "/nonexistent/zorvanscanner.dll", "call", "NoOpA"},
                  1,
                  "cannot load the plug-in: /nonexistent/zorvanscanner.dll: error 126"},
        ErrorCase{{"--plugin", VIRTUAL_DIR "/ITCSSApi.DLL", "call", "NoOpA"},
                  1,
                  VIRTUAL_DIR "/ITCSSApi.DLL is not a scanner plug-in: it does not export "
                              "NewScanner"},
        ErrorCase{{"--plugin", SAMPLES_DIR "/labels.txt", "call", "NoOpA"},
                  1,
                  "cannot load the plug-in: " SAMPLES_DIR "/labels.txt: error 193"},
        ErrorCase{{"--virtual", "/nonexistent", "call", "NoOpA"},
                  1,
                  "cannot load the virtual device: /nonexistent\\ITCSCAN.dll: error 126"},
#else
        ErrorCase{{"--plugin", "/nonexistent/libzorvanscanner.so", "call", "NoOpA"},
                  1,
                  "cannot load the plug-in: /nonexistent/libzorvanscanner.so: cannot open "
                  "shared object file: No such file or directory"},
        ErrorCase{{"--plugin", VIRTUAL_DIR "/libITCSSApi.so", "call", "NoOpA"},
                  1,
                  VIRTUAL_DIR "/libITCSSApi.so is not a scanner plug-in: it does not export "
                              "NewScanner"},
        ErrorCase{{"--plugin", SAMPLES_DIR "/labels.txt", "call", "NoOpA"},
                  1,
                  "cannot load the plug-in: " SAMPLES_DIR "/labels.txt: invalid ELF header"},
        ErrorCase{{"--virtual", "/nonexistent", "call", "NoOpA"},
                  1,
                  "cannot load the virtual device: /nonexistent/libITCSCAN.so: cannot open "
                  "shared object file: No such file or directory"},
#endif
        ErrorCase{{"call", "GetAffixMode", "Bogus"},
                  2,
                  "unknown operation 'Bogus' ('scanhost ops' lists the operations)"},
        ErrorCase{{"call", "getaffixmode"},
                  2,
                  "unknown operation 'getaffixmode' (did you mean GetAffixMode?)"},
        ErrorCase{{"call", "SetAffixMode"}, 2, "SetAffixMode takes 1 argument (mode), got 0"},
        ErrorCase{{"call", "SetAffixMode", "1", "2", "GetAffixMode"},
                  2,
                  "SetAffixMode takes 1 argument (mode), got 2"},
        ErrorCase{{"call", "GetBuildVersion", "8", "9"},
                  2,
                  "GetBuildVersion takes 0 or 1 arguments (size), got 2"},
        ErrorCase{{"call", "SetToneFrequency", "35"},
                  2,
                  "SetToneFrequency takes 2 arguments (id value), got 1"},
        ErrorCase{{"call", "SetAffixMode", "seven"},
                  2,
                  "SetAffixMode: mode must be a 32-bit integer, not 'seven'"},
        ErrorCase{{"call", "SetAffixMode", "4294967296"},
                  2,
                  "SetAffixMode: mode must be a 32-bit integer, not '4294967296'"},
        ErrorCase{{"call", "SetSymbologyOption2", "1", "65536"},
                  2,
                  "SetSymbologyOption2: value must be a 16-bit integer (-32768..65535), not "
                  "'65536'"},
        ErrorCase{{"call", "SetAffixChars", "AB", "0", "0"},
                  2,
                  "SetAffixChars: prefix must be a byte: a number -128..255, one character, or "
                  "one of \\n \\r \\t \\\\ \\xHH, not 'AB'"},
        ErrorCase{{"call", "SetEvtPlayToneCallBack", "maybe"},
                  2,
                  "SetEvtPlayToneCallBack: callback must be on or off, not 'maybe'"},
        ErrorCase{{"call", "ReadLabel", "4096"},
                  2,
                  "ReadLabel: count must be a 32-bit integer of at most 4095 (the host's "
                  "buffer), not '4096'"},
        ErrorCase{{"call", "PushLabel", "1", "a\\qb"},
                  2,
                  "PushLabel: text: unknown escape \\q at column 2 (known: \\n \\r \\t \\\\ "
                  "\\xHH)"},
        ErrorCase{{"--virtual", "none", "call", "PushLabel", "1", "A"},
                  2,
                  "PushLabel needs the virtual device (--virtual none was given)"},
        ErrorCase{{"call", "Destructor", "NoOpA"},
                  1,
                  "NoOpA: there is no scanner object (Destructor destroyed it; NewScanner "
                  "makes one)"},
        ErrorCase{{"call", "NewScanner"},
                  1,
                  "NewScanner: an object exists already (call Destructor first)"},
        ErrorCase{{"--affix-mode", "x", "run", "-"},
                  2,
                  "--affix-mode: SetAffixMode: mode must be a 32-bit integer, not 'x'"},
        ErrorCase{{"--affix-mode", "9", "run", "-"},
                  1,
                  "setting SetAffixMode 9 was refused: -4 ResultRejected"},
        ErrorCase{{"run", "/nonexistent/labels.txt"},
                  1,
                  "cannot open /nonexistent/labels.txt: No such file or directory"},
        ErrorCase{{"--virtual", "none", "run", "-"},
                  2,
                  "run needs the virtual device (--virtual none was given)"},
        ErrorCase{{"--fetch", "both", "run", "-"},
                  2,
                  "--fetch takes read-label or record, not 'both' (see scanhost --help)"},
        ErrorCase{{"--suffix2", "toolong", "show"},
                  2,
                  "--suffix2: SetAffixChars: suffix2 must be a byte: a number -128..255, one "
                  "character, or one of \\n \\r \\t \\\\ \\xHH, not 'toolong'"},
        ErrorCase{{"--good-read-beep", "1", "show"},
                  2,
                  "--good-read-beep takes on or off, not '1' (see scanhost --help)"},
        ErrorCase{{"--loud", "call"}, 2, "unknown option --loud (see scanhost --help)"},
        ErrorCase{{"ops", "ReadLabel", "readlabel"},
                  2,
                  "unknown operation 'readlabel' (did you mean ReadLabel?)"},
        ErrorCase{{"check", "now"}, 2, "check takes no operands"},
        ErrorCase{{"--affix-mode", "3", "check"},
                  2,
                  "check takes no settings options: it checks the defaults"},
        ErrorCase{{"--timeout", "100", "show"},
                  2,
                  "--timeout is an option of check and device (see scanhost --help)"},
        ErrorCase{{"--endpoint", "x", "show"},
                  2,
                  "--endpoint is an option of device and panel (see scanhost --help)"},
        ErrorCase{{"device"},
                  2,
                  "device needs a command: scan, fail, stick, release, state, watch, ... (see "
                  "scanhost --help)"},
        ErrorCase{
            {"device", "frobnicate"}, 2, "device unknown command 'frobnicate' (help lists them)"},
        ErrorCase{{"device", "scan", "x", "A"},
                  2,
                  "device argument 1 'x' is not a number: scan SYMBOLOGY TEXT"},
        ErrorCase{{"device", "scan", "1", "a\\q"},
                  2,
                  "device malformed escape at byte 2 of the text (\\n \\r \\t \\\\ \\xHH)"},
        ErrorCase{{"--endpoint", "a b", "device", "state"},
                  2,
                  "endpoint name 'a b' is not 1 to 64 letters, digits, '.', '_' or '-'"},
        ErrorCase{{"frobnicate"}, 2, "unknown command 'frobnicate' (see scanhost --help)"}));

// Every example of the manual's exit-status table ends with its row's
// status, and -h is --help.
TEST_F(ScanhostTest, ExitStatusesAreTheManualsOwn) {
  const std::vector<std::string> manual = linesOf(readFile(SCANHOST_GUIDE));
  const auto header = std::find(manual.begin(), manual.end(), "| Status | Outcome | For example |");
  ASSERT_NE(manual.end(), header) << "no exit-status table in " << SCANHOST_GUIDE;
  const std::regex row("\\| ([0-9]) \\|.*\\|(.*)\\|");
  const std::regex example("`scanhost ([^`]*)`");
  std::set<int> statuses;
  for (auto line = header + 2; line != manual.end() && !line->empty(); ++line) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(*line, match, row)) << *line;
    const int status = std::stoi(match[1]);
    statuses.insert(status);
    const std::string examples = match[2];
    for (std::sregex_iterator found(examples.begin(), examples.end(), example), end; found != end;
         ++found) {
      std::istringstream words((*found)[1].str());
      const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
      const Outcome outcome = run(args);
      EXPECT_EQ(status, outcome.status) << found->str() << "\n" << outcome.err;
      EXPECT_EQ(status == 0 ? 0u : 1u, outcome.errLines().size()) << found->str();
    }
  }
  EXPECT_EQ((std::set<int>{0, 1, 2}), statuses);
  EXPECT_EQ(run({"--help"}).out, run({"-h"}).out);
  EXPECT_EQ(run({"--help"}).out, run({"run", "-h"}).out);
}

// ---- check ----------------------------------------------------------------------------

struct CheckCase {
  std::vector<std::string> args;
  int status;
  std::vector<std::string> steps;  // "name: result", in order
  std::string verdict;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.verdict; }

class CheckTest : public ScanhostTest, public ::testing::WithParamInterface<CheckCase> {};

// Every line is a step in the documented form, then one verdict line; a
// step that fails is counted and sets the exit status.
TEST_P(CheckTest, ReportsEachStepThenOneVerdict) {
  const Outcome outcome = run(GetParam().args);
  EXPECT_EQ(GetParam().status, outcome.status);
  EXPECT_EQ("", outcome.err);
  std::vector<std::string> lines = outcome.outLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(GetParam().verdict, lines.back());
  lines.pop_back();
  const std::regex step("step ([a-z-]+): (ok|FAIL|skip) [0-9]+ ms( .*)?");
  std::vector<std::string> steps;
  for (const std::string& line : lines) {
    std::smatch match;
    EXPECT_TRUE(std::regex_match(line, match, step)) << line;
    steps.push_back(match[1].str() + ": " + match[2].str());
  }
  EXPECT_EQ(GetParam().steps, steps) << outcome.out;
}

INSTANTIATE_TEST_SUITE_P(
    Check, CheckTest,
    ::testing::Values(
        CheckCase{
            {"check"},
            0,
            {"load: ok", "create: ok", "libraries: ok", "device-config: ok", "defaults: ok",
             "enable: ok", "label: ok", "tone: ok", "disable: ok", "destroy: ok",
             "missing-driver: ok", "missing-config: ok", "ignored-cancel: ok", "stuck-read: ok"},
            "check: PASS (14 steps)"},
        CheckCase {
          {"--plugin", SAMPLES_DIR "/labels.txt", "check"}, 1,
              {"load: FAIL",           "create: skip",         "libraries: skip",
               "device-config: skip",  "defaults: skip",       "enable: skip",
               "label: skip",          "tone: skip",           "disable: skip",
               "destroy: skip",        "missing-driver: skip", "missing-config: skip",
               "ignored-cancel: skip", "stuck-read: skip"},
              "check: FAIL (1 of 14 steps failed)"
        }
#if !defined(_WIN32)
        // Without the virtual device loaded first, the build tree's plug-in
        // finds no vendor library (Wine finds them on its PATH): a half-open
        // object that cannot scan.
        ,
        CheckCase{
            {"--virtual", "none", "--timeout", "100", "check"},
            1,
            {"load: ok", "create: ok", "libraries: FAIL", "device-config: FAIL", "defaults: FAIL",
             "enable: FAIL", "label: skip", "tone: skip", "disable: skip", "destroy: ok"},
            "check: FAIL (4 of 10 steps failed)"}
#endif
        ));

// ---- the manual page ------------------------------------------------------------------

#ifdef MAN_PAGE
// The manual page is made from docs/scanhost.md; every command line and
// option the tool's own help lists is described there.
TEST_F(ScanhostTest, ManualPageDescribesEveryCommandAndOption) {
  const std::string page = readFile(MAN_PAGE);
  EXPECT_EQ(0u, page.find(".TH SCANHOST 1 ")) << page.substr(0, 80);
  // The page writes a hyphen typed in a command as \-.
  const auto asTyped = [](const std::string& text) {
    return std::regex_replace(text, std::regex("-"), "\\-");
  };
  const Outcome help = run({"--help"});
  ASSERT_EQ(0, help.status);
  const std::regex synopsis("(usage: | +)(scanhost .*)");
  int commands = 0;
  for (const std::string& line : help.outLines()) {
    std::smatch match;
    if (!std::regex_match(line, match, synopsis)) continue;
    ++commands;
    EXPECT_NE(std::string::npos, page.find(asTyped(match[2]) + "\n")) << match[2];
  }
  EXPECT_EQ(10, commands);
  const std::regex option("--[a-z0-9-]+");
  for (std::sregex_iterator found(help.out.begin(), help.out.end(), option), end; found != end;
       ++found) {
    EXPECT_NE(std::string::npos, page.find(asTyped(found->str()))) << found->str();
  }
}
#endif

// ---- WAV ------------------------------------------------------------------------------

struct Wav {
  bool valid = false;
  uint32_t sampleRate = 0;
  std::vector<int16_t> samples;
};

uint32_t little32(const std::string& bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

uint16_t little16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1])
                                                                     << 8);
}

Wav readWav(const std::string& path) {
  const std::string bytes = readFile(path);
  Wav wav;
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 ||
      bytes.compare(8, 8, "WAVEfmt ") != 0 || bytes.compare(36, 4, "data") != 0) {
    return wav;
  }
  const uint32_t dataBytes = little32(bytes, 40);
  wav.valid = little32(bytes, 4) == 36 + dataBytes && little32(bytes, 16) == 16 &&
              little16(bytes, 20) == 1 && little16(bytes, 22) == 1 && little16(bytes, 32) == 2 &&
              little16(bytes, 34) == 16 && bytes.size() == 44 + dataBytes;
  wav.sampleRate = little32(bytes, 24);
  for (size_t at = 44; at + 1 < bytes.size(); at += 2) {
    wav.samples.push_back(static_cast<int16_t>(little16(bytes, at)));
  }
  return wav;
}

constexpr uint32_t kSampleRate = 44100;
uint32_t samplesFor(uint32_t ms) { return ms * kSampleRate / 1000; }

// The samples of every wait the output shows; each is silence in the file.
uint32_t printedWaitSamples(const Outcome& outcome) {
  uint32_t samples = 0;
  const std::regex waitLine("  wait ([0-9]+) ms");
  for (const std::string& line : outcome.outLines()) {
    std::smatch match;
    if (std::regex_match(line, match, waitLine)) {
      samples += samplesFor(static_cast<uint32_t>(std::stoul(match[1])));
    }
  }
  return samples;
}

TEST_F(ScanhostTest, WavHoldsEachToneAsASineOfItsFrequencyAndLength) {
  const Outcome outcome = run({"--wav", path("beep.wav"), "call", "PlayTonePattern", "27"});
  EXPECT_EQ(0, outcome.status);
  const Wav wav = readWav(path("beep.wav"));
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(kSampleRate, wav.sampleRate);
  // A call held up for long at its start or end shows a wait, silence in the
  // file around the tone.
  ASSERT_EQ(samplesFor(90) + printedWaitSamples(outcome), wav.samples.size());
  // 3000 Hz for 90 ms crosses zero about 540 times; level 64 is the full peak.
  int crossings = 0;
  int peak = 0;
  for (size_t i = 1; i < wav.samples.size(); ++i) {
    if ((wav.samples[i - 1] < 0) != (wav.samples[i] < 0)) ++crossings;
    peak = std::max(peak, std::abs(static_cast<int>(wav.samples[i])));
  }
  EXPECT_NEAR(540, crossings, 4);
  EXPECT_NEAR(16383, peak, 200);
}

TEST_F(ScanhostTest, WavPutsThePrintedWaitsAndAGapBetweenCalls) {
  const Outcome outcome =
      run({"--wav", path("two.wav"), "call", "PlayTonePattern", "2", "PlayTonePattern", "27"});
  EXPECT_EQ(0, outcome.status);
  // Pattern 2 has one pause; every wait printed is in the file.
  EXPECT_LE(1u, countMatching(outcome.outLines(), "  wait [0-9]+ ms"));
  const Wav wav = readWav(path("two.wav"));
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(2 * samplesFor(70) + printedWaitSamples(outcome) + samplesFor(300) + samplesFor(90),
            wav.samples.size());
}

TEST_F(ScanhostTest, WavRendersTonesBeyondHalfTheSampleRateAsSilence) {
  const Outcome outcome = run({"--wav", path("high.wav"), "call", "SetToneFrequency", "40", "30000",
                               "PlayTonePattern", "27"});
  EXPECT_EQ(0, outcome.status);
  EXPECT_NE(std::string::npos,
            outcome.out.find("tone 30000 Hz 90 ms level 64 (above 22049 Hz: silent in the WAV "
                             "file)"));
  const Wav wav = readWav(path("high.wav"));
  ASSERT_TRUE(wav.valid);
  ASSERT_EQ(samplesFor(90) + printedWaitSamples(outcome), wav.samples.size());
  for (int16_t sample : wav.samples) ASSERT_EQ(0, sample);
}

TEST_F(ScanhostTest, WavOfARunHoldsTheGoodReadBeepOfEachLabel) {
  const Outcome outcome = run({"--wav", path("run.wav"), "run", labelFile("1 A\n1 B\n")});
  EXPECT_EQ(0, outcome.status);
  const Wav wav = readWav(path("run.wav"));
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(2 * samplesFor(90) + samplesFor(300), wav.samples.size());
}

// show reads back what is in force, immediate and applied settings alike.
TEST_F(ScanhostTest, ShowReadsBackWhatIsInForce) {
  const Outcome outcome = run({"--affix-mode", "5", "--trigger-mode", "8", "show"});
  EXPECT_EQ(0, outcome.status);
  const std::vector<std::string> lines = outcome.outLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("object: opened (GetToneFrequency 40 -> 3000, GetSymbologyEnabled 0 -> 0)", lines[0]);
  EXPECT_EQ(1u, countMatching(lines, "GetAffixMode -> 5"));
  EXPECT_EQ(1u, countMatching(lines, "GetTriggerMode -> 8"));
  EXPECT_EQ(1u, countMatching(lines, "GetToneFrequency 35 -> 7500"));
  EXPECT_EQ(17u, countMatching(lines, "GetSymbologyEnabled [0-9]+ -> [01]"));
  EXPECT_EQ(0u, countMatching(lines, ".*(ReadLabel|GetLastLabelRecord).*"));
}

// Without the virtual device the build tree's plug-in finds no vendor
// library (Wine finds them on its PATH), and show says so first.
#if !defined(_WIN32)
TEST_F(ScanhostTest, ShowSaysFirstThatTheObjectIsHalfOpen) {
  const Outcome outcome = run({"--virtual", "none", "show"});
  EXPECT_EQ(0, outcome.status);
  ASSERT_FALSE(outcome.outLines().empty());
  EXPECT_EQ(0u, outcome.outLines()[0].find("object: HALF-OPEN, "));
}
#endif

TEST_F(ScanhostTest, PatternsPlaysEveryNumberedPattern) {
  const Outcome outcome = run({"--wav", path("patterns.wav"), "patterns"});
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ(31u, countMatching(outcome.outLines(), "PlayTonePattern [0-9]+ -> 0 ResultOk"));
  EXPECT_TRUE(readWav(path("patterns.wav")).valid);
}

// ---- device: a host process and scanhost device in another ----------------------

// scanhost started with ZORVAN_VIRTUAL_ENDPOINT set, by default a host
// (`scanhost run -`), its standard input held open until finish(), its
// output in a file.
class HostProcess {
 public:
  HostProcess(const std::string& endpoint, const std::string& out,
              const std::vector<std::string>& args = {"run", "-"})
      : out_(out) {
    std::vector<std::string> words = kLauncher;
    words.push_back(SCANHOST_PATH);
    words.insert(words.end(), args.begin(), args.end());
#if defined(_WIN32)
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    CreatePipe(&read, &input_, &inherit, 0);
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    HANDLE output = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    std::string commandLine;
    for (const std::string& word : words)
      commandLine += (commandLine.empty() ? "" : " ") + quoted(word);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = read;
    startup.hStdOutput = output;
    startup.hStdError = output;
    SetEnvironmentVariableA("ZORVAN_VIRTUAL_ENDPOINT", endpoint.c_str());
    PROCESS_INFORMATION process = {};
    started_ = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process);
    SetEnvironmentVariableA("ZORVAN_VIRTUAL_ENDPOINT", nullptr);
    CloseHandle(read);
    CloseHandle(output);
    if (started_) CloseHandle(process.hThread);
    process_ = process.hProcess;
#else
    int fds[2];
    // Close-on-exec, so that a second process started meanwhile holds no end of it.
    started_ = pipe2(fds, O_CLOEXEC) == 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<std::string> environment = {"ZORVAN_VIRTUAL_ENDPOINT=" + endpoint};
    for (char** e = environ; *e != nullptr; ++e) {
      if (strncmp(*e, "ZORVAN_VIRTUAL_ENDPOINT=", 24) != 0) environment.push_back(*e);
    }
    std::vector<char*> argv, envp;
    for (std::string& word : words) argv.push_back(&word[0]);
    for (std::string& e : environment) envp.push_back(&e[0]);
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    started_ =
        started_ && posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    input_ = fds[1];
#endif
  }
  ~HostProcess() { finish(); }

  bool started() const { return started_; }
  std::string output() const { return readFile(out_); }

  // Writes `lines` and a line feed to its standard input.
  bool say(const std::string& lines) {
    const std::string bytes = lines + "\n";
#if defined(_WIN32)
    DWORD written = 0;
    return WriteFile(input_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
#else
    return write(input_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
#endif
  }

  // Waits up to 20 s for a line of output matching `pattern`.
  bool waitForLine(const std::string& pattern) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (countMatching(linesOf(output()), pattern) > 0) return true;
      pause();
    }
    return false;
  }

  // Ends the input and waits up to 20 s for the host to exit; its status, or
  // -1 when it had to be killed.
  int finish() {
    if (finished_ || !started_) return status_;
    finished_ = true;
#if defined(_WIN32)
    CloseHandle(input_);
    if (WaitForSingleObject(process_, 20000) != WAIT_OBJECT_0) {
      TerminateProcess(process_, 255);
      status_ = -1;
    } else {
      DWORD code = 0;
      GetExitCodeProcess(process_, &code);
      status_ = static_cast<int>(code);
    }
    CloseHandle(process_);
#else
    close(input_);
    int status = 0;
    for (int tries = 0; tries < 1000 && waitpid(pid_, &status, WNOHANG) == 0; ++tries) pause();
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      return status_ = -1;
    }
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
    return status_;
  }

 private:
  static void pause() {
#if defined(_WIN32)
    Sleep(20);
#else
    usleep(20000);
#endif
  }

  std::string out_;
  bool started_ = false;
  bool finished_ = false;
  int status_ = -1;
#if defined(_WIN32)
  HANDLE input_ = nullptr;
  HANDLE process_ = nullptr;
#else
  int input_ = -1;
  pid_t pid_ = 0;
#endif
};

// An endpoint name of this test process's own.
std::string endpointName(const std::string& prefix) {
#if defined(_WIN32)
  return prefix + std::to_string(GetCurrentProcessId());
#else
  return prefix + std::to_string(getpid());
#endif
}

class DeviceTest : public ScanhostTest {
 protected:
  void SetUp() override {
    ScanhostTest::SetUp();
    name_ = endpointName("test-");
    host_ = std::make_unique<HostProcess>(name_, path("host.out"));
    ASSERT_TRUE(host_->started());
    ASSERT_TRUE(host_->waitForLine("EnableScanner -> 0 ResultOk")) << host_->output();
    std::string error;
    ASSERT_TRUE(scanhost::endpointAddress(name_, &address_, &error)) << error;
  }

  Outcome device(std::vector<std::string> args) {
    args.insert(args.begin(), {"--endpoint", name_, "device"});
    return run(args);
  }

  // A raw connection to the endpoint, for what scanhost device never sends.
  std::unique_ptr<scanhost::EndpointClient> connect() {
    auto client = std::make_unique<scanhost::EndpointClient>();
    std::string error;
    EXPECT_TRUE(client->connect(address_, 10000, &error)) << error;
    return client;
  }

  std::string name_;
  std::string address_;
  std::unique_ptr<HostProcess> host_;
};

// Another process scans into the running host, reads its state, and the
// host, when its input ends, stops as it always does.
TEST_F(DeviceTest, AnotherProcessScansIntoARunningHost) {
  const Outcome scanned = device({"scan", "1", "HELLO", "\\x41"});
  EXPECT_EQ(0, scanned.status) << scanned.err;
  EXPECT_EQ(1u, countMatching(scanned.outLines(), "label 1 queued=[01]")) << scanned.out;
  EXPECT_TRUE(host_->waitForLine("label 1: symbology 1, length 7, \"HELLO A\"")) << host_->output();
  const Outcome state = device({"state"});
  EXPECT_EQ(0, state.status) << state.err;
  EXPECT_EQ(1u,
            countMatching(state.outLines(), "driver open=1 enabled=1 .* queued=0 blocked=1 .*"));
  EXPECT_EQ(1u, countMatching(state.outLines(), "label 1 1 HELLO A"));
  EXPECT_EQ(10u, countMatching(state.outLines(), "group [A-J]( [0-9,]+)+"));
  EXPECT_EQ(0, host_->finish());
  EXPECT_EQ("Destructor -> done", linesOf(host_->output()).back());
#if !defined(_WIN32)
  EXPECT_NE(0, access(address_.c_str(), F_OK)) << "the socket outlived its host";
#endif
}

// Every bad line is answered with exactly one error line and changes
// nothing; control bytes also end the connection. The host goes on.
TEST_F(DeviceTest, BadInputGetsOneErrorLineAndLeavesTheHostUnharmed) {
  struct Bad {
    std::string line;
    std::string error;
    bool staysOpen;
  };
  const Bad kBad[] = {
      {"frobnicate", "error unknown command 'frobnicate' (help lists them)", true},
      {"", "error empty command (help lists them)", true},
      {"scan 1 a\\x4", "error malformed escape at byte 2 of the text (\\n \\r \\t \\\\ \\xHH)",
       true},
      {"scan 1", "error too few arguments: scan SYMBOLOGY TEXT", true},
      {"stick now", "error too many arguments: stick", true},
      {"report-enable maybe",
       "error argument 1 'maybe' is not on, off or actual: report-enable on|off|actual", true},
      {"config-fail K get -1",
       "error argument 1 'K' is not a group A to J: config-fail GROUP get|set RESULT", true},
      {"settings-fail 1", "error 0x00000001 is no failure: a negative result, or 0 to clear", true},
      {"scan 1 " + std::string(40000, 'A'), "error line longer than 32832 bytes", true},
      {"scan 1 \x01\x02", "error control byte 0x01 at byte 8; write it as an escape", false},
  };
  for (const Bad& bad : kBad) {
    auto client = connect();
    ASSERT_TRUE(client->send(bad.line + "\nstate"));
    std::string line;
    ASSERT_EQ(scanhost::EndpointClient::Read::kLine, client->readLine(&line, 10000)) << bad.error;
    EXPECT_EQ(bad.error, line);
    if (!bad.staysOpen) {
      EXPECT_EQ(scanhost::EndpointClient::Read::kClosed, client->readLine(&line, 10000)) << line;
      continue;
    }
    ASSERT_EQ(scanhost::EndpointClient::Read::kLine, client->readLine(&line, 10000));
    EXPECT_EQ(0u, line.find("driver open=1 enabled=1 ")) << line;
    EXPECT_NE(std::string::npos, line.find(" queued=0 ")) << "a bad line queued a label: " << line;
  }
  // A client that vanishes mid-line, one that vanishes at once.
  connect()->write("scan 1 HALF-A-LINE");
  connect();
#if !defined(_WIN32)
  // One that floods the endpoint with commands and reads none of the
  // answers. (Under Wine the next client's connection is at times held up
  // behind such a client; not yet checked there.)
  auto flood = connect();
  std::string commands;
  for (int i = 0; i < 4000; ++i) commands += "state\n";
  // The endpoint may drop it while the write is still going on: then the
  // write fails, which is the drop this checks.
  flood->write(commands);
#endif
  const Outcome scanned = device({"scan", "1", "AFTER"});
  EXPECT_EQ(0, scanned.status) << scanned.err;
  EXPECT_TRUE(host_->waitForLine("label 1: symbology 1, length 5, \"AFTER\"")) << host_->output();
#if !defined(_WIN32)
  // The flood's answers piled up past the endpoint's bound: it was dropped.
  std::string line;
  size_t answered = 0;
  scanhost::EndpointClient::Read read;
  while ((read = flood->readLine(&line, 10000)) == scanhost::EndpointClient::Read::kLine)
    answered += line == "ok" ? 1 : 0;
  EXPECT_EQ(scanhost::EndpointClient::Read::kClosed, read);
  EXPECT_LT(answered, 4000u);
#endif
  EXPECT_EQ(0, host_->finish());
  EXPECT_EQ(0u, countMatching(linesOf(host_->output()), ".*HALF.*|scanhost: .*"))
      << host_->output();
}

// A failure injected from outside ends the blocked read; a stuck read holds
// DisableScanner to the plug-in's bound, and release lets it go.
TEST_F(DeviceTest, FailStickAndReleaseReachTheDriver) {
  const Outcome failed = device({"fail", "0x80000005"});
  EXPECT_EQ(0, failed.status) << failed.err;
  EXPECT_EQ("failed=1\n", failed.out);
  EXPECT_TRUE(host_->waitForLine("debug: Debug ITCSCAN_SyncRead returned 0x80000005"))
      << host_->output();
  EXPECT_EQ(0, device({"stick"}).status);
  EXPECT_EQ(1u, countMatching(device({"state"}).outLines(), "driver .* stuck=1"));
  EXPECT_EQ("released=0\n", device({"release"}).out);
  EXPECT_EQ(1u, countMatching(device({"state"}).outLines(), "driver .* stuck=0"));
  const Outcome refused = device({"--timeout", "5", "frobnicate"});
  EXPECT_EQ(2, refused.status);
  EXPECT_EQ(0, host_->finish());
}

// watch, started before the change, prints it when another client makes
// it; it ends with the host (or, at the latest, its --timeout after the last
// line), status 0.
TEST_F(DeviceTest, WatchShowsAChangeMadeByAnotherClient) {
  HostProcess watch(name_, path("watch.out"), {"--timeout", "20000", "device", "watch"});
  ASSERT_TRUE(watch.started());
  ASSERT_TRUE(watch.waitForLine("driver open=1 enabled=1 .* stuck=0")) << watch.output();
  EXPECT_EQ(0, device({"stick"}).status);
  EXPECT_TRUE(watch.waitForLine("driver open=1 enabled=1 .* stuck=1")) << watch.output();
  EXPECT_EQ(0, device({"release"}).status);
  EXPECT_EQ(0, host_->finish());
  EXPECT_EQ(0, watch.finish()) << watch.output();
}

// Faults of the device configuration, set from outside, meet the host's
// next calls: a set, a get, the open; clear puts them right.
TEST_F(ScanhostTest, ConfigurationFaultsReachTheHostsNextCalls) {
  const std::string name = endpointName("script-test-");
  HostProcess host(name, path("host.out"), {"script", "-"});
  ASSERT_TRUE(host.started());
  struct Fault {
    std::vector<std::string> command;
    std::string calls;
    std::string answer;
  };
  const Fault kFaults[] = {
      {{"config-fail", "B", "set", "0x80004005"},
       "SetSymbologyEnabled 7 1",
       "SetSymbologyEnabled 7 1 -> -4 ResultRejected"},
      {{"config-fail", "B", "get", "-5"},
       "GetSymbologyEnabled 7",
       "GetSymbologyEnabled 7 -> -2 ResultUnsupported"},
      {{"clear"}, "GetSymbologyEnabled 7", "GetSymbologyEnabled 7 -> 0"},
      {{"config-open-fail", "-5"},
       "Destructor\nNewScanner\nGetToneFrequency 40",
       "GetToneFrequency 40 -> 0"},
  };
  for (const Fault& fault : kFaults) {
    std::vector<std::string> args = {"--endpoint", name, "device"};
    args.insert(args.end(), fault.command.begin(), fault.command.end());
    const Outcome set = run(args);
    EXPECT_EQ(0, set.status) << set.err;
    ASSERT_TRUE(host.say(fault.calls));
    EXPECT_TRUE(host.waitForLine(fault.answer)) << host.output();
  }
  EXPECT_EQ(0, host.finish());
}

#if !defined(_WIN32)
// The socket only in a directory no one else may enter: in one others
// may enter or write to, the endpoint says why on one line and stays off,
// and the host runs on.
TEST_F(ScanhostTest, EndpointStartsOnlyInADirectoryOfTheUsersAlone) {
  const struct {
    mode_t mode;
    bool served;
  } kDirectories[] = {{0700, true}, {0711, false}, {0770, false}};
  for (const auto& directory : kDirectories) {
    const std::string where = path("mode" + std::to_string(directory.mode));
    ASSERT_EQ(0, mkdir(where.c_str(), 0700));
    ASSERT_EQ(0, chmod(where.c_str(), directory.mode));
    const std::string socket = where + "/endpoint";
    HostProcess host(socket, path("host.out"));
    ASSERT_TRUE(host.waitForLine("EnableScanner -> 0 ResultOk")) << host.output();
    if (directory.served) {
      scanhost::EndpointClient client;
      std::string error;
      EXPECT_TRUE(client.connect(socket, 10000, &error)) << error;
    } else {
      EXPECT_TRUE(
          host.waitForLine("virtual device: control endpoint: .* is not a directory of "
                           "this user's that only the user can enter \\(mode 0700\\)"))
          << host.output();
      EXPECT_NE(0, access(socket.c_str(), F_OK)) << where;
    }
    EXPECT_EQ(0, host.finish());
  }
}
#endif

}  // namespace

// scanhost: a command-line host for the scanner plug-in. It loads the
// plug-in with dlopen exactly as a host application does, drives it through
// the ScannerInterface1 table on the virtual device, and shows the scan
// events, labels, tones and debug messages that come back.
#include <errno.h>
#include <getopt.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "host.h"
#include "loader.h"
#include "text_codec.h"

namespace scanhost {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// The patterns command plays 1..30 and one number beyond the table.
constexpr int kLastPattern = 31;

// The tone parameters by id, in the order of the pattern letters that stand
// for them: durations s m l d, frequencies H M L D.
const std::vector<int64_t> kToneDurationIds = {32, 33, 34, 39};
const std::vector<int64_t> kToneFrequencyIds = {35, 36, 37, 40};

// What show reads back, in this order: every setting and state the
// interface can report. Retrieval operations are left out, since they
// consume the label. An operation that takes an id is called for each of
// its ids in kShowIds.
const char* const kShowOperations[] = {
    "IsScannerEnabled",    "GetReadLedState",     "GetAffixChars",      "GetAffixMode",
    "GetStoredSelector2",  "GetGoodReadBeep",     "GetTriggerMode",     "GetAuxFlag",
    "GetStoredFlag1",      "GetStoredLevel1",     "GetStoredLevel2",    "GetStoredLevel3",
    "GetStoredCode",       "GetStoredSelector",   "GetToneDuration",    "GetToneFrequency",
    "GetSymbologyEnabled", "GetSymbologyLengths", "GetSymbologyOption", "GetSymbologyOption2",
    "GetOptionA1",         "GetOptionA4",         "GetOptionB1",        "GetOptionB2",
    "GetOptionE1",         "GetOptionF1Bit1",     "GetOptionIByKind",   "GetOptionIKind3",
    "GetOptionITriple",    "GetOptionJ"};
const std::map<std::string, std::vector<int64_t>> kShowIds = {
    {"GetToneDuration", kToneDurationIds},
    {"GetToneFrequency", kToneFrequencyIds},
    {"GetSymbologyEnabled", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 14, 15, 83, 84, 85}},
    {"GetSymbologyLengths", {0, 5, 6, 7, 9, 11}},
    {"GetSymbologyOption", {0, 1, 2, 6, 11}},
    {"GetSymbologyOption2", {1, 2}},
    {"GetOptionIByKind", {0}},
};

const char kUsage[] =
    "usage: scanhost [options] run [LABEL-FILE | -]\n"
    "       scanhost [options] call OPERATION [ARGUMENT...] [OPERATION [ARGUMENT...]]...\n"
    "       scanhost [options] script [CALL-FILE | -]\n"
    "       scanhost [options] patterns\n"
    "       scanhost [options] show\n"
    "       scanhost ops\n"
    "\n"
    "run       enable the scanner, push every label of the file (or standard input) into\n"
    "          the virtual device, print each scan event, label, tone and debug message\n"
    "call      call operations by name, several in a row; 'scanhost ops' lists them\n"
    "script    call operations read one call a line; a prompt when input is a terminal\n"
    "patterns  play tone patterns 1 to 31 (use with --wav to listen to them)\n"
    "show      read back every setting, tone parameter and symbology setting in force\n"
    "ops       list the 91 operations with position, arguments and result\n"
    "\n"
    "options:\n"
    "  --plugin PATH        plug-in to load (default: the one in <tool dir>/../lib, else the\n"
    "                       installed one)\n"
    "  --virtual DIR|none   virtual device libraries (default: <tool dir>/../virtual, else the\n"
    "                       installed ones)\n"
    "  --wav FILE           render every tone and wait into FILE (16-bit mono PCM, 44100 Hz)\n"
    "  --fetch read-label|record\n"
    "                       how run fetches a label: ReadLabel (default) or GetLastLabelRecord\n"
    "  --prefix BYTE, --suffix1 BYTE, --suffix2 BYTE    SetAffixChars before anything else\n"
    "  --affix-mode N       SetAffixMode before anything else\n"
    "  --good-read-beep on|off, --trigger-mode N\n"
    "                       SetGoodReadBeep / SetTriggerMode, then ApplySettings 0\n"
    "\n"
    "Label lines: '<vendor symbology> <text>', escapes \\n \\r \\t \\\\ \\xHH; # comments.\n";

// The options; all but the last take a value.
const char* const kOptionNames[] = {"plugin",         "virtual",      "wav",     "fetch",
                                    "prefix",         "suffix1",      "suffix2", "affix-mode",
                                    "good-read-beep", "trigger-mode", "help"};
// The options that set the affix characters, in SetAffixChars' order.
const char* const kAffixOptions[] = {"prefix", "suffix1", "suffix2"};
// The other settings, in the order they are made, with what makes them.
const char* const kSettingOptions[][2] = {{"affix-mode", "SetAffixMode"},
                                          {"good-read-beep", "SetGoodReadBeep"},
                                          {"trigger-mode", "SetTriggerMode"}};

// A command line scanhost cannot read: reported, then exit status 2. Any
// other error that ends scanhost before its work is done ends it with 1.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string command;
  std::vector<std::string> operands;
  std::map<std::string, std::string> given;  // option name -> value

  bool has(const char* name) const { return given.count(name) != 0; }
  std::string value(const char* name) const { return has(name) ? given.at(name) : ""; }
  bool anyAffix() const { return has("prefix") || has("suffix1") || has("suffix2"); }
};

// Takes the option getopt_long has just read (`found` 0, kOptionNames[index]).
void takeOption(int found, int index, int argc, char** argv, Options* options) {
  // getopt_long also takes "--name=value" and abbreviated names; scanhost
  // takes the whole name, then the value as the next word.
  const int word = optind - (found == 0 && optarg == argv[optind - 1] ? 2 : 1);
  const std::string name = argv[word] + 2;
  if (found != 0 || name != kOptionNames[index]) {
    // No option of scanhost's, which would take the next word as its value.
    throw UsageError((word + 1 < argc ? "unknown option " + std::string(argv[word])
                                      : std::string(argv[word]) + " needs a value") +
                     " (see scanhost --help)");
  }
  if (name == "fetch" && strcmp(optarg, "read-label") != 0 && strcmp(optarg, "record") != 0) {
    throw UsageError("--fetch takes read-label or record, not '" + std::string(optarg) +
                     "' (see scanhost --help)");
  }
  if (name == "help") {
    options->command = "help";
  } else {
    options->given[name] = optarg;
  }
}

// Words starting with "--" are options, up to a word "--"; the first other
// word is the command, the rest its operands. A word starting with a single
// '-' (a negative number, "-" for standard input) is no option.
Options parseOptions(int argc, char** argv) {
  Options options;
  std::vector<option> longOptions;
  for (const char* name : kOptionNames)
    longOptions.push_back({name, required_argument, nullptr, 0});
  longOptions.back().has_arg = no_argument;  // --help
  longOptions.push_back({nullptr, 0, nullptr, 0});
  opterr = 0;
  bool optionsEnded = false;
  while (optind < argc) {
    if (optionsEnded || strncmp(argv[optind], "--", 2) != 0) {
      if (options.command.empty()) {
        options.command = argv[optind++];
      } else {
        options.operands.push_back(argv[optind++]);
      }
      continue;
    }
    int index = 0;
    const int found = getopt_long(argc, argv, "+", longOptions.data(), &index);
    optionsEnded = found == -1;  // "--"
    if (!optionsEnded) takeOption(found, index, argc, argv, &options);
  }
  return options;
}

// Argument `index` of `call` as the option `option` gives it.
void setFromOption(Call* call, int index, const std::string& text, const std::string& option) {
  std::string error;
  if (!setArgument(call, index, text, &error)) throw std::runtime_error(option + ": " + error);
}

// The settings given on the command line as calls, checked like any call;
// the affix characters not given stay `current`.
std::vector<Call> settingCalls(const Options& options, const int64_t* current) {
  std::vector<Call> settings;
  if (options.anyAffix()) {
    settings.push_back(makeCall("SetAffixChars", {current[0], current[1], current[2]}));
  }
  for (int a = 0; a < 3; ++a) {
    if (!options.has(kAffixOptions[a])) continue;
    setFromOption(&settings[0], a, options.value(kAffixOptions[a]), "--prefix/--suffix1/--suffix2");
  }
  for (const auto& [option, operation] : kSettingOptions) {
    const std::string text = options.value(option);
    const bool onOff = strcmp(option, "good-read-beep") == 0 && (text == "on" || text == "off");
    if (text.empty()) continue;
    settings.push_back(makeCall(operation));
    setFromOption(&settings.back(), 0, onOff ? (text == "on" ? "1" : "0") : text,
                  "--" + std::string(option));
  }
  if (!options.value("good-read-beep").empty() || !options.value("trigger-mode").empty()) {
    settings.push_back(makeCall("ApplySettings"));
  }
  return settings;
}

// "-4 ResultRejected", or the bare number when it is no status.
std::string statusText(int16_t value) {
  const char* name = statusName(value);
  return std::to_string(value) + (name != nullptr ? std::string(" ") + name : "");
}

// Runs one call without printing; false when it could not run at all.
bool execute(Session& session, const Call& call, CallResult* result) {
  const Operation& operation = *call.operation;
  if (operation.position >= 0 && session.scanner == nullptr) {
    result->notCalled =
        std::string(operation.name) +
        ": there is no scanner object (Destructor destroyed it; NewScanner makes one)";
  } else {
    operation.invoke(session, call, result);
  }
  if (!result->notCalled.empty()) reportError("%s", result->notCalled.c_str());
  return result->notCalled.empty();
}

// Runs one call and prints "Name args -> result", then what happened during it.
bool runCall(Session& session, const Call& call, CallResult* result) {
  beginSequence(playsPattern(*call.operation), true);
  const bool ran = execute(session, call, result);
  endSequence(describeCall(call) + (ran ? describeResult(call, *result) : " -> not called"));
  if (ran && !result->fault.empty())
    reportError("%s %s", call.operation->name, result->fault.c_str());
  return ran && result->fault.empty();
}

// runCall where the host's own calls are shown (run), else execute.
using Runner = bool (*)(Session& session, const Call& call, CallResult* result);

void runCalls(Session& session, const std::vector<Call>& calls) {
  for (const Call& call : calls) {
    CallResult result;
    runCall(session, call, &result);
  }
}

// A call whose result must be ResultOk.
bool runRequired(Session& session, const Call& call) {
  CallResult result;
  if (!runCall(session, call, &result)) return false;
  if (result.value == ResultOk) return true;
  reportError("%s returned %s", call.operation->name, statusText(result.value).c_str());
  return false;
}

// Makes the settings of the command line, the affix characters it leaves
// out kept as GetAffixChars tells them.
bool applySettings(Session& session, const Options& options, Runner run) {
  CallResult affixes;
  if (options.anyAffix() &&
      (!run(session, makeCall("GetAffixChars"), &affixes) || affixes.value != ResultOk)) {
    reportError("GetAffixChars failed; cannot set the affix characters");
    return false;
  }
  for (const Call& setting : settingCalls(options, affixes.outValues)) {
    CallResult result;
    if (!run(session, setting, &result)) return false;
    if (result.value == ResultOk) continue;
    reportError("setting %s was refused: %s", describeCall(setting).c_str(),
                statusText(result.value).c_str());
    return false;
  }
  return true;
}

// A label file or call script: a named file, or standard input.
struct Input {
  std::string name = "standard input";
  std::ifstream file;
  std::istream* stream = &std::cin;
};

// ---- run ---------------------------------------------------------------------

void printLabel(uint32_t serial, Session& session, bool fromRecord) {
  const Call call = makeCall(fromRecord ? "GetLastLabelRecord" : "ReadLabel");
  CallResult result;
  if (!execute(session, call, &result)) return;
  const char* name = call.operation->name;
  if (!result.fault.empty()) reportError("%s %s", name, result.fault.c_str());
  if (result.value != ResultOk) {
    reportError("label %u: %s returned %s", serial, name, statusText(result.value).c_str());
    return;
  }
  // ReadLabel: symbology, length; the record: length, symbology.
  printLine("label %u: symbology %lld, length %lld, \"%s\"", serial,
            static_cast<long long>(result.outValues[fromRecord ? 1 : 0]),
            static_cast<long long>(result.outValues[fromRecord ? 0 : 1]),
            escaped(result.outBytes).c_str());
}

// Pushes one label and prints each label its scan events bring; false when
// the scanner stopped taking labels.
bool deliverLabel(Session& session, const LabelLine& label, const std::string& where,
                  bool fromRecord) {
  beginSequence(false, false);
  const int32_t pushed =
      session.pushLabel(label.symbology, reinterpret_cast<const uint8_t*>(label.bytes.data()),
                        static_cast<uint32_t>(label.bytes.size()));
  const bool idle = pushed == 0 && session.waitIdle(kLabelTimeoutMs) == 1;
  endSequence("");
  uint32_t serial = 0;
  int events = 0;
  for (; takeScanEvent(&serial); ++events) printLabel(serial, session, fromRecord);
  if (pushed != 0) {
    reportError("%s: the virtual device refused the label", where.c_str());
  } else if (!idle) {
    reportError("%s: the scanner did not take the label within %u ms; stopping", where.c_str(),
                kLabelTimeoutMs);
  } else if (events == 0) {
    reportError("%s: the label brought no scan event", where.c_str());
  }
  return pushed != 0 || idle;
}

void runLabels(Session& session, Input& input, bool fromRecord) {
  if (!runRequired(session, makeCall("EnableScanner"))) return;
  std::string line;
  for (int number = 1; std::getline(*input.stream, line); ++number) {
    const std::string where = input.name + ":" + std::to_string(number);
    LabelLine label;
    std::string problem;
    const LineKind kind = parseLabelLine(line, &label, &problem);
    if (kind == LineKind::kMalformed) reportError("%s: %s", where.c_str(), problem.c_str());
    if (kind == LineKind::kLabel && !deliverLabel(session, label, where, fromRecord)) break;
  }
  runRequired(session, makeCall("DisableScanner"));
  runRequired(session, makeCall("Destructor"));
}

// ---- script ------------------------------------------------------------------

std::vector<std::string> splitBlanks(const std::string& line) {
  std::vector<std::string> words;
  for (size_t start = line.find_first_not_of(" \t\r"); start != std::string::npos;) {
    const size_t end = line.find_first_of(" \t\r", start);
    words.push_back(line.substr(start, end - start));
    start = line.find_first_not_of(" \t\r", end);
  }
  return words;
}

// One line of a script; false when it ends the script. A mistake typed at
// the prompt is shown, but is no error of the session.
bool runScriptLine(Session& session, const std::string& line, const std::string& where,
                   bool interactive) {
  const std::vector<std::string> words = splitBlanks(line);
  std::vector<Call> calls;
  std::string error;
  if (words.empty() || words[0][0] == '#') return true;
  if (words[0] == "quit" || words[0] == "exit") return false;
  if (words[0] == "ops") {
    fputs(listOperations().c_str(), stdout);
  } else if (words[0] == "help") {
    fputs("OPERATION [ARGUMENT...] calls an operation; 'ops' lists them; 'quit' ends.\n", stdout);
  } else if (parseCalls(words, &calls, &error)) {
    runCalls(session, calls);
  } else if (interactive) {
    fprintf(stderr, "scanhost: %s\n", error.c_str());
  } else {
    reportError("%s: %s", where.c_str(), error.c_str());
  }
  return true;
}

void runScript(Session& session, Input& input) {
  const bool interactive = input.stream == &std::cin && isatty(STDIN_FILENO) != 0;
  std::string line;
  for (int number = 1;; ++number) {
    if (interactive) {
      fputs("scanhost> ", stdout);
      fflush(stdout);
    }
    if (!std::getline(*input.stream, line)) break;
    if (!runScriptLine(session, line, input.name + ":" + std::to_string(number), interactive)) {
      return;
    }
  }
  if (interactive) fputc('\n', stdout);  // end the prompt line left by end of input
}

// ---- main ----------------------------------------------------------------------

// What a command is to do, checked before anything is loaded.
struct Job {
  std::vector<Call> calls;  // call's operations, patterns, show
  Input input;              // run, script, and call without operations
};

std::vector<Call> showCalls() {
  std::vector<Call> calls;
  for (const char* name : kShowOperations) {
    const auto ids = kShowIds.find(name);
    if (ids == kShowIds.end()) {
      calls.push_back(makeCall(name));
    } else {
      for (const int64_t id : ids->second) calls.push_back(makeCall(name, {id}));
    }
  }
  return calls;
}

std::vector<Call> patternCalls() {
  std::vector<Call> calls;
  for (int pattern = 1; pattern <= kLastPattern; ++pattern) {
    calls.push_back(makeCall("PlayTonePattern", {pattern}));
  }
  return calls;
}

// Reads from the file that is the only operand, or from standard input.
void openInput(const std::string& command, const std::vector<std::string>& operands, Input* input) {
  if (operands.size() > 1) {
    throw UsageError(command + " takes one file, got " + std::to_string(operands.size()));
  }
  if (operands.empty() || operands[0] == "-") return;
  input->name = operands[0];
  input->file.open(input->name);
  input->stream = &input->file;
  if (!input->file.is_open()) {
    throw std::runtime_error("cannot open " + input->name + ": " + strerror(errno));
  }
}

void prepareJob(const Options& options, Job* job) {
  const std::string& command = options.command;
  std::string error;
  if (command == "call" && !options.operands.empty()) {
    if (!parseCalls(options.operands, &job->calls, &error)) throw std::runtime_error(error);
  } else if (command == "run" || command == "script" || command == "call") {
    // Without operations, call reads them from standard input like script.
    openInput(command, options.operands, &job->input);
  } else if (command == "patterns" || command == "show") {
    if (!options.operands.empty()) throw UsageError(command + " takes no operands");
    job->calls = command == "show" ? showCalls() : patternCalls();
  } else {
    throw UsageError("unknown command '" + command + "' (see scanhost --help)");
  }
  const int64_t unknownAffixes[3] = {};
  settingCalls(options, unknownAffixes);  // checks the settings before anything is loaded
}

void perform(Session& session, const Options& options, Job& job) {
  if (options.command == "run") {
    runLabels(session, job.input, options.value("fetch") == "record");
  } else if (!job.calls.empty()) {
    runCalls(session, job.calls);
  } else {
    runScript(session, job.input);
  }
}

// Loads, makes the object, applies the settings and does the job.
int host(const Options& options, Job& job) {
  const std::string wavPath = options.value("wav");
  std::string error;
  if (!wavPath.empty() && !openWav(wavPath, &error)) throw std::runtime_error(error);
  Session session;
  useHostCallbacks(&session);
  const std::string virtualDir = options.value("virtual");
  if (virtualDir == "none" && options.command == "run") {
    throw std::runtime_error("run needs the virtual device (--virtual none was given)");
  }
  if (virtualDir != "none") loadVirtualDevice(virtualDir, &session);
  session.newScanner = loadPlugin(options.value("plugin"));
  const Runner run = options.command == "run" ? runCall : execute;
  CallResult created;
  if (!run(session, makeCall("NewScanner"), &created)) return kExitFailure;
  if (applySettings(session, options, run)) perform(session, options, job);
  delete session.scanner;
  if (!closeWav(&error)) reportError("%s: %s", wavPath.c_str(), error.c_str());
  return errorCount() == 0 ? 0 : kExitFailure;
}

void setUpOutput() {
  setvbuf(stdout, nullptr, _IOLBF, 0);
#if defined(SIGPIPE)
  // A reader that stops early (scanhost ... | head) must not cut the WAV file short.
  signal(SIGPIPE, SIG_IGN);
#endif
#if defined(_WIN32)
  // The same bytes as on Linux: lines end in a line feed alone.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

int run(int argc, char** argv) {
  setUpOutput();
  try {
    const Options options = parseOptions(argc, argv);
    const std::string& command = options.command;
    if (command.empty() || command == "help") {
      fputs(kUsage, command.empty() ? stderr : stdout);
      return command.empty() ? kExitUsage : 0;
    }
    if (command == "ops") {
      fputs(listOperations().c_str(), stdout);
      return 0;
    }
    Job job;
    prepareJob(options, &job);
    return host(options, job);
  } catch (const UsageError& error) {
    reportError("%s", error.what());
    return kExitUsage;
  } catch (const std::exception& error) {
    reportError("%s", error.what());
    return kExitFailure;
  }
}

}  // namespace
}  // namespace scanhost

int main(int argc, char** argv) { return scanhost::run(argc, argv); }

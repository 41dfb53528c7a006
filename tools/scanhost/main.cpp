// scanhost: a command-line host for the scanner plug-in. It loads the
// plug-in with dlopen exactly as a host application does, drives it through
// the ScannerInterface1 table on the virtual device, and shows the scan
// events, labels, tones and debug messages that come back.
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include <string>
#include <vector>

#include "host.h"
#include "label_lines.h"
#include "loader.h"
#include "operations.h"
#include "text_codec.h"
#include "wav_writer.h"

namespace scanhost {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// How long a pushed label may take to be read and handled.
constexpr uint32_t kLabelTimeoutMs = 5000;
// The patterns command plays 1..30 and one number beyond the table.
constexpr int kLastPattern = 31;

// What show reads back: every setting and state the interface can report,
// one call a row. Retrieval operations are left out, since they consume the
// label.
const std::vector<std::string> kShowCalls[] = {
    {"IsScannerEnabled"},
    {"GetReadLedState"},
    {"GetAffixChars"},
    {"GetAffixMode"},
    {"GetStoredSelector2"},
    {"GetGoodReadBeep"},
    {"GetTriggerMode"},
    {"GetAuxFlag"},
    {"GetStoredFlag1"},
    {"GetStoredLevel1"},
    {"GetStoredLevel2"},
    {"GetStoredLevel3"},
    {"GetStoredCode"},
    {"GetStoredSelector"},
    {"GetToneDuration", "32"},
    {"GetToneDuration", "33"},
    {"GetToneDuration", "34"},
    {"GetToneDuration", "39"},
    {"GetToneFrequency", "35"},
    {"GetToneFrequency", "36"},
    {"GetToneFrequency", "37"},
    {"GetToneFrequency", "40"},
    {"GetSymbologyEnabled", "0"},
    {"GetSymbologyEnabled", "1"},
    {"GetSymbologyEnabled", "2"},
    {"GetSymbologyEnabled", "3"},
    {"GetSymbologyEnabled", "4"},
    {"GetSymbologyEnabled", "5"},
    {"GetSymbologyEnabled", "6"},
    {"GetSymbologyEnabled", "7"},
    {"GetSymbologyEnabled", "8"},
    {"GetSymbologyEnabled", "9"},
    {"GetSymbologyEnabled", "11"},
    {"GetSymbologyEnabled", "12"},
    {"GetSymbologyEnabled", "14"},
    {"GetSymbologyEnabled", "15"},
    {"GetSymbologyEnabled", "83"},
    {"GetSymbologyEnabled", "84"},
    {"GetSymbologyEnabled", "85"},
    {"GetSymbologyLengths", "0"},
    {"GetSymbologyLengths", "5"},
    {"GetSymbologyLengths", "6"},
    {"GetSymbologyLengths", "7"},
    {"GetSymbologyLengths", "9"},
    {"GetSymbologyLengths", "11"},
    {"GetSymbologyOption", "0"},
    {"GetSymbologyOption", "1"},
    {"GetSymbologyOption", "2"},
    {"GetSymbologyOption", "6"},
    {"GetSymbologyOption", "11"},
    {"GetSymbologyOption2", "1"},
    {"GetSymbologyOption2", "2"},
    {"GetOptionA1"},
    {"GetOptionA4"},
    {"GetOptionB1"},
    {"GetOptionB2"},
    {"GetOptionE1"},
    {"GetOptionF1Bit1"},
    {"GetOptionIByKind", "0"},
    {"GetOptionIKind3"},
    {"GetOptionITriple"},
    {"GetOptionJ"},
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

enum class Fetch { kReadLabel, kRecord };

struct Options {
  std::string command;
  std::vector<std::string> operands;
  std::string pluginPath;
  std::string virtualDir;
  std::string wavPath;
  Fetch fetch = Fetch::kReadLabel;
  std::string affix[3];  // prefix, first suffix, second suffix as written
  bool hasAffix[3] = {};
  std::string affixMode;
  std::string goodReadBeep;
  std::string triggerMode;
};

// Options that take a value, and where the value goes.
struct OptionEntry {
  const char* name;
  std::string Options::*field;
};
const OptionEntry kValueOptions[] = {
    {"--plugin", &Options::pluginPath},
    {"--virtual", &Options::virtualDir},
    {"--wav", &Options::wavPath},
    {"--affix-mode", &Options::affixMode},
    {"--good-read-beep", &Options::goodReadBeep},
    {"--trigger-mode", &Options::triggerMode},
};
const char* const kAffixOptions[3] = {"--prefix", "--suffix1", "--suffix2"};

bool parseOptions(int argc, char** argv, Options* options, std::string* error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (optionsEnded || argument.compare(0, 2, "--") != 0) {
      if (options->command.empty()) {
        options->command = argument;
      } else {
        options->operands.push_back(argument);
      }
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help") {
      options->command = "help";
      continue;
    }
    if (i + 1 >= argc) {
      *error = argument + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    bool known = false;
    for (const OptionEntry& entry : kValueOptions) {
      if (argument == entry.name) {
        options->*entry.field = value;
        known = true;
      }
    }
    for (int a = 0; a < 3; ++a) {
      if (argument == kAffixOptions[a]) {
        options->affix[a] = value;
        options->hasAffix[a] = true;
        known = true;
      }
    }
    if (argument == "--fetch") {
      known = true;
      if (value == "read-label") {
        options->fetch = Fetch::kReadLabel;
      } else if (value == "record") {
        options->fetch = Fetch::kRecord;
      } else {
        *error = "--fetch takes read-label or record, not '" + value + "'";
        return false;
      }
    }
    if (!known) {
      *error = "unknown option " + argument;
      return false;
    }
  }
  return true;
}

// The settings given on the command line as calls, checked like any call.
// The affix characters not given are filled in later from GetAffixChars.
bool settingCalls(const Options& options, bool withAffixChars, const int64_t* currentAffixes,
                  std::vector<Call>* calls, std::string* error) {
  struct Setting {
    const char* option;
    std::vector<std::string> tokens;
  };
  std::vector<Setting> settings;
  if (withAffixChars) {
    Setting affixes{"--prefix/--suffix1/--suffix2", {"SetAffixChars"}};
    for (int a = 0; a < 3; ++a) {
      affixes.tokens.push_back(options.hasAffix[a] ? options.affix[a]
                                                   : std::to_string(currentAffixes[a]));
    }
    settings.push_back(affixes);
  }
  if (!options.affixMode.empty())
    settings.push_back({"--affix-mode", {"SetAffixMode", options.affixMode}});
  const bool pending = !options.goodReadBeep.empty() || !options.triggerMode.empty();
  if (!options.goodReadBeep.empty()) {
    std::string flag = options.goodReadBeep;
    if (flag == "on") flag = "1";
    if (flag == "off") flag = "0";
    settings.push_back({"--good-read-beep", {"SetGoodReadBeep", flag}});
  }
  if (!options.triggerMode.empty()) {
    settings.push_back({"--trigger-mode", {"SetTriggerMode", options.triggerMode}});
  }
  if (pending) settings.push_back({"--good-read-beep/--trigger-mode", {"ApplySettings", "0"}});
  for (const Setting& setting : settings) {
    std::string problem;
    if (!parseCalls(setting.tokens, calls, &problem)) {
      *error = std::string(setting.option) + ": " + problem;
      return false;
    }
  }
  return true;
}

// "-4 ResultRejected", or the bare number when it is no status.
std::string statusText(int16_t value) {
  const char* name = statusName(value);
  return std::to_string(value) + (name != nullptr ? std::string(" ") + name : std::string());
}

bool anyAffix(const Options& options) {
  return options.hasAffix[0] || options.hasAffix[1] || options.hasAffix[2];
}

// PushLabel: the label goes into the virtual device's queue; when the
// scanner is enabled, waits until the scan thread has handled it.
bool pushLabel(Session& session, const Call& call, CallResult* result) {
  if (session.pushLabel == nullptr) {
    reportError("PushLabel needs the virtual device (--virtual none was given)");
    return false;
  }
  if (session.pushLabel(static_cast<int32_t>(call.args[0]),
                        reinterpret_cast<const uint8_t*>(call.label.data()),
                        static_cast<uint32_t>(call.label.size())) != 0) {
    reportError("PushLabel: the virtual device refused the label (its queue is full)");
    return false;
  }
  if (session.scannerEnabled() == 0) {
    result->outputs = " queued (the scanner is disabled; it reads the label once enabled)";
    return true;
  }
  if (session.waitIdle(kLabelTimeoutMs) != 1) {
    reportError("PushLabel: the scanner did not take the label within %u ms", kLabelTimeoutMs);
    return false;
  }
  result->outputs = " read";
  return true;
}

// Runs one call without printing; false when it could not run at all.
bool execute(Session& session, const Call& call, CallResult* result) {
  if (call.kind == HostCall::kPushLabel) return pushLabel(session, call, result);
  if (call.kind == HostCall::kNewScanner) {
    if (session.scanner != nullptr) {
      reportError("NewScanner: an object exists already (call Destructor first)");
      return false;
    }
    session.scanner = session.newScanner();
    if (session.scanner == nullptr) {
      reportError("NewScanner returned no object");
      return false;
    }
    session.scanner->SetEvtAddEventToQueueCallBack(session.eventCallback);
    session.scanner->SetEvtDebugMessageCallBack(session.debugCallback);
    session.scanner->SetEvtPlayToneCallBack(session.toneCallback);
    return true;
  }
  if (session.scanner == nullptr) {
    reportError("%s: there is no scanner object (Destructor destroyed it; NewScanner makes one)",
                call.operation->name);
    return false;
  }
  call.operation->invoke(session, call.args, result);
  return true;
}

// Runs one call and prints "Name args -> result", then what happened during it.
bool runCall(Session& session, const Call& call, CallResult* result) {
  const bool isOperation = call.kind == HostCall::kOperation;
  beginSequence(isOperation && call.operation->playsPattern, true);
  const bool ran = execute(session, call, result);
  std::string line = describeCall(call);
  if (!ran) {
    line += " -> not called";
  } else if (call.kind == HostCall::kNewScanner) {
    line += " -> object, callbacks registered";
  } else if (call.kind == HostCall::kPushLabel) {
    line += " ->" + result->outputs;
  } else {
    line += describeResult(*call.operation, *result);
  }
  endSequence(line);
  if (ran && isOperation && !result->fault.empty()) {
    reportError("%s %s", call.operation->name, result->fault.c_str());
    return false;
  }
  return ran;
}

bool runTokens(Session& session, const std::vector<std::string>& tokens, CallResult* result) {
  std::vector<Call> calls;
  std::string error;
  if (!parseCalls(tokens, &calls, &error)) {
    reportError("%s", error.c_str());
    return false;
  }
  bool ok = true;
  for (const Call& call : calls) {
    *result = CallResult{};
    ok = runCall(session, call, result) && ok;
  }
  return ok;
}

// A call whose result must be ResultOk.
bool runRequired(Session& session, const std::vector<std::string>& tokens) {
  CallResult result;
  if (!runTokens(session, tokens, &result)) return false;
  if (result.value != ResultOk) {
    reportError("%s returned %s", tokens[0].c_str(), statusText(result.value).c_str());
    return false;
  }
  return true;
}

bool applySettings(Session& session, const Options& options, bool echo) {
  int64_t currentAffixes[3] = {};
  if (anyAffix(options)) {
    std::vector<Call> calls;
    std::string error;
    parseCalls({"GetAffixChars"}, &calls, &error);
    CallResult result;
    const bool ok =
        echo ? runCall(session, calls[0], &result) : execute(session, calls[0], &result);
    if (!ok || result.value != ResultOk) {
      reportError("GetAffixChars failed; cannot set the affix characters");
      return false;
    }
    for (int a = 0; a < 3; ++a) currentAffixes[a] = result.outValues[a];
  }
  std::vector<Call> calls;
  std::string error;
  if (!settingCalls(options, anyAffix(options), currentAffixes, &calls, &error)) {
    reportError("%s", error.c_str());
    return false;
  }
  for (const Call& call : calls) {
    CallResult result;
    const bool ran = echo ? runCall(session, call, &result) : execute(session, call, &result);
    if (!ran) return false;
    if (result.value != ResultOk) {
      reportError("setting %s was refused: %s", describeCall(call).c_str(),
                  statusText(result.value).c_str());
      return false;
    }
  }
  return true;
}

// Reads one line without its line feed; false at the end of input.
bool readLine(FILE* input, std::string* line) {
  line->clear();
  int c;
  while ((c = getc(input)) != EOF) {
    if (c == '\n') return true;
    line->push_back(static_cast<char>(c));
  }
  return !line->empty();
}

std::vector<std::string> splitBlanks(const std::string& line) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    if (end > i) tokens.push_back(line.substr(i, end - i));
    i = end;
  }
  return tokens;
}

// ---- run ---------------------------------------------------------------------

void printLabel(uint32_t serial, Session& session, Fetch fetch) {
  std::vector<Call> calls;
  std::string error;
  parseCalls({fetch == Fetch::kRecord ? "GetLastLabelRecord" : "ReadLabel"}, &calls, &error);
  CallResult result;
  if (!execute(session, calls[0], &result)) return;
  if (!result.fault.empty()) {
    reportError("%s %s", calls[0].operation->name, result.fault.c_str());
  }
  if (result.value != ResultOk) {
    reportError("label %u: %s returned %s", serial, calls[0].operation->name,
                statusText(result.value).c_str());
    return;
  }
  // ReadLabel: symbology, length; the record: length, symbology.
  const int64_t symbology = fetch == Fetch::kRecord ? result.outValues[1] : result.outValues[0];
  const int64_t length = fetch == Fetch::kRecord ? result.outValues[0] : result.outValues[1];
  printLine(
      "label %u: symbology %lld, length %lld, \"%s\"", serial, static_cast<long long>(symbology),
      static_cast<long long>(length),
      escaped(reinterpret_cast<const uint8_t*>(result.outBytes.data()), result.outBytes.size())
          .c_str());
}

void runLabels(Session& session, FILE* input, const std::string& inputName, Fetch fetch) {
  if (!runRequired(session, {"EnableScanner"})) return;
  std::string line;
  int lineNumber = 0;
  while (readLine(input, &line)) {
    ++lineNumber;
    LabelLine label;
    std::string problem;
    const LineKind kind = parseLabelLine(line, &label, &problem);
    if (kind == LineKind::kSkip) continue;
    if (kind == LineKind::kMalformed) {
      reportError("%s:%d: %s", inputName.c_str(), lineNumber, problem.c_str());
      continue;
    }
    beginSequence(false, false);
    const int32_t pushed =
        session.pushLabel(label.symbology, reinterpret_cast<const uint8_t*>(label.bytes.data()),
                          static_cast<uint32_t>(label.bytes.size()));
    const bool idle = pushed == 0 && session.waitIdle(kLabelTimeoutMs) == 1;
    endSequence("");
    uint32_t serial = 0;
    int events = 0;
    while (takeScanEvent(&serial)) {
      ++events;
      printLabel(serial, session, fetch);
    }
    if (pushed != 0) {
      reportError("%s:%d: the virtual device refused the label", inputName.c_str(), lineNumber);
    } else if (!idle) {
      reportError("%s:%d: the scanner did not take the label within %u ms; stopping",
                  inputName.c_str(), lineNumber, kLabelTimeoutMs);
      break;
    } else if (events == 0) {
      reportError("%s:%d: the label brought no scan event", inputName.c_str(), lineNumber);
    }
  }
  runRequired(session, {"DisableScanner"});
  runRequired(session, {"Destructor"});
}

// ---- script ------------------------------------------------------------------

void runScript(Session& session, FILE* input, const std::string& inputName, bool interactive) {
  std::string line;
  int lineNumber = 0;
  for (;;) {
    if (interactive) {
      fputs("scanhost> ", stdout);
      fflush(stdout);
    }
    if (!readLine(input, &line)) {
      if (interactive) fputc('\n', stdout);  // end the prompt line left by end of input
      break;
    }
    ++lineNumber;
    std::vector<std::string> tokens = splitBlanks(line);
    if (tokens.empty() || tokens[0][0] == '#') continue;
    if (tokens[0] == "quit" || tokens[0] == "exit") break;
    if (tokens[0] == "ops") {
      std::string listing;
      listOperations(&listing);
      fputs(listing.c_str(), stdout);
      continue;
    }
    if (tokens[0] == "help") {
      fputs("OPERATION [ARGUMENT...] calls an operation; 'ops' lists them; 'quit' ends.\n", stdout);
      continue;
    }
    std::vector<Call> calls;
    std::string error;
    if (!parseCalls(tokens, &calls, &error)) {
      if (interactive) {
        fprintf(stderr, "scanhost: %s\n", error.c_str());
      } else {
        reportError("%s:%d: %s", inputName.c_str(), lineNumber, error.c_str());
      }
      continue;
    }
    for (const Call& call : calls) {
      CallResult result;
      runCall(session, call, &result);
    }
  }
}

// ---- main ----------------------------------------------------------------------

int fail(const std::string& message, int status = kExitFailure) {
  reportError("%s", message.c_str());
  return status;
}

int run(int argc, char** argv) {
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
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, &options, &error))
    return fail(error + " (see scanhost --help)", kExitUsage);

  const std::string& command = options.command;
  if (command.empty() || command == "help") {
    fputs(kUsage, command.empty() ? stderr : stdout);
    return command.empty() ? kExitUsage : 0;
  }
  if (command == "ops") {
    std::string listing;
    listOperations(&listing);
    fputs(listing.c_str(), stdout);
    return 0;
  }

  // Check what the command was given before anything is loaded.
  std::vector<Call> calls;
  FILE* input = nullptr;
  std::string inputName;
  if (command == "call") {
    // Without operations, call reads them from standard input like script.
    if (!options.operands.empty() && !parseCalls(options.operands, &calls, &error)) {
      return fail(error);
    }
  } else if (command == "run" || command == "script") {
    if (options.operands.size() > 1) {
      return fail(command + " takes one file, got " + std::to_string(options.operands.size()),
                  kExitUsage);
    }
    if (options.operands.empty() || options.operands[0] == "-") {
      input = stdin;
      inputName = "standard input";
    } else {
      inputName = options.operands[0];
      input = fopen(inputName.c_str(), "r");
      if (input == nullptr) return fail("cannot open " + inputName + ": " + strerror(errno));
    }
  } else if (command == "patterns" || command == "show") {
    if (!options.operands.empty()) return fail(command + " takes no operands", kExitUsage);
  } else {
    return fail("unknown command '" + command + "' (see scanhost --help)", kExitUsage);
  }
  {
    std::vector<Call> checked;
    const int64_t zeros[3] = {};
    if (!settingCalls(options, anyAffix(options), zeros, &checked, &error)) return fail(error);
  }

  WavWriter wav;
  if (!options.wavPath.empty()) {
    if (!wav.open(options.wavPath, &error)) return fail(error);
    setWavWriter(&wav);
  }

  const std::string virtualDir =
      options.virtualDir.empty() ? defaultVirtualDirectory() : options.virtualDir;
  Session session;
  useHostCallbacks(&session);
  if (virtualDir == "none") {
    if (command == "run") return fail("run needs the virtual device (--virtual none was given)");
  } else if (!loadVirtualDevice(virtualDir, &session, &error)) {
    return fail(error);
  }
  const std::string pluginPath =
      options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
  if (!loadPlugin(pluginPath, &session.newScanner, &error)) return fail(error);

  const bool echo = command == "run";
  {
    std::vector<Call> create;
    parseCalls({"NewScanner"}, &create, &error);
    CallResult result;
    const bool created =
        echo ? runCall(session, create[0], &result) : execute(session, create[0], &result);
    if (!created) return kExitFailure;
  }
  if (applySettings(session, options, echo)) {
    if (command == "run") {
      runLabels(session, input, inputName, options.fetch);
    } else if (command == "call" && !calls.empty()) {
      for (const Call& call : calls) {
        CallResult result;
        runCall(session, call, &result);
      }
    } else if (command == "call" || command == "script") {
      if (input == nullptr) {
        input = stdin;
        inputName = "standard input";
      }
      runScript(session, input, inputName, input == stdin && isatty(STDIN_FILENO) != 0);
    } else if (command == "patterns") {
      for (int pattern = 1; pattern <= kLastPattern; ++pattern) {
        CallResult result;
        runTokens(session, {"PlayTonePattern", std::to_string(pattern)}, &result);
      }
    } else if (command == "show") {
      for (const std::vector<std::string>& tokens : kShowCalls) {
        CallResult result;
        runTokens(session, tokens, &result);
      }
    }
  }

  delete session.scanner;
  session.scanner = nullptr;
  setWavWriter(nullptr);
  if (!wav.close(&error))
    reportError("%s: %s", options.wavPath.c_str(), error.c_str());
  if (input != nullptr && input != stdin) fclose(input);
  return errorCount() == 0 ? 0 : kExitFailure;
}

}  // namespace
}  // namespace scanhost

int main(int argc, char** argv) { return scanhost::run(argc, argv); }

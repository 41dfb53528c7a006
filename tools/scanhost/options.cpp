#include "options.h"

#include <getopt.h>
#include <string.h>

namespace scanhost {

const char kUsage[] =
    "usage: scanhost [options] run [LABEL-FILE | -]\n"
    "       scanhost [options] call OPERATION [ARGUMENT...] [OPERATION [ARGUMENT...]]...\n"
    "       scanhost [options] script [CALL-FILE | -]\n"
    "       scanhost [options] patterns\n"
    "       scanhost [options] show\n"
    "       scanhost [--plugin PATH] [--virtual DIR|none] [--timeout MS] check\n"
    "       scanhost ops [OPERATION...]\n"
    "       scanhost [--endpoint NAME] [--timeout MS] device COMMAND [ARGUMENT...]\n"
    "       scanhost [--endpoint NAME] [--port N] panel\n"
    "       scanhost -h | --help\n"
    "\n"
    "run       enable the scanner, push every label of the file (or standard input) into\n"
    "          the virtual device, print each scan event, label, tone and debug message\n"
    "call      call operations by name, several in a row; 'scanhost ops' lists them\n"
    "script    call operations read one call a line; a prompt when input is a terminal\n"
    "patterns  play tone patterns 1 to 31 (use with --wav to listen to them)\n"
    "show      read back every setting, tone parameter and symbology setting in force\n"
    "check     walk the object's lifecycle step by step with results and times, then\n"
    "          one verdict line; on the virtual device also its fault cases\n"
    "ops       list the 91 operations with position, arguments, result and their answers,\n"
    "          or only the operations named\n"
    "device    one command to the virtual device of a running host, through its control\n"
    "          endpoint: scan SYMBOLOGY TEXT, fail RESULT [TIMES], stick, release [RESULT],\n"
    "          state, watch ('scanhost device help' lists them all)\n"
    "\n"
    "options:\n"
    "  --plugin PATH        plug-in to load (default: the one in <tool dir>/../lib, else the\n"
    "                       installed one)\n"
    "  --virtual DIR|none   virtual device libraries (default: <tool dir>/../virtual, else the\n"
    "                       installed ones); for check also the device's own libraries, or\n"
    "                       none: the plug-in finds the device's libraries itself\n"
    "  --timeout MS         how long check waits for a label, device for an answer (default\n"
    "                       10000); how long device watch follows (default: until the host ends)\n"
    "  --endpoint NAME      the control endpoint of device and panel (default:\n"
    "                       $ZORVAN_VIRTUAL_ENDPOINT)\n"
    "  --port N             the panel's port on 127.0.0.1, 0 for any free one (default 8022)\n"
    "  --wav FILE           render every tone and wait into FILE (16-bit mono PCM, 44100 Hz)\n"
    "  --fetch read-label|record\n"
    "                       how run fetches a label: ReadLabel (default) or GetLastLabelRecord\n"
    "  --prefix BYTE, --suffix1 BYTE, --suffix2 BYTE    SetAffixChars before anything else\n"
    "  --affix-mode N       SetAffixMode before anything else\n"
    "  --good-read-beep on|off, --trigger-mode N\n"
    "                       SetGoodReadBeep / SetTriggerMode, then ApplySettings 0\n"
    "\n"
    "Exit status: 0 done, 1 an error while doing it, 2 a command line not understood\n"
    "(check: 0 PASS, 1 FAIL, 2 as for the others).\n"
    "Label lines: '<vendor symbology> <text>', escapes \\n \\r \\t \\\\ \\xHH; # comments.\n";

namespace {

// The options; all but the last take a value.
const char* const kOptionNames[] = {
    "plugin",       "virtual",  "wav",     "fetch",      "timeout",
    "prefix",       "suffix1",  "suffix2", "affix-mode", "good-read-beep",
    "trigger-mode", "endpoint", "port",    "help"};
// The options that set the affix characters, in SetAffixChars' order.
const char* const kAffixOptions[] = {"prefix", "suffix1", "suffix2"};
// The other settings, in the order they are made, with what makes them.
const char* const kSettingOptions[][2] = {{"affix-mode", "SetAffixMode"},
                                          {"good-read-beep", "SetGoodReadBeep"},
                                          {"trigger-mode", "SetTriggerMode"}};

// Takes the option getopt_long has just read (`found` 0, kOptionNames[index]).
Stop takeOption(int found, int index, int argc, char** argv, Job* job) {
  // getopt_long also takes "--name=value" and abbreviated names; scanhost
  // takes the whole name, then the value as the next word.
  const int word = optind - (found == 0 && optarg == argv[optind - 1] ? 2 : 1);
  const std::string name = argv[word] + 2;
  const std::string value = optarg != nullptr ? optarg : "";
  if (found != 0 || name != kOptionNames[index]) {
    // No option of scanhost's, which would take the next word as its value.
    return Stop{kExitUsage, (word + 1 < argc ? "unknown option " + std::string(argv[word])
                                             : std::string(argv[word]) + " needs a value") +
                                " (see scanhost --help)"};
  }
  if (name == "fetch" && value != "read-label" && value != "record") {
    return Stop{kExitUsage,
                "--fetch takes read-label or record, not '" + value + "' (see scanhost --help)"};
  }
  int64_t milliseconds = 0;
  if (name == "timeout" && !parseInteger(value, 0, 3600000, &milliseconds)) {
    return Stop{kExitUsage, "--timeout takes milliseconds from 0 to 3600000, not '" + value +
                                "' (see scanhost --help)"};
  }
  int64_t port = 0;
  if (name == "port" && !parseInteger(value, 0, 65535, &port)) {
    return Stop{kExitUsage, "--port takes 0 to 65535, not '" + value + "' (see scanhost --help)"};
  }
  job->given[name] = value;
  return {};
}

}  // namespace

bool Job::anySetting() const {
  bool any = anyAffix();
  for (const auto& setting : kSettingOptions) any = any || has(setting[0]);
  return any;
}

Stop parseOptions(int argc, char** argv, Job* job) {
  std::vector<option> longOptions;
  for (const char* name : kOptionNames)
    longOptions.push_back({name, required_argument, nullptr, 0});
  longOptions.back().has_arg = no_argument;  // --help
  longOptions.push_back({});
  std::vector<std::string> words;
  opterr = 0;
  for (bool optionsEnded = false; optind < argc;) {
    int index = 0;
    if (!optionsEnded && strcmp(argv[optind], "-h") == 0) {
      job->given["help"] = "";  // -h is --help wherever it stands
      ++optind;
    } else if (optionsEnded || strncmp(argv[optind], "--", 2) != 0) {
      words.push_back(argv[optind++]);
    } else if (const int found = getopt_long(argc, argv, "+", longOptions.data(), &index);
               found != -1) {
      if (Stop stop = takeOption(found, index, argc, argv, job)) return stop;
    } else {
      optionsEnded = true;  // "--"
    }
  }
  job->command = job->has("help") ? "help" : words.empty() ? "" : words[0];
  if (!words.empty()) job->operands.assign(words.begin() + 1, words.end());
  // The settings' values are checked before anything else is done.
  const int64_t unknownAffixes[3] = {};
  Stop checked;
  settingCalls(*job, unknownAffixes, &checked);
  return checked;
}

std::vector<Call> settingCalls(const Job& job, const int64_t* current, Stop* stop) {
  std::vector<Call> settings;
  std::string error;
  const auto set = [&](int index, const std::string& text, const std::string& option) {
    if (!setArgument(&settings.back(), index, text, &error) && !*stop) {
      *stop = Stop{kExitUsage, option + ": " + error};
    }
  };
  if (job.anyAffix())
    settings.push_back(makeCall("SetAffixChars", {current[0], current[1], current[2]}));
  for (int a = 0; a < 3; ++a) {
    if (job.has(kAffixOptions[a]))
      set(a, job.value(kAffixOptions[a]), "--" + std::string(kAffixOptions[a]));
  }
  for (const auto& [option, operation] : kSettingOptions) {
    const std::string text = job.value(option);
    if (!job.has(option)) continue;
    settings.push_back(makeCall(operation));
    if (strcmp(option, "good-read-beep") != 0) {
      set(0, text, "--" + std::string(option));
    } else if (text == "on" || text == "off") {
      set(0, text == "on" ? "1" : "0", "--good-read-beep");
    } else if (!*stop) {
      *stop = Stop{kExitUsage,
                   "--good-read-beep takes on or off, not '" + text + "' (see scanhost --help)"};
    }
  }
  if (job.has("good-read-beep") || job.has("trigger-mode")) {
    settings.push_back(makeCall("ApplySettings"));
  }
  return settings;
}

}  // namespace scanhost

// scanhost: a command-line host for the scanner plug-in. It loads the
// plug-in with dlopen exactly as a host application does, drives it through
// the ScannerInterface1 table on the virtual device, and shows the scan
// events, labels, tones and debug messages that come back, from the
// plug-in's threads and its own, and renders the tones into a WAV file.
#include <errno.h>
#include <getopt.h>
#include <math.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <chrono>
#include <deque>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "feedback/tone_parameters.h"
#include "loader.h"
#include "operations.h"
#include "records.h"

namespace scanhost {
namespace {

// ---- Output, callbacks and the tone timeline ------------------------------------

using Clock = std::chrono::steady_clock;
using Guard = std::lock_guard<std::mutex>;

// A gap between two tones of a sequence that is shown as a wait.
constexpr int64_t kWaitThresholdMs = 20;
// Silence the WAV file puts between two sequences.
constexpr uint32_t kSequenceGapMs = 300;
// A wait rendered into the WAV file is cut to this length.
constexpr uint32_t kLongestRenderedWaitMs = 10000;
// Scan events the host thread has not handled yet are kept up to this many.
constexpr size_t kEventCapacity = 256;

// The WAV file: 16-bit mono PCM at 44100 Hz, written as it goes, the sizes in
// its header filled in when it is closed.
constexpr uint32_t kSampleRate = 44100;
// Tones at or above half the sample rate cannot be carried by the file; they
// (and anything above hearing) are rendered as silence of their length.
constexpr uint32_t kHighestFrequency = kSampleRate / 2 - 1;
// A tone of full level (64) peaks at half of the 16-bit range.
constexpr double kPeak = 16383;
constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kFadeMs = 3;
constexpr double kPi = 3.14159265358979323846;
// The data chunk may not outgrow what its 32-bit size can state.
constexpr uint32_t kMaxSamples = (0xFFFFFFFFu - kHeaderSize) / 2;

struct ToneSequence {
  bool open = false;
  bool measureEdges = false;
  std::optional<Clock::time_point> mark;  // the last tone, or the start when edges count
  bool rendered = false;
};

// Everything the callbacks share with the host thread, under its lock. The
// functions named ...Locked expect the caller to hold it.
struct HostState {
  std::mutex lock;
  int errors = 0;
  bool holding = false;  // an operation runs: its lines wait in `held`
  std::vector<std::string> held;
  ToneSequence sequence;
  std::unique_ptr<FILE, int (*)(FILE*)> wav{nullptr, fclose};
  uint32_t samples = 0;  // in the WAV file
  bool gapBeforeNext = false;
  uint32_t events = 0;
  std::deque<uint32_t> unhandledEvents;
} host;

void emitLocked(const std::string& line) {
  if (host.holding) return host.held.push_back("  " + line);
  fputs((line + "\n").c_str(), stdout);
}

// The low `bytes` bytes of `value`, least significant first.
std::string littleEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

void writeWavLocked(const std::string& bytes) {
  fwrite(bytes.data(), 1, bytes.size(), host.wav.get());
}

// The 44-byte RIFF header of a PCM file holding the samples written so far:
// format chunk of 16 bytes, PCM, one channel, the rate, bytes a second,
// bytes a sample, bits a sample, then the data chunk.
void writeWavHeaderLocked() {
  const uint32_t dataBytes = 2 * host.samples;
  writeWavLocked("RIFF" + littleEndian(kHeaderSize - 8 + dataBytes, 4) + "WAVEfmt " +
                 littleEndian(16, 4) + littleEndian(1, 2) + littleEndian(1, 2) +
                 littleEndian(kSampleRate, 4) + littleEndian(2 * kSampleRate, 4) +
                 littleEndian(2, 2) + littleEndian(16, 2) + "data" + littleEndian(dataBytes, 4));
}

void putSampleLocked(int16_t sample) {
  if (host.samples >= kMaxSamples) return;
  writeWavLocked(littleEndian(static_cast<uint16_t>(sample), 2));
  ++host.samples;
}

uint32_t samplesFor(uint32_t durationMs) {
  return static_cast<uint32_t>(uint64_t{durationMs} * kSampleRate / 1000);
}

// A sine at `frequency` hertz for `durationMs`, its amplitude scaled by
// level / 64 (levels above 64 count as 64), with short fades at both ends so
// that tones do not click. A frequency the file cannot carry (or 0) is
// silence of the same length.
void renderToneLocked(uint32_t frequency, uint32_t durationMs, uint32_t level) {
  const bool audible = frequency != 0 && frequency <= kHighestFrequency;
  const uint32_t count = samplesFor(durationMs);
  const uint32_t fade = std::min(samplesFor(kFadeMs), count / 2);
  const double amplitude = audible ? kPeak * std::min(level, 64u) / 64.0 : 0.0;
  const double step = 2.0 * kPi * frequency / kSampleRate;
  for (uint32_t i = 0; i < count; ++i) {
    double envelope = 1.0;
    if (i < fade) envelope = static_cast<double>(i) / fade;
    if (count - 1 - i < fade) envelope = static_cast<double>(count - 1 - i) / fade;
    putSampleLocked(static_cast<int16_t>(lround(amplitude * envelope * sin(step * i))));
  }
}

// Whether there is a WAV file to render into; puts the gap between
// sequences into it first.
bool prepareRenderingLocked() {
  if (host.wav == nullptr) return false;
  if (host.gapBeforeNext && host.samples > 0) renderToneLocked(0, kSequenceGapMs, 0);
  host.gapBeforeNext = false;
  host.sequence.rendered = true;
  return true;
}

// A gap long enough since the mark becomes a wait.
void noteGapLocked(Clock::time_point now) {
  if (!host.sequence.open || !host.sequence.mark) return;
  const int64_t gap =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - *host.sequence.mark).count();
  if (gap < kWaitThresholdMs) return;
  emitLocked("wait " + std::to_string(gap) + " ms");
  const auto rendered = static_cast<uint32_t>(std::min<int64_t>(gap, kLongestRenderedWaitMs));
  if (prepareRenderingLocked()) renderToneLocked(0, rendered, 0);
}

std::string describeScanEvent(const uint8_t* record) {
  if (record == nullptr) return "no record";
  const ScanEvent event = decodeScanEvent(record);
  if (event.lengthGiven && event.wellFormed) {
    return "87 FF, label of " + std::to_string(event.length) + " bytes";
  }
  if (event.wellFormed) return "87 FF, label of 255 bytes or fewer";
  std::string text = "unexpected record";
  for (int i = 0; i < ScanEventRecordSize; ++i) text += " " + hex(record[i]);
  return text;
}

void onScanEvent(const uint8_t* record) {
  Guard guard(host.lock);
  const uint32_t serial = ++host.events;
  if (host.unhandledEvents.size() < kEventCapacity) host.unhandledEvents.push_back(serial);
  emitLocked("event " + std::to_string(serial) + ": " + describeScanEvent(record));
}

void onDebugMessage(const char* format, ...) {
  std::string text = "(no format)";
  if (format != nullptr) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    const bool cut = vsnprintf(buffer, sizeof buffer, format, args) >= int{sizeof buffer};
    va_end(args);
    std::string message = buffer;
    message.erase(message.find_last_not_of("\n\r") + 1);
    text = escaped(message) + (cut ? " [cut]" : "");
  }
  Guard guard(host.lock);
  emitLocked("debug: " + text);
}

void onTone(int32_t zero, const uint8_t* record, int32_t zero2) {
  const Clock::time_point now = Clock::now();
  Guard guard(host.lock);
  if (record == nullptr) return emitLocked("tone: no record");
  noteGapLocked(now);
  const Tone tone = decodeTone(record);
  std::string text = "tone " + std::to_string(tone.frequency) + " Hz " +
                     std::to_string(tone.durationMs) + " ms level " + std::to_string(tone.level);
  if (!tone.wellFormed)
    text += " (record starts " + hex(record[0]) + " " + hex(record[1]) + ", not 01 00)";
  if (zero != 0 || zero2 != 0) {
    text += " (called with " + std::to_string(zero) + " and " + std::to_string(zero2) +
            " around the record, not 0 and 0)";
  }
  if (host.wav != nullptr && tone.frequency > kHighestFrequency) {
    text += " (above " + std::to_string(kHighestFrequency) + " Hz: silent in the WAV file)";
  }
  emitLocked(text);
  if (prepareRenderingLocked()) renderToneLocked(tone.frequency, tone.durationMs, tone.level);
  if (host.sequence.open) host.sequence.mark = now;
}

// "scanhost: ..." on standard error; every report makes the exit status 1.
__attribute__((format(printf, 1, 2))) void reportError(const char* format, ...) {
  char message[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);
  Guard guard(host.lock);
  ++host.errors;
  fflush(stdout);
  fprintf(stderr, "scanhost: %s\n", message);
  fflush(stderr);
}

// Tones and waits are also rendered into the WAV file that openWav creates
// and closeWav completes. False, saying why in `error`, when it cannot be
// created.
bool openWav(const std::string& path, std::string* error) {
  Guard guard(host.lock);
  host.wav.reset(fopen(path.c_str(), "wb"));
  if (host.wav == nullptr) {
    *error = "cannot create " + path + ": " + strerror(errno);
    return false;
  }
  writeWavHeaderLocked();
  return true;
}

// False when writing the file failed.
bool closeWav() {
  Guard guard(host.lock);
  if (host.wav == nullptr) return true;
  bool written = fseek(host.wav.get(), 0, SEEK_SET) == 0;
  if (written) writeWavHeaderLocked();
  written = ferror(host.wav.get()) == 0 && written;
  return fclose(host.wav.release()) == 0 && written;
}

// Pauses in a pattern are waits in the thread that plays it, invisible to the
// host except as time passing between tones. Every tone is time-stamped; a
// gap of at least kWaitThresholdMs between two tones of one sequence is
// shown as a wait. A sequence is one operation call or one label pushed into
// the virtual device. During an operation call (`holdLines`) lines are held
// until endSequence prints `resultLine` followed by them. With
// `measureEdges` (operations that play a pattern) the time from the call's
// start to its first tone and from its last tone to its end count as waits
// too, so a pattern made only of pauses still shows.
void beginSequence(bool measureEdges, bool holdLines) {
  Guard guard(host.lock);
  host.sequence = ToneSequence{true, measureEdges, std::nullopt, false};
  if (measureEdges) host.sequence.mark = Clock::now();
  host.holding = holdLines;
}

void endSequence(const std::string& resultLine) {
  Guard guard(host.lock);
  if (host.sequence.measureEdges) noteGapLocked(Clock::now());
  if (host.sequence.rendered) host.gapBeforeNext = true;
  host.sequence = ToneSequence{};
  host.holding = false;
  if (!resultLine.empty()) emitLocked(resultLine);
  for (const std::string& line : host.held) emitLocked(line);
  host.held.clear();
}

// Serial number (1, 2, ...) of the oldest scan event the host thread has not
// handled yet; false when there is none.
bool takeScanEvent(uint32_t* serial) {
  Guard guard(host.lock);
  if (host.unhandledEvents.empty()) return false;
  *serial = host.unhandledEvents.front();
  host.unhandledEvents.pop_front();
  return true;
}

// ---- Options and settings -------------------------------------------------------

constexpr int kExitUsage = 2;
// The patterns command plays 1..30 and one number beyond the table.
constexpr int kLastPattern = 31;

// The tone-parameter ids of one kind, from the plug-in's own table.
std::vector<int64_t> toneIds(zorvan::ToneKind kind) {
  std::vector<int64_t> ids;
  for (const zorvan::ToneParameter& parameter : zorvan::kToneParameters) {
    if (parameter.kind == kind) ids.push_back(parameter.id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

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

// Why a run ends before its work is done: the message for standard error and
// the exit status (a command line scanhost cannot read: 2; anything else: 1).
struct Stop {
  int status = 0;
  std::string message;
  explicit operator bool() const { return status != 0; }
};

// What scanhost is asked to do: the command line, then what checking it gave
// before anything is loaded, calls or lines to read from a file or standard
// input.
struct Job {
  std::string command;  // the first word that is no option, or help
  std::vector<std::string> operands;
  std::map<std::string, std::string> given;  // option name -> value
  std::vector<Call> calls;
  std::string inputName = "standard input";
  std::ifstream file;
  std::istream* input = &std::cin;

  bool has(const char* name) const { return given.count(name) != 0; }
  std::string value(const char* name) const { return has(name) ? given.at(name) : ""; }
  bool anyAffix() const { return has("prefix") || has("suffix1") || has("suffix2"); }
};

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
  job->given[name] = value;
  return {};
}

// Words starting with "--" are options, up to a word "--"; a word starting
// with a single '-' (a negative number, "-" for standard input) is none.
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
    if (optionsEnded || strncmp(argv[optind], "--", 2) != 0) {
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
  return {};
}

// The settings given on the command line as calls, checked like any call;
// the affix characters not given stay `current`. A setting that does not read
// sets `stop`.
std::vector<Call> settingCalls(const Job& job, const int64_t* current, Stop* stop) {
  std::vector<Call> settings;
  std::string error;
  const auto set = [&](int index, const std::string& text, const std::string& option) {
    if (!setArgument(&settings.back(), index, text, &error) && !*stop) {
      *stop = Stop{EXIT_FAILURE, option + ": " + error};
    }
  };
  if (job.anyAffix())
    settings.push_back(makeCall("SetAffixChars", {current[0], current[1], current[2]}));
  for (int a = 0; a < 3; ++a) {
    if (job.has(kAffixOptions[a]))
      set(a, job.value(kAffixOptions[a]), "--prefix/--suffix1/--suffix2");
  }
  for (const auto& [option, operation] : kSettingOptions) {
    const std::string text = job.value(option);
    const bool onOff = strcmp(option, "good-read-beep") == 0 && (text == "on" || text == "off");
    if (text.empty()) continue;
    settings.push_back(makeCall(operation));
    set(0, onOff ? (text == "on" ? "1" : "0") : text, "--" + std::string(option));
  }
  if (!job.value("good-read-beep").empty() || !job.value("trigger-mode").empty()) {
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
    reportError("%s: there is no scanner object (Destructor destroyed it; NewScanner makes one)",
                operation.name);
    return false;
  }
  operation.invoke(session, call, result);
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
bool applySettings(Session& session, const Job& job, Runner run) {
  CallResult affixes;
  if (job.anyAffix() &&
      (!run(session, makeCall("GetAffixChars"), &affixes) || affixes.value != ResultOk)) {
    reportError("GetAffixChars failed; cannot set the affix characters");
    return false;
  }
  Stop checkedBefore;  // every setting was read when the job was prepared
  for (const Call& setting : settingCalls(job, affixes.outValues, &checkedBefore)) {
    CallResult result;
    if (!run(session, setting, &result)) return false;
    if (result.value == ResultOk) continue;
    reportError("setting %s was refused: %s", describeCall(setting).c_str(),
                statusText(result.value).c_str());
    return false;
  }
  return true;
}

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
  // ReadLabel: symbology, length; the record: length, symbology. A line is
  // cut at 2047 bytes.
  char line[2048];
  snprintf(line, sizeof line, "label %u: symbology %lld, length %lld, \"%s\"", serial,
           static_cast<long long>(result.outValues[fromRecord ? 1 : 0]),
           static_cast<long long>(result.outValues[fromRecord ? 0 : 1]),
           escaped(result.outBytes).c_str());
  Guard guard(host.lock);
  emitLocked(line);
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
  if (pushed != 0) reportError("%s: the virtual device refused the label", where.c_str());
  if (pushed == 0 && !idle) {
    reportError("%s: the scanner did not take the label within %u ms; stopping", where.c_str(),
                kLabelTimeoutMs);
  }
  if (idle && events == 0) reportError("%s: the label brought no scan event", where.c_str());
  return pushed != 0 || idle;
}

void runLabels(Session& session, Job& job, bool fromRecord) {
  if (!runRequired(session, makeCall("EnableScanner"))) return;
  std::string line;
  for (int number = 1; std::getline(*job.input, line); ++number) {
    const std::string where = job.inputName + ":" + std::to_string(number);
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

void runScript(Session& session, Job& job) {
  const bool interactive = job.input == &std::cin && isatty(STDIN_FILENO) != 0;
  std::string line;
  for (int number = 1;; ++number) {
    if (interactive) {
      fputs("scanhost> ", stdout);
      fflush(stdout);
    }
    if (!std::getline(*job.input, line)) break;
    const std::string where = job.inputName + ":" + std::to_string(number);
    if (!runScriptLine(session, line, where, interactive)) return;
  }
  if (interactive) fputc('\n', stdout);  // end the prompt line left by end of input
}

// ---- main ----------------------------------------------------------------------

// What show reads back, in this order: every setting and state the
// interface can report. Retrieval operations are left out, since they
// consume the label.
std::vector<Call> showCalls() {
  std::vector<Call> calls;
  const auto each = [&calls](std::initializer_list<const char*> names) {
    for (const char* name : names) calls.push_back(makeCall(name));
  };
  const auto byId = [&calls](const char* name, const std::vector<int64_t>& ids) {
    for (const int64_t id : ids) calls.push_back(makeCall(name, {id}));
  };
  each({"IsScannerEnabled", "GetReadLedState", "GetAffixChars", "GetAffixMode",
        "GetStoredSelector2", "GetGoodReadBeep", "GetTriggerMode", "GetAuxFlag", "GetStoredFlag1",
        "GetStoredLevel1", "GetStoredLevel2", "GetStoredLevel3", "GetStoredCode",
        "GetStoredSelector"});
  byId("GetToneDuration", toneIds(zorvan::ToneKind::kDuration));
  byId("GetToneFrequency", toneIds(zorvan::ToneKind::kFrequency));
  byId("GetSymbologyEnabled", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 14, 15, 83, 84, 85});
  byId("GetSymbologyLengths", {0, 5, 6, 7, 9, 11});
  byId("GetSymbologyOption", {0, 1, 2, 6, 11});
  byId("GetSymbologyOption2", {1, 2});
  each({"GetOptionA1", "GetOptionA4", "GetOptionB1", "GetOptionB2", "GetOptionE1",
        "GetOptionF1Bit1"});
  byId("GetOptionIByKind", {0});
  each({"GetOptionIKind3", "GetOptionITriple", "GetOptionJ"});
  return calls;
}

// Checks what the command was given before anything is loaded. Without
// operations, call reads them from standard input like script.
Stop prepareJob(Job* job) {
  const std::string& command = job->command;
  const std::vector<std::string>& operands = job->operands;
  std::string error;
  if (command == "call" && !operands.empty()) {
    if (!parseCalls(operands, &job->calls, &error)) return Stop{EXIT_FAILURE, error};
  } else if ((command == "patterns" || command == "show") && !operands.empty()) {
    return Stop{kExitUsage, command + " takes no operands"};
  } else if (command == "show") {
    job->calls = showCalls();
  } else if (command == "patterns") {
    for (int pattern = 1; pattern <= kLastPattern; ++pattern) {
      job->calls.push_back(makeCall("PlayTonePattern", {pattern}));
    }
  } else if (command != "run" && command != "script" && command != "call") {
    return Stop{kExitUsage, "unknown command '" + command + "' (see scanhost --help)"};
  } else if (operands.size() > 1) {
    return Stop{kExitUsage, command + " takes one file, got " + std::to_string(operands.size())};
  } else if (!operands.empty() && operands[0] != "-") {
    job->inputName = operands[0];
    job->file.open(job->inputName);
    job->input = &job->file;
    if (!job->file.is_open()) {
      return Stop{EXIT_FAILURE, "cannot open " + job->inputName + ": " + strerror(errno)};
    }
  }
  // The settings are checked before anything is loaded.
  const int64_t unknownAffixes[3] = {};
  Stop stop;
  settingCalls(*job, unknownAffixes, &stop);
  return stop;
}

// Loads, makes the object, applies the settings and does the job.
Stop runJob(Job& job) {
  const std::string wavPath = job.value("wav");
  std::string error;
  if (!wavPath.empty() && !openWav(wavPath, &error)) return Stop{EXIT_FAILURE, error};
  // The host's callbacks print scan events, debug messages and tones as they come.
  Session session;
  session.eventCallback = onScanEvent;
  session.debugCallback = onDebugMessage;
  session.toneCallback = onTone;
  const std::string virtualDir = job.value("virtual");
  if (virtualDir == "none" && job.command == "run") {
    return Stop{EXIT_FAILURE, "run needs the virtual device (--virtual none was given)"};
  }
  const bool loaded = virtualDir == "none" || loadVirtualDevice(virtualDir, &session, &error);
  session.newScanner = loaded ? loadPlugin(job.value("plugin"), &error) : nullptr;
  if (session.newScanner == nullptr) return Stop{EXIT_FAILURE, error};
  const Runner run = job.command == "run" ? runCall : execute;
  CallResult created;
  if (!run(session, makeCall("NewScanner"), &created)) return {EXIT_FAILURE, ""};
  // A setting refused is reported, and nothing else is done.
  const bool ready = applySettings(session, job, run);
  if (ready && job.command == "run") {
    runLabels(session, job, job.value("fetch") == "record");
  } else if (ready && !job.calls.empty()) {
    runCalls(session, job.calls);
  } else if (ready) {
    runScript(session, job);
  }
  delete session.scanner;
  if (!closeWav()) reportError("%s: writing the WAV file failed", wavPath.c_str());
  Guard guard(host.lock);
  return {host.errors == 0 ? 0 : EXIT_FAILURE, ""};
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

Stop runCommandLine(int argc, char** argv) {
  Job job;
  if (Stop stop = parseOptions(argc, argv, &job)) return stop;
  const bool usage = job.command.empty() || job.command == "help";
  if (usage || job.command == "ops") {
    fputs(usage ? kUsage : listOperations().c_str(), job.command.empty() ? stderr : stdout);
    return {job.command.empty() ? kExitUsage : 0, ""};
  }
  if (Stop stop = prepareJob(&job)) return stop;
  return runJob(job);
}

int run(int argc, char** argv) {
  setUpOutput();
  const Stop stop = runCommandLine(argc, argv);
  if (!stop.message.empty()) reportError("%s", stop.message.c_str());
  return stop.status;
}

}  // namespace
}  // namespace scanhost

int main(int argc, char** argv) { return scanhost::run(argc, argv); }

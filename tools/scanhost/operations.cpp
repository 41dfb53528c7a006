#include "operations.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <type_traits>
#include <utility>

#include "operation_reference.h"
#include "records.h"

namespace scanhost {

// ---- Argument and result kinds -----------------------------------------------

struct ArgKind {
  const char* listing;               // in `ops`
  int64_t min, max;                  // the range of a number
  std::optional<int64_t> byDefault;  // when the argument may be left out
  const char* expected;              // in error messages
};

struct ResultKind {
  const char* listing;  // in `ops`, with what else the call does
  bool namesOk;         // a status: 0 is ResultOk rather than a value
  bool namesFailures;   // -2 and -4 are statuses rather than values
};

namespace {

// Escapes with a letter of their own, and the bytes they stand for; every
// other escape is \xHH.
const char kEscapeLetters[] = {'n', 'r', 't', '\\'};
const char kEscapedBytes[] = {'\n', '\r', '\t', '\\'};

bool isHexDigit(char c) { return isxdigit(static_cast<unsigned char>(c)) != 0; }

// Says why in `error`; false, for the caller to return.
bool failure(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

// The host's buffers for the character-buffer operations and ReadLabel.
constexpr int kTextBufferSize = 256;
constexpr int kLabelBufferSize = 4096;

constexpr ArgKind kInt32{"int32", INT32_MIN, UINT32_MAX, std::nullopt, "a 32-bit integer"};
// The plug-in takes it unsigned; written signed or unsigned like kInt32.
constexpr ArgKind kUnsigned32{"uint32", INT32_MIN, UINT32_MAX, std::nullopt, "a 32-bit integer"};
constexpr ArgKind kUnsigned16{"uint16", INT16_MIN, UINT16_MAX, std::nullopt,
                              "a 16-bit integer (-32768..65535)"};
// A number, one character, or an escape.
constexpr ArgKind kByte{
    "byte", INT8_MIN, UINT8_MAX, std::nullopt,
    "a byte: a number -128..255, one character, or one of \\n \\r \\t \\\\ \\xHH"};
// on or off: register the host's callback or an empty one.
constexpr ArgKind kSwitch{"on|off", 0, 1, std::nullopt, "on or off"};
// The size handed with a character buffer, and ReadLabel's maximum count:
// at most what the host's buffer holds.
constexpr ArgKind kBufferSize{"int32", INT32_MIN, kTextBufferSize, 64,
                              "a 32-bit integer of at most 256 (the host's buffer)"};
constexpr ArgKind kLabelCount{"int32", INT32_MIN, kLabelBufferSize - 1, 4095,
                              "a 32-bit integer of at most 4095 (the host's buffer)"};
// PushLabel's symbology and label, escaped as in label files.
constexpr ArgKind kSymbology{"int32", INT32_MIN, INT32_MAX, std::nullopt, "a 32-bit integer"};
constexpr ArgKind kLabelText{"text", 0, 0, std::nullopt, "text"};

// The callback registrations, the destructor and the host's own calls.
constexpr ResultKind kNone{"none", false, false};
// ResultOk, ResultUnsupported or ResultRejected.
constexpr ResultKind kStatus{"status", true, true};
// A status, from an operation that plays a tone pattern in the calling thread...
constexpr ResultKind kPatternStatus{"status, plays tones", true, true};
// ...or from a setter whose change the getters see only after ApplySettings.
constexpr ResultKind kPendingStatus{"status, pending until ApplySettings", true, true};
constexpr ResultKind kValue{"value", false, false};
constexpr ResultKind kFlag{"flag", false, false};
constexpr ResultKind kFlagOrStatus{"flag or status", false, true};
constexpr ResultKind kValueOrStatus{"value or status", false, true};
constexpr ResultKind kStateOrStatus{"state or status", false, true};

bool parseArgument(const ArgKind& kind, const std::string& text, int64_t* value) {
  if (&kind == &kSwitch) {
    *value = text == "on" || text == "1";
    return *value == 1 || text == "off" || text == "0";
  }
  if (parseInteger(text, kind.min, kind.max, value)) return true;
  // A byte may also be one character or one escape.
  std::string bytes, error;
  if (&kind != &kByte || !decodeEscapes(text, 1, &bytes, &error) || bytes.size() != 1) return false;
  *value = static_cast<uint8_t>(bytes[0]);
  return true;
}

// ---- Invokers ----------------------------------------------------------------

void setNumbers(std::initializer_list<int64_t> numbers, CallResult* result) {
  std::copy(numbers.begin(), numbers.end(), result->outValues);
  result->numbers = static_cast<int>(numbers.size());
}

// The argument kind of a parameter type of the interface.
template <typename T>
constexpr const ArgKind* kindOf() {
  if (std::is_same<T, int8_t>::value) return &kByte;
  if (std::is_same<T, uint16_t>::value) return &kUnsigned16;
  return std::is_same<T, uint32_t>::value ? &kUnsigned32 : &kInt32;
}

// Operations whose arguments are all plain integers: the argument kinds come
// from the interface's own declaration, so the table cannot disagree with it.
template <typename... A>
constexpr std::array<const ArgKind*, kMaxArgs> kindsOf(int16_t (ScannerInterface1::*)(A...)) {
  return {kindOf<A>()...};
}

// Arguments were checked against their kind; the cast keeps the low bits, so
// 4294967295 reaches a 32-bit parameter as -1 (0xFFFFFFFF).
template <typename... A, size_t... I>
int16_t callWith(ScannerInterface1* scanner, int16_t (ScannerInterface1::*method)(A...),
                 [[maybe_unused]] const int64_t* args, std::index_sequence<I...>) {
  return (scanner->*method)(static_cast<A>(args[I])...);
}

template <typename... A>
int16_t callWith(ScannerInterface1* scanner, int16_t (ScannerInterface1::*method)(A...),
                 const int64_t* args) {
  return callWith(scanner, method, args, std::index_sequence_for<A...>{});
}

template <auto method>
void invokePlain(Session& session, const Call& call, CallResult* result) {
  result->value = callWith(session.scanner, method, call.args);
}

// Registers the host's callback with `on`, none with `off`.
template <auto setter, auto callback>
void registerCallback(Session& session, const Call& call, CallResult*) {
  (session.scanner->*setter)(call.args[0] != 0 ? session.*callback : nullptr);
}

void destroy(Session& session, const Call&, CallResult*) {
  delete session.scanner;
  session.scanner = nullptr;
}

// Memory handed to the plug-in is filled with kFill and followed by guard
// bytes, so that writes past what the plug-in was given show up.
constexpr uint8_t kFill = 0xA5;
constexpr size_t kGuardBytes = 16;

void checkBounds(const uint8_t* buffer, size_t bufferSize, size_t given, CallResult* result) {
  if (std::any_of(buffer + given, buffer + bufferSize, [](uint8_t b) { return b != kFill; })) {
    result->fault = "wrote past the " + std::to_string(given) + " bytes it was given";
  }
}

// The text the plug-in wrote into `room` bytes of a buffer, up to its zero.
// Without the zero, a text that fills the room is a fault, and so is an
// empty room when `emptyNeedsZero`.
void takeText(const uint8_t* buffer, size_t bufferSize, size_t room, bool emptyNeedsZero,
              CallResult* result) {
  checkBounds(buffer, bufferSize, room, result);
  if (result->value != ResultOk) return;
  const size_t length = std::find(buffer, buffer + room, 0) - buffer;
  if (length == room && (room > 0 || emptyNeedsZero) && result->fault.empty()) {
    result->fault = "left no terminating zero within the " + std::to_string(room) + " bytes";
  }
  result->outBytes.assign(reinterpret_cast<const char*>(buffer), length);
}

void getSymbologyLengths(Session& session, const Call& call, CallResult* result) {
  uint16_t mode = 0, first = 0, second = 0;
  const int32_t id = static_cast<int32_t>(call.args[0]);
  result->value = session.scanner->GetSymbologyLengths(id, &mode, &first, &second);
  setNumbers({mode, first, second}, result);
}

void getAffixChars(Session& session, const Call&, CallResult* result) {
  int8_t prefix = 0, suffix1 = 0, suffix2 = 0;
  result->value = session.scanner->GetAffixChars(&prefix, &suffix1, &suffix2);
  setNumbers({prefix, suffix1, suffix2}, result);
}

void getLastLabelRecord(Session& session, const Call&, CallResult* result) {
  uint8_t record[LabelRecordSize + kGuardBytes];
  memset(record, kFill, sizeof record);
  result->value = session.scanner->GetLastLabelRecord(record);
  checkBounds(record, sizeof record, LabelRecordSize, result);
  const LabelRecordFields fields = decodeLabelRecord(record);
  setNumbers({fields.length, fields.symbology, fields.reserved}, result);
  result->outBytes.assign(reinterpret_cast<const char*>(fields.data), fields.shownLength);
}

void readLabel(Session& session, const Call& call, CallResult* result) {
  uint8_t buffer[kLabelBufferSize + kGuardBytes];
  memset(buffer, kFill, sizeof buffer);
  int16_t symbology = 0;
  const int32_t count = static_cast<int32_t>(call.args[0]);
  result->value = session.scanner->ReadLabel(count, &symbology, reinterpret_cast<char*>(buffer));
  // The plug-in may write the count's bytes and a terminating zero.
  takeText(buffer, sizeof buffer, count >= 0 ? count + size_t{1} : 0, true, result);
  setNumbers({symbology, static_cast<int64_t>(result->outBytes.size())}, result);
}

// GetScannerModelName, GetBuildVersion, GetInterfaceId.
template <int16_t (ScannerInterface1::*M)(char*, int32_t)>
void getText(Session& session, const Call& call, CallResult* result) {
  uint8_t buffer[kTextBufferSize + kGuardBytes];
  memset(buffer, kFill, sizeof buffer);
  const int32_t size = static_cast<int32_t>(call.args[0]);
  result->value = (session.scanner->*M)(reinterpret_cast<char*>(buffer), size);
  takeText(buffer, sizeof buffer, size > 0 ? static_cast<size_t>(size) : 0, false, result);
}

void newScanner(Session& session, const Call&, CallResult* result) {
  if (session.scanner != nullptr) {
    result->notCalled = "NewScanner: an object exists already (call Destructor first)";
  } else if ((session.scanner = session.newScanner()) == nullptr) {
    result->notCalled = "NewScanner returned no object";
  } else {
    session.scanner->SetEvtAddEventToQueueCallBack(session.eventCallback);
    session.scanner->SetEvtDebugMessageCallBack(session.debugCallback);
    session.scanner->SetEvtPlayToneCallBack(session.toneCallback);
    result->hostResult = "object, callbacks registered";
  }
}

// The label goes into the virtual device's queue; when the scanner is
// enabled, waits until the scan thread has handled it.
void pushLabel(Session& session, const Call& call, CallResult* result) {
  if (session.pushLabel == nullptr) {
    result->notCalled = "PushLabel needs the virtual device (--virtual none was given)";
  } else if (session.pushLabel(static_cast<int32_t>(call.args[0]),
                               reinterpret_cast<const uint8_t*>(call.label.data()),
                               static_cast<uint32_t>(call.label.size())) != 0) {
    result->notCalled = "PushLabel: the virtual device refused the label (its queue is full)";
  } else if (session.scannerEnabled() == 0) {
    result->hostResult = "queued (the scanner is disabled; it reads the label once enabled)";
  } else if (session.waitIdle(kLabelTimeoutMs) != 1) {
    result->notCalled = "PushLabel: the scanner did not take the label within " +
                        std::to_string(kLabelTimeoutMs) + " ms";
  } else {
    result->hostResult = "read";
  }
}

// ---- The table ---------------------------------------------------------------

// An operation with integer arguments only, then their names.
#define PLAIN(position, name, result, ...)                                    \
  {                                                                           \
#name, position, &result, kindsOf(&ScannerInterface1::name), __VA_ARGS__, \
        {}, invokePlain < &ScannerInterface1::name>                           \
  }
// Any other: its invoker, argument kinds, argument names and out-value names.
#define SPECIAL(position, name, result, invoker, ...) \
  { #name, position, &result, __VA_ARGS__, invoker }
// An operation that registers one of the host's callbacks (on), or none (off).
#define SETS_CALLBACK(position, name, callback)                                                    \
  SPECIAL(position, name, kNone, (registerCallback<&ScannerInterface1::name, &Session::callback>), \
          {&kSwitch}, {"callback"}, {})
// An operation that copies a text into a buffer of the size given.
#define GETS_TEXT(position, name)                                                               \
  SPECIAL(position, name, kStatus, getText<&ScannerInterface1::name>, {&kBufferSize}, {"size"}, \
          {"text"})

// Sorted by position; then the host's own calls.
constexpr Operation kTable[] = {
    SETS_CALLBACK(0, SetEvtAddEventToQueueCallBack, eventCallback),
    SETS_CALLBACK(1, SetEvtDebugMessageCallBack, debugCallback),
    SETS_CALLBACK(2, SetEvtPlayToneCallBack, toneCallback),
    PLAIN(3, DisableAuxFlag, kPendingStatus, {}),
    PLAIN(4, EnableAuxFlag, kPendingStatus, {}),
    PLAIN(5, PlayTonePattern, kPatternStatus, {"pattern"}),
    PLAIN(6, NotSupported6, kStatus, {}),
    PLAIN(7, ReadLedOff, kStatus, {}),
    PLAIN(8, ReadLedOn, kStatus, {}),
    PLAIN(9, ResetToDefaults, kStatus, {}),
    PLAIN(10, DisableScanner, kStatus, {}),
    PLAIN(11, EnableScanner, kStatus, {}),
    PLAIN(12, ApplySettings, kPatternStatus, {"pattern"}),
    PLAIN(13, StartSoftwareTrigger, kPatternStatus, {}),
    PLAIN(14, StopSoftwareTrigger, kStatus, {}),
    PLAIN(15, NotSupported15, kStatus, {}),
    PLAIN(16, NotSupported16, kStatus, {}),
    PLAIN(17, GetStoredLevel2, kValue, {}),
    PLAIN(18, GetAuxFlag, kFlag, {}),
    PLAIN(19, GetStoredCode, kValue, {}),
    PLAIN(20, GetSymbologyEnabled, kFlagOrStatus, {"id"}),
    SPECIAL(21, GetSymbologyLengths, kStatus, getSymbologyLengths, {&kInt32}, {"id"},
            {"mode", "first", "second"}),
    PLAIN(22, GetGoodReadBeep, kFlag, {}),
    PLAIN(23, GetToneDuration, kValueOrStatus, {"id"}),
    PLAIN(24, GetToneFrequency, kValueOrStatus, {"id"}),
    PLAIN(25, GetStoredFlag1, kFlag, {}),
    PLAIN(26, GetOptionB2, kFlagOrStatus, {}),
    PLAIN(27, NoOpA, kValue, {}),
    PLAIN(28, GetOptionA4, kFlagOrStatus, {}),
    PLAIN(29, GetOptionA1, kFlagOrStatus, {}),
    PLAIN(30, GetOptionIByKind, kFlagOrStatus, {"kind"}),
    SPECIAL(31, GetLastLabelRecord, kStatus, getLastLabelRecord, {}, {},
            {"length", "symbology", "reserved", "data"}),
    PLAIN(32, GetStoredLevel3, kValue, {}),
    GETS_TEXT(33, GetScannerModelName),
    PLAIN(34, GetOptionITriple, kStateOrStatus, {}),
    PLAIN(35, FixedTrueA, kValue, {}),
    PLAIN(36, GetOptionIKind3, kFlagOrStatus, {}),
    SPECIAL(37, ReadLabel, kStatus, readLabel, {&kLabelCount}, {"count"},
            {"symbology", "length", "text"}),
    PLAIN(38, NotSupported38, kStatus, {}),
    PLAIN(39, GetOptionE1, kStateOrStatus, {}),
    PLAIN(40, GetStoredLevel1, kValue, {}),
    PLAIN(41, GetStoredSelector, kValue, {}),
    PLAIN(42, GetReadLedState, kFlag, {}),
    PLAIN(43, FixedTrueB, kValue, {}),
    PLAIN(44, GetOptionF1Bit1, kFlagOrStatus, {}),
    PLAIN(45, GetOptionB1, kFlagOrStatus, {}),
    SPECIAL(46, GetAffixChars, kStatus, getAffixChars, {}, {}, {"prefix", "suffix1", "suffix2"}),
    PLAIN(47, GetAffixMode, kValue, {}),
    PLAIN(48, IsScannerEnabled, kFlag, {}),
    GETS_TEXT(49, GetBuildVersion),
    GETS_TEXT(50, GetInterfaceId),
    PLAIN(51, NotSupported51, kStatus, {}),
    PLAIN(52, GetSymbologyOption, kFlagOrStatus, {"id"}),
    PLAIN(53, GetOptionJ, kStateOrStatus, {}),
    PLAIN(54, GetTriggerMode, kValue, {}),
    PLAIN(55, NotSupported55, kStatus, {}),
    PLAIN(56, GetStoredSelector2, kValue, {}),
    PLAIN(57, GetSymbologyOption2, kFlagOrStatus, {"id"}),
    PLAIN(58, SetStoredLevel2, kPendingStatus, {"value"}),
    PLAIN(59, SetStoredCode, kPendingStatus, {"value"}),
    PLAIN(60, SetSymbologyEnabled, kStatus, {"id", "flag"}),
    PLAIN(61, SetSymbologyLengths, kStatus, {"id", "mode", "first", "second"}),
    PLAIN(62, SetGoodReadBeep, kPendingStatus, {"flag"}),
    PLAIN(63, SetToneDuration, kStatus, {"id", "value"}),
    PLAIN(64, SetToneFrequency, kStatus, {"id", "value"}),
    PLAIN(65, SetStoredFlag1, kPendingStatus, {"flag"}),
    PLAIN(66, SetOptionB2, kStatus, {"flag"}),
    PLAIN(67, NotSupported67, kStatus, {}),
    PLAIN(68, SetOptionA4, kStatus, {"flag"}),
    PLAIN(69, SetOptionA1, kStatus, {"flag"}),
    PLAIN(70, SetOptionIByKind, kStatus, {"kind", "flag"}),
    PLAIN(71, SetStoredLevel3, kPendingStatus, {"value"}),
    PLAIN(72, SetOptionITriple, kStatus, {"state"}),
    PLAIN(73, NoOpB, kValue, {}),
    PLAIN(74, SetOptionIKind3, kStatus, {"flag"}),
    PLAIN(75, NotSupported75, kStatus, {}),
    PLAIN(76, SetOptionE1, kStatus, {"state"}),
    PLAIN(77, SetStoredLevel1, kPendingStatus, {"value"}),
    PLAIN(78, SetStoredSelector, kPendingStatus, {"value"}),
    PLAIN(79, AcceptValueOne, kStatus, {"value"}),
    PLAIN(80, SetOptionF1Bit1, kStatus, {"flag"}),
    PLAIN(81, SetOptionB1, kStatus, {"flag"}),
    PLAIN(82, SetAffixChars, kStatus, {"prefix", "suffix1", "suffix2"}),
    PLAIN(83, SetAffixMode, kStatus, {"mode"}),
    PLAIN(84, NotSupported84, kStatus, {}),
    PLAIN(85, SetSymbologyOption, kStatus, {"id", "value"}),
    PLAIN(86, SetOptionJ, kStatus, {"state"}),
    PLAIN(87, SetTriggerMode, kPendingStatus, {"mode"}),
    PLAIN(88, SetStoredSelector2, kStatus, {"value"}),
    PLAIN(89, SetSymbologyOption2, kStatus, {"id", "value"}),
    SPECIAL(90, Destructor, kNone, destroy, {}, {}, {}),
    SPECIAL(-1, NewScanner, kNone, newScanner, {}, {}, {}),
    SPECIAL(-1, PushLabel, kNone, pushLabel, {&kSymbology, &kLabelText}, {"symbology", "text"}, {}),
};

// Names or kinds are set up to the first null.
template <typename T>
int countSet(const std::array<T, kMaxArgs>& items) {
  return static_cast<int>(std::find(items.begin(), items.end(), nullptr) - items.begin());
}

static_assert(std::size(kTable) == kOperationCount + 2,
              "one entry an operation, and the host's two calls");

// ---- Calls -------------------------------------------------------------------

int argCount(const Operation& operation) { return countSet(operation.kinds); }

// All arguments are required but a last one that has a default.
int requiredCount(const Operation& operation) {
  const int count = argCount(operation);
  return count > 0 && operation.kinds[count - 1]->byDefault ? count - 1 : count;
}

std::string joined(const std::array<const char*, kMaxArgs>& names) {
  std::string out;
  for (int i = 0; i < countSet(names); ++i) out += (i > 0 ? " " : "") + std::string(names[i]);
  return out;
}

std::string expectedArguments(const Operation& operation) {
  const int count = argCount(operation);
  const int required = requiredCount(operation);
  const std::string name = operation.name;
  if (count == 0) return name + " takes no arguments";
  const std::string number = required == count
                                 ? std::to_string(count)
                                 : std::to_string(required) + " or " + std::to_string(count);
  return name + " takes " + number + (number == "1" ? " argument (" : " arguments (") +
         joined(operation.args) + ")";
}

std::string unknownOperation(const std::string& name) {
  const Operation* const end = kTable + kOperationCount;
  const Operation* near = std::find_if(kTable, end, [&](const Operation& operation) {
    return strcasecmp(name.c_str(), operation.name) == 0;
  });
  return "unknown operation '" + name + "' " +
         (near != end ? "(did you mean " + std::string(near->name) + "?)"
                      : "('scanhost ops' lists the operations)");
}

const Operation* findOperation(const std::string& name) {
  const auto found =
      std::find_if(std::begin(kTable), std::end(kTable),
                   [&](const Operation& operation) { return name == operation.name; });
  return found != std::end(kTable) ? found : nullptr;
}

// Operation names look like identifiers; arguments are numbers, single
// characters, escapes or on/off. A name-like word ends an argument list.
bool nameLike(const std::string& word) {
  return word.size() >= 2 && word != "on" && word != "off" &&
         isalpha(static_cast<unsigned char>(word[0])) &&
         std::all_of(word.begin(), word.end(),
                     [](unsigned char c) { return isalnum(c) || c == '_'; });
}

}  // namespace

// ---- Text forms ------------------------------------------------------------------

bool parseInteger(const std::string& text, int64_t min, int64_t max, int64_t* value) {
  // strtoll skips leading blanks and, in base 0, reads a leading 0 as octal:
  // neither is wanted, so the base is chosen here.
  if (text.empty() || isspace(static_cast<unsigned char>(text[0]))) return false;
  const size_t sign = text[0] == '-' || text[0] == '+' ? 1 : 0;
  const bool hexadecimal = text.compare(sign, 2, "0x") == 0 || text.compare(sign, 2, "0X") == 0;
  char* end = nullptr;
  const long long parsed = strtoll(text.c_str(), &end, hexadecimal ? 16 : 10);
  // Out of range, strtoll gives its own limits, which lie outside every range used here.
  if (end != text.c_str() + text.size() || parsed < min || parsed > max) return false;
  *value = parsed;
  return true;
}

bool decodeEscapes(const std::string& text, size_t firstColumn, std::string* bytes,
                   std::string* error) {
  bytes->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes->push_back(text[i]);
      continue;
    }
    const std::string where = " at column " + std::to_string(firstColumn + i);
    if (i + 1 == text.size())
      return failure(error, "lone backslash" + where + " (write \\\\ for a backslash)");
    const char letter = text[++i];
    const char* named = std::find(std::begin(kEscapeLetters), std::end(kEscapeLetters), letter);
    if (named != std::end(kEscapeLetters)) {
      bytes->push_back(kEscapedBytes[named - kEscapeLetters]);
    } else if (letter == 'x' && i + 2 < text.size() && isHexDigit(text[i + 1]) &&
               isHexDigit(text[i + 2])) {
      bytes->push_back(static_cast<char>(strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16)));
      i += 2;
    } else {
      return failure(error, letter == 'x' ? "\\x" + where + " needs two hexadecimal digits"
                                          : std::string("unknown escape \\") + letter + where +
                                                " (known: \\n \\r \\t \\\\ \\xHH)");
    }
  }
  return true;
}

std::string escaped(const uint8_t* bytes, size_t length) {
  std::string out;
  for (const uint8_t* byte = bytes; byte != bytes + length; ++byte) {
    const char c = static_cast<char>(*byte);
    const char* named = std::find(std::begin(kEscapedBytes), std::end(kEscapedBytes), c);
    if (named != std::end(kEscapedBytes)) {
      out += {'\\', kEscapeLetters[named - kEscapedBytes]};
    } else if (*byte >= 0x20 && *byte < 0x7F) {
      out += c;
    } else {
      out += "\\x" + hex(*byte);
    }
  }
  return out;
}

std::string hex(uint8_t byte) {
  char digits[3];
  snprintf(digits, sizeof digits, "%02X", byte);
  return digits;
}

LineKind parseLabelLine(const std::string& rawLine, LabelLine* label, std::string* error) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\r') line.pop_back();

  const size_t firstVisible = line.find_first_not_of(" \t");
  if (firstVisible == std::string::npos || line[firstVisible] == '#') return LineKind::kSkip;

  const size_t blank = std::min(line.find_first_of(" \t"), line.size());
  const std::string number = line.substr(0, blank);
  int64_t symbology = 0;
  if (firstVisible != 0) {
    *error = "starts with a blank; a line starts with the vendor symbology number";
  } else if (!parseInteger(number, INT32_MIN, INT32_MAX, &symbology)) {
    *error = "'" + number + "' is not a vendor symbology number (a 32-bit integer)";
  } else if (blank == line.size()) {
    *error = "no label after the symbology (write '<symbology> <text>')";
  } else if (decodeEscapes(line.substr(blank + 1), blank + 2, &label->bytes, error)) {
    if (label->bytes.size() <= kMaxLabelBytes) {
      label->symbology = static_cast<int32_t>(symbology);
      return LineKind::kLabel;
    }
    *error = "label of " + std::to_string(label->bytes.size()) +
             " bytes is longer than the virtual device takes (" + std::to_string(kMaxLabelBytes) +
             ")";
  }
  return LineKind::kMalformed;
}

// ---- Operations and calls ----------------------------------------------------------

bool parseCalls(const std::vector<std::string>& words, std::vector<Call>* calls,
                std::string* error) {
  for (size_t i = 0; i < words.size();) {
    const Operation* operation = findOperation(words[i]);
    if (operation == nullptr) return failure(error, unknownOperation(words[i]));
    // The arguments run up to the next call's name. A word that is no
    // call's name is still taken as an argument while one is wanting, so
    // that it is reported as an argument of the wrong kind.
    const size_t first = ++i;
    while (i < words.size() && findOperation(words[i]) == nullptr &&
           (i - first < static_cast<size_t>(argCount(*operation)) || !nameLike(words[i]))) {
      ++i;
    }
    const int given = static_cast<int>(i - first);
    if (given < requiredCount(*operation) || given > argCount(*operation)) {
      return failure(error, expectedArguments(*operation) + ", got " + std::to_string(given));
    }
    Call call = makeCall(operation->name);
    for (int a = 0; a < given; ++a) {
      if (!setArgument(&call, a, words[first + a], error)) return false;
    }
    calls->push_back(call);
  }
  return true;
}

Call makeCall(const char* name, std::initializer_list<int64_t> args) {
  const Operation& operation = *findOperation(name);
  Call call;
  call.operation = &operation;
  for (int a = 0; a < argCount(operation); ++a) {
    call.args[a] = a < static_cast<int>(args.size()) ? args.begin()[a]
                                                     : operation.kinds[a]->byDefault.value_or(0);
    call.argTexts.push_back(std::to_string(call.args[a]));
  }
  return call;
}

bool setArgument(Call* call, int index, const std::string& text, std::string* error) {
  const Operation& operation = *call->operation;
  const ArgKind& kind = *operation.kinds[index];
  const std::string argument = std::string(operation.name) + ": " + operation.args[index];
  if (&kind == &kLabelText && !decodeEscapes(text, 1, &call->label, error)) {
    return failure(error, argument + ": " + *error);
  }
  if (&kind == &kLabelText && call->label.size() > kMaxLabelBytes) {
    return failure(error, std::string(operation.name) + ": a label of " +
                              std::to_string(call->label.size()) +
                              " bytes is longer than the virtual device takes (" +
                              std::to_string(kMaxLabelBytes) + ")");
  }
  if (&kind != &kLabelText && !parseArgument(kind, text, &call->args[index])) {
    return failure(error, argument + " must be " + kind.expected + ", not '" + text + "'");
  }
  call->argTexts[index] = text;
  return true;
}

bool playsPattern(const Operation& operation) { return operation.result == &kPatternStatus; }

std::string describeCall(const Call& call) {
  std::string out = call.operation->name;
  for (const std::string& text : call.argTexts) out += " " + text;
  return out;
}

std::string describeResult(const Call& call, const CallResult& result) {
  const Operation& operation = *call.operation;
  const ResultKind& kind = *operation.result;
  const char* name = statusName(result.value);
  if (&kind == &kNone) return " -> " + (result.hostResult.empty() ? "done" : result.hostResult);
  const bool named =
      name != nullptr && (result.value == ResultOk ? kind.namesOk : kind.namesFailures);
  std::string out = " -> " + std::to_string(result.value) +
                    (named          ? std::string(" ") + name
                     : kind.namesOk ? " (not a status)"
                                    : "");
  if (result.value != ResultOk) return out;
  if (&kind == &kPendingStatus) out += " (pending until ApplySettings)";
  for (int i = 0; i < countSet(operation.outputs); ++i) {
    out += std::string(" ") + operation.outputs[i] + "=" +
           (i < result.numbers ? std::to_string(result.outValues[i])
                               : "\"" + escaped(result.outBytes) + "\"");
  }
  return out;
}

namespace {

// The listing's header line, then a row: position, name, arguments and
// result, with the reference's facts under each of the 91 operations.
std::string listingHeader() {
  char line[256];
  snprintf(line, sizeof line, "%3s  %-30s %-48s %s\n", "#", "operation", "arguments", "result");
  return line;
}

std::string listingRow(const Operation& operation) {
  std::string arguments;
  for (int a = 0; a < argCount(operation); ++a) {
    const ArgKind& kind = *operation.kinds[a];
    const std::string argument = std::string(operation.args[a]) + ":" + kind.listing;
    arguments +=
        (a > 0 ? " " : "") +
        (kind.byDefault ? "[" + argument + "=" + std::to_string(*kind.byDefault) + "]" : argument);
  }
  if (operation.outputs[0] != nullptr) {
    arguments += (arguments.empty() ? "-> " : " -> ") + joined(operation.outputs);
  }
  char line[256];
  const std::string position = operation.position >= 0 ? std::to_string(operation.position) : "-";
  snprintf(line, sizeof line, "%3s  %-30s %-48s %s\n", position.c_str(), operation.name,
           arguments.empty() ? "-" : arguments.c_str(), operation.result->listing);
  return line + (operation.position >= 0 ? referenceLines(operation.position) : std::string());
}

}  // namespace

std::string listOperations() {
  std::string out =
      "Under each operation: what it takes, when a change takes effect, its answer on an\n"
      "opened object and on a half-open one (no driver; or the driver but no DeviceConfig),\n"
      "what it does with pointers, and calls on a new object with their answers in those\n"
      "three states (opened | no driver | no DeviceConfig).\n\n" +
      listingHeader();
  for (const Operation& operation : kTable) {
    if (operation.position >= 0) out += listingRow(operation);
  }
  return out +
         "\nBeside them: NewScanner (a new object after Destructor) and\n"
         "PushLabel symbology text (a label scanned on the virtual device; escapes as in label "
         "files).\n";
}

bool listOperations(const std::vector<std::string>& names, std::string* text, std::string* error) {
  std::string out = listingHeader();
  for (const std::string& name : names) {
    const Operation* operation = findOperation(name);
    if (operation == nullptr) return failure(error, unknownOperation(name));
    out += listingRow(*operation);
  }
  *text = out;
  return true;
}

}  // namespace scanhost

#include "operations.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <utility>

#include "label_lines.h"
#include "records.h"
#include "text_codec.h"

namespace scanhost {

namespace {

// ---- Argument kinds --------------------------------------------------------

struct ArgKindInfo {
  ArgKind kind;
  const char* listing;   // in `ops`
  const char* expected;  // in error messages
  int64_t min;
  int64_t max;
};

// One entry per ArgKind, in its order.
const ArgKindInfo kArgKindInfo[] = {
    {ArgKind::kInt32, "int32", "a 32-bit integer", INT32_MIN, UINT32_MAX},
    {ArgKind::kUnsigned32, "uint32", "a 32-bit integer", INT32_MIN, UINT32_MAX},
    {ArgKind::kUnsigned16, "uint16", "a 16-bit integer (-32768..65535)", INT16_MIN, UINT16_MAX},
    {ArgKind::kByte, "byte",
     "a byte: a number -128..255, one character, or one of \\n \\r \\t \\\\ \\xHH", INT8_MIN,
     UINT8_MAX},
    {ArgKind::kSwitch, "on|off", "on or off", 0, 1},
    {ArgKind::kBufferSize, "int32", "a 32-bit integer of at most 256 (the host's buffer)",
     INT32_MIN, kTextBufferSize},
    {ArgKind::kLabelCount, "int32", "a 32-bit integer of at most 4095 (the host's buffer)",
     INT32_MIN, kLabelBufferSize - 1},
};

const ArgKindInfo& infoOf(ArgKind kind) { return kArgKindInfo[static_cast<int>(kind)]; }

bool parseArgument(ArgKind kind, const std::string& text, int64_t* value) {
  const ArgKindInfo& info = infoOf(kind);
  if (kind == ArgKind::kSwitch) {
    if (text == "on" || text == "1")
      *value = 1;
    else if (text == "off" || text == "0")
      *value = 0;
    else
      return false;
    return true;
  }
  if (parseInteger(text, info.min, info.max, value)) return true;
  if (kind != ArgKind::kByte) return false;
  // A byte may also be one character or one escape.
  std::string bytes, error;
  if (!decodeEscapes(text, 1, &bytes, &error) || bytes.size() != 1) return false;
  *value = static_cast<uint8_t>(bytes[0]);
  return true;
}

// ---- Result kinds ----------------------------------------------------------

struct ResultKindInfo {
  ResultKind kind;
  const char* listing;
  bool namesOk;        // 0 is ResultOk rather than a value
  bool namesFailures;  // -2 and -4 are statuses rather than values
};

// One entry per ResultKind, in its order.
const ResultKindInfo kResultKindInfo[] = {
    {ResultKind::kNone, "none", false, false},
    {ResultKind::kStatus, "status", true, true},
    {ResultKind::kValue, "value", false, false},
    {ResultKind::kFlag, "flag", false, false},
    {ResultKind::kFlagOrStatus, "flag or status", false, true},
    {ResultKind::kValueOrStatus, "value or status", false, true},
    {ResultKind::kStateOrStatus, "state or status", false, true},
};

const ResultKindInfo& infoOf(ResultKind kind) { return kResultKindInfo[static_cast<int>(kind)]; }

struct StatusNameEntry {
  int16_t value;
  const char* name;
};
const StatusNameEntry kStatusNames[] = {
    {ResultOk, "ResultOk"},
    {ResultUnsupported, "ResultUnsupported"},
    {ResultRejected, "ResultRejected"},
};

// ---- Invokers ----------------------------------------------------------------

template <typename T>
constexpr ArgKind kindOf();
template <>
constexpr ArgKind kindOf<int32_t>() {
  return ArgKind::kInt32;
}
template <>
constexpr ArgKind kindOf<uint32_t>() {
  return ArgKind::kUnsigned32;
}
template <>
constexpr ArgKind kindOf<uint16_t>() {
  return ArgKind::kUnsigned16;
}
template <>
constexpr ArgKind kindOf<int8_t>() {
  return ArgKind::kByte;
}

// Operations whose arguments are all plain integers: the argument kinds come
// from the interface's own declaration, so the table cannot disagree with it.
template <typename Method>
struct Plain;
template <typename... A>
struct Plain<int16_t (ScannerInterface1::*)(A...)> {
  static constexpr ArgKinds kinds() { return ArgKinds{{kindOf<A>()...}, sizeof...(A)}; }

  template <int16_t (ScannerInterface1::*M)(A...)>
  static void invoke(Session& session, const int64_t* args, CallResult* result) {
    invokeWith<M>(session, args, result, std::index_sequence_for<A...>{});
  }

  template <int16_t (ScannerInterface1::*M)(A...), size_t... I>
  static void invokeWith(Session& session, [[maybe_unused]] const int64_t* args, CallResult* result,
                         std::index_sequence<I...>) {
    // Arguments were checked against their kind; the cast keeps the low bits,
    // so 4294967295 reaches a 32-bit parameter as -1 (0xFFFFFFFF).
    result->value = (session.scanner->*M)(static_cast<A>(args[I])...);
    result->hasValue = true;
  }
};

constexpr ArgKinds noArgs() { return ArgKinds{{}, 0}; }
constexpr ArgKinds oneArg(ArgKind kind) { return ArgKinds{{kind}, 1}; }

// Memory handed to the plug-in is filled with this byte and followed by
// guard bytes, so that writes past what the plug-in was given show up.
constexpr uint8_t kFill = 0xA5;
constexpr size_t kGuardBytes = 16;

bool untouched(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i] != kFill) return false;
  }
  return true;
}

void checkBounds(const uint8_t* buffer, size_t bufferSize, size_t given, CallResult* result) {
  if (!untouched(buffer + given, bufferSize - given)) {
    result->fault = "wrote past the " + std::to_string(given) + " bytes it was given";
  }
}

// Length up to the first zero within `room` bytes.
size_t terminatedLength(const uint8_t* bytes, size_t room) {
  size_t length = 0;
  while (length < room && bytes[length] != 0) ++length;
  return length;
}

void setValue(int16_t value, CallResult* result) {
  result->value = value;
  result->hasValue = true;
}

void registerEventCallback(Session& session, const int64_t* args, CallResult*) {
  session.scanner->SetEvtAddEventToQueueCallBack(args[0] != 0 ? session.eventCallback : nullptr);
}

void registerDebugCallback(Session& session, const int64_t* args, CallResult*) {
  session.scanner->SetEvtDebugMessageCallBack(args[0] != 0 ? session.debugCallback : nullptr);
}

void registerToneCallback(Session& session, const int64_t* args, CallResult*) {
  session.scanner->SetEvtPlayToneCallBack(args[0] != 0 ? session.toneCallback : nullptr);
}

void destroy(Session& session, const int64_t*, CallResult*) {
  delete session.scanner;
  session.scanner = nullptr;
}

void getSymbologyLengths(Session& session, const int64_t* args, CallResult* result) {
  uint16_t mode = 0, first = 0, second = 0;
  setValue(
      session.scanner->GetSymbologyLengths(static_cast<int32_t>(args[0]), &mode, &first, &second),
      result);
  if (result->value != ResultOk) return;
  result->outValues[0] = mode;
  result->outValues[1] = first;
  result->outValues[2] = second;
  result->outputs = " mode=" + std::to_string(mode) + " first=" + std::to_string(first) +
                    " second=" + std::to_string(second);
}

void getAffixChars(Session& session, const int64_t*, CallResult* result) {
  int8_t prefix = 0, suffix1 = 0, suffix2 = 0;
  setValue(session.scanner->GetAffixChars(&prefix, &suffix1, &suffix2), result);
  if (result->value != ResultOk) return;
  result->outValues[0] = prefix;
  result->outValues[1] = suffix1;
  result->outValues[2] = suffix2;
  result->outputs = " prefix=" + std::to_string(prefix) + " suffix1=" + std::to_string(suffix1) +
                    " suffix2=" + std::to_string(suffix2);
}

void getLastLabelRecord(Session& session, const int64_t*, CallResult* result) {
  uint8_t record[LabelRecordSize + kGuardBytes];
  memset(record, kFill, sizeof record);
  setValue(session.scanner->GetLastLabelRecord(record), result);
  checkBounds(record, sizeof record, LabelRecordSize, result);
  if (result->value != ResultOk) return;
  const LabelRecordFields fields = decodeLabelRecord(record);
  result->outValues[0] = fields.length;
  result->outValues[1] = fields.symbology;
  result->outValues[2] = fields.reserved;
  result->outBytes.assign(reinterpret_cast<const char*>(fields.data), fields.shownLength);
  result->outputs = " length=" + std::to_string(fields.length) +
                    " symbology=" + std::to_string(fields.symbology) +
                    " reserved=" + std::to_string(fields.reserved) + " data=\"" +
                    escaped(fields.data, fields.shownLength) + "\"";
}

void readLabel(Session& session, const int64_t* args, CallResult* result) {
  uint8_t buffer[kLabelBufferSize + kGuardBytes];
  memset(buffer, kFill, sizeof buffer);
  int16_t symbology = 0;
  const int32_t count = static_cast<int32_t>(args[0]);
  setValue(session.scanner->ReadLabel(count, &symbology, reinterpret_cast<char*>(buffer)), result);
  // The plug-in may write the count's bytes and a terminating zero.
  const size_t room = count >= 0 ? static_cast<size_t>(count) + 1 : 0;
  checkBounds(buffer, sizeof buffer, room, result);
  if (result->value != ResultOk) return;
  const size_t length = terminatedLength(buffer, room);
  if (length == room && result->fault.empty()) {
    result->fault = "left no terminating zero within the " + std::to_string(room) + " bytes";
  }
  result->outValues[0] = symbology;
  result->outValues[1] = static_cast<int64_t>(length);
  result->outBytes.assign(reinterpret_cast<const char*>(buffer), length);
  result->outputs = " symbology=" + std::to_string(symbology) +
                    " length=" + std::to_string(length) + " text=\"" + escaped(buffer, length) +
                    "\"";
}

// GetScannerModelName, GetBuildVersion, GetInterfaceId.
template <int16_t (ScannerInterface1::*M)(char*, int32_t)>
void getText(Session& session, const int64_t* args, CallResult* result) {
  uint8_t buffer[kTextBufferSize + kGuardBytes];
  memset(buffer, kFill, sizeof buffer);
  const int32_t size = static_cast<int32_t>(args[0]);
  setValue((session.scanner->*M)(reinterpret_cast<char*>(buffer), size), result);
  const size_t room = size > 0 ? static_cast<size_t>(size) : 0;
  checkBounds(buffer, sizeof buffer, room, result);
  if (result->value != ResultOk) return;
  const size_t length = terminatedLength(buffer, room);
  if (room > 0 && length == room && result->fault.empty()) {
    result->fault = "left no terminating zero within the " + std::to_string(room) + " bytes";
  }
  result->outBytes.assign(reinterpret_cast<const char*>(buffer), length);
  result->outputs = " text=\"" + escaped(buffer, length) + "\"";
}

// ---- The table ---------------------------------------------------------------

#define PLAIN_ENTRY(position, name, result, plays, arguments)                             \
  {                                                                                       \
#name, position, ResultKind::result, plays, arguments, "",                            \
        Plain < decltype(&ScannerInterface1::name)> ::kinds(),                            \
        &Plain < decltype(&ScannerInterface1::name)> ::invoke < &ScannerInterface1::name> \
  }
// An operation with integer arguments only.
#define PLAIN(position, name, result, arguments) \
  PLAIN_ENTRY(position, name, result, false, arguments)
// The same, for an operation that plays a tone pattern while it runs.
#define PATTERN(position, name, arguments) PLAIN_ENTRY(position, name, kStatus, true, arguments)
// An operation with out-values or a callback: its own invoker.
#define SPECIAL(position, name, result, arguments, outputs, kinds, invoker) \
  { #name, position, ResultKind::result, false, arguments, outputs, kinds, invoker }

// Sorted by position; one entry a line.
constexpr Operation kTable[] = {
    SPECIAL(0, SetEvtAddEventToQueueCallBack, kNone, "callback", "", oneArg(ArgKind::kSwitch),
            registerEventCallback),
    SPECIAL(1, SetEvtDebugMessageCallBack, kNone, "callback", "", oneArg(ArgKind::kSwitch),
            registerDebugCallback),
    SPECIAL(2, SetEvtPlayToneCallBack, kNone, "callback", "", oneArg(ArgKind::kSwitch),
            registerToneCallback),
    PLAIN(3, DisableAuxFlag, kStatus, ""),
    PLAIN(4, EnableAuxFlag, kStatus, ""),
    PATTERN(5, PlayTonePattern, "pattern"),
    PLAIN(6, NotSupported6, kStatus, ""),
    PLAIN(7, ReadLedOff, kStatus, ""),
    PLAIN(8, ReadLedOn, kStatus, ""),
    PLAIN(9, ResetToDefaults, kStatus, ""),
    PLAIN(10, DisableScanner, kStatus, ""),
    PLAIN(11, EnableScanner, kStatus, ""),
    PATTERN(12, ApplySettings, "pattern"),
    PATTERN(13, StartSoftwareTrigger, ""),
    PLAIN(14, StopSoftwareTrigger, kStatus, ""),
    PLAIN(15, NotSupported15, kStatus, ""),
    PLAIN(16, NotSupported16, kStatus, ""),
    PLAIN(17, GetStoredLevel2, kValue, ""),
    PLAIN(18, GetAuxFlag, kFlag, ""),
    PLAIN(19, GetStoredCode, kValue, ""),
    PLAIN(20, GetSymbologyEnabled, kFlagOrStatus, "id"),
    SPECIAL(21, GetSymbologyLengths, kStatus, "id", "mode first second", oneArg(ArgKind::kInt32),
            getSymbologyLengths),
    PLAIN(22, GetGoodReadBeep, kFlag, ""),
    PLAIN(23, GetToneDuration, kValueOrStatus, "id"),
    PLAIN(24, GetToneFrequency, kValueOrStatus, "id"),
    PLAIN(25, GetStoredFlag1, kFlag, ""),
    PLAIN(26, GetOptionB2, kFlagOrStatus, ""),
    PLAIN(27, NoOpA, kValue, ""),
    PLAIN(28, GetOptionA4, kFlagOrStatus, ""),
    PLAIN(29, GetOptionA1, kFlagOrStatus, ""),
    PLAIN(30, GetOptionIByKind, kFlagOrStatus, "kind"),
    SPECIAL(31, GetLastLabelRecord, kStatus, "", "length symbology reserved data", noArgs(),
            getLastLabelRecord),
    PLAIN(32, GetStoredLevel3, kValue, ""),
    SPECIAL(33, GetScannerModelName, kStatus, "size=64", "text", oneArg(ArgKind::kBufferSize),
            getText<&ScannerInterface1::GetScannerModelName>),
    PLAIN(34, GetOptionITriple, kStateOrStatus, ""),
    PLAIN(35, FixedTrueA, kValue, ""),
    PLAIN(36, GetOptionIKind3, kFlagOrStatus, ""),
    SPECIAL(37, ReadLabel, kStatus, "count=4095", "symbology length text",
            oneArg(ArgKind::kLabelCount), readLabel),
    PLAIN(38, NotSupported38, kStatus, ""),
    PLAIN(39, GetOptionE1, kStateOrStatus, ""),
    PLAIN(40, GetStoredLevel1, kValue, ""),
    PLAIN(41, GetStoredSelector, kValue, ""),
    PLAIN(42, GetReadLedState, kFlag, ""),
    PLAIN(43, FixedTrueB, kValue, ""),
    PLAIN(44, GetOptionF1Bit1, kFlagOrStatus, ""),
    PLAIN(45, GetOptionB1, kFlagOrStatus, ""),
    SPECIAL(46, GetAffixChars, kStatus, "", "prefix suffix1 suffix2", noArgs(), getAffixChars),
    PLAIN(47, GetAffixMode, kValue, ""),
    PLAIN(48, IsScannerEnabled, kFlag, ""),
    SPECIAL(49, GetBuildVersion, kStatus, "size=64", "text", oneArg(ArgKind::kBufferSize),
            getText<&ScannerInterface1::GetBuildVersion>),
    SPECIAL(50, GetInterfaceId, kStatus, "size=64", "text", oneArg(ArgKind::kBufferSize),
            getText<&ScannerInterface1::GetInterfaceId>),
    PLAIN(51, NotSupported51, kStatus, ""),
    PLAIN(52, GetSymbologyOption, kFlagOrStatus, "id"),
    PLAIN(53, GetOptionJ, kStateOrStatus, ""),
    PLAIN(54, GetTriggerMode, kValue, ""),
    PLAIN(55, NotSupported55, kStatus, ""),
    PLAIN(56, GetStoredSelector2, kValue, ""),
    PLAIN(57, GetSymbologyOption2, kFlagOrStatus, "id"),
    PLAIN(58, SetStoredLevel2, kStatus, "value"),
    PLAIN(59, SetStoredCode, kStatus, "value"),
    PLAIN(60, SetSymbologyEnabled, kStatus, "id flag"),
    PLAIN(61, SetSymbologyLengths, kStatus, "id mode first second"),
    PLAIN(62, SetGoodReadBeep, kStatus, "flag"),
    PLAIN(63, SetToneDuration, kStatus, "id value"),
    PLAIN(64, SetToneFrequency, kStatus, "id value"),
    PLAIN(65, SetStoredFlag1, kStatus, "flag"),
    PLAIN(66, SetOptionB2, kStatus, "flag"),
    PLAIN(67, NotSupported67, kStatus, ""),
    PLAIN(68, SetOptionA4, kStatus, "flag"),
    PLAIN(69, SetOptionA1, kStatus, "flag"),
    PLAIN(70, SetOptionIByKind, kStatus, "kind flag"),
    PLAIN(71, SetStoredLevel3, kStatus, "value"),
    PLAIN(72, SetOptionITriple, kStatus, "state"),
    PLAIN(73, NoOpB, kValue, ""),
    PLAIN(74, SetOptionIKind3, kStatus, "flag"),
    PLAIN(75, NotSupported75, kStatus, ""),
    PLAIN(76, SetOptionE1, kStatus, "state"),
    PLAIN(77, SetStoredLevel1, kStatus, "value"),
    PLAIN(78, SetStoredSelector, kStatus, "value"),
    PLAIN(79, AcceptValueOne, kStatus, "value"),
    PLAIN(80, SetOptionF1Bit1, kStatus, "flag"),
    PLAIN(81, SetOptionB1, kStatus, "flag"),
    PLAIN(82, SetAffixChars, kStatus, "prefix suffix1 suffix2"),
    PLAIN(83, SetAffixMode, kStatus, "mode"),
    PLAIN(84, NotSupported84, kStatus, ""),
    PLAIN(85, SetSymbologyOption, kStatus, "id value"),
    PLAIN(86, SetOptionJ, kStatus, "state"),
    PLAIN(87, SetTriggerMode, kStatus, "mode"),
    PLAIN(88, SetStoredSelector2, kStatus, "value"),
    PLAIN(89, SetSymbologyOption2, kStatus, "id value"),
    SPECIAL(90, Destructor, kNone, "", "", noArgs(), destroy),
};

#undef PLAIN_ENTRY
#undef PLAIN
#undef PATTERN
#undef SPECIAL

constexpr int countWords(const char* text) {
  int words = 0;
  bool inWord = false;
  for (; *text != 0; ++text) {
    if (*text == ' ') {
      inWord = false;
    } else if (!inWord) {
      inWord = true;
      ++words;
    }
  }
  return words;
}

// Positions run 0..90 in order, and every entry names each of its arguments.
constexpr bool tableIsConsistent() {
  for (int i = 0; i < kOperationCount; ++i) {
    if (kTable[i].position != i) return false;
    if (countWords(kTable[i].arguments) != kTable[i].kinds.count) return false;
  }
  return true;
}

static_assert(sizeof kTable / sizeof kTable[0] == kOperationCount, "one entry an operation");
static_assert(tableIsConsistent(), "entries out of order or argument names not matching");
static_assert(sizeof kArgKindInfo / sizeof kArgKindInfo[0] ==
                  static_cast<size_t>(ArgKind::kLabelCount) + 1,
              "one entry an argument kind");
static_assert(sizeof kResultKindInfo / sizeof kResultKindInfo[0] ==
                  static_cast<size_t>(ResultKind::kStateOrStatus) + 1,
              "one entry a result kind");

// ---- Call parsing --------------------------------------------------------------

struct ArgumentSpec {
  std::string names[kMaxArgs];
  std::string defaultText;  // of the last argument, when it is optional
  int count = 0;
  int required = 0;
};

ArgumentSpec argumentSpec(const Operation& operation) {
  ArgumentSpec argumentList;
  const std::string text = operation.arguments;
  size_t start = 0;
  while (start < text.size() && argumentList.count < kMaxArgs) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(start, end - start);
    const size_t equals = word.find('=');
    if (equals != std::string::npos) {
      argumentList.defaultText = word.substr(equals + 1);
      word.resize(equals);
    } else {
      argumentList.required = argumentList.count + 1;
    }
    argumentList.names[argumentList.count++] = word;
    start = end + 1;
  }
  return argumentList;
}

std::string joinedNames(const ArgumentSpec& argumentList) {
  std::string out;
  for (int i = 0; i < argumentList.count; ++i) {
    if (i > 0) out += ' ';
    out += argumentList.names[i];
  }
  return out;
}

// Operation names look like identifiers; arguments are numbers, single
// characters, escapes or on/off. A name-like token ends an argument list.
bool nameLike(const std::string& token) {
  if (token.size() < 2 || token == "on" || token == "off") return false;
  const unsigned char first = static_cast<unsigned char>(token[0]);
  if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'))) return false;
  for (const char c : token) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!alnum && c != '_') return false;
  }
  return true;
}

bool isCallName(const std::string& token) {
  return token == "NewScanner" || token == "PushLabel" || findOperation(token) != nullptr;
}

// PushLabel SYMBOLOGY TEXT, the text with escapes and without blanks.
bool parsePushLabel(const std::vector<std::string>& args, Call* call, std::string* error) {
  if (args.size() != 2) {
    *error = "PushLabel takes 2 arguments (symbology text), got " + std::to_string(args.size());
    return false;
  }
  if (!parseInteger(args[0], INT32_MIN, INT32_MAX, &call->args[0])) {
    *error = "PushLabel: symbology must be a 32-bit integer, not '" + args[0] + "'";
    return false;
  }
  std::string problem;
  if (!decodeEscapes(args[1], 1, &call->label, &problem)) {
    *error = "PushLabel: text: " + problem;
    return false;
  }
  if (call->label.size() > kMaxLabelBytes) {
    *error = "PushLabel: a label of " + std::to_string(call->label.size()) +
             " bytes is longer than the virtual device takes (" + std::to_string(kMaxLabelBytes) +
             ")";
    return false;
  }
  call->argTexts = args;
  return true;
}

std::string countPhrase(int count) {
  return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

std::string expectedArguments(const char* name, const ArgumentSpec& argumentList) {
  if (argumentList.count == 0) return std::string(name) + " takes no arguments";
  std::string phrase = argumentList.required == argumentList.count
                           ? countPhrase(argumentList.count)
                           : std::to_string(argumentList.required) + " or " +
                                 std::to_string(argumentList.count) + " arguments";
  return std::string(name) + " takes " + phrase + " (" + joinedNames(argumentList) + ")";
}

}  // namespace

const Operation* operations() { return kTable; }

const Operation* findOperation(const std::string& name) {
  for (const Operation& operation : kTable) {
    if (name == operation.name) return &operation;
  }
  return nullptr;
}

const Operation* findOperationIgnoringCase(const std::string& name) {
  for (const Operation& operation : kTable) {
    if (strcasecmp(name.c_str(), operation.name) == 0) return &operation;
  }
  return nullptr;
}

const char* statusName(int16_t value) {
  for (const StatusNameEntry& entry : kStatusNames) {
    if (entry.value == value) return entry.name;
  }
  return nullptr;
}

bool parseCalls(const std::vector<std::string>& tokens, std::vector<Call>* calls,
                std::string* error) {
  size_t i = 0;
  while (i < tokens.size()) {
    const std::string& name = tokens[i++];
    const Operation* operation = findOperation(name);
    const int wanted = operation != nullptr  ? argumentSpec(*operation).count
                       : name == "PushLabel" ? 2
                                             : 0;
    // The arguments run up to the next operation name. A word that is no
    // operation's name is still taken as an argument while one is wanting,
    // so that it is reported as an argument of the wrong kind.
    size_t end = i;
    while (end < tokens.size() && !isCallName(tokens[end]) &&
           (static_cast<int>(end - i) < wanted || !nameLike(tokens[end]))) {
      ++end;
    }
    const int given = static_cast<int>(end - i);
    Call call;
    if (name == "NewScanner") {
      if (given != 0) {
        *error = "NewScanner takes no arguments, got " + std::to_string(given);
        return false;
      }
      call.kind = HostCall::kNewScanner;
      calls->push_back(call);
      continue;
    }
    if (name == "PushLabel") {
      call.kind = HostCall::kPushLabel;
      if (!parsePushLabel(std::vector<std::string>(tokens.begin() + static_cast<long>(i),
                                                   tokens.begin() + static_cast<long>(end)),
                          &call, error)) {
        return false;
      }
      calls->push_back(call);
      i = end;
      continue;
    }
    call.operation = operation;
    if (call.operation == nullptr) {
      *error = "unknown operation '" + name + "'";
      if (const Operation* near = findOperationIgnoringCase(name)) {
        *error += " (did you mean " + std::string(near->name) + "?)";
      } else {
        *error += " ('scanhost ops' lists the operations)";
      }
      return false;
    }
    const ArgumentSpec argumentList = argumentSpec(*call.operation);
    if (given < argumentList.required || given > argumentList.count) {
      *error =
          expectedArguments(call.operation->name, argumentList) + ", got " + std::to_string(given);
      return false;
    }
    for (int a = 0; a < argumentList.count; ++a) {
      const std::string text = a < given ? tokens[i + a] : argumentList.defaultText;
      const ArgKind kind = call.operation->kinds.kind[a];
      if (!parseArgument(kind, text, &call.args[a])) {
        *error = std::string(call.operation->name) + ": " + argumentList.names[a] + " must be " +
                 infoOf(kind).expected + ", not '" + text + "'";
        return false;
      }
      call.argTexts.push_back(text);
    }
    calls->push_back(call);
    i = end;
  }
  return true;
}

std::string describeCall(const Call& call) {
  std::string out = call.kind == HostCall::kNewScanner  ? "NewScanner"
                    : call.kind == HostCall::kPushLabel ? "PushLabel"
                                                        : call.operation->name;
  for (const std::string& text : call.argTexts) out += " " + text;
  return out;
}

// Setters that write the pending settings: the getters and the plug-in see
// the change only after ApplySettings, so the tool says so.
const char* const kPendingSetters[] = {
    "DisableAuxFlag",  "EnableAuxFlag",   "SetGoodReadBeep", "SetStoredFlag1",    "SetStoredLevel1",
    "SetStoredLevel2", "SetStoredLevel3", "SetStoredCode",   "SetStoredSelector", "SetTriggerMode",
};

bool writesPendingSettings(const Operation& operation) {
  for (const char* name : kPendingSetters) {
    if (strcmp(name, operation.name) == 0) return true;
  }
  return false;
}

std::string describeResult(const Operation& operation, const CallResult& result) {
  if (!result.hasValue) return " -> done";
  const ResultKindInfo& info = infoOf(operation.result);
  std::string out = " -> " + std::to_string(result.value);
  const char* name = statusName(result.value);
  const bool named =
      name != nullptr && (result.value == ResultOk ? info.namesOk : info.namesFailures);
  if (named) {
    out += std::string(" ") + name;
  } else if (operation.result == ResultKind::kStatus) {
    out += " (not a status)";
  }
  if (result.value == ResultOk && writesPendingSettings(operation)) {
    out += " (pending until ApplySettings)";
  }
  return out + result.outputs;
}

void listOperations(std::string* out) {
  char line[256];
  snprintf(line, sizeof line, "%3s  %-30s %-48s %s\n", "#", "operation", "arguments", "result");
  *out += line;
  for (const Operation& operation : kTable) {
    const ArgumentSpec argumentList = argumentSpec(operation);
    std::string arguments;
    for (int a = 0; a < argumentList.count; ++a) {
      if (a > 0) arguments += ' ';
      const std::string argument =
          argumentList.names[a] + ":" + infoOf(operation.kinds.kind[a]).listing;
      arguments += a < argumentList.required
                       ? argument
                       : "[" + argument + "=" + argumentList.defaultText + "]";
    }
    if (operation.outputs[0] != 0) {
      arguments += arguments.empty() ? "-> " : " -> ";
      arguments += operation.outputs;
    }
    std::string result = infoOf(operation.result).listing;
    if (operation.playsPattern) result += ", plays tones";
    if (writesPendingSettings(operation)) result += ", pending until ApplySettings";
    snprintf(line, sizeof line, "%3d  %-30s %-48s %s\n", operation.position, operation.name,
             arguments.empty() ? "-" : arguments.c_str(), result.c_str());
    *out += line;
  }
  *out +=
      "\nBeside them: NewScanner (a new object after Destructor) and\n"
      "PushLabel symbology text (a label scanned on the virtual device; escapes as in label "
      "files).\n";
}

}  // namespace scanhost

#include <ctype.h>
#include <strings.h>

#include <algorithm>
#include <string>

#include "call_kinds.h"
#include "operations.h"

namespace scanhost {

namespace {

// Says why in `error`; false, for the caller to return.
bool failure(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

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

// All arguments are required but a last one that has a default.
int requiredCount(const Operation& operation) {
  const int count = argCount(operation);
  return count > 0 && operation.kinds[count - 1]->byDefault ? count - 1 : count;
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
         joinedNames(operation.args) + ")";
}

}  // namespace

std::string unknownOperation(const std::string& name) {
  const Operation* const end = operationsBegin() + kOperationCount;
  const Operation* near = std::find_if(operationsBegin(), end, [&](const Operation& operation) {
    return strcasecmp(name.c_str(), operation.name) == 0;
  });
  return "unknown operation '" + name + "' " +
         (near != end ? "(did you mean " + std::string(near->name) + "?)"
                      : "('scanhost ops' lists the operations)");
}

namespace {

// Operation names look like identifiers; arguments are numbers, single
// characters, escapes or on/off. A name-like word ends an argument list.
bool nameLike(const std::string& word) {
  return word.size() >= 2 && word != "on" && word != "off" &&
         isalpha(static_cast<unsigned char>(word[0])) &&
         std::all_of(word.begin(), word.end(),
                     [](unsigned char c) { return isalnum(c) || c == '_'; });
}

}  // namespace

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

std::string describeCall(const Call& call) {
  std::string out = call.operation->name;
  for (const std::string& text : call.argTexts) out += " " + text;
  return out;
}

std::string describeResult(const Call& call, const CallResult& result) {
  const Operation& operation = *call.operation;
  const ResultKind& kind = *operation.result;
  const char* name = statusName(result.value);
  if (&kind == &kNoValue) return " -> " + (result.hostResult.empty() ? "done" : result.hostResult);
  const bool named =
      name != nullptr && (result.value == ResultOk ? kind.namesOk : kind.namesFailures);
  std::string out = " -> " + std::to_string(result.value) +
                    (named          ? std::string(" ") + name
                     : kind.namesOk ? " (not a status)"
                                    : "");
  if (result.value != ResultOk) return out;
  if (pending(operation)) out += " (pending until ApplySettings)";
  for (int i = 0; i < outputCount(operation); ++i) {
    out += std::string(" ") + operation.outputs[i] + "=" +
           (i < result.numbers ? std::to_string(result.outValues[i])
                               : "\"" + escaped(result.outBytes) + "\"");
  }
  return out;
}

}  // namespace scanhost

// scanhost's parsing of what a person writes: label lines, integers, escaped
// text and call lists. Besides not crashing, each parse must agree with its
// own output:
//   - escaping any bytes and decoding them again gives the same bytes;
//   - an integer accepted lies in its range, and its decimal form parses
//     back to it;
//   - a label line accepted holds at most 8192 bytes, and its bytes written
//     back escaped after its symbology read back as the same label;
//   - calls accepted and written back ("Name arg ...") parse to the same
//     calls with the same arguments.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "operations.h"

namespace {

[[noreturn]] void broken(const char* what, const std::string& text) {
  fprintf(stderr, "invariant broken: %s\ninput: %s\n", what, text.c_str());
  abort();
}

#define CHECK(condition, what, text)      \
  do {                                    \
    if (!(condition)) broken(what, text); \
  } while (0)

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> tokens;
  std::istringstream in(text);
  std::string token;
  while (in >> token) tokens.push_back(token);
  return tokens;
}

void checkEscapes(const std::string& bytes) {
  const std::string escapedText =
      scanhost::escaped(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  std::string decoded, error;
  CHECK(scanhost::decodeEscapes(escapedText, 1, &decoded, &error), "escaped text does not decode",
        escapedText);
  CHECK(decoded == bytes, "escaping does not round-trip", escapedText);
  for (const char c : escapedText) {
    CHECK(c >= 0x20 && c < 0x7F, "escaped text holds an unprintable byte", escapedText);
  }
}

void checkInteger(const std::string& text) {
  static const int64_t kRanges[][2] = {
      {INT32_MIN, INT32_MAX}, {INT32_MIN, UINT32_MAX}, {INT16_MIN, UINT16_MAX}, {0, 1}};
  for (const auto& range : kRanges) {
    int64_t value = 0;
    if (!scanhost::parseInteger(text, range[0], range[1], &value)) continue;
    CHECK(value >= range[0] && value <= range[1], "integer outside its range", text);
    int64_t again = 0;
    CHECK(
        scanhost::parseInteger(std::to_string(value), range[0], range[1], &again) && again == value,
        "integer does not read back", text);
  }
}

void checkLabelLine(const std::string& line) {
  scanhost::LabelLine label;
  std::string error;
  const scanhost::LineKind kind = scanhost::parseLabelLine(line, &label, &error);
  if (kind == scanhost::LineKind::kMalformed) {
    CHECK(!error.empty(), "malformed line without a reason", line);
    return;
  }
  if (kind == scanhost::LineKind::kSkip) return;
  CHECK(label.bytes.size() <= scanhost::kMaxLabelBytes, "label line longer than the device takes",
        line);
  const std::string written =
      std::to_string(label.symbology) + " " +
      scanhost::escaped(reinterpret_cast<const uint8_t*>(label.bytes.data()), label.bytes.size());
  scanhost::LabelLine again;
  CHECK(scanhost::parseLabelLine(written, &again, &error) == scanhost::LineKind::kLabel &&
            again.symbology == label.symbology && again.bytes == label.bytes,
        "label line does not read back", written);
}

void checkCalls(const std::string& text) {
  std::vector<scanhost::Call> calls;
  std::string error;
  if (!scanhost::parseCalls(words(text), &calls, &error)) {
    CHECK(!error.empty(), "refused calls without a reason", text);
    return;
  }
  for (const scanhost::Call& call : calls) {
    CHECK(call.operation != nullptr, "call without an operation", text);
    const std::string written = scanhost::describeCall(call);
    std::vector<scanhost::Call> again;
    CHECK(scanhost::parseCalls(words(written), &again, &error) && again.size() == 1,
          "call does not read back", written);
    CHECK(again[0].operation == call.operation &&
              again[0].label == call.label,
          "call reads back as another", written);
    for (int a = 0; a < scanhost::kMaxArgs; ++a) {
      CHECK(again[0].args[a] == call.args[a], "call argument reads back differently", written);
    }
  }
}

}  // namespace

// The first byte chooses what the rest is given to; every input also goes
// through the escaping round trip.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  checkEscapes(text);
  switch (data[0] % 3) {
    case 0:
      checkInteger(text);
      break;
    case 1: {
      std::istringstream lines(text);
      std::string line;
      while (std::getline(lines, line)) checkLabelLine(line);
      break;
    }
    default:
      checkCalls(text);
      break;
  }
  return 0;
}

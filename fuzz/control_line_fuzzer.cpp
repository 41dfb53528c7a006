// The virtual device's control endpoint as a client meets it: any bytes,
// cut anywhere, into one session. Besides not crashing:
//   - every answer is a whole line starting "ok" or "error ";
//   - each line the client finishes gets exactly one answer, up to a line
//     that ends the session (control bytes), after which nothing is read;
//   - bytes fed in two pieces give the same answers as in one;
//   - a label text accepted, written back escaped, parses to the same bytes.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "control_protocol.h"
#include "control_session.h"

namespace {

using namespace vdev::control;

[[noreturn]] void broken(const char* what) {
  fprintf(stderr, "invariant broken: %s\n", what);
  abort();
}

#define CHECK(condition, what)      \
  do {                              \
    if (!(condition)) broken(what); \
  } while (0)

// Answers ok to everything it is given; checks the text round trip.
class Stub final : public Device {
 public:
  void Run(const Command& command, Watch*, std::string* reply) override {
    if (command.id == CommandId::kScan || command.id == CommandId::kScanReported) {
      const std::string line =
          "scan 1 " +
          EncodeText(reinterpret_cast<const uint8_t*>(command.text.data()), command.text.size());
      Command again;
      std::string error;
      // An escaped text is longer; only one that fits a line must parse.
      if (line.size() <= kMaxLine) {
        CHECK(ParseLine(line.data(), line.size(), &again, &error) == Parsed::kCommand,
              "an escaped label text does not parse");
        CHECK(again.text == command.text, "an escaped label text parses to other bytes");
      }
    }
    *reply += "ok\n";
  }
  void Follow(Watch*, std::string*) override {}
};

std::string Answers(const uint8_t* data, size_t size, size_t cut, bool* ended) {
  Stub stub;
  Session session(stub);
  session.Feed(reinterpret_cast<const char*>(data), cut);
  session.Feed(reinterpret_cast<const char*>(data) + cut, size - cut);
  *ended = session.ending();
  return session.output();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t cut = data[0] % (size - 1);  // the first byte says where to cut
  ++data;
  --size;
  bool ended = false;
  bool endedWhole = false;
  const std::string answers = Answers(data, size, cut, &ended);
  CHECK(answers == Answers(data, size, size, &endedWhole) && ended == endedWhole,
        "cutting the bytes changed the answers");
  CHECK(answers.empty() || answers.back() == '\n', "an answer is not a whole line");
  size_t lines = 0;
  for (size_t at = 0; at < answers.size(); ++lines) {
    const size_t end = answers.find('\n', at);
    CHECK(answers.compare(at, 2, "ok") == 0 || answers.compare(at, 6, "error ") == 0,
          "an answer is neither ok nor error");
    at = end + 1;
  }
  // Lines finished by the client; a last unfinished one is answered only
  // when it is already too long.
  size_t finished = 0;
  size_t last = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      ++finished;
      last = i + 1;
    }
  }
  const size_t unfinishedTooLong = size - last > kMaxLine + 1 ? 1 : 0;
  if (ended) {
    CHECK(lines <= finished, "more answers than lines before the session ended");
  } else {
    CHECK(lines == finished + unfinishedTooLong, "not one answer a line");
  }
  return 0;
}

// The lines of run's input, read on a thread of their own, so that the host
// thread can wait for the next line and for scan events alike: labels
// scanned into the virtual device from elsewhere (its control endpoint)
// arrive while run waits for input.
#ifndef SCANHOST_INPUT_LINES_H
#define SCANHOST_INPUT_LINES_H

#include <stdint.h>

#include <iosfwd>
#include <memory>
#include <string>
#include <thread>

namespace scanhost {

class InputLines {
 public:
  enum class Next { kLine, kEnd, kNothingYet };

  // Starts reading `input`. A file is read to its end or until this object
  // goes; standard input, which may wait for ever, is left to its reader.
  explicit InputLines(std::istream& input);
  ~InputLines();
  InputLines(const InputLines&) = delete;
  InputLines& operator=(const InputLines&) = delete;
  // The next line, the end of input, or nothing within `waitMs`.
  Next next(std::string* line, uint32_t waitMs);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::thread reader_;
};

}  // namespace scanhost

#endif  // SCANHOST_INPUT_LINES_H

#include "control_session.h"

#include <string.h>

namespace vdev {
namespace control {

void Session::Feed(const char* data, size_t size) {
  while (size > 0 && !ending_ && !overflowing()) {
    const char* newline = static_cast<const char*>(memchr(data, '\n', size));
    const size_t taken = newline != nullptr ? static_cast<size_t>(newline - data) : size;
    if (!skipping_ && line_.size() + taken > kMaxLine + 1) {  // + 1: a carriage return
      output_ += "error line longer than " + std::to_string(kMaxLine) + " bytes\n";
      line_.clear();
      skipping_ = true;
    }
    if (!skipping_) line_.append(data, taken);
    if (newline == nullptr) return;
    if (!skipping_) Line(line_.data(), line_.size());
    line_.clear();
    skipping_ = false;
    data += taken + 1;
    size -= taken + 1;
  }
}

void Session::Line(const char* line, size_t length) {
  Command command;
  std::string error;
  const Parsed parsed = ParseLine(line, length, &command, &error);
  if (parsed == Parsed::kCommand) return device_.Run(command, &watch_, &output_);
  output_ += "error " + error + "\n";
  ending_ = parsed == Parsed::kNotText;
}

}  // namespace control
}  // namespace vdev

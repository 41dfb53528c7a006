#include "input_lines.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>

namespace scanhost {

struct InputLines::Shared {
  std::mutex lock;
  std::condition_variable arrived;
  std::deque<std::string> lines;
  bool ended = false;
  bool stop = false;  // this object is gone: read no more
};

InputLines::InputLines(std::istream& input) : shared_(std::make_shared<Shared>()) {
  // The reader holds the shared part, so it may outlive this object.
  reader_ = std::thread([shared = shared_, &input] {
    std::string line;
    for (;;) {
      const bool got = static_cast<bool>(std::getline(input, line));
      std::lock_guard<std::mutex> hold(shared->lock);
      if (shared->stop) return;
      if (got) {
        shared->lines.push_back(line);
      } else {
        shared->ended = true;
      }
      shared->arrived.notify_all();
      if (!got) return;
    }
  });
  if (&input == &std::cin) reader_.detach();
}

InputLines::~InputLines() {
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->stop = true;
  }
  if (reader_.joinable()) reader_.join();
}

InputLines::Next InputLines::next(std::string* line, uint32_t waitMs) {
  std::unique_lock<std::mutex> hold(shared_->lock);
  shared_->arrived.wait_for(hold, std::chrono::milliseconds(waitMs),
                            [this] { return !shared_->lines.empty() || shared_->ended; });
  if (!shared_->lines.empty()) {
    *line = std::move(shared_->lines.front());
    shared_->lines.pop_front();
    return Next::kLine;
  }
  return shared_->ended ? Next::kEnd : Next::kNothingYet;
}

}  // namespace scanhost

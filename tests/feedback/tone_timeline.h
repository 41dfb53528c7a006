// What the tone player did, as one line: "T<frequency>/<duration>" for a
// tone record, "W<ms>" for a wait, "A<code>" for a standard alert, separated
// by blanks. A tone record that does not have the fixed header, level 64 and
// zero arguments shows as "T?" with its bytes.
#ifndef ZORVAN_TESTS_FEEDBACK_TONE_TIMELINE_H
#define ZORVAN_TESTS_FEEDBACK_TONE_TIMELINE_H

#include <stdio.h>

#include <string>
#include <vector>

#include "common/byte_order.h"
#include "host_recorder.h"

namespace zorvan_test {

inline std::string describeTone(const HostEvent& event) {
  char text[96];
  const uint8_t* r = event.bytes.data();
  if (event.bytes.size() == 10 && r[0] == 1 && r[1] == 0 && zorvan::getBigEndian16(r + 8) == 64 &&
      event.toneZero1 == 0 && event.toneZero2 == 0) {
    snprintf(text, sizeof text, "T%u/%u", zorvan::getBigEndian32(r + 2),
             zorvan::getBigEndian16(r + 6));
  } else {
    std::string bytes;
    for (uint8_t b : event.bytes) {
      snprintf(text, sizeof text, "%02X", b);
      bytes += text;
    }
    snprintf(text, sizeof text, "T?(%s,%d,%d)", bytes.c_str(), event.toneZero1, event.toneZero2);
  }
  return text;
}

inline std::string toneTimeline(const std::vector<HostEvent>& events) {
  std::string line;
  for (const HostEvent& event : events) {
    std::string item;
    if (event.kind == HostEvent::kTone) {
      item = describeTone(event);
    } else if (event.kind == HostEvent::kSleep) {
      item = "W" + std::to_string(event.value);
    } else if (event.kind == HostEvent::kAlert) {
      item = "A" + std::to_string(event.value);
    } else {
      continue;
    }
    if (!line.empty()) line += ' ';
    line += item;
  }
  return line;
}

inline std::string toneTimeline() { return toneTimeline(HostRecorder::instance().events()); }

}  // namespace zorvan_test

#endif  // ZORVAN_TESTS_FEEDBACK_TONE_TIMELINE_H

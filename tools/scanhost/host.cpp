#include "host.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <chrono>
#include <mutex>
#include <vector>

#include "records.h"
#include "text_codec.h"
#include "virtual_device.h"
#include "wav_writer.h"

namespace scanhost {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kEventCapacity = 256;
// A wait rendered into the WAV file is cut to this length.
constexpr uint32_t kLongestRenderedWaitMs = 10000;

struct ToneSequence {
  bool open = false;
  bool measureEdges = false;
  bool hasMark = false;
  Clock::time_point mark;  // the last tone, or the start when edges count
  bool rendered = false;
};

// Everything the callbacks share with the host thread, under one lock.
struct HostState {
  std::mutex lock;
  int errors = 0;

  bool holding = false;
  std::vector<std::string> held;

  ToneSequence sequence;
  WavWriter* wav = nullptr;
  bool gapBeforeNext = false;

  uint32_t events = 0;
  uint32_t eventQueue[kEventCapacity] = {};
  size_t eventHead = 0;
  size_t eventCount = 0;
};

HostState& state() {
  static HostState host;
  return host;
}

using Guard = std::lock_guard<std::mutex>;

// Caller holds the lock.
void emitLocked(HostState& host, const std::string& line) {
  if (host.holding) {
    host.held.push_back("  " + line);
  } else {
    fputs(line.c_str(), stdout);
    fputc('\n', stdout);
  }
}

std::string formatted(const char* format, va_list args) {
  char text[2048];
  vsnprintf(text, sizeof text, format, args);
  return text;
}

uint32_t millisecondsSince(Clock::time_point start, Clock::time_point now) {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
  return elapsed < 0 ? 0 : static_cast<uint32_t>(elapsed);
}

// Caller holds the lock. Puts the gap between sequences into the file first.
void prepareRendering(HostState& host) {
  if (host.wav == nullptr) return;
  if (host.gapBeforeNext && host.wav->samplesWritten() > 0) host.wav->silence(kSequenceGapMs);
  host.gapBeforeNext = false;
  host.sequence.rendered = true;
}

// Caller holds the lock.
void emitWait(HostState& host, uint32_t milliseconds) {
  emitLocked(host, "wait " + std::to_string(milliseconds) + " ms");
  if (host.wav == nullptr) return;
  prepareRendering(host);
  host.wav->silence(milliseconds < kLongestRenderedWaitMs ? milliseconds : kLongestRenderedWaitMs);
}

// Caller holds the lock. A gap long enough since the mark becomes a wait.
void noteGap(HostState& host, Clock::time_point now) {
  if (!host.sequence.open || !host.sequence.hasMark) return;
  const uint32_t gap = millisecondsSince(host.sequence.mark, now);
  if (gap >= kWaitThresholdMs) emitWait(host, gap);
}

void beginSequence(bool measureEdges) {
  HostState& host = state();
  Guard guard(host.lock);
  host.sequence = ToneSequence{};
  host.sequence.open = true;
  host.sequence.measureEdges = measureEdges;
  if (measureEdges) {
    host.sequence.hasMark = true;
    host.sequence.mark = Clock::now();
  }
}

// Caller holds the lock.
void endSequenceLocked(HostState& host) {
  if (host.sequence.measureEdges) noteGap(host, Clock::now());
  if (host.sequence.rendered) host.gapBeforeNext = true;
  host.sequence = ToneSequence{};
}

}  // namespace

void printLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string line = formatted(format, args);
  va_end(args);
  HostState& host = state();
  Guard guard(host.lock);
  emitLocked(host, line);
}

void reportError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string message = formatted(format, args);
  va_end(args);
  HostState& host = state();
  Guard guard(host.lock);
  ++host.errors;
  fflush(stdout);
  fprintf(stderr, "scanhost: %s\n", message.c_str());
  fflush(stderr);
}

int errorCount() {
  HostState& host = state();
  Guard guard(host.lock);
  return host.errors;
}

void setWavWriter(WavWriter* wav) {
  HostState& host = state();
  Guard guard(host.lock);
  host.wav = wav;
}

void beginOperation(bool measureEdges) {
  beginSequence(measureEdges);
  HostState& host = state();
  Guard guard(host.lock);
  host.holding = true;
  host.held.clear();
}

void endOperation(const std::string& resultLine) {
  HostState& host = state();
  Guard guard(host.lock);
  endSequenceLocked(host);
  host.holding = false;
  emitLocked(host, resultLine);
  for (const std::string& line : host.held) emitLocked(host, line);
  host.held.clear();
}

void beginLabel() { beginSequence(false); }

void endLabel() {
  HostState& host = state();
  Guard guard(host.lock);
  endSequenceLocked(host);
}

bool takeScanEvent(uint32_t* serial) {
  HostState& host = state();
  Guard guard(host.lock);
  if (host.eventCount == 0) return false;
  *serial = host.eventQueue[host.eventHead];
  host.eventHead = (host.eventHead + 1) % kEventCapacity;
  --host.eventCount;
  return true;
}

void onScanEvent(const uint8_t* record) {
  HostState& host = state();
  Guard guard(host.lock);
  const uint32_t serial = ++host.events;
  if (host.eventCount < kEventCapacity) {
    host.eventQueue[(host.eventHead + host.eventCount) % kEventCapacity] = serial;
    ++host.eventCount;
  }
  std::string line = "event " + std::to_string(serial) + ": ";
  if (record == nullptr) {
    emitLocked(host, line + "no record");
    return;
  }
  const ScanEvent event = decodeScanEvent(record);
  if (!event.wellFormed) {
    line += "unexpected record";
    char hex[4];
    for (int i = 0; i < ScanEventRecordSize; ++i) {
      snprintf(hex, sizeof hex, " %02X", record[i]);
      line += hex;
    }
  } else if (event.lengthGiven) {
    line += "87 FF, label of " + std::to_string(event.length) + " bytes";
  } else {
    line += "87 FF, label of 255 bytes or fewer";
  }
  emitLocked(host, line);
}

void onDebugMessage(const char* format, ...) {
  std::string text = "(no format)";
  bool cut = false;
  if (format != nullptr) {
    char message[1024];
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(message, sizeof message, format, args);
    va_end(args);
    cut = length >= static_cast<int>(sizeof message);
    size_t end = strlen(message);
    while (end > 0 && (message[end - 1] == '\n' || message[end - 1] == '\r')) --end;
    text = escaped(reinterpret_cast<const uint8_t*>(message), end);
  }
  HostState& host = state();
  Guard guard(host.lock);
  emitLocked(host, "debug: " + text + (cut ? " [cut]" : ""));
}

void onTone(int32_t zero, const uint8_t* record, int32_t zero2) {
  const Clock::time_point now = Clock::now();
  HostState& host = state();
  Guard guard(host.lock);
  if (record == nullptr) {
    emitLocked(host, "tone: no record");
    return;
  }
  noteGap(host, now);
  const Tone tone = decodeTone(record);
  char line[160];
  snprintf(line, sizeof line, "tone %u Hz %u ms level %u", static_cast<unsigned>(tone.frequency),
           static_cast<unsigned>(tone.durationMs), static_cast<unsigned>(tone.level));
  std::string text = line;
  if (!tone.wellFormed) {
    snprintf(line, sizeof line, " (record starts %02X %02X, not 01 00)", record[0], record[1]);
    text += line;
  }
  if (zero != 0 || zero2 != 0) {
    snprintf(line, sizeof line, " (called with %d and %d around the record, not 0 and 0)",
             static_cast<int>(zero), static_cast<int>(zero2));
    text += line;
  }
  if (host.wav != nullptr && tone.frequency > WavWriter::kHighestFrequency) {
    snprintf(line, sizeof line, " (above %u Hz: silent in the WAV file)",
             static_cast<unsigned>(WavWriter::kHighestFrequency));
    text += line;
  }
  emitLocked(host, text);
  if (host.wav != nullptr) {
    prepareRendering(host);
    host.wav->tone(tone.frequency, tone.durationMs, tone.level);
  }
  if (host.sequence.open) {
    host.sequence.hasMark = true;
    host.sequence.mark = now;
  }
}

void useHostCallbacks(Session* session) {
  session->eventCallback = onScanEvent;
  session->debugCallback = onDebugMessage;
  session->toneCallback = onTone;
}

}  // namespace scanhost

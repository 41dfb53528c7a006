#include "host_output.h"

#include <stdarg.h>
#include <stdio.h>

#include <algorithm>

namespace scanhost {

namespace {

// A gap between two tones of a sequence that is shown as a wait.
constexpr int64_t kWaitThresholdMs = 20;
// Silence the WAV file puts between two sequences.
constexpr uint32_t kSequenceGapMs = 300;
// A wait rendered into the WAV file is cut to this length.
constexpr uint32_t kLongestRenderedWaitMs = 10000;
// Scan events the host thread has not handled yet are kept up to this many.
constexpr size_t kEventCapacity = 256;

// The output the callbacks write to; set by HostOutput::connect.
HostOutput* connected = nullptr;

void onScanEvent(const uint8_t* record) { connected->scanEvent(record); }

void onDebugMessage(const char* format, ...) {
  std::string text = "(no format)";
  if (format != nullptr) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    const bool cut = vsnprintf(buffer, sizeof buffer, format, args) >= int{sizeof buffer};
    va_end(args);
    std::string message = buffer;
    message.erase(message.find_last_not_of("\n\r") + 1);
    text = escaped(message) + (cut ? " [cut]" : "");
  }
  connected->debugMessage(text);
}

void onTone(int32_t zero, const uint8_t* record, int32_t zero2) {
  connected->tone(zero, record, zero2);
}

std::string describeScanEvent(const uint8_t* record) {
  if (record == nullptr) return "no record";
  const ScanEvent event = decodeScanEvent(record);
  if (event.lengthGiven && event.wellFormed) {
    return "87 FF, label of " + std::to_string(event.length) + " bytes";
  }
  if (event.wellFormed) return "87 FF, label of 255 bytes or fewer";
  std::string text = "unexpected record";
  for (int i = 0; i < ScanEventRecordSize; ++i) text += " " + hex(record[i]);
  return text;
}

}  // namespace

void HostOutput::connect(Session* session) {
  connected = this;
  session->eventCallback = onScanEvent;
  session->debugCallback = onDebugMessage;
  session->toneCallback = onTone;
}

void HostOutput::emitLocked(const std::string& line) {
  if (!echo_) return;
  if (holding_) return held_.push_back("  " + line);
  fputs((line + "\n").c_str(), stdout);
  // Each line at once, also into a file or pipe: the Windows C run-time
  // buffers a line-buffered stream fully, and a running host is watched.
  fflush(stdout);
}

void HostOutput::emit(const std::string& line) {
  Lock lock(lock_);
  emitLocked(line);
}

void HostOutput::setEcho(bool echo) {
  Lock lock(lock_);
  echo_ = echo;
}

void HostOutput::reportError(const char* format, ...) {
  char message[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);
  Lock lock(lock_);
  ++errors_;
  fflush(stdout);
  fprintf(stderr, "scanhost: %s\n", message);
  fflush(stderr);
}

int HostOutput::errors() {
  Lock lock(lock_);
  return errors_;
}

bool HostOutput::openWav(const std::string& path, std::string* error) {
  Lock lock(lock_);
  return wav_.open(path, error);
}

bool HostOutput::closeWav() {
  Lock lock(lock_);
  return wav_.close();
}

// Whether there is a WAV file to render into; puts the gap between
// sequences into it first.
bool HostOutput::prepareRenderingLocked() {
  if (!wav_.isOpen()) return false;
  if (gapBeforeNext_ && wav_.samples() > 0) wav_.silence(kSequenceGapMs);
  gapBeforeNext_ = false;
  sequence_.rendered = true;
  return true;
}

// A gap long enough since the mark becomes a wait.
void HostOutput::noteGapLocked(Clock::time_point now) {
  if (!sequence_.open || !sequence_.mark) return;
  const int64_t gap =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - *sequence_.mark).count();
  if (gap < kWaitThresholdMs) return;
  emitLocked("wait " + std::to_string(gap) + " ms");
  if (prepareRenderingLocked()) {
    wav_.silence(static_cast<uint32_t>(std::min<int64_t>(gap, kLongestRenderedWaitMs)));
  }
}

void HostOutput::beginSequence(bool measureEdges, bool holdLines) {
  Lock lock(lock_);
  sequence_ = ToneSequence{true, measureEdges, std::nullopt, false};
  if (measureEdges) sequence_.mark = Clock::now();
  holding_ = holdLines;
}

void HostOutput::endSequence(const std::string& resultLine) {
  Lock lock(lock_);
  if (sequence_.measureEdges) noteGapLocked(Clock::now());
  if (sequence_.rendered) gapBeforeNext_ = true;
  sequence_ = ToneSequence{};
  holding_ = false;
  if (!resultLine.empty()) emitLocked(resultLine);
  for (const std::string& line : held_) emitLocked(line);
  held_.clear();
}

bool HostOutput::takeScanEvent(uint32_t* serial) {
  Lock lock(lock_);
  if (unhandledEvents_.empty()) return false;
  *serial = unhandledEvents_.front();
  unhandledEvents_.pop_front();
  return true;
}

uint32_t HostOutput::events() {
  Lock lock(lock_);
  return events_;
}

uint32_t HostOutput::tones() {
  Lock lock(lock_);
  return tones_;
}

Tone HostOutput::lastTone() {
  Lock lock(lock_);
  return lastTone_;
}

bool HostOutput::waitFor(const uint32_t& counter, uint32_t count, uint32_t timeoutMs) {
  Lock lock(lock_);
  return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return counter >= count; });
}

bool HostOutput::waitForEvents(uint32_t count, uint32_t timeoutMs) {
  return waitFor(events_, count, timeoutMs);
}

bool HostOutput::waitForTones(uint32_t count, uint32_t timeoutMs) {
  return waitFor(tones_, count, timeoutMs);
}

void HostOutput::scanEvent(const uint8_t* record) {
  Lock lock(lock_);
  const uint32_t serial = ++events_;
  if (unhandledEvents_.size() < kEventCapacity) unhandledEvents_.push_back(serial);
  emitLocked("event " + std::to_string(serial) + ": " + describeScanEvent(record));
  arrived_.notify_all();
}

void HostOutput::debugMessage(const std::string& text) {
  Lock lock(lock_);
  emitLocked("debug: " + text);
}

void HostOutput::tone(int32_t zero, const uint8_t* record, int32_t zero2) {
  const Clock::time_point now = Clock::now();
  Lock lock(lock_);
  if (record == nullptr) return emitLocked("tone: no record");
  noteGapLocked(now);
  const Tone tone = decodeTone(record);
  ++tones_;
  lastTone_ = tone;
  arrived_.notify_all();
  std::string text = "tone " + std::to_string(tone.frequency) + " Hz " +
                     std::to_string(tone.durationMs) + " ms level " + std::to_string(tone.level);
  if (!tone.wellFormed)
    text += " (record starts " + hex(record[0]) + " " + hex(record[1]) + ", not 01 00)";
  if (zero != 0 || zero2 != 0) {
    text += " (called with " + std::to_string(zero) + " and " + std::to_string(zero2) +
            " around the record, not 0 and 0)";
  }
  if (wav_.isOpen() && tone.frequency > WavFile::kHighestFrequency) {
    text +=
        " (above " + std::to_string(WavFile::kHighestFrequency) + " Hz: silent in the WAV file)";
  }
  emitLocked(text);
  if (prepareRenderingLocked()) wav_.tone(tone.frequency, tone.durationMs, tone.level);
  if (sequence_.open) sequence_.mark = now;
}

}  // namespace scanhost

#include "host.h"

#include <errno.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "records.h"
#include "text_codec.h"

namespace scanhost {

namespace {

using Clock = std::chrono::steady_clock;
using Guard = std::lock_guard<std::mutex>;

// A gap between two tones of a sequence that is shown as a wait.
constexpr int64_t kWaitThresholdMs = 20;
// Silence the WAV file puts between two sequences.
constexpr uint32_t kSequenceGapMs = 300;
// A wait rendered into the WAV file is cut to this length.
constexpr uint32_t kLongestRenderedWaitMs = 10000;
// Scan events the host thread has not handled yet are kept up to this many.
constexpr size_t kEventCapacity = 256;

// The WAV file: 16-bit mono PCM at 44100 Hz, written as it goes, the sizes in
// its header filled in when it is closed.
constexpr uint32_t kSampleRate = 44100;
// Tones at or above half the sample rate cannot be carried by the file; they
// (and anything above hearing) are rendered as silence of their length.
constexpr uint32_t kHighestFrequency = kSampleRate / 2 - 1;
// A tone of full level (64) peaks at half of the 16-bit range.
constexpr double kPeak = 16383;
constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kFadeMs = 3;
constexpr double kPi = 3.14159265358979323846;
// The data chunk may not outgrow what its 32-bit size can state.
constexpr uint32_t kMaxSamples = (0xFFFFFFFFu - kHeaderSize) / 2;

struct ToneSequence {
  bool open = false;
  bool measureEdges = false;
  std::optional<Clock::time_point> mark;  // the last tone, or the start when edges count
  bool rendered = false;
};

// Everything the callbacks share with the host thread, under its lock. The
// functions named ...Locked expect the caller to hold it.
struct HostState {
  std::mutex lock;
  int errors = 0;
  bool holding = false;  // an operation runs: its lines wait in `held`
  std::vector<std::string> held;
  ToneSequence sequence;
  std::unique_ptr<FILE, int (*)(FILE*)> wav{nullptr, fclose};
  uint32_t samples = 0;  // in the WAV file
  bool gapBeforeNext = false;
  uint32_t events = 0;
  std::deque<uint32_t> unhandledEvents;
} host;

void emitLocked(const std::string& line) {
  if (host.holding) {
    host.held.push_back("  " + line);
  } else {
    fputs((line + "\n").c_str(), stdout);
  }
}

std::string formatted(const char* format, va_list args) {
  char text[2048];
  vsnprintf(text, sizeof text, format, args);
  return text;
}

std::string hex(uint8_t byte) {
  char text[3];
  snprintf(text, sizeof text, "%02X", byte);
  return text;
}

// The low `bytes` bytes of `value` into the WAV file, least significant first.
void putLittleEndianLocked(uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    fputc(static_cast<int>((value >> (8 * i)) & 0xFF), host.wav.get());
}

// The 44-byte RIFF header of a PCM file holding the samples written so far.
void writeWavHeaderLocked() {
  fputs("RIFF", host.wav.get());
  putLittleEndianLocked(kHeaderSize - 8 + 2 * host.samples, 4);
  fputs("WAVEfmt ", host.wav.get());
  putLittleEndianLocked(16, 4);  // size of the format chunk
  putLittleEndianLocked(1, 2);   // PCM
  putLittleEndianLocked(1, 2);   // channels
  putLittleEndianLocked(kSampleRate, 4);
  putLittleEndianLocked(2 * kSampleRate, 4);  // bytes a second
  putLittleEndianLocked(2, 2);                // bytes a sample
  putLittleEndianLocked(16, 2);               // bits a sample
  fputs("data", host.wav.get());
  putLittleEndianLocked(2 * host.samples, 4);
}

void putSampleLocked(int16_t sample) {
  if (host.samples >= kMaxSamples) return;
  putLittleEndianLocked(static_cast<uint16_t>(sample), 2);
  ++host.samples;
}

uint32_t samplesFor(uint32_t durationMs) {
  return static_cast<uint32_t>(uint64_t{durationMs} * kSampleRate / 1000);
}

void renderSilenceLocked(uint32_t durationMs) {
  for (uint32_t left = samplesFor(durationMs); left > 0; --left) putSampleLocked(0);
}

// A sine at `frequency` hertz for `durationMs`, its amplitude scaled by
// level / 64 (levels above 64 count as 64), with short fades at both ends so
// that tones do not click.
void renderToneLocked(uint32_t frequency, uint32_t durationMs, uint32_t level) {
  if (frequency == 0 || frequency > kHighestFrequency) return renderSilenceLocked(durationMs);
  const uint32_t count = samplesFor(durationMs);
  const uint32_t fade = std::min(samplesFor(kFadeMs), count / 2);
  const double amplitude = kPeak * std::min(level, 64u) / 64.0;
  const double step = 2.0 * kPi * frequency / kSampleRate;
  for (uint32_t i = 0; i < count; ++i) {
    double envelope = 1.0;
    if (i < fade) envelope = static_cast<double>(i) / fade;
    if (count - 1 - i < fade) envelope = static_cast<double>(count - 1 - i) / fade;
    putSampleLocked(static_cast<int16_t>(lround(amplitude * envelope * sin(step * i))));
  }
}

// Puts the gap between sequences into the file first.
void prepareRenderingLocked() {
  if (host.wav == nullptr) return;
  if (host.gapBeforeNext && host.samples > 0) renderSilenceLocked(kSequenceGapMs);
  host.gapBeforeNext = false;
  host.sequence.rendered = true;
}

// A gap long enough since the mark becomes a wait.
void noteGapLocked(Clock::time_point now) {
  if (!host.sequence.open || !host.sequence.mark) return;
  const int64_t gap =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - *host.sequence.mark).count();
  if (gap < kWaitThresholdMs) return;
  emitLocked("wait " + std::to_string(gap) + " ms");
  if (host.wav == nullptr) return;
  prepareRenderingLocked();
  renderSilenceLocked(static_cast<uint32_t>(std::min<int64_t>(gap, kLongestRenderedWaitMs)));
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

void onScanEvent(const uint8_t* record) {
  Guard guard(host.lock);
  const uint32_t serial = ++host.events;
  if (host.unhandledEvents.size() < kEventCapacity) host.unhandledEvents.push_back(serial);
  emitLocked("event " + std::to_string(serial) + ": " + describeScanEvent(record));
}

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
  Guard guard(host.lock);
  emitLocked("debug: " + text);
}

void onTone(int32_t zero, const uint8_t* record, int32_t zero2) {
  const Clock::time_point now = Clock::now();
  Guard guard(host.lock);
  if (record == nullptr) return emitLocked("tone: no record");
  noteGapLocked(now);
  const Tone tone = decodeTone(record);
  std::string text = "tone " + std::to_string(tone.frequency) + " Hz " +
                     std::to_string(tone.durationMs) + " ms level " + std::to_string(tone.level);
  if (!tone.wellFormed)
    text += " (record starts " + hex(record[0]) + " " + hex(record[1]) + ", not 01 00)";
  if (zero != 0 || zero2 != 0) {
    text += " (called with " + std::to_string(zero) + " and " + std::to_string(zero2) +
            " around the record, not 0 and 0)";
  }
  if (host.wav != nullptr && tone.frequency > kHighestFrequency) {
    text += " (above " + std::to_string(kHighestFrequency) + " Hz: silent in the WAV file)";
  }
  emitLocked(text);
  if (host.wav != nullptr) {
    prepareRenderingLocked();
    renderToneLocked(tone.frequency, tone.durationMs, tone.level);
  }
  if (host.sequence.open) host.sequence.mark = now;
}

}  // namespace

void printLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string line = formatted(format, args);
  va_end(args);
  Guard guard(host.lock);
  emitLocked(line);
}

void reportError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string message = formatted(format, args);
  va_end(args);
  Guard guard(host.lock);
  ++host.errors;
  fflush(stdout);
  fprintf(stderr, "scanhost: %s\n", message.c_str());
  fflush(stderr);
}

int errorCount() {
  Guard guard(host.lock);
  return host.errors;
}

bool openWav(const std::string& path, std::string* error) {
  Guard guard(host.lock);
  host.wav.reset(fopen(path.c_str(), "wb"));
  if (host.wav == nullptr) {
    *error = "cannot create " + path + ": " + strerror(errno);
    return false;
  }
  writeWavHeaderLocked();
  return true;
}

bool closeWav(std::string* error) {
  Guard guard(host.lock);
  if (host.wav == nullptr) return true;
  bool written = fseek(host.wav.get(), 0, SEEK_SET) == 0;
  if (written) writeWavHeaderLocked();
  written = ferror(host.wav.get()) == 0 && written;
  written = fclose(host.wav.release()) == 0 && written;
  if (!written) *error = "writing the WAV file failed";
  return written;
}

void beginSequence(bool measureEdges, bool holdLines) {
  Guard guard(host.lock);
  host.sequence = ToneSequence{};
  host.sequence.open = true;
  host.sequence.measureEdges = measureEdges;
  if (measureEdges) host.sequence.mark = Clock::now();
  host.holding = holdLines;
}

void endSequence(const std::string& resultLine) {
  Guard guard(host.lock);
  if (host.sequence.measureEdges) noteGapLocked(Clock::now());
  if (host.sequence.rendered) host.gapBeforeNext = true;
  host.sequence = ToneSequence{};
  host.holding = false;
  if (!resultLine.empty()) emitLocked(resultLine);
  for (const std::string& line : host.held) emitLocked(line);
  host.held.clear();
}

bool takeScanEvent(uint32_t* serial) {
  Guard guard(host.lock);
  if (host.unhandledEvents.empty()) return false;
  *serial = host.unhandledEvents.front();
  host.unhandledEvents.pop_front();
  return true;
}

void useHostCallbacks(Session* session) {
  session->eventCallback = onScanEvent;
  session->debugCallback = onDebugMessage;
  session->toneCallback = onTone;
}

}  // namespace scanhost

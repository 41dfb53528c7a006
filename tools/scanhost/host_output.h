// What the host shows: the lines it prints (its own and those of the
// plug-in's callbacks, from any thread), the errors it reports, the scan
// events waiting for the host thread, and the tone timeline with its WAV
// file. One HostOutput is the context every command writes through; its
// lock serialises the plug-in's threads and the host's.
#ifndef SCANHOST_HOST_OUTPUT_H
#define SCANHOST_HOST_OUTPUT_H

#include <stdint.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "operations.h"
#include "records.h"
#include "wav_file.h"

namespace scanhost {

class HostOutput {
 public:
  using Clock = std::chrono::steady_clock;

  // Makes this the output the three callbacks write to and puts them into
  // `session`. The plug-in's callbacks carry no context, so one output at a
  // time receives them.
  void connect(Session* session);

  // One line on standard output, or held while an operation runs (see
  // beginSequence). Without echo (check prints only its own lines) nothing
  // is printed, but events and tones are still counted.
  void emit(const std::string& line);
  void setEcho(bool echo);
  // "scanhost: ..." on standard error; every report counts as an error.
  __attribute__((format(printf, 2, 3))) void reportError(const char* format, ...);
  int errors();

  // Tones and waits are also rendered into the WAV file that openWav
  // creates and closeWav completes. False, saying why in `error`, when it
  // cannot be created; closeWav is false when writing the file failed.
  bool openWav(const std::string& path, std::string* error);
  bool closeWav();

  // Pauses in a pattern are waits in the thread that plays it, invisible to
  // the host except as time passing between tones. Every tone is
  // time-stamped; a gap of at least kWaitThresholdMs between two tones of one
  // sequence is shown as a wait. A sequence is one operation call or one
  // label pushed into the virtual device. During an operation call
  // (`holdLines`) lines are held until endSequence prints `resultLine`
  // followed by them. With `measureEdges` (operations that play a pattern)
  // the time from the call's start to its first tone and from its last tone
  // to its end count as waits too, so a pattern made only of pauses still
  // shows.
  void beginSequence(bool measureEdges, bool holdLines);
  void endSequence(const std::string& resultLine);

  // Serial number (1, 2, ...) of the oldest scan event the host thread has
  // not handled yet; false when there is none.
  bool takeScanEvent(uint32_t* serial);

  // Scan events and tone records received so far, and the last tone.
  uint32_t events();
  uint32_t tones();
  Tone lastTone();
  // Waits up to `timeoutMs` until at least `count` scan events (or tones)
  // have been received; true when they have.
  bool waitForEvents(uint32_t count, uint32_t timeoutMs);
  bool waitForTones(uint32_t count, uint32_t timeoutMs);

  // What the callbacks do, on the plug-in's threads.
  void scanEvent(const uint8_t* record);
  void debugMessage(const std::string& text);
  void tone(int32_t zero, const uint8_t* record, int32_t zero2);

 private:
  struct ToneSequence {
    bool open = false;
    bool measureEdges = false;
    std::optional<Clock::time_point> mark;  // the last tone, or the start when edges count
    bool rendered = false;
  };
  using Lock = std::unique_lock<std::mutex>;

  void emitLocked(const std::string& line);
  bool prepareRenderingLocked();
  void noteGapLocked(Clock::time_point now);
  bool waitFor(const uint32_t& counter, uint32_t count, uint32_t timeoutMs);

  std::mutex lock_;
  std::condition_variable arrived_;  // an event or a tone came
  bool echo_ = true;
  int errors_ = 0;
  bool holding_ = false;  // an operation runs: its lines wait in `held_`
  std::vector<std::string> held_;
  ToneSequence sequence_;
  WavFile wav_;
  bool gapBeforeNext_ = false;
  uint32_t events_ = 0;
  uint32_t tones_ = 0;
  Tone lastTone_ = {};
  std::deque<uint32_t> unhandledEvents_;
};

}  // namespace scanhost

#endif  // SCANHOST_HOST_OUTPUT_H

// The WAV file scanhost renders tones into: 16-bit mono PCM at 44100 Hz,
// written as it goes, the sizes in its header filled in when it is closed.
#ifndef SCANHOST_WAV_FILE_H
#define SCANHOST_WAV_FILE_H

#include <stdint.h>
#include <stdio.h>

#include <memory>
#include <string>

namespace scanhost {

class WavFile {
 public:
  static constexpr uint32_t kSampleRate = 44100;
  // Tones at or above half the sample rate cannot be carried by the file;
  // they (and anything above hearing) are rendered as silence of their length.
  static constexpr uint32_t kHighestFrequency = kSampleRate / 2 - 1;

  // Creates `path` with an empty data chunk; false, saying why in `error`,
  // when it cannot be created.
  bool open(const std::string& path, std::string* error);
  bool isOpen() const { return file_ != nullptr; }
  // Samples in the data chunk so far.
  uint32_t samples() const { return samples_; }
  // A sine at `frequency` hertz for `durationMs`, its amplitude scaled by
  // level / 64 (levels above 64 count as 64), with short fades at both ends
  // so that tones do not click. A frequency the file cannot carry (or 0) is
  // silence of the same length.
  void tone(uint32_t frequency, uint32_t durationMs, uint32_t level);
  void silence(uint32_t durationMs) { tone(0, durationMs, 0); }
  // Completes the header and closes the file; false when writing failed.
  // Closing a file that is not open succeeds.
  bool close();

 private:
  void write(const std::string& bytes);
  void writeHeader();
  void putSample(int16_t sample);

  std::unique_ptr<FILE, int (*)(FILE*)> file_{nullptr, fclose};
  uint32_t samples_ = 0;
};

}  // namespace scanhost

#endif  // SCANHOST_WAV_FILE_H

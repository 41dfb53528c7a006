// Renders tones and silences into a WAV file: 16-bit mono PCM at 44100 Hz,
// written as it goes, the header's sizes filled in when the file is closed.
#ifndef SCANHOST_WAV_WRITER_H
#define SCANHOST_WAV_WRITER_H

#include <stdint.h>
#include <stdio.h>

#include <memory>
#include <string>

namespace scanhost {

class WavWriter {
 public:
  static constexpr uint32_t kSampleRate = 44100;
  // Tones at or above half the sample rate cannot be carried by the file;
  // they (and anything above hearing) are rendered as silence of their length.
  static constexpr uint32_t kHighestFrequency = kSampleRate / 2 - 1;
  // Full-scale tone (level 64) peaks at half of the 16-bit range.
  static constexpr int32_t kPeak = 16383;

  // Creates the file and writes a header with empty sizes.
  bool open(const std::string& path, std::string* error);

  // A sine at `frequency` hertz for `durationMs`, its amplitude scaled by
  // level / 64 (levels above 64 count as 64), with short fades at both ends
  // so that tones do not click.
  void tone(uint32_t frequency, uint32_t durationMs, uint32_t level);
  void silence(uint32_t durationMs);

  // Fills in the sizes and closes the file; true when nothing was open.
  bool close(std::string* error);

  uint32_t samplesWritten() const { return samples_; }

 private:
  void put(int16_t sample);
  void writeHeader();

  std::unique_ptr<FILE, int (*)(FILE*)> file_{nullptr, fclose};
  uint32_t samples_ = 0;
};

}  // namespace scanhost

#endif  // SCANHOST_WAV_WRITER_H

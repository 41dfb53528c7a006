#include "wav_writer.h"

#include <errno.h>
#include <math.h>
#include <string.h>

#include <algorithm>

namespace scanhost {

namespace {

constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kBytesPerSample = 2;
constexpr uint32_t kFadeMs = 3;
constexpr double kPi = 3.14159265358979323846;
// The data chunk may not outgrow what its 32-bit size can state.
constexpr uint32_t kMaxSamples = (0xFFFFFFFFu - kHeaderSize) / kBytesPerSample;

// The low `bytes` bytes of `value`, least significant first.
void putLittleEndian(FILE* file, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
}

// Number of samples `durationMs` lasts at the file's rate.
uint32_t samplesFor(uint32_t durationMs) {
  return static_cast<uint32_t>(uint64_t{durationMs} * WavWriter::kSampleRate / 1000);
}

}  // namespace

bool WavWriter::open(const std::string& path, std::string* error) {
  file_.reset(fopen(path.c_str(), "wb"));
  if (file_ == nullptr) {
    *error = "cannot create " + path + ": " + strerror(errno);
    return false;
  }
  writeHeader();
  return true;
}

// The 44-byte RIFF header of a PCM file holding the samples written so far.
void WavWriter::writeHeader() {
  FILE* file = file_.get();
  const uint32_t dataBytes = samples_ * kBytesPerSample;
  fputs("RIFF", file);
  putLittleEndian(file, kHeaderSize - 8 + dataBytes, 4);
  fputs("WAVEfmt ", file);
  putLittleEndian(file, 16, 4);  // size of the format chunk
  putLittleEndian(file, 1, 2);   // PCM
  putLittleEndian(file, 1, 2);   // channels
  putLittleEndian(file, kSampleRate, 4);
  putLittleEndian(file, kSampleRate * kBytesPerSample, 4);  // bytes a second
  putLittleEndian(file, kBytesPerSample, 2);                // bytes a sample
  putLittleEndian(file, 16, 2);                             // bits a sample
  fputs("data", file);
  putLittleEndian(file, dataBytes, 4);
}

void WavWriter::put(int16_t sample) {
  if (file_ == nullptr || samples_ >= kMaxSamples) return;
  putLittleEndian(file_.get(), static_cast<uint16_t>(sample), kBytesPerSample);
  ++samples_;
}

void WavWriter::tone(uint32_t frequency, uint32_t durationMs, uint32_t level) {
  if (frequency == 0 || frequency > kHighestFrequency) return silence(durationMs);
  const uint32_t count = samplesFor(durationMs);
  const uint32_t fade = std::min(samplesFor(kFadeMs), count / 2);
  const double amplitude = static_cast<double>(kPeak) * std::min(level, 64u) / 64.0;
  const double step = 2.0 * kPi * frequency / kSampleRate;
  for (uint32_t i = 0; i < count; ++i) {
    double envelope = 1.0;
    if (i < fade) envelope = static_cast<double>(i) / fade;
    if (count - 1 - i < fade) envelope = static_cast<double>(count - 1 - i) / fade;
    put(static_cast<int16_t>(lround(amplitude * envelope * sin(step * i))));
  }
}

void WavWriter::silence(uint32_t durationMs) {
  for (uint32_t left = samplesFor(durationMs); left > 0; --left) put(0);
}

bool WavWriter::close(std::string* error) {
  if (file_ == nullptr) return true;
  bool written = fseek(file_.get(), 0, SEEK_SET) == 0;
  if (written) writeHeader();
  written = ferror(file_.get()) == 0 && written;
  written = fclose(file_.release()) == 0 && written;
  if (!written) *error = "writing the WAV file failed";
  return written;
}

}  // namespace scanhost

#include "wav_file.h"

#include <errno.h>
#include <math.h>
#include <string.h>

#include <algorithm>

namespace scanhost {

namespace {

// A tone of full level (64) peaks at half of the 16-bit range.
constexpr double kPeak = 16383;
constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kFadeMs = 3;
constexpr double kPi = 3.14159265358979323846;
// The data chunk may not outgrow what its 32-bit size can state.
constexpr uint32_t kMaxSamples = (0xFFFFFFFFu - kHeaderSize) / 2;

// The low `bytes` bytes of `value`, least significant first.
std::string littleEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

uint32_t samplesFor(uint32_t durationMs) {
  return static_cast<uint32_t>(uint64_t{durationMs} * WavFile::kSampleRate / 1000);
}

}  // namespace

bool WavFile::open(const std::string& path, std::string* error) {
  file_.reset(fopen(path.c_str(), "wb"));
  samples_ = 0;
  if (file_ == nullptr) {
    *error = "cannot create " + path + ": " + strerror(errno);
    return false;
  }
  writeHeader();
  return true;
}

void WavFile::write(const std::string& bytes) {
  fwrite(bytes.data(), 1, bytes.size(), file_.get());
}

// The 44-byte RIFF header of a PCM file holding the samples written so far:
// format chunk of 16 bytes, PCM, one channel, the rate, bytes a second,
// bytes a sample, bits a sample, then the data chunk.
void WavFile::writeHeader() {
  const uint32_t dataBytes = 2 * samples_;
  write("RIFF" + littleEndian(kHeaderSize - 8 + dataBytes, 4) + "WAVEfmt " + littleEndian(16, 4) +
        littleEndian(1, 2) + littleEndian(1, 2) + littleEndian(kSampleRate, 4) +
        littleEndian(2 * kSampleRate, 4) + littleEndian(2, 2) + littleEndian(16, 2) + "data" +
        littleEndian(dataBytes, 4));
}

void WavFile::putSample(int16_t sample) {
  if (samples_ >= kMaxSamples) return;
  write(littleEndian(static_cast<uint16_t>(sample), 2));
  ++samples_;
}

void WavFile::tone(uint32_t frequency, uint32_t durationMs, uint32_t level) {
  if (file_ == nullptr) return;
  const bool audible = frequency != 0 && frequency <= kHighestFrequency;
  const uint32_t count = samplesFor(durationMs);
  const uint32_t fade = std::min(samplesFor(kFadeMs), count / 2);
  const double amplitude = audible ? kPeak * std::min(level, 64u) / 64.0 : 0.0;
  const double step = 2.0 * kPi * frequency / kSampleRate;
  for (uint32_t i = 0; i < count; ++i) {
    double envelope = 1.0;
    if (i < fade) envelope = static_cast<double>(i) / fade;
    if (count - 1 - i < fade) envelope = static_cast<double>(count - 1 - i) / fade;
    putSample(static_cast<int16_t>(lround(amplitude * envelope * sin(step * i))));
  }
}

bool WavFile::close() {
  if (file_ == nullptr) return true;
  bool written = fseek(file_.get(), 0, SEEK_SET) == 0;
  if (written) writeHeader();
  written = ferror(file_.get()) == 0 && written;
  return fclose(file_.release()) == 0 && written;
}

}  // namespace scanhost

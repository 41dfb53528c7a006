#include "wav_writer.h"

#include <errno.h>
#include <math.h>
#include <string.h>

namespace scanhost {

namespace {

constexpr uint32_t kHeaderSize = 44;
constexpr uint16_t kChannels = 1;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
constexpr uint32_t kFadeMs = 3;
constexpr double kPi = 3.14159265358979323846;
// The data chunk may not outgrow what its 32-bit size can state.
constexpr uint32_t kMaxSamples = (0xFFFFFFFFu - kHeaderSize) / kBlockAlign;

void putLittleEndian16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

void putLittleEndian32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

// The 44-byte RIFF header of a PCM file holding `samples` samples.
void buildHeader(uint8_t* header, uint32_t samples) {
  const uint32_t dataBytes = samples * kBlockAlign;
  memcpy(header + 0, "RIFF", 4);
  putLittleEndian32(header + 4, kHeaderSize - 8 + dataBytes);
  memcpy(header + 8, "WAVE", 4);
  memcpy(header + 12, "fmt ", 4);
  putLittleEndian32(header + 16, 16);  // size of the format chunk
  putLittleEndian16(header + 20, 1);   // PCM
  putLittleEndian16(header + 22, kChannels);
  putLittleEndian32(header + 24, WavWriter::kSampleRate);
  putLittleEndian32(header + 28, WavWriter::kSampleRate * kBlockAlign);
  putLittleEndian16(header + 32, kBlockAlign);
  putLittleEndian16(header + 34, kBitsPerSample);
  memcpy(header + 36, "data", 4);
  putLittleEndian32(header + 40, dataBytes);
}

}  // namespace

uint32_t samplesFor(uint32_t durationMs) {
  return static_cast<uint32_t>(uint64_t{durationMs} * WavWriter::kSampleRate / 1000);
}

WavWriter::~WavWriter() {
  if (file_ != nullptr) fclose(file_);
}

bool WavWriter::open(const std::string& path, std::string* error) {
  file_ = fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    *error = "cannot create " + path + ": " + strerror(errno);
    return false;
  }
  uint8_t header[kHeaderSize];
  buildHeader(header, 0);
  if (fwrite(header, 1, sizeof header, file_) != sizeof header) failed_ = true;
  return true;
}

void WavWriter::writeSamples(const int16_t* samples, size_t count) {
  uint8_t bytes[2 * 512];
  size_t done = 0;
  while (done < count && samples_ < kMaxSamples) {
    size_t chunk = count - done;
    if (chunk > 512) chunk = 512;
    if (chunk > kMaxSamples - samples_) chunk = kMaxSamples - samples_;
    for (size_t i = 0; i < chunk; ++i) {
      putLittleEndian16(bytes + 2 * i, static_cast<uint16_t>(samples[done + i]));
    }
    if (fwrite(bytes, 2, chunk, file_) != chunk) failed_ = true;
    samples_ += static_cast<uint32_t>(chunk);
    done += chunk;
  }
}

void WavWriter::tone(uint32_t frequency, uint32_t durationMs, uint32_t level) {
  if (file_ == nullptr) return;
  if (frequency == 0 || frequency > kHighestFrequency) {
    silence(durationMs);
    return;
  }
  if (level > 64) level = 64;
  const uint32_t count = samplesFor(durationMs);
  uint32_t fade = samplesFor(kFadeMs);
  if (fade > count / 2) fade = count / 2;
  const double amplitude = static_cast<double>(kPeak) * level / 64.0;
  const double step = 2.0 * kPi * frequency / kSampleRate;
  int16_t block[512];
  uint32_t i = 0;
  while (i < count) {
    size_t filled = 0;
    for (; filled < 512 && i < count; ++filled, ++i) {
      double envelope = 1.0;
      if (i < fade) envelope = static_cast<double>(i) / fade;
      if (count - 1 - i < fade) envelope = static_cast<double>(count - 1 - i) / fade;
      block[filled] = static_cast<int16_t>(lround(amplitude * envelope * sin(step * i)));
    }
    writeSamples(block, filled);
  }
}

void WavWriter::silence(uint32_t durationMs) {
  if (file_ == nullptr) return;
  static const int16_t kZeros[512] = {};
  uint32_t left = samplesFor(durationMs);
  while (left > 0) {
    const uint32_t chunk = left < 512 ? left : 512;
    writeSamples(kZeros, chunk);
    left -= chunk;
  }
}

bool WavWriter::close(std::string* error) {
  if (file_ == nullptr) return true;
  uint8_t header[kHeaderSize];
  buildHeader(header, samples_);
  if (fseek(file_, 0, SEEK_SET) != 0 || fwrite(header, 1, sizeof header, file_) != sizeof header) {
    failed_ = true;
  }
  if (fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  if (failed_) {
    *error = "writing the WAV file failed";
    return false;
  }
  return true;
}

}  // namespace scanhost

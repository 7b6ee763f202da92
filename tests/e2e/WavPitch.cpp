// SPDX-License-Identifier: MIT
#include "WavPitch.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

namespace {
uint32_t Read32(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint16_t Read16(const char* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// Energy of one frequency in the signal (Goertzel), Hann-windowed.
double Energy(const std::vector<float>& samples, double frequency, double rate) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
  double previous = 0, beforePrevious = 0;
  const size_t n = samples.size();
  for (size_t i = 0; i < n; ++i) {
    const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n - 1));
    const double current = samples[i] * window + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}
}  // namespace

std::optional<WavPitch> WavPitch::Analyse(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (data.size() < 12 || std::memcmp(data.data(), "RIFF", 4) != 0 || std::memcmp(data.data() + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  const char* pcm = nullptr;
  size_t pcmSize = 0;
  for (size_t at = 12; at + 8 <= data.size();) {
    const char* chunk = data.data() + at;
    size_t size = Read32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= data.size()) {
      format = Read16(chunk + 8);
      channels = Read16(chunk + 10);
      rate = Read32(chunk + 12);
      bits = Read16(chunk + 22);
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      pcm = chunk + 8;
      // A writer stopped early may leave the size unset; take what is there.
      pcmSize = std::min(size, data.size() - at - 8);
      break;
    }
    at += 8 + size + (size & 1);
  }
  const bool isFloat = format == 3 && bits == 32;
  const bool isInt = format == 1 && (bits == 16 || bits == 32);
  if (!pcm || channels == 0 || rate == 0 || !(isFloat || isInt)) return std::nullopt;

  const size_t frameSize = size_t(channels) * bits / 8;
  std::vector<float> mono(pcmSize / frameSize);
  WavPitch result;
  for (size_t frame = 0; frame < mono.size(); ++frame) {
    double sum = 0;
    for (size_t channel = 0; channel < channels; ++channel) {
      const char* sample = pcm + frame * frameSize + channel * bits / 8;
      if (isFloat) {
        float value;
        std::memcpy(&value, sample, 4);
        sum += value;
      } else if (bits == 16) {
        sum += int16_t(Read16(sample)) / 32768.0;
      } else {
        sum += int32_t(Read32(sample)) / 2147483648.0;
      }
    }
    mono[frame] = float(sum / channels);
    result.peak = std::max(result.peak, std::fabs(double(mono[frame])));
  }
  if (mono.size() < 2) return result;
  double best = -1;
  for (int note = 21; note <= 108; ++note) {
    const double frequency = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    const double energy = Energy(mono, frequency, rate);
    if (energy > best) {
      best = energy;
      result.loudestNote = note;
    }
  }
  return result;
}

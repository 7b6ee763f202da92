// SPDX-License-Identifier: MIT
// The pitch of a synthesiser's rendering, for the end-to-end tests that play
// into FluidSynth: raw 16-bit stereo read as mono samples, and the strongest
// frequency near a note, window by window.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

namespace RenderedPitch {

inline constexpr double kRate = 48000;

/// Raw 16-bit stereo as mono samples.
inline std::vector<float> Mono(const std::filesystem::path& raw) {
  std::ifstream file(raw, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<float> mono(bytes.size() / 4);
  for (size_t frame = 0; frame < mono.size(); ++frame) {
    int16_t left, right;
    std::memcpy(&left, &bytes[frame * 4], 2);
    std::memcpy(&right, &bytes[frame * 4 + 2], 2);
    mono[frame] = float(left + right) / 65536.0f;
  }
  return mono;
}

/// Energy of one frequency in a stretch of the signal (Goertzel), Hann-windowed.
inline double Energy(const float* samples, size_t n, double frequency) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / kRate);
  double previous = 0, beforePrevious = 0;
  for (size_t i = 0; i < n; ++i) {
    const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n - 1));
    const double current = samples[i] * window + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

/// The rendering's pitch, window by window, in cents from `note`: the
/// strongest frequency from `low` to `high` cents, in steps of 5 cents. Quiet
/// windows (before the note, after its release: under a tenth of the loudest
/// sample) are left out.
inline std::vector<int> PitchTrack(const std::vector<float>& mono, int note, int low, int high) {
  constexpr size_t kWindow = 8192, kHop = 2048;
  std::vector<int> cents;
  float loudest = 0;
  for (float sample : mono) loudest = std::max(loudest, std::fabs(sample));
  for (size_t start = 0; start + kWindow <= mono.size(); start += kHop) {
    float peak = 0;
    for (size_t i = start; i < start + kWindow; ++i) peak = std::max(peak, std::fabs(mono[i]));
    if (peak < loudest / 10 || peak == 0) continue;
    int best = 0;
    double bestEnergy = -1;
    for (int c = low; c <= high; c += 5) {
      const double energy = Energy(&mono[start], kWindow, 440.0 * std::pow(2.0, (note + c / 100.0 - 69) / 12.0));
      if (energy > bestEnergy) bestEnergy = energy, best = c;
    }
    cents.push_back(best);
  }
  return cents;
}

}  // namespace RenderedPitch

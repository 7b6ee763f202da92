// SPDX-License-Identifier: MIT
// Random performances for the "no note hangs" property, shared by the
// in-process test and the one on a real JACK server.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

/// One script line, and whether the pen is off the tablet after it (a packet
/// without pressure): from then on nothing may sound.
struct PerformanceLine {
  std::string text;
  bool penUp = false;
};

/// A random script: pen packets that glide, lift, touch and change tools and
/// buttons, mixed with every operation that reopens the port or changes what a
/// note-off would be computed from (slots, ports, channels, chords, "generate
/// notes", the note range, the rows' controllers, copy, paste, reset, load,
/// panic, controller mode). `ports` entries exist in the port box;
/// `configFile` is the file Load reads. With `glide`, one operation in three
/// turns glide or per-note channels on or off or sets the bend range instead
/// (without, the performance of a seed is the one it always was).
inline std::vector<PerformanceLine> RandomPerformance(uint32_t seed, int lines, int ports,
                                                      const std::string& configFile, bool glide = false) {
  std::mt19937 random(seed);
  auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  std::vector<PerformanceLine> script;
  int cursor = 1, x = 960, y = 540, pressure = 0, barrel = 0;
  for (int i = 0; i < lines; ++i) {
    const int kind = pick(0, 99);
    std::string text;
    if (kind < 65) {
      if (pick(0, 11) == 0) cursor = pick(0, 2);
      if (pick(0, 15) == 0) barrel = 2 - barrel;
      x = std::clamp(x + pick(-250, 250), 0, 1919);
      y = std::clamp(y + pick(-250, 250), 0, 1079);
      if (pressure == 0) {
        pressure = pick(0, 2) == 0 ? pick(1, 1023) : 0;
      } else {
        pressure = pick(0, 4) == 0 ? 0 : std::clamp(pressure + pick(-200, 200), 1, 1023);
      }
      text = "packet " + std::to_string(cursor) + " " + std::to_string((pressure > 0 ? 1 : 0) | barrel) + " " +
             std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(pressure) + " " +
             std::to_string(pick(0, 3599)) + " " + std::to_string(pick(200, 900)) + " 0";
      script.push_back({text, pressure == 0});
      continue;
    }
    // The other 35 in 100: each operation as often as its weight says.
    struct Operation {
      int weight;
      std::string text;
      int low = 0, high = -1;  // the range of the number that follows the text; none when empty
    };
    const Operation operations[] = {{3, "slot ", 1, 12},
                                    {3, "set MIDI channel = ", 0, 15},
                                    {2, "set MIDI out port = ", 0, ports},
                                    {3, "set Chord = ", 0, 23},
                                    {2, "set Play notes = ", 0, 1},
                                    {1, "set Scale = ", 0, 269},
                                    {1, "set Key = ", 0, 11},
                                    {1, "set Min note = ", 0, 127},
                                    {1, "set Max note = ", 0, 127},
                                    {1, "set Note direction = ", 0, 1},
                                    {1, "set Initial pressure = ", 0, 1},
                                    {1, ""},  // a row's controller: below
                                    {2, "copy"},
                                    {2, "paste"},
                                    {1, "reset"},
                                    {2, "load " + configFile},
                                    {3, "panic"},
                                    {2, "press"},
                                    {3, "release"}};
    if (glide && pick(0, 2) == 0) {
      static const char* const kGlideFields[] = {"Glide = ", "MPE = ", "Bend range = "};
      const int field = pick(0, 2);
      const int value = field == 0 ? pick(0, 2) : field == 1 ? pick(0, 1) : pick(1, 24);
      script.push_back({std::string("set ") + kGlideFields[field] + std::to_string(value), false});
      continue;
    }
    int left = kind - 65;
    const Operation* chosen = operations;
    while (left >= chosen->weight) left -= (chosen++)->weight;
    text = chosen->text;
    if (chosen->low <= chosen->high) text += std::to_string(pick(chosen->low, chosen->high));
    if (text.empty()) {
      // Half of the rows aimed at pitch bend or channel pressure.
      static const char* const kRows[] = {"Y", "Pressure", "Tilt"};
      const int controller = pick(0, 1) ? pick(129, 130) : pick(0, 128);
      text = std::string("set ") + kRows[pick(0, 2)] + " cc = " + std::to_string(controller);
    }
    script.push_back({text, false});
  }
  return script;
}

/// What a receiver heard, note by note: note-ons minus note-offs for each
/// port, channel and note. A note-on with velocity 0 counts as a note-on here,
/// so that its own note-off is still required. Also which channels were last
/// left bent or with channel pressure.
class NoteLedger {
 public:
  /// One message as it arrived at `port`.
  void Hear(int port, const std::vector<uint8_t>& message) {
    if (message.empty()) return;
    const int kind = message[0] & 0xF0, channel = message[0] & 0x0F;
    if (kind != 0xD0) lastKind_[{port, channel}] = kind;
    if (kind == 0xE0 && message.size() == 3) bent_[{port, channel}] = message[1] != 0 || message[2] != 0x40;
    if (kind == 0xD0 && message.size() == 2) pressed_[{port, channel}] = message[1] != 0;
    if (message.size() != 3) return;
    if (kind != 0x80 && kind != 0x90) return;
    int& count = sounding_[{port, channel, message[1]}];
    if (kind == 0x90) {
      ++noteOns_;
      ++count;
      ++total_;
    } else if (count > 0) {
      --count;
      --total_;
    } else {
      ++strayNoteOffs_;
    }
  }
  /// Notes started and not stopped, over every port and channel.
  int Sounding() const { return total_; }
  /// Note-offs for notes that were not sounding on that port and channel.
  int StrayNoteOffs() const { return strayNoteOffs_; }
  int NoteOns() const { return noteOns_; }
  /// Notes sounding on one port and channel.
  int SoundingOn(int port, int channel) const {
    int count = 0;
    for (const auto& [where, notes] : sounding_) {
      if (std::get<0>(where) == port && std::get<1>(where) == channel) count += notes;
    }
    return count;
  }
  /// The kind (status without channel) of the last message other than channel
  /// pressure on a port and channel; 0 before any.
  int LastKindOn(int port, int channel) const {
    const auto found = lastKind_.find({port, channel});
    return found == lastKind_.end() ? 0 : found->second;
  }
  /// Channels whose last pitch bend was off the centre or whose last channel
  /// pressure was not 0, over every port.
  int ExpressionAwayFromRest() const {
    int away = 0;
    for (const auto* flags : {&bent_, &pressed_}) {
      for (const auto& [where, set] : *flags) away += set ? 1 : 0;
    }
    return away;
  }

 private:
  std::map<std::pair<int, int>, bool> bent_, pressed_;
  std::map<std::pair<int, int>, int> lastKind_;
  std::map<std::tuple<int, int, int>, int> sounding_;
  int total_ = 0;
  int strayNoteOffs_ = 0;
  int noteOns_ = 0;
};

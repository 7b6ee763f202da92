// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/Ranges.h"

/// The pen inputs, in the order of every per-controller array, file line,
/// control row and value display.
enum ControllerInput : int {
  kInputX = 0,         ///< pen X position
  kInputY = 1,         ///< pen Y position
  kInputPressure = 2,  ///< tip pressure
  kInputTilt = 3,      ///< pen altitude
  kInputAngle = 4,     ///< pen azimuth
  kInputH = 5,         ///< hue, or red under the RGB colour model
  kInputS = 6,         ///< saturation, or green
  kInputB = 7,         ///< brightness, or blue
};
static_assert(kInputB + 1 == kControllerInputCount);

/// Response curve codes, as stored in `Configuration::map`.
enum ResponseCurve : uint16_t {
  Exponential = 0,  ///< starts flat, rises steeply
  Linear = 1,       ///< straight line
  Logarithmic = 2,  ///< rises steeply, then flattens
  SCurve = 3,       ///< slow at both ends
};
static_assert(SCurve + 1 == kResponseCurveCount);

inline constexpr uint8_t kNoController = kControllerNumberCount;  ///< `cc` value: the input sends nothing
inline constexpr uint8_t kNoPatch = kProgramCount;                ///< `midiPatch` value: no programme change
inline constexpr uint8_t kNoNote = 255;                           ///< `lastNote` value: nothing sounds

/// What a band change does to the notes that sound, as stored in `Configuration::glide`.
enum GlideMode : uint8_t {
  kGlideOff = 0,     ///< the notes stop and the new band's notes start
  kGlideSlide = 1,   ///< the sounding notes bend to the new band's note
  kGlideFollow = 2,  ///< the pitch follows the pen between the centres of the bands
};
static_assert(kGlideFollow + 1 == kGlideModeCount);

/// `cc` values past "none", the last entries of every controller box: the input
/// bends the pitch or sends channel pressure instead of a control change, also
/// while notes play.
inline constexpr uint8_t kPitchBendController = kNoController + 1;
inline constexpr uint8_t kChannelPressureController = kNoController + 2;
static_assert(kChannelPressureController + 1 == kControllerEntryCount);
static_assert(kNoPatch + 1 == kPatchEntryCount);

/// True for the `cc` values that send pitch bend or channel pressure.
constexpr bool IsExpressionController(uint8_t cc) {
  return cc == kPitchBendController || cc == kChannelPressureController;
}

/// One preset: which port, channel and programme to use, which notes may be
/// played and how each pen input becomes a control change. A value-initialised
/// record (the copy buffer before the first Copy) has every numeric field 0
/// but the bend range, which is 48 as in a file that does not name it;
/// `DefaultConfiguration()` gives the defaults a fresh slot starts with.
struct Configuration {
  uint16_t scale = 0;                                 ///< index into ScaleTable, 0..269
  uint16_t chord = 0;                                 ///< index into ChordTable, 0..23
  uint8_t midiOutPort = 0;                            ///< output device number, as listed in the port box
  std::string midiOutPortName;                        ///< that device's stable name; empty: the number alone counts
  uint8_t midiChannel = 0;                            ///< 0..15, shown as 1..16
  uint8_t midiPatch = 0;                              ///< programme 0..127, or kNoPatch
  uint8_t key = 0;                                    ///< pitch class 0..11, 0 = C
  uint8_t minNote = 0;                                ///< lowest playable note
  uint8_t maxNote = 0;                                ///< highest playable note
  uint16_t noteDirection = 0;                         ///< 0 = notes follow the pen vertically, else horizontally
  std::array<uint8_t, kControllerInputCount> cc{};    ///< controller number per input; above 127 none or expression
  std::array<uint8_t, kControllerInputCount> min{};   ///< output at the input's low end
  std::array<uint8_t, kControllerInputCount> max{};   ///< output at the input's high end
  std::array<uint16_t, kControllerInputCount> map{};  ///< ResponseCurve code per input
  uint8_t playNotes = 0;                              ///< notes are generated in note mode
  uint8_t initialPressure = 0;                        ///< velocity from pressure (else 80)
  uint8_t initialPosition = 0;                        ///< pan controller 10 from pen X at each note start
  std::string picture;                                ///< full path of the slot's picture, empty = none
  uint16_t colorModel = 0;                            ///< 0 = red, green, blue; otherwise hue, saturation, brightness
  uint8_t glide = kGlideOff;                          ///< GlideMode: what a band change does to sounding notes
  uint8_t bendRange = kDefaultBendRange;              ///< semitones of a full bend, 1..96, told to the synthesiser
  uint8_t mpe = 0;                                    ///< 1: each note on a channel of its own (channels 2..16)

  bool operator==(const Configuration&) const = default;
};

/// The channel of whatever is not per note: channel 1 (0) when each note has
/// a channel of its own, otherwise the preset's channel.
inline uint8_t ControlChannel(const Configuration& c) { return c.mpe ? 0 : c.midiChannel; }

/// True when the notes of a preset start with a pitch bend of their own: it
/// glides, or gives each note a channel.
inline bool BendsEachNote(const Configuration& c) { return c.glide != kGlideOff || c.mpe != 0; }

/// The defaults of a fresh slot: Japanese A in F#, Koto, notes 60..84, channel 1,
/// port 0, no controllers, every range 0..127 linear, notes, velocity and pan on,
/// no glide, a bend range of 48 semitones, one channel for every note.
Configuration DefaultConfiguration();

/// An 8-bit RGB colour.
struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

/// The colour of each slot: its tab, the tablet area while it is current and the
/// section headers.
extern const std::array<Rgb, kSlotCount> tabColors;

// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "model/Configuration.h"
#include "model/EngineDisplay.h"

/// Control ids of the main window that the code refers to, each array in
/// ControllerInput order where it has one entry per input. The layout table
/// places these controls by name; a control that nothing refers to has its id
/// there alone.
namespace ControlIds {
inline constexpr int kTabletArea = 1002;
inline constexpr int kDeviceName = 1004;
inline constexpr int kToolName = 1006;
inline constexpr int kPressure = 1008;
inline constexpr int kTilt = 1010;
inline constexpr int kAngle = 1012;
inline constexpr int kPenX = 1014;
inline constexpr int kPenY = 1016;
inline constexpr int kPacketCount = 1017;
inline constexpr int kPort = 1019;
inline constexpr int kChannel = 1020;
inline constexpr int kPatch = 1022;
inline constexpr int kNoteDirection = 1023;
inline constexpr int kScale = 1024;
inline constexpr int kKey = 1025;
inline constexpr int kMinKey = 1027;
inline constexpr int kMaxKey = 1028;
inline constexpr int kMinNoteName = 1029;
inline constexpr int kMaxNoteName = 1032;
inline constexpr int kChord = 1042;
inline constexpr int kNoteName = 1048;
inline constexpr int kInitialPressure = 1049;
inline constexpr int kInitialPosition = 1050;
inline constexpr int kAbout = 1051;
inline constexpr int kPlayNotes = 1054;
inline constexpr int kLoad = 1055;
inline constexpr int kSave = 1056;
inline constexpr int kReset = 1070;
inline constexpr int kPictureButton = 1094;
inline constexpr int kPictureClear = 1095;
inline constexpr int kCopy = 1096;
inline constexpr int kPaste = 1097;
inline constexpr int kRgb = 1101;
inline constexpr int kHsv = 1102;
inline constexpr int kGlide = 1103;      ///< off, slide, glide
inline constexpr int kBendRange = 1104;  ///< semitones of a full bend
inline constexpr int kMpe = 1105;        ///< a channel per note
// Beyond the template: what helps a player find the notes, see MIDI going out
// and hear of MIDI trouble without a box.
inline constexpr int kNoteGuide = 1120;     ///< check box: the note guide over the tablet area
inline constexpr int kFullScreen = 1121;    ///< button: the tablet area fills the screen
inline constexpr int kMidiActivity = 1122;  ///< light: MIDI messages going out
inline constexpr int kTroubleLine = 1123;   ///< one line of MIDI trouble, instead of a box

inline constexpr std::array<int, kControllerInputCount> kControllerBoxes = {1031, 1034, 1036, 1038,
                                                                            1040, 1076, 1078, 1080};
inline constexpr std::array<int, kControllerInputCount> kValueLabels = {1043, 1044, 1045, 1046, 1047, 1082, 1083, 1084};
inline constexpr std::array<int, kControllerInputCount> kMinimumFields = {1052, 1057, 1059, 1061,
                                                                          1063, 1085, 1087, 1089};
inline constexpr std::array<int, kControllerInputCount> kMaximumFields = {1053, 1058, 1060, 1062,
                                                                          1064, 1086, 1088, 1090};
inline constexpr std::array<int, kControllerInputCount> kCurveButtons = {1065, 1066, 1067, 1068,
                                                                         1069, 1091, 1092, 1093};
/// Labels of the three colour rows.
inline constexpr std::array<int, 3> kColorLabels = {1077, 1079, 1081};
/// Section headers in the order they are set up: controllers, notes, MIDI out.
inline constexpr std::array<int, 3> kSectionHeaders = {1073, 1074, 1075};
/// The controls "generate notes" switches on and off.
inline constexpr std::array<int, 10> kNoteControls = {
    kPatch, kScale, kKey, kChord, kMinKey, kMaxKey, kNoteDirection, kInitialPosition, kInitialPressure, kGlide};
/// The Angle controller box: its bottom edge ends the tab strip.
inline constexpr int kAngleBox = kControllerBoxes[kInputAngle];

/// The label that shows each of the engine's texts.
constexpr int ReadoutLabel(Readout readout) {
  switch (readout) {
    case Readout::PacketCount: return kPacketCount;
    case Readout::NoteName: return kNoteName;
    case Readout::ToolName: return kToolName;
    default: return kValueLabels[static_cast<size_t>(readout) - static_cast<size_t>(Readout::Value0)];
  }
}
}  // namespace ControlIds

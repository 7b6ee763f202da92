// SPDX-License-Identifier: MIT
#include "ui/window/WindowLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "ui/window/ControlIds.h"

namespace {

using K = ControlKind;
using namespace ControlIds;

// The template of the main window. The order is the creation and tab order.
// Where a text of ours needs more room than the template gives it, its
// rectangle reaches further right, up to the next control, which stays put.
constexpr std::array kTemplate = {
    ControlSpec{0, K::Label, "MIDI Out Port", 387, 25, 84, 8},
    ControlSpec{kLoad, K::Push, "Load...", 44, 393, 52, 14},
    ControlSpec{kSave, K::Push, "Save...", 96, 393, 52, 14},
    ControlSpec{kReset, K::Push, "Reset", 248, 393, 52, 14},
    ControlSpec{kAbout, K::Push, "About...", 300, 393, 52, 14},
    ControlSpec{0, K::Label, "Packet #", 319, 337, 31, 8},
    ControlSpec{1003, K::Label, "Device:", 21, 337, 25, 8},
    ControlSpec{kDeviceName, K::Label, "---", 49, 337, 58, 8},  // to "Tool:", for the device's name
    ControlSpec{1005, K::Label, "Tool:", 109, 337, 17, 8},
    ControlSpec{kToolName, K::Label, "---", 129, 337, 54, 8},
    ControlSpec{1007, K::Label, "Pressure:", 93, 348, 31, 8},
    ControlSpec{kPressure, K::Label, "---", 129, 348, 20, 8},
    ControlSpec{1009, K::Label, "Tilt:", 153, 348, 13, 8},
    ControlSpec{kTilt, K::Label, "---", 169, 348, 15, 8},
    ControlSpec{1011, K::Label, "Angle:", 195, 348, 21, 8},
    ControlSpec{kAngle, K::Label, "---", 221, 348, 20, 8},
    ControlSpec{1013, K::Label, "X:", 21, 348, 8, 8},
    ControlSpec{kPenX, K::Label, "---", 33, 348, 19, 8},
    ControlSpec{1015, K::Label, "Y:", 55, 348, 8, 8},
    ControlSpec{kPenY, K::Label, "---", 69, 348, 20, 8},
    ControlSpec{kPacketCount, K::Label, "---", 351, 337, 32, 8},
    ControlSpec{kTabletArea, K::TabletArea, "", 16, 7, 364, 306},
    ControlSpec{kPort, K::List, "", 386, 36, 136, 126},
    ControlSpec{kChannel, K::List, "", 527, 36, 30, 166},
    ControlSpec{1021, K::Label, "Channel", 527, 25, 28, 8},
    ControlSpec{kPatch, K::List, "", 386, 122, 99, 177},
    ControlSpec{0, K::Label, "Scale", 387, 140, 84, 8},
    ControlSpec{kScale, K::List, "", 386, 150, 104, 126},  // to the key box, for long scale names
    ControlSpec{kKey, K::List, "", 492, 150, 30, 145},
    ControlSpec{1026, K::Label, "Key", 492, 140, 28, 8},
    ControlSpec{kMinKey, K::KeyButton, "MinKey", 516, 123, 21, 14},
    ControlSpec{kMaxKey, K::KeyButton, "MaxKey", 571, 123, 21, 14},
    ControlSpec{kMinNoteName, K::ReadOnlyField, "", 489, 123, 23, 12},
    ControlSpec{kMaxNoteName, K::ReadOnlyField, "", 544, 123, 23, 12},
    ControlSpec{kControllerBoxes[kInputX], K::List, "", 386, 205, 147, 177},
    ControlSpec{1033, K::Label, "X position", 387, 194, 56, 8},
    ControlSpec{kControllerBoxes[kInputY], K::List, "", 386, 231, 147, 177},
    ControlSpec{1035, K::Label, "Y position", 387, 221, 56, 8},
    ControlSpec{kControllerBoxes[kInputPressure], K::List, "", 386, 258, 147, 177},
    ControlSpec{1037, K::Label, "Pressure", 387, 247, 56, 8},
    ControlSpec{kControllerBoxes[kInputTilt], K::List, "", 386, 285, 147, 177},
    ControlSpec{1039, K::Label, "Tilt", 387, 274, 56, 8},
    ControlSpec{kControllerBoxes[kInputAngle], K::List, "", 386, 313, 147, 177},
    ControlSpec{1041, K::Label, "Angle", 387, 303, 56, 8},
    ControlSpec{0, K::Label, "Chord", 531, 140, 49, 8},
    ControlSpec{kChord, K::List, "", 529, 150, 66, 126},  // to the panel's edge, for long chord names
    ControlSpec{kValueLabels[kInputX], K::Label, "127", 519, 194, 16, 8},
    ControlSpec{kValueLabels[kInputY], K::Label, "127", 519, 221, 16, 8},
    ControlSpec{kValueLabels[kInputPressure], K::Label, "127", 519, 247, 16, 8},
    ControlSpec{kValueLabels[kInputTilt], K::Label, "127", 519, 275, 16, 8},
    ControlSpec{kValueLabels[kInputAngle], K::Label, "127", 519, 303, 16, 8},
    ControlSpec{kNoteName, K::CentredLabel, "---", 343, 349, 24, 8},
    ControlSpec{kInitialPressure, K::Check, "initial pressure -> velocity", 483, 96, 98, 10},
    ControlSpec{kInitialPosition, K::Check, "initial X position -> pan", 386, 96, 96, 10},  // to its neighbour
    ControlSpec{kMinimumFields[kInputX], K::NumericField, "", 535, 205, 18, 12},
    ControlSpec{kMaximumFields[kInputX], K::NumericField, "", 556, 205, 18, 12},
    ControlSpec{kPlayNotes, K::Check, "generate notes", 386, 81, 65, 10},
    ControlSpec{1018, K::Label, "Note:", 327, 349, 19, 8},
    ControlSpec{kMinimumFields[kInputY], K::NumericField, "", 535, 231, 18, 12},
    ControlSpec{kMaximumFields[kInputY], K::NumericField, "", 556, 231, 18, 12},
    ControlSpec{kMinimumFields[kInputPressure], K::NumericField, "", 535, 258, 18, 12},
    ControlSpec{kMaximumFields[kInputPressure], K::NumericField, "", 556, 258, 18, 12},
    ControlSpec{kMinimumFields[kInputTilt], K::NumericField, "", 535, 285, 18, 12},
    ControlSpec{kMaximumFields[kInputTilt], K::NumericField, "", 556, 285, 18, 12},
    ControlSpec{kMinimumFields[kInputAngle], K::NumericField, "", 535, 313, 18, 12},
    ControlSpec{kMaximumFields[kInputAngle], K::NumericField, "", 556, 313, 18, 12},
    ControlSpec{kCurveButtons[kInputX], K::CurveButton, "/", 577, 205, 16, 12},
    ControlSpec{kCurveButtons[kInputY], K::CurveButton, "/", 577, 231, 16, 12},
    ControlSpec{kCurveButtons[kInputPressure], K::CurveButton, "/", 577, 258, 16, 12},
    ControlSpec{kCurveButtons[kInputTilt], K::CurveButton, "/", 577, 285, 16, 12},
    ControlSpec{kCurveButtons[kInputAngle], K::CurveButton, "/", 577, 313, 16, 12},
    ControlSpec{1071, K::Label, "Patch", 387, 111, 56, 8},
    ControlSpec{1072, K::Label, "Range", 489, 111, 56, 8},
    ControlSpec{kSectionHeaders[0], K::SectionHeader, "C o n t r o l l e r s", 385, 177, 210, 14},
    ControlSpec{kSectionHeaders[1], K::SectionHeader, "N o t e s   G e n e r a t i o n", 385, 61, 210, 14},
    ControlSpec{kSectionHeaders[2], K::SectionHeader, "M I D I   o u t", 385, 7, 210, 14},
    ControlSpec{kNoteDirection, K::List, "", 483, 80, 99, 177},
    ControlSpec{kControllerBoxes[kInputH], K::List, "", 385, 340, 147, 177},
    ControlSpec{kColorLabels[0], K::Label, "Color", 387, 329, 56, 8},
    ControlSpec{kControllerBoxes[kInputS], K::List, "", 385, 367, 147, 177},
    ControlSpec{kColorLabels[1], K::Label, "Saturation", 387, 356, 56, 8},
    ControlSpec{kControllerBoxes[kInputB], K::List, "", 385, 394, 147, 177},
    ControlSpec{kColorLabels[2], K::Label, "Brightness", 387, 384, 56, 8},
    ControlSpec{kValueLabels[kInputH], K::Label, "127", 519, 329, 16, 8},
    ControlSpec{kValueLabels[kInputS], K::Label, "127", 519, 357, 16, 8},
    ControlSpec{kValueLabels[kInputB], K::Label, "127", 519, 384, 16, 8},
    ControlSpec{kMinimumFields[kInputH], K::NumericField, "", 535, 340, 18, 12},
    ControlSpec{kMaximumFields[kInputH], K::NumericField, "", 555, 340, 18, 12},
    ControlSpec{kMinimumFields[kInputS], K::NumericField, "", 535, 367, 18, 12},
    ControlSpec{kMaximumFields[kInputS], K::NumericField, "", 555, 367, 18, 12},
    ControlSpec{kMinimumFields[kInputB], K::NumericField, "", 535, 394, 18, 12},
    ControlSpec{kMaximumFields[kInputB], K::NumericField, "", 555, 394, 18, 12},
    ControlSpec{kCurveButtons[kInputH], K::CurveButton, "/", 577, 340, 16, 12},
    ControlSpec{kCurveButtons[kInputS], K::CurveButton, "/", 577, 367, 16, 12},
    ControlSpec{kCurveButtons[kInputB], K::CurveButton, "/", 577, 394, 16, 12},
    ControlSpec{0, K::Label, "Picture", 16, 370, 24, 8},
    ControlSpec{kPictureButton, K::PathPush, "...", 42, 367, 248, 14},
    ControlSpec{kPictureClear, K::Push, "Clear", 330, 367, 50, 14},
    ControlSpec{kCopy, K::Push, "Copy", 148, 393, 50, 14},
    ControlSpec{kPaste, K::Push, "Paste", 198, 393, 50, 14},
    ControlSpec{kRgb, K::Radio, "RGB", 290, 367, 20, 14},
    ControlSpec{kHsv, K::Radio, "HSV", 310, 367, 20, 14},
    ControlSpec{0, K::GroupBox, "", 16, 327, 364, 34},
    // In the status box's free room, by the tablet area; the light by the
    // port box, the trouble line under it.
    ControlSpec{kNoteGuide, K::Check, "Note guide", 188, 336, 62, 10},
    ControlSpec{kFullScreen, K::Push, "Full screen", 258, 334, 56, 13},
    ControlSpec{kMidiActivity, K::ActivityLight, "", 514, 25, 8, 8},
    ControlSpec{kTroubleLine, K::TroubleLine, "", 386, 50, 209, 9},
};

// The row of glide and per-note channels closes the Note Generation section,
// in a band of its own: every control of the template from the Controllers
// header down moves lower by the band's height, on both sides of the window,
// and the window grows by as much. The tablet area grows by as much too, so
// the tabs under it keep their height and the pen has more room to play.
constexpr int kBandTop = 167;        ///< where the row starts, just below the scale, key and chord boxes
constexpr int kFirstMovedTop = 177;  ///< the Controllers header, the first control below the band
static_assert(kFirstMovedTop + kGlideBandHeightDu == 204);
constexpr std::array kGlideRow = {
    ControlSpec{0, K::Label, "Glide", 387, kBandTop, 60, 8},
    ControlSpec{kGlide, K::List, "", 386, kBandTop + 10, 66, 60},
    ControlSpec{0, K::Label, "Bend range", 456, kBandTop, 62, 8},
    ControlSpec{kBendRange, K::NumericField, "", 455, kBandTop + 10, 18, 12},
    ControlSpec{0, K::Label, "semitones", 476, kBandTop + 12, 44, 8},
    ControlSpec{0, K::Label, "Per-note channels", 530, kBandTop, 65, 8},
    ControlSpec{kMpe, K::Check, "MPE", 529, kBandTop + 11, 60, 10},
};

constexpr auto kLayout = [] {
  std::array<ControlSpec, kTemplate.size() + kGlideRow.size()> layout{};
  size_t next = 0;
  for (ControlSpec entry : kTemplate) {
    if (entry.y >= kFirstMovedTop) entry.y += kGlideBandHeightDu;
    if (entry.kind == K::TabletArea) entry.h += kGlideBandHeightDu;
    layout[next++] = entry;
  }
  for (const ControlSpec& entry : kGlideRow) layout[next++] = entry;
  return layout;
}();

// The tablet area's rectangle in the table.
constexpr ControlSpec kArea =
    *std::find_if(kLayout.begin(), kLayout.end(), [](const ControlSpec& e) { return e.kind == K::TabletArea; });

}  // namespace

std::span<const ControlSpec> MainWindowLayout() { return kLayout; }

ControlAnchor AnchorOf(const ControlSpec& entry) {
  if (entry.kind == K::TabletArea) return ControlAnchor::Grows;
  if (entry.x >= kArea.x + kArea.w) return ControlAnchor::MovesRight;
  return entry.y >= kArea.y + kArea.h ? ControlAnchor::MovesDown : ControlAnchor::Stays;
}

// The dialog font's base units at 96 dpi are 6 x 13 pixels; a dialog unit is a
// quarter of the width and an eighth of the height.
int DialogUnitsToPixelsX(int x) { return static_cast<int>(std::lround(x * 6.0 / 4.0)); }
int DialogUnitsToPixelsY(int y) { return static_cast<int>(std::lround(y * 13.0 / 8.0)); }

QRect DialogUnitsToPixels(int x, int y, int w, int h) {
  return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(w), DialogUnitsToPixelsY(h));
}

QSize WindowClientSize() { return QSize(DialogUnitsToPixelsX(kWindowWidthDu), DialogUnitsToPixelsY(kWindowHeightDu)); }

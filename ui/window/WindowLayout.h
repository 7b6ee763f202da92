// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>
#include <span>

/// What kind of widget a control of the main window is.
enum class ControlKind {
  Label,          ///< static text, left-aligned
  CentredLabel,   ///< static text, centred
  GroupBox,       ///< frame around the status labels
  TabletArea,     ///< the area the pen plays over (control 1002)
  List,           ///< drop-down list; its height is that of the opened list
  Push,           ///< push button
  PathPush,       ///< push button showing a file path, shortened in the middle when long
  Check,          ///< automatic check box
  Radio,          ///< push-like radio button
  NumericField,   ///< CNumericEdit bound to a minimum or maximum byte
  ReadOnlyField,  ///< read-only single-line field (note names)
  KeyButton,      ///< MinKey / MaxKey bitmap button
  CurveButton,    ///< CCurveButton
  SectionHeader,  ///< CSectionHeader
  ActivityLight,  ///< ActivityLight: blinks as MIDI messages go out
  TroubleLine,    ///< TroubleLine: MIDI trouble while playing, shown without a box
};

/// How a control follows the window as it grows beyond its default size: the
/// tablet area grows with it, the controls to its right move right and those
/// below it move down, so every panel keeps its own layout.
enum class ControlAnchor {
  Grows,       ///< the tablet area
  MovesRight,  ///< the panels right of the tablet area
  MovesDown,   ///< the rows below it
  Stays,       ///< anything else, left of or above the tablet area
};

/// One control of the main window template, its rectangle in dialog units.
struct ControlSpec {
  int id;  ///< control id, 0 for a label without one
  ControlKind kind;
  const char* text;
  int x, y, w, h;
};

/// Every control of the main window in creation order, which is also the tab order.
std::span<const ControlSpec> MainWindowLayout();
/// Where a control of the table goes when the window grows, from where the
/// table puts it: a row added to the table follows its neighbours.
ControlAnchor AnchorOf(const ControlSpec& entry);

/// The client area of the main window in dialog units.
inline constexpr int kWindowWidthDu = 602;  ///< client width in dialog units
/// Height of the band that the glide row adds below the Note Generation section.
inline constexpr int kGlideBandHeightDu = 27;
inline constexpr int kWindowHeightDu = 417 + kGlideBandHeightDu;  ///< client height in dialog units

/// Height in pixels of a closed drop-down list.
inline constexpr int kClosedListHeight = 21;

/// Dialog units of the 8-point dialog font at 96 dpi to pixels.
int DialogUnitsToPixelsX(int x);
int DialogUnitsToPixelsY(int y);
QRect DialogUnitsToPixels(int x, int y, int w, int h);
QSize WindowClientSize();

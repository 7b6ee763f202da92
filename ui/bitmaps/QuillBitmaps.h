// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

/// The program's pictures, drawn in code so that every build has the same ones.
/// The pixmap functions need a QGuiApplication.
namespace QuillBitmaps {
inline constexpr int kCurveWidth = 24;  ///< curve button pictures
inline constexpr int kCurveHeight = 20;
inline constexpr int kKeyButtonWidth = 31;  ///< MinKey and MaxKey pictures
inline constexpr int kKeyButtonHeight = 20;

/// The picture of response curve `code` (0 exponential in red, 1 linear in green,
/// 2 logarithmic in navy, 3 S curve in black); a null pixmap for other codes.
QPixmap CurveBitmap(int code);
/// The small keyboard of the MinKey and MaxKey buttons, raised or pressed.
QPixmap KeyButtonBitmap(bool pressed);
/// The 128-key keyboard of the key dialog, 1350 x 90, with the octave labels.
QImage KeyboardImage();
/// The program icon (a pen over a tablet) in small and big sizes.
QIcon ProgramIcon();
/// One size of the program icon, as drawn for ProgramIcon().
QImage ProgramIconImage(int size);
}  // namespace QuillBitmaps

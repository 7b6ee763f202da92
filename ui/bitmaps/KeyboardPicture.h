// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>

/// Draws the key dialog's keyboard; QuillBitmaps::KeyboardImage() returns it.
QImage DrawKeyboardPicture();

// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

/// Whether the bytes of a JPEG or BMP file end before their picture does. The
/// decoders fill a cut-off picture with grey or garbage and call it a success,
/// so a cut file is refused here instead. Other formats, and files whose
/// structure is not understood, are left to the decoder (false).
bool IsTruncatedPictureFile(std::string_view bytes);

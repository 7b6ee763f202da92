// SPDX-License-Identifier: MIT
#pragma once

/// The program's name (message box titles) and the texts that carry its version.
namespace ProgramInfo {
inline constexpr const char* kName = "Quill";
inline constexpr const char* kCaption = "Quill v1.3";
inline constexpr const char* kAboutVersion = "Quill version 1.3";
inline constexpr const char* kAboutMenuText = "&About Quill...";
const char* Name();
}  // namespace ProgramInfo

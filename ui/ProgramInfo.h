// SPDX-License-Identifier: MIT
#pragma once

/// The program's name (message box titles) and the texts that carry its
/// version, which comes from the build (the project's version, in one place).
namespace ProgramInfo {
inline constexpr const char* kName = "Quill";
/// The full version, e.g. "1.3.0".
const char* Version();
/// The window's title, "Quill v" and the major and minor version.
const char* Caption();
/// The About box's version line, "Quill version " and the major and minor version.
const char* AboutVersion();
}  // namespace ProgramInfo

// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>

#include "model/Configuration.h"

/// The first line of every configuration file, and the line that identifies it.
inline constexpr std::string_view kConfigHeaderLine = "<header>";
inline constexpr std::string_view kConfigIdentificationLine = "Quill configuration file";
inline constexpr std::string_view kConfigBlockEndLine = "</config>";

/// The bytes of a configuration file holding the twelve configurations: the
/// eight-line header, then one 50-line block per slot, every line ended by
/// CR LF whatever the platform's text convention. A text field is written
/// without the CR and LF bytes it may hold.
std::string FormatConfigFile(const std::array<Configuration, kSlotCount>& configs);

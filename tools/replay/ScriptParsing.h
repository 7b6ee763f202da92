// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

/// Splitting and number reading for script lines.
namespace ScriptParsing {

/// The line without leading and trailing blanks (spaces, tabs, a CR).
std::string_view Trim(std::string_view text);

/// True for a line with nothing to run: blank, or a comment starting with '#'.
bool IsIgnorable(std::string_view line);

/// Splits off the first word; `rest` receives what follows, without the
/// blanks in between (kept verbatim otherwise).
std::string_view SplitCommand(std::string_view line, std::string_view& rest);

/// The blank-separated words of a text.
std::vector<std::string_view> Words(std::string_view text);

/// A decimal integer with an optional sign, wrapped to 32 bits as an
/// assignment to a 32-bit field wraps it; nullopt when the word is not a number.
std::optional<uint32_t> ParseWrapped32(std::string_view word);

/// A decimal integer within [low, high]; nullopt otherwise.
std::optional<int64_t> ParseInRange(std::string_view word, int64_t low, int64_t high);

}  // namespace ScriptParsing

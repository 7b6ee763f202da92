// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

/// Splitting and number reading for script lines.
namespace ScriptParsing {

/// The line without leading and trailing blanks (spaces, tabs, a CR).
std::string_view Trim(std::string_view text);

/// True for a line with nothing to run: blank, or a comment starting with '#'.
bool IsIgnorable(std::string_view line);

/// Splits off the first word; `rest` receives what follows, without the
/// blanks in between (kept verbatim otherwise).
std::string_view SplitCommand(std::string_view line, std::string_view& rest);

/// Up to kMaxWords blank-separated words of a text, without allocating;
/// `overflow` tells that there were more.
struct WordList {
  static constexpr size_t kMaxWords = 12;
  std::array<std::string_view, kMaxWords> words;
  size_t count = 0;
  bool overflow = false;

  size_t size() const { return overflow ? kMaxWords + 1 : count; }
  bool empty() const { return count == 0; }
  std::string_view operator[](size_t i) const { return words[i]; }
};
WordList Words(std::string_view text);

/// A decimal integer with an optional sign, wrapped to 32 bits as an
/// assignment to a 32-bit field wraps it; nullopt when the word is not a number.
std::optional<uint32_t> ParseWrapped32(std::string_view word);

/// A decimal integer within [low, high]; nullopt otherwise.
std::optional<int64_t> ParseInRange(std::string_view word, int64_t low, int64_t high);

}  // namespace ScriptParsing

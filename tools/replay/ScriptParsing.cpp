// SPDX-License-Identifier: MIT
#include "tools/replay/ScriptParsing.h"

namespace ScriptParsing {
namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
}  // namespace

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsIgnorable(std::string_view line) {
  line = Trim(line);
  return line.empty() || line.front() == '#';
}

std::string_view SplitCommand(std::string_view line, std::string_view& rest) {
  line = Trim(line);
  size_t end = 0;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  std::string_view command = line.substr(0, end);
  rest = line.substr(end);
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  return command;
}

WordList Words(std::string_view text) {
  WordList list;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i == start) break;
    if (list.count == WordList::kMaxWords) {
      list.overflow = true;
      break;
    }
    list.words[list.count++] = text.substr(start, i - start);
  }
  return list;
}

std::optional<uint32_t> ParseWrapped32(std::string_view word) {
  bool negative = false;
  if (!word.empty() && (word.front() == '-' || word.front() == '+')) {
    negative = word.front() == '-';
    word.remove_prefix(1);
  }
  if (word.empty()) return std::nullopt;
  uint32_t value = 0;  // unsigned arithmetic wraps modulo 2^32 by itself
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10u + static_cast<uint32_t>(c - '0');
  }
  return negative ? 0u - value : value;
}

std::optional<int64_t> ParseInRange(std::string_view word, int64_t low, int64_t high) {
  bool negative = false;
  if (!word.empty() && (word.front() == '-' || word.front() == '+')) {
    negative = word.front() == '-';
    word.remove_prefix(1);
  }
  if (word.empty() || word.size() > 18) return std::nullopt;
  int64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace ScriptParsing

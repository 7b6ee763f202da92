// SPDX-License-Identifier: MIT
#include "tools/replay/ScriptFile.h"

#include <stdio.h>  // getline
#include <stdlib.h>

#include "tools/replay/ReplayRunner.h"

ScriptLineReader::~ScriptLineReader() { ::free(buffer_); }

bool ScriptLineReader::Next(std::string_view& line) {
  const ssize_t length = ::getline(&buffer_, &capacity_, in_);
  if (length <= 0) return false;
  line = std::string_view(buffer_, static_cast<size_t>(length));
  if (line.back() == '\n') line.remove_suffix(1);
  return true;
}

std::optional<ScriptError> RunScript(std::FILE* in, ReplayRunner& runner, const std::function<bool()>& stopped) {
  ScriptLineReader reader(in);
  std::string_view line;
  std::string error;
  for (unsigned long number = 1; !(stopped && stopped()) && reader.Next(line); ++number) {
    if (!runner.RunLine(line, error)) return ScriptError{number, error};
  }
  return std::nullopt;
}

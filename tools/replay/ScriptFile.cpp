// SPDX-License-Identifier: MIT
#include "tools/replay/ScriptFile.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "tools/replay/ReplayRunner.h"

ScriptLineReader::ScriptLineReader(std::FILE* in, std::function<bool()> stopped)
    : in_(in), stopped_(std::move(stopped)) {
  buffer_.reserve(kMaxLineLength);
}

bool ScriptLineReader::Next(std::string_view& line) {
  if (problem_ != Problem::None) return false;
  buffer_.clear();
  for (;;) {
    const int c = getc_unlocked(in_);
    if (c == '\n') break;
    if (c == EOF) {
      if (!std::ferror(in_)) {
        if (buffer_.empty()) return false;
        break;  // a last line without a line feed
      }
      // Without SA_RESTART a signal ends a waiting read: the owner decides
      // whether that ends the script.
      if (errno == EINTR) {
        if (stopped_ && stopped_()) return false;
        std::clearerr(in_);
        continue;
      }
      error_ = errno;
      problem_ = Problem::ReadFailed;
      return false;
    }
    if (buffer_.size() == kMaxLineLength) {
      problem_ = Problem::LineTooLong;
      return false;
    }
    buffer_.push_back(static_cast<char>(c));
  }
  line = buffer_;
  return true;
}

std::optional<ScriptError> RunScript(std::FILE* in, ReplayRunner& runner, const std::function<bool()>& stopped) {
  std::string_view line;
  std::string error;
  unsigned long number = 1;
  try {
    ScriptLineReader reader(in, stopped);
    for (; !(stopped && stopped()) && reader.Next(line); ++number) {
      if (!runner.RunLine(line, error)) return ScriptError{number, error};
    }
    switch (reader.Stopped()) {
      case ScriptLineReader::Problem::None: return std::nullopt;
      case ScriptLineReader::Problem::LineTooLong:
        return ScriptError{number, "longer than " + std::to_string(ScriptLineReader::kMaxLineLength) + " bytes"};
      case ScriptLineReader::Problem::ReadFailed:
        return ScriptError{number, std::string("cannot read the script: ") + std::strerror(reader.Error())};
    }
  } catch (const std::bad_alloc&) {
    return ScriptError{number, "out of memory"};
  }
  return std::nullopt;
}

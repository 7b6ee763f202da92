// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class ReplayRunner;

/// Reads a script file line by line. A line is everything up to a line feed,
/// whatever bytes it holds (a NUL byte too), so line numbers count the line
/// feeds of the file; the last line needs none.
class ScriptLineReader {
 public:
  explicit ScriptLineReader(std::FILE* in) : in_(in) {}
  ~ScriptLineReader();
  ScriptLineReader(const ScriptLineReader&) = delete;
  ScriptLineReader& operator=(const ScriptLineReader&) = delete;

  /// The next line without its line feed, valid until the next call; false
  /// at the end of the input.
  bool Next(std::string_view& line);

 private:
  std::FILE* in_;
  char* buffer_ = nullptr;  ///< grown by getline as lines need
  size_t capacity_ = 0;
};

/// Where a script stopped: the number of its malformed line (from 1) and why.
struct ScriptError {
  unsigned long line = 0;
  std::string reason;
};

/// Runs the lines of a script file through the runner as they are read, up to
/// its end, its first malformed line, or until `stopped` says so (asked before
/// each line).
std::optional<ScriptError> RunScript(std::FILE* in, ReplayRunner& runner,
                                     const std::function<bool()>& stopped = nullptr);

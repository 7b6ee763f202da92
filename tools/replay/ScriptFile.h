// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class ReplayRunner;

/// Reads a script file line by line. A line is everything up to a line feed,
/// whatever bytes it holds (a NUL byte too), so line numbers count the line
/// feeds of the file; the last line needs none. A line longer than
/// kMaxLineLength bytes (without its line feed) is not read: the reading
/// stops there, so an input without line ends (/dev/zero) never fills the
/// memory.
class ScriptLineReader {
 public:
  static constexpr size_t kMaxLineLength = 65536;

  /// Why the reading stopped before the end of the input.
  enum class Problem {
    None,
    LineTooLong,  ///< the line after the last one given is longer than kMaxLineLength
    ReadFailed,   ///< the input could not be read (see Error())
  };

  /// `stopped` is asked whenever a read is interrupted by a signal: true ends
  /// the reading as the end of the input does, false reads on.
  explicit ScriptLineReader(std::FILE* in, std::function<bool()> stopped = nullptr);
  ScriptLineReader(const ScriptLineReader&) = delete;
  ScriptLineReader& operator=(const ScriptLineReader&) = delete;

  /// The next line without its line feed, valid until the next call; false
  /// at the end of the input, when reading was stopped, or at a problem.
  bool Next(std::string_view& line);
  Problem Stopped() const { return problem_; }
  /// The system's error number of a failed read.
  int Error() const { return error_; }

 private:
  std::FILE* in_;
  std::function<bool()> stopped_;
  std::string buffer_;  ///< holds kMaxLineLength bytes from the start, and never grows
  Problem problem_ = Problem::None;
  int error_ = 0;
};

/// Where a script stopped early: the number of its malformed line (from 1),
/// or of the line that could not be read, and why.
struct ScriptError {
  unsigned long line = 0;
  std::string reason;
};

/// Runs the lines of a script file through the runner as they are read, up to
/// its end, its first malformed line (a line too long is one), a read error
/// or a lack of memory, or until `stopped` says so (asked before each line,
/// and whenever a signal interrupts a read).
std::optional<ScriptError> RunScript(std::FILE* in, ReplayRunner& runner,
                                     const std::function<bool()>& stopped = nullptr);

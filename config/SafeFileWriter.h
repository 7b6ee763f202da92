// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

/// Writes `bytes` to the file `path` so that a failure never damages a file
/// already there: the bytes go to a new temporary file beside the target, which
/// replaces the target only once everything was written and flushed to disk.
/// Returns false when any step fails; the temporary file is then removed and
/// the target is as it was. An existing target's permission bits are kept.
/// The path is used byte for byte, whatever its encoding.
bool WriteFileSafely(const std::string& path, std::string_view bytes);

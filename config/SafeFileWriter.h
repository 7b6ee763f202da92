// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

/// Writes `bytes` to the file `path` so that a failure never damages a file
/// already there: the bytes go to a new temporary file beside the target, which
/// replaces the target only once everything was written and flushed to disk.
/// Returns false when any step fails; the temporary file is then removed and
/// the target is as it was. The path is used byte for byte, whatever its
/// encoding.
///
/// The save does what writing into the file would do, only safely:
/// - A symbolic link is followed (also one that names no file yet), and the
///   file it leads to is replaced; the link stays a link.
/// - A file the user may not write is refused, although renaming over it
///   would succeed. For the superuser, who may write any file, a file that
///   grants nobody write permission (a preset made read-only on purpose) is
///   refused as well: a save offers no "force" and must not overrule that mark.
/// - An existing file keeps its permission bits (and, for the superuser, its
///   owner and group). A target that exists but is no plain file (a folder,
///   a device, a pipe) is refused.
/// - The temporary name fits the file system's name limit whatever the
///   target's name. It is `.NAME.quill-save-HASH-RANDOM`, where NAME is the
///   target's name (shortened when needed) and HASH is fixed by the whole name,
///   and the file is locked while its save runs: a temporary file of this
///   target that nobody holds locked was left by a save that was killed, and
///   the next save of the target removes it. No other file is touched.
bool WriteFileSafely(const std::string& path, std::string_view bytes);

// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>

class FileSaver;

/// Keeps the window's presets between runs in one file: written a moment after
/// each change (changes in quick succession make one write) and at the end,
/// always by the saver lent here, so the disk never holds up the pen. Presets
/// that are what the file already holds are not written again. Without a file
/// (the default) nothing is kept.
class LastSessionKeeper : public QObject {
 public:
  /// How long after a change the presets are written.
  static constexpr int kDelayMilliseconds = 1500;

  /// `format` gives the presets as a file holds them.
  LastSessionKeeper(FileSaver& saver, std::function<std::string()> format);

  /// Where the presets are kept; empty: nowhere.
  void SetFile(const QString& path) { path_ = path; }
  const QString& File() const { return path_; }
  /// A preset changed: the presets are written a moment from now.
  void Changed();
  /// Writes the presets now, unless the file holds them already.
  void WriteNow();
  /// The file holds `contents` (it was just read back).
  void Holds(std::string contents) { written_ = std::move(contents); }

 private:
  FileSaver& saver_;
  std::function<std::string()> format_;
  QString path_;
  QTimer delay_;
  std::string written_;
  bool failureTold_ = false;
};

// SPDX-License-Identifier: MIT
#include "ui/window/LastSessionKeeper.h"

#include <cstdio>
#include <utility>

#include "config/FileSaver.h"

LastSessionKeeper::LastSessionKeeper(FileSaver& saver, std::function<std::string()> format)
    : saver_(saver), format_(std::move(format)) {
  delay_.setSingleShot(true);
  delay_.setInterval(kDelayMilliseconds);
  connect(&delay_, &QTimer::timeout, this, [this] { WriteNow(); });
}

void LastSessionKeeper::Changed() {
  if (!path_.isEmpty()) delay_.start();
}

void LastSessionKeeper::WriteNow() {
  delay_.stop();
  if (path_.isEmpty()) return;
  std::string contents = format_();
  if (contents == written_) return;
  written_ = contents;
  const std::string path = path_.toStdString();
  saver_.Save(path, std::move(contents), [this, path](bool written) {
    if (written) {
      failureTold_ = false;
      return;
    }
    written_.clear();  // tried again at the next change
    // Said once, not at every change: the presets in the window are intact,
    // only the copy for the next start is missing.
    if (std::exchange(failureTold_, true)) return;
    std::fprintf(stderr, "quill: the presets could not be kept for the next start in %s\n", path.c_str());
  });
}

// SPDX-License-Identifier: MIT
// The engine's file operations: the picture button and "Clear", "Save..." and
// "Load..." once the user has chosen a file.
#include <string>
#include <string_view>
#include <utility>

#include "config/ConfigFields.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/FileLoader.h"
#include "engine/PerformanceEngine.h"

namespace {

constexpr std::string_view kPictureRefused = "Unable to load the picture!";
constexpr std::string_view kNotAConfigurationFile = "This is not a Quill configuration file !";

// The message for a picture that a loaded file names and that does not load.
std::string FilePictureFailure(int slot, const std::string& path) {
  return "Unable to read the picture '" + path + "' referenced by configuration #" + std::to_string(slot + 1) + ".";
}

}  // namespace

void PerformanceEngine::LoadPicture(const std::string& path) {
  const Call call(*this);
  // The dialog starts at the chosen file next time, whether it loads or not.
  locations_.picturesFolder = path;
  // A path with a line end in it could not be saved on its line of a file.
  if (HoldsLineBreak(path)) {
    messages_.ShowMessage(kPictureRefused);
    return;
  }
  const int slot = currentConfig_;
  pictures_.Request(slot, path, [this, slot, path](bool decoded) {
    const Call arrival(*this);
    if (!decoded) {
      messages_.ShowMessage(kPictureRefused);
      return;
    }
    configs_[slot].picture = path;
    if (slot == currentConfig_) display_.ShowPicturePath(configs_[slot]);
    display_.InvalidateWindow();
    PresetsChanged();
  });
}

void PerformanceEngine::ClearPicture() {
  // The decoded picture stays until the slot loads another one or is reset;
  // out of use it is neither drawn nor sampled.
  const Edit edit(*this);
  Current().picture.clear();
  pictures_.StopUsing(currentConfig_);
  display_.InvalidateWindow();
}

void PerformanceEngine::SaveConfigurations(const std::string& path) {
  const Call call(*this);
  locations_.configsFolder = path;
  saver_->Save(path, FormatPresets(), [this, path](bool written) {
    if (written) {
      display_.ShowPresetsFile(path);
      return;
    }
    const Call answer(*this);
    messages_.ShowMessage("Unable to save the configuration file '" + path + "'. Any file already there is unchanged.");
  });
}

void PerformanceEngine::LoadConfigurations(const std::string& path, LoadDone done) {
  const Call call(*this);
  locations_.configsFolder = path;
  // Read away from this thread (the window's loader reads after the saves
  // asked before), then taken in at once when the bytes arrive.
  loader_->Load(path, kMaxConfigFileBytes, [this, path, done = std::move(done)](FileContents contents) {
    const Call arrival(*this);
    const std::string failure = TakeConfigurationFile(path, contents);
    // Answered before the box, which waits for a click.
    if (done) done(failure);
    if (!failure.empty()) messages_.ShowMessage(failure);
  });
}

std::string PerformanceEngine::TakeConfigurationFile(const std::string& path, const FileContents& contents) {
  if (contents.outcome == FileContents::Outcome::Unreadable) {
    return "Unable to open the configuration file '" + path + "'.";
  }
  // No file the writer makes comes near the limit.
  if (contents.outcome == FileContents::Outcome::TooLarge) return std::string(kNotAConfigurationFile);
  // Each slot's picture is out of use until the one its block names arrives;
  // the pictures held before are freed, so the new ones have their room.
  // One that does not decode is reported when its answer comes, and the slot
  // forgets its path, so the reader is told every picture was taken.
  auto setPicture = [this](int slot, const std::string& picturePath) {
    pictures_.Free(slot);
    if (picturePath.empty()) return false;
    if (HoldsLineBreak(picturePath)) {  // a CR inside the line: as a picture that is gone
      messages_.ShowMessage(FilePictureFailure(slot, picturePath));
      return false;
    }
    pictures_.Request(slot, picturePath, [this, slot, picturePath](bool decoded) {
      const Call arrival(*this);
      if (decoded) {
        display_.InvalidateWindow();
        return;
      }
      configs_[slot].picture.clear();
      PresetsChanged();
      messages_.ShowMessage(FilePictureFailure(slot, picturePath));
      if (slot == currentConfig_) display_.ShowPicturePath(configs_[slot]);
    });
    return true;
  };
  const ConfigReadResult result = ReadConfigFile(std::string_view(contents.bytes), configs_, setPicture);
  if (!result.accepted) return std::string(kNotAConfigurationFile);
  // A preset finds its port by name when the name is listed, wherever the
  // system's order puts it today; otherwise its number counts.
  for (Configuration& config : configs_) FollowPortName(config);
  display_.InvalidateWindow();
  ShowConfiguration();
  display_.ShowPresetsFile(path);
  PresetsChanged();
  return {};
}

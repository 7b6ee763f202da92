// SPDX-License-Identifier: MIT
// The engine's file operations: the picture button and "Clear", "Save..." and
// "Load..." once the user has chosen a file.
#include <filesystem>
#include <fstream>
#include <string>

#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "engine/PerformanceEngine.h"

void PerformanceEngine::LoadPicture(const std::string& path) {
  const Call call(*this);
  // The dialog starts at the chosen file next time, whether it loads or not.
  locations_.picturesFolder = path;
  const int slot = currentConfig_;
  pictures_.Request(slot, path, [this, slot, path](bool decoded) {
    const Call arrival(*this);
    if (!decoded) {
      messages_.ShowMessage("Unable to load the picture!\n");
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

void PerformanceEngine::LoadConfigurations(const std::string& path) {
  const Call call(*this);
  locations_.configsFolder = path;
  saver_->WaitForSaves();
  // Only regular files: a folder reads as nothing and a device may never end.
  std::error_code error;
  std::filebuf file;
  if (!std::filesystem::is_regular_file(path, error) || !file.open(path, std::ios::in | std::ios::binary)) {
    messages_.ShowMessage("Unable to open the configuration file '" + path + "'.");
    return;
  }
  // Each slot's picture is out of use until the one its block names arrives.
  // One that does not decode is reported when its answer comes, and the slot
  // forgets its path, so the reader is told every picture was taken.
  auto setPicture = [this](int slot, const std::string& picturePath) {
    pictures_.StopUsing(slot);
    if (picturePath.empty()) return false;
    pictures_.Request(slot, picturePath, [this, slot, picturePath](bool decoded) {
      const Call arrival(*this);
      if (decoded) {
        display_.InvalidateWindow();
        return;
      }
      configs_[slot].picture.clear();
      PresetsChanged();
      messages_.ShowMessage("Unable to read the picture '" + picturePath + "' referenced by configuration #" +
                            std::to_string(slot + 1) + ".");
      if (slot == currentConfig_) display_.ShowPicturePath(configs_[slot]);
    });
    return true;
  };
  const ConfigReadResult result = ReadConfigFile(file, configs_, setPicture);
  file.close();
  if (!result.accepted) {
    messages_.ShowMessage("This is not a Quill configuration file !");
    return;
  }
  // A preset finds its port by name when the name is listed, wherever the
  // system's order puts it today; otherwise its number counts.
  for (Configuration& config : configs_) FollowPortName(config);
  display_.InvalidateWindow();
  ShowConfiguration();
  display_.ShowPresetsFile(path);
  PresetsChanged();
}

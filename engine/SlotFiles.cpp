// SPDX-License-Identifier: MIT
// The engine's file operations: the picture button and "Clear", "Save..." and
// "Load..." once the user has chosen a file.
#include <filesystem>
#include <fstream>
#include <string>

#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/SafeFileWriter.h"
#include "engine/PerformanceEngine.h"

bool PerformanceEngine::LoadPicture(const std::string& path) {
  const Call call(*this);
  // The dialog starts at the chosen file next time, whether it loads or not.
  locations_.picturesFolder = path;
  if (!pictures_[currentConfig_].Load(path)) {
    messages_.ShowMessage("Unable to load the picture!\n");
    return false;
  }
  Current().picture = path;
  hasPicture_[currentConfig_] = true;
  display_.InvalidateWindow();
  return true;
}

void PerformanceEngine::ClearPicture() {
  // The decoded picture stays until the slot loads another one or is reset;
  // without the flag it is neither drawn nor sampled.
  Current().picture.clear();
  hasPicture_[currentConfig_] = false;
  display_.InvalidateWindow();
}

void PerformanceEngine::SaveConfigurations(const std::string& path) {
  const Call call(*this);
  locations_.configsFolder = path;
  if (!WriteFileSafely(path, FormatConfigFile(WithPortNames()))) {
    messages_.ShowMessage("Unable to save the configuration file '" + path + "'. Any file already there is unchanged.");
  }
}

void PerformanceEngine::LoadConfigurations(const std::string& path) {
  const Call call(*this);
  locations_.configsFolder = path;
  // Only regular files: a folder reads as nothing and a device may never end.
  std::error_code error;
  std::filebuf file;
  if (!std::filesystem::is_regular_file(path, error) || !file.open(path, std::ios::in | std::ios::binary)) {
    messages_.ShowMessage("Unable to open the configuration file '" + path + "'.");
    return;
  }
  auto setPicture = [this](int slot, const std::string& picturePath) {
    hasPicture_[slot] = !picturePath.empty() && pictures_[slot].Load(picturePath);
    return hasPicture_[slot];
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
  for (const PictureFailure& failure : result.pictureFailures) {
    messages_.ShowMessage("Unable to read the picture '" + failure.path + "' referenced by configuration #" +
                          std::to_string(failure.slot + 1) + ".");
  }
  display_.InvalidateWindow();
  ShowConfiguration();
}

// SPDX-License-Identifier: MIT
// Temporary: configuration files and pictures are not wired yet.
#include "engine/PerformanceEngine.h"

bool PerformanceEngine::LoadPicture(const std::string&) {
  messages_.ShowMessage("Unable to load the picture!\n");
  return false;
}
void PerformanceEngine::ClearPicture() {}
void PerformanceEngine::SaveConfigurations(const std::string&) {}
void PerformanceEngine::LoadConfigurations(const std::string&) {}

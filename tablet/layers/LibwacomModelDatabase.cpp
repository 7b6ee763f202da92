// SPDX-License-Identifier: MIT
#include "tablet/layers/LibwacomModelDatabase.h"

// libwacom's header does not declare its functions as C for C++.
extern "C" {
#include <libwacom/libwacom.h>
}

#include <string_view>

namespace {

/// The model's name of a device libwacom found, and the device let go.
std::optional<std::string> TakeName(WacomDevice* device) {
  if (!device) return std::nullopt;
  const char* name = libwacom_get_name(device);
  std::optional<std::string> model;
  if (name && *name) model = name;
  libwacom_destroy(device);
  return model;
}

}  // namespace

LibwacomModelDatabase::LibwacomModelDatabase() : database_(libwacom_database_new()) {}

LibwacomModelDatabase::~LibwacomModelDatabase() {
  if (database_) libwacom_database_destroy(database_);
}

std::optional<std::string> LibwacomModelDatabase::ModelAtNode(const std::string& path) const {
  if (!database_ || path.empty()) return std::nullopt;
  return TakeName(libwacom_new_from_path(database_, path.c_str(), WFALLBACK_NONE, nullptr));
}

std::optional<std::string> LibwacomModelDatabase::ModelNamed(const std::string& kernelName) const {
  if (!database_ || kernelName.empty()) return std::nullopt;
  if (auto model = TakeName(libwacom_new_from_name(database_, kernelName.c_str(), nullptr))) return model;
  constexpr std::string_view kPenSuffix = " Pen";
  if (kernelName.size() <= kPenSuffix.size() || !kernelName.ends_with(kPenSuffix)) return std::nullopt;
  const std::string tablet = kernelName.substr(0, kernelName.size() - kPenSuffix.size());
  return TakeName(libwacom_new_from_name(database_, tablet.c_str(), nullptr));
}

// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "tablet/TabletModelDatabase.h"

typedef struct _WacomDeviceDatabase WacomDeviceDatabase;

/// The tablet models libwacom knows (a few hundred, read from the system's
/// data files once, when this is made: some 15 milliseconds). Without its
/// files it knows no model, and every device keeps the kernel's name.
class LibwacomModelDatabase : public TabletModelDatabase {
 public:
  LibwacomModelDatabase();
  ~LibwacomModelDatabase() override;
  LibwacomModelDatabase(const LibwacomModelDatabase&) = delete;
  LibwacomModelDatabase& operator=(const LibwacomModelDatabase&) = delete;

  /// libwacom matches the node's bus, ids and name, as udev describes it.
  std::optional<std::string> ModelAtNode(const std::string& path) const override;
  /// The kernel's name, or that name without the " Pen" the kernel adds to
  /// the pen's node of a tablet that has several.
  std::optional<std::string> ModelNamed(const std::string& kernelName) const override;

 private:
  WacomDeviceDatabase* database_;
};

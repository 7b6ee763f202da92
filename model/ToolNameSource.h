// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

/// Tool names by cursor number, answered by the tablet layer.
class ToolNameSource {
 public:
  virtual ~ToolNameSource() = default;
  virtual std::string ToolName(uint32_t cursor) const = 0;
};

// SPDX-License-Identifier: MIT
#include "tools/replay/ReplayServices.h"

#include <array>

#include "tablet/TabletContext.h"

namespace {
// The output names each display by the number of its label in the window, as
// it always has: tools compare these lines byte for byte.
constexpr std::array<int, kReadoutCount> kReadoutNumbers = {
    1017,                                            // packet count
    1048,                                            // note name
    1006,                                            // tool name
    1043, 1044, 1045, 1046, 1047, 1082, 1083, 1084,  // the value of each controller row
};

void PrintPacked(ReplayOutput& out, uint32_t packed) {
  out.WriteMessageBytes(static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8),
                        static_cast<uint8_t>(packed >> 16));
}
}  // namespace

std::string PrintingDevices::GetDeviceName(unsigned device) { return "Replay MIDI out " + std::to_string(device); }

bool PrintingDevices::Open(unsigned device) {
  device_ = device;
  open_ = device < count_;
  return open_;
}

bool PrintingDevices::Close() {
  open_ = false;
  return true;
}

bool PrintingDevices::SendShortMsg(uint32_t packed) {
  if (!open_) return false;
  PrintPacked(out_, packed);
  return true;
}

bool PrintingRealPort::SendShortMsg(uint32_t packed) {
  if (!real_->SendShortMsg(packed)) return false;
  PrintPacked(out_, packed);
  return true;
}

void PrintingMessages::ShowMessage(std::string_view text, MessageIcon) { out_.WriteMessageBox(text); }

bool PrintingMessages::AskYesNo(std::string_view text) {
  out_.WriteMessageBox(text);
  return true;
}

void PrintingDisplay::SetDisplayText(Readout readout, std::string_view text) {
  if (showDisplays_) out_.WriteDisplay(kReadoutNumbers[static_cast<size_t>(readout)], text);
}

std::string StandardToolNames::ToolName(uint32_t cursor) const { return StandardToolName(cursor); }

// SPDX-License-Identifier: MIT
#include "tools/replay/ReplayServices.h"

#include "tablet/TabletContext.h"

namespace {
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

void PrintingDisplay::SetDisplayText(int controlId, std::string_view text) {
  if (showDisplays_) out_.WriteDisplay(controlId, text);
}

std::string StandardToolNames::ToolName(uint32_t cursor) const { return StandardToolName(cursor); }

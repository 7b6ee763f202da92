// SPDX-License-Identifier: MIT
#include "engine/PerformanceEngine.h"

#include <algorithm>
#include <utility>

namespace {
constexpr Rgb kWhite{255, 255, 255};
constexpr int kHighestControllerValue = 127;
}  // namespace

PerformanceEngine::PerformanceEngine(MidiOutService& midi, MessageSink& messages, EngineDisplay& display,
                                     const ToolNameSource& tools, CopyBuffer& copyBuffer)
    : messages_(messages),
      display_(display),
      tools_(tools),
      copyBuffer_(copyBuffer),
      port_(midi, messages, display),
      notes_(port_, display) {
  ResetConfigurations();
}

PerformanceEngine::Call::~Call() {
  if (engine_.callDepth_ == 1) {
    // Still counted as busy: packets that arrive while these run wait too.
    while (auto waiting = engine_.waitingPackets_.Take()) engine_.RunPacketStep(waiting->packet, waiting->geometry);
  }
  --engine_.callDepth_;
}

void PerformanceEngine::Start() {
  const Call call(*this);
  display_.SetSectionHeaderColors(kWhite, tabColors[currentConfig_]);
  ShowConfiguration();
}

void PerformanceEngine::MarkInitialised() { packetCount_ = 0; }

// --- Slots

void PerformanceEngine::ResetConfigurations() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    configs_[slot] = DefaultConfiguration();
    pictures_.Free(slot);
  }
}

void PerformanceEngine::SelectConfiguration(int slot) {
  if (slot < 0 || slot >= kSlotCount) return;
  const Call call(*this);
  // What sounds is stopped on its own port and channel when ShowConfiguration
  // reopens the port; `lastNote` stays, so the lift still resets this slot's
  // controllers.
  currentConfig_ = static_cast<uint8_t>(slot);
  display_.InvalidateWindow();
  display_.SetSectionHeaderColors(kWhite, tabColors[slot]);
  ShowConfiguration();
}

void PerformanceEngine::OnCopy() {
  copyBuffer_.config = Current();
  copyBuffer_.hasPicture = pictures_.InUse(currentConfig_);
}

void PerformanceEngine::OnPaste() {
  const Call call(*this);
  port_.ResetControllers(Current());
  Current() = copyBuffer_.config;
  // The list may have changed since the copy was taken.
  FollowPortName(Current());
  // The picture is decoded again for this slot and is in use once it arrives;
  // the slot's own picture is kept (not freed) but out of use meanwhile, and
  // for good when the copy had none in use or it no longer decodes.
  pictures_.StopUsing(currentConfig_);
  if (copyBuffer_.hasPicture) {
    pictures_.Request(currentConfig_, Current().picture, [this](bool decoded) {
      if (decoded) display_.InvalidateWindow();
    });
  }
  ShowConfiguration();
  display_.InvalidateWindow();
}

void PerformanceEngine::OnReset() {
  const Call call(*this);
  if (!messages_.AskYesNo("Are you sure you want to reset the settings ?")) return;
  port_.ResetControllers(Current());
  ResetConfigurations();
  ShowConfiguration();
  display_.InvalidateWindow();
}

void PerformanceEngine::ShowConfiguration() {
  const Call call(*this);
  port_.UseMidiOut(Current().midiOutPort, Current().midiOutPortName);
  display_.ShowPortAndChannel(Current());
  port_.SendProgramChange(Current());
  RebuildNoteList();
  for (int id : DisplayId::kValue) display_.SetDisplayText(id, "---");
  display_.ShowSettings(Current());
}

void PerformanceEngine::RebuildNoteList() { notes_.Build(Current()); }

// --- Change handlers of the setting controls

void PerformanceEngine::SelectPort(int index) {
  const Call call(*this);
  if (index < 0) return;
  Current().midiOutPort = static_cast<uint8_t>(index);
  Current().midiOutPortName = port_.PortName(Current().midiOutPort);
  // The box shows a patch that the new destination has not heard yet.
  if (port_.OpenMidiOut(Current().midiOutPort, Current().midiOutPortName, false)) port_.SendProgramChange(Current());
}

void PerformanceEngine::SelectPortByName(const std::string& name) {
  if (const auto port = port_.FindPort(name)) SelectPort(*port);
}

// --- The port list

void PerformanceEngine::RefreshPorts() {
  // What the service learnt of the connection may be trouble to report.
  const Call call(*this);
  // A preset that names its port by number only is pinned to the entry that
  // number stands for now, before the entries move.
  for (Configuration& config : configs_) {
    if (config.midiOutPortName.empty()) config.midiOutPortName = port_.PortName(config.midiOutPort);
  }
  port_.RefreshPorts();
  for (Configuration& config : configs_) FollowPortName(config);
}

bool PerformanceEngine::PortAbsent() const { return port_.PortAbsent(configs_[currentConfig_].midiOutPortName); }

void PerformanceEngine::FollowPortName(Configuration& config) const {
  if (config.midiOutPortName.empty()) return;
  if (const auto port = port_.FindPort(config.midiOutPortName)) config.midiOutPort = *port;
}

std::array<Configuration, kSlotCount> PerformanceEngine::WithPortNames() const {
  std::array<Configuration, kSlotCount> saved = configs_;
  for (Configuration& config : saved) {
    if (config.midiOutPortName.empty()) config.midiOutPortName = port_.PortName(config.midiOutPort);
  }
  return saved;
}

void PerformanceEngine::SelectChannel(int index) {
  if (index >= 0) Current().midiChannel = static_cast<uint8_t>(index);
}

void PerformanceEngine::SelectPatch(int index) {
  const Call call(*this);
  if (index < 0) return;
  Current().midiPatch = static_cast<uint8_t>(index);
  port_.SendProgramChange(Current());
}

void PerformanceEngine::SelectScale(int index) {
  if (index < 0) return;
  Current().scale = static_cast<uint16_t>(index);
  RebuildNoteList();
}

void PerformanceEngine::SelectKey(int index) {
  if (index < 0) return;
  Current().key = static_cast<uint8_t>(index);
  RebuildNoteList();
}

void PerformanceEngine::SelectChord(int index) {
  if (index >= 0) Current().chord = static_cast<uint16_t>(index);
}

void PerformanceEngine::SelectNoteDirection(int index) {
  if (index >= 0) Current().noteDirection = static_cast<uint16_t>(index);
}

void PerformanceEngine::SelectController(int input, int index) {
  if (input < 0 || input >= kControllerInputCount || index < 0) return;
  Current().cc[input] = static_cast<uint8_t>(index);
}

void PerformanceEngine::SetPlayNotes(bool checked) { Current().playNotes = checked ? 1 : 0; }

void PerformanceEngine::SetInitialPressure(bool checked) { Current().initialPressure = checked ? 1 : 0; }

void PerformanceEngine::SetInitialPosition(bool checked) { Current().initialPosition = checked ? 1 : 0; }

void PerformanceEngine::SetNoteLimit(NoteLimit which, uint8_t key) {
  Configuration& c = Current();
  (which == NoteLimit::Lower ? c.minNote : c.maxNote) = key;
  if (c.maxNote < c.minNote) std::swap(c.minNote, c.maxNote);
  RebuildNoteList();
}

void PerformanceEngine::SetResponseCurve(int input, uint16_t code) {
  if (input >= 0 && input < kControllerInputCount) Current().map[input] = code;
}

void PerformanceEngine::SetControllerMinimum(int input, int value) {
  if (input >= 0 && input < kControllerInputCount)
    Current().min[input] = static_cast<uint8_t>(std::clamp(value, 0, kHighestControllerValue));
}

void PerformanceEngine::SetControllerMaximum(int input, int value) {
  if (input >= 0 && input < kControllerInputCount)
    Current().max[input] = static_cast<uint8_t>(std::clamp(value, 0, kHighestControllerValue));
}

void PerformanceEngine::SetColorModel(uint16_t model) { Current().colorModel = model; }

// --- Silence

void PerformanceEngine::Panic() {
  const Call call(*this);
  port_.Panic();
}

void PerformanceEngine::EndPerformance() {
  const Call call(*this);
  port_.StopSoundingNotes();
  port_.ReturnExpressionToRest();
}

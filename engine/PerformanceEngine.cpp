// SPDX-License-Identifier: MIT
#include "engine/PerformanceEngine.h"

#include <algorithm>
#include <utility>

#include "config/ConfigFileWriter.h"

namespace {
constexpr Rgb kWhite{255, 255, 255};
constexpr int kHighestControllerValue = kControllerValueCount - 1;
}  // namespace

PerformanceEngine::PerformanceEngine(MidiOutService& midi, MessageSink& messages, EngineDisplay& display,
                                     const ToolNameSource& tools, CopyBuffer& copyBuffer)
    : messages_(messages),
      display_(display),
      tools_(tools),
      copyBuffer_(copyBuffer),
      port_(midi, messages, display),
      channels_(port_),
      notes_(port_, channels_, display) {
  // A destination that comes (back) gets the current preset's sound and, for
  // glide and per-note channels, its set-up.
  port_.SetDestinationArrivedHandler([this] { SendPresetStart(); });
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
  channels_.ResetControllers(Current());
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
  PresetsChanged();
}

void PerformanceEngine::OnReset() {
  const Call call(*this);
  if (!messages_.AskYesNo("Are you sure you want to reset the settings ?")) return;
  channels_.ResetControllers(Current());
  ResetConfigurations();
  ShowConfiguration();
  display_.InvalidateWindow();
  PresetsChanged();
}

void PerformanceEngine::ShowConfiguration() {
  const Call call(*this);
  port_.UseMidiOut(Current().midiOutPort, Current().midiOutPortName);
  display_.ShowPortAndChannel(Current());
  SendPresetStart();
  RebuildNoteList();
  for (int input = 0; input < kControllerInputCount; ++input) display_.SetDisplayText(ValueReadout(input), "---");
  display_.ShowSettings(Current());
}

void PerformanceEngine::SendPresetStart() {
  port_.SendProgramChange(Current());
  channels_.PresetShown(Current());
}

void PerformanceEngine::RebuildNoteList() { notes_.Build(Current()); }

// --- Change handlers of the setting controls

void PerformanceEngine::SelectPort(int index) {
  if (!IsEntryOf(index, port_.PortCount())) return;
  const Call call(*this);
  const Edit edit(*this);
  Current().midiOutPort = static_cast<uint8_t>(index);
  Current().midiOutPortName = port_.PortName(Current().midiOutPort);
  // The box shows a patch that the new destination has not heard yet, nor
  // the preset's glide and channels.
  if (port_.OpenMidiOut(Current().midiOutPort, Current().midiOutPortName, false)) SendPresetStart();
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

std::string PerformanceEngine::FormatPresets() const { return FormatConfigFile(WithPortNames()); }

std::array<Configuration, kSlotCount> PerformanceEngine::WithPortNames() const {
  std::array<Configuration, kSlotCount> saved = configs_;
  for (Configuration& config : saved) {
    if (config.midiOutPortName.empty()) config.midiOutPortName = port_.PortName(config.midiOutPort);
  }
  return saved;
}

void PerformanceEngine::SelectChannel(int index) {
  if (!IsEntryOf(index, kChannelCount) || index == Current().midiChannel) return;
  const Call call(*this);
  const Edit edit(*this);
  Current().midiChannel = static_cast<uint8_t>(index);
  channels_.SendSetUp(Current());
}

void PerformanceEngine::SelectPatch(int index) {
  if (!IsEntryOf(index, kPatchEntryCount)) return;
  const Call call(*this);
  const Edit edit(*this);
  Current().midiPatch = static_cast<uint8_t>(index);
  port_.SendProgramChange(Current());
}

void PerformanceEngine::SelectScale(int index) {
  if (!IsEntryOf(index, kScaleCount)) return;
  const Edit edit(*this);
  Current().scale = static_cast<uint16_t>(index);
  RebuildNoteList();
}

void PerformanceEngine::SelectKey(int index) {
  if (!IsEntryOf(index, kKeyCount)) return;
  const Edit edit(*this);
  Current().key = static_cast<uint8_t>(index);
  RebuildNoteList();
}

void PerformanceEngine::SelectChord(int index) {
  if (!IsEntryOf(index, kChordCount)) return;
  const Edit edit(*this);
  Current().chord = static_cast<uint16_t>(index);
}

void PerformanceEngine::SelectNoteDirection(int index) {
  if (!IsEntryOf(index, kNoteDirectionCount)) return;
  const Edit edit(*this);
  Current().noteDirection = static_cast<uint16_t>(index);
}

void PerformanceEngine::SelectController(int input, int index) {
  if (!IsEntryOf(input, kControllerInputCount) || !IsEntryOf(index, kControllerEntryCount)) return;
  const Edit edit(*this);
  Current().cc[input] = static_cast<uint8_t>(index);
}

void PerformanceEngine::SetPlayNotes(bool checked) {
  const Edit edit(*this);
  Current().playNotes = checked ? 1 : 0;
}

void PerformanceEngine::SetInitialPressure(bool checked) {
  const Edit edit(*this);
  Current().initialPressure = checked ? 1 : 0;
}

void PerformanceEngine::SetInitialPosition(bool checked) {
  const Edit edit(*this);
  Current().initialPosition = checked ? 1 : 0;
}

void PerformanceEngine::SetNoteLimit(NoteLimit which, int key) {
  if (!IsEntryOf(key, kNoteCount)) return;
  const Edit edit(*this);
  Configuration& c = Current();
  (which == NoteLimit::Lower ? c.minNote : c.maxNote) = static_cast<uint8_t>(key);
  if (c.maxNote < c.minNote) std::swap(c.minNote, c.maxNote);
  RebuildNoteList();
}

void PerformanceEngine::SetResponseCurve(int input, int code) {
  if (!IsEntryOf(input, kControllerInputCount) || !IsEntryOf(code, kResponseCurveCount)) return;
  const Edit edit(*this);
  Current().map[input] = static_cast<uint16_t>(code);
}

// The minimum and maximum are numeric fields: a number past either end is
// taken as that end rather than refused.
void PerformanceEngine::SetControllerMinimum(int input, int value) {
  if (!IsEntryOf(input, kControllerInputCount)) return;
  const Edit edit(*this);
  Current().min[input] = static_cast<uint8_t>(std::clamp(value, 0, kHighestControllerValue));
}

void PerformanceEngine::SetControllerMaximum(int input, int value) {
  if (!IsEntryOf(input, kControllerInputCount)) return;
  const Edit edit(*this);
  Current().max[input] = static_cast<uint8_t>(std::clamp(value, 0, kHighestControllerValue));
}

void PerformanceEngine::SetColorModel(int model) {
  if (!IsEntryOf(model, kColorModelCount)) return;
  const Edit edit(*this);
  Current().colorModel = static_cast<uint16_t>(model);
}

void PerformanceEngine::SelectGlide(int index) {
  if (!IsEntryOf(index, kGlideModeCount) || index == Current().glide) return;
  const Call call(*this);
  const Edit edit(*this);
  Current().glide = static_cast<uint8_t>(index);
  channels_.SendSetUp(Current());
}

void PerformanceEngine::SetBendRange(int semitones) {
  const auto range = static_cast<uint8_t>(std::clamp(semitones, kLowestBendRange, kHighestBendRange));
  if (range == Current().bendRange) return;
  const Call call(*this);
  const Edit edit(*this);
  Current().bendRange = range;
  channels_.SendSetUp(Current());
}

void PerformanceEngine::SetMpe(bool checked) {
  if (checked == (Current().mpe != 0)) return;
  const Call call(*this);
  const Edit edit(*this);
  Current().mpe = checked ? 1 : 0;
  // The member channels have not heard the patch yet: they play it from now on.
  if (checked) port_.SendProgramChange(Current());
  channels_.SendSetUp(Current());
}

// --- Silence

void PerformanceEngine::Panic() {
  const Call call(*this);
  port_.Panic();
}

void PerformanceEngine::EndPerformance() {
  const Call call(*this);
  port_.StopSoundingNotes();
  port_.ReturnExpressionToRest();
  channels_.ForgetBends();
}

// SPDX-License-Identifier: MIT
#include "ui/window/ListContents.h"

#include <array>

#include "midi/MidiOutService.h"
#include "model/Ranges.h"
#include "music/ChordTable.h"
#include "music/GeneralMidiNames.h"
#include "music/NoteNames.h"
#include "music/ScaleTable.h"

namespace ListContents {

QStringList PortNames(MidiOutService& midi) {
  QStringList names;
  const int count = ListedPortCount(midi.GetNumDevs());
  for (int i = 0; i < count; ++i) names << QString::fromStdString(midi.GetDeviceName(static_cast<unsigned>(i)));
  return names;
}

QStringList ChannelNames() {
  QStringList names;
  for (int i = 1; i <= kChannelCount; ++i) names << QString::number(i);
  return names;
}

QStringList PatchNames() {
  QStringList names;
  for (const char* name : ::PatchNames) names << QString::fromUtf8(name);
  return names;
}

QStringList ScaleNames() {
  QStringList names;
  for (const auto& scale : ScaleTable) names << QString::fromUtf8(scale.name);
  return names;
}

QStringList KeyNames() {
  QStringList names;
  for (const char* name : ::KeyNames) names << QString::fromUtf8(name);
  return names;
}

QStringList ChordNames() {
  QStringList names;
  for (const auto& chord : ChordTable) names << QString::fromUtf8(chord.names[0]);
  return names;
}

QStringList NoteDirectionNames() {
  constexpr std::array<const char*, kNoteDirectionCount> kDirections =
      std::to_array<const char*>({"vertically", "horizontally"});
  QStringList names;
  for (const char* name : kDirections) names << QString::fromUtf8(name);
  return names;
}

QStringList ControllerNames() {
  QStringList names;
  for (const char* name : ::ControllerNames) names << QString::fromUtf8(name);
  return names;
}

QStringList GlideNames() {
  constexpr std::array<const char*, kGlideModeCount> kModes = std::to_array<const char*>({"Off", "Slide", "Glide"});
  QStringList names;
  for (const char* name : kModes) names << QString::fromUtf8(name);
  return names;
}

}  // namespace ListContents

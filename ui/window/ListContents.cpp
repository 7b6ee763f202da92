// SPDX-License-Identifier: MIT
#include "ui/window/ListContents.h"

#include "midi/MidiOutService.h"
#include "music/ChordTable.h"
#include "music/GeneralMidiNames.h"
#include "music/NoteNames.h"
#include "music/ScaleTable.h"

namespace ListContents {

QStringList PortNames(MidiOutService& midi) {
  QStringList names;
  // Only the low 8 bits of the count are used: the port number is a byte.
  const unsigned count = midi.GetNumDevs() & 0xFFu;
  for (unsigned i = 0; i < count; ++i) names << QString::fromStdString(midi.GetDeviceName(i));
  return names;
}

QStringList ChannelNames() {
  QStringList names;
  for (int i = 1; i <= 16; ++i) names << QString::number(i);
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

QStringList NoteDirectionNames() { return {QStringLiteral("vertically"), QStringLiteral("horizontally")}; }

QStringList ControllerNames() {
  QStringList names;
  for (const char* name : ::ControllerNames) names << QString::fromUtf8(name);
  // After "none": the entries that send expression instead of a control change.
  names << QStringLiteral("Pitch bend") << QStringLiteral("Channel pressure");
  return names;
}

}  // namespace ListContents

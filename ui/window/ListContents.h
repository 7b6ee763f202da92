// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

class MidiOutService;

/// The entries of the main window's drop-down lists, from the music tables and
/// the MIDI device list; entry i always stands for stored value i.
namespace ListContents {
QStringList PortNames(MidiOutService& midi);  ///< one per output device (count's low 8 bits)
QStringList ChannelNames();                   ///< "1" .. "16"
QStringList PatchNames();                     ///< 129 programme labels
QStringList ScaleNames();                     ///< 270 scale names
QStringList KeyNames();                       ///< 12 keys, written with flats
QStringList ChordNames();                     ///< first name of each of the 24 chords
QStringList NoteDirectionNames();             ///< "vertically", "horizontally"
QStringList ControllerNames();                ///< 128 controllers, none, pitch bend, channel pressure
QStringList GlideNames();                     ///< "Off", "Slide", "Glide"
}  // namespace ListContents

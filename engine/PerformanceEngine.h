// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/FileSaver.h"
#include "engine/CopyBuffer.h"
#include "engine/MidiPort.h"
#include "engine/NoteGenerator.h"
#include "engine/SlotPictures.h"
#include "engine/WaitingPackets.h"
#include "model/Configuration.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"
#include "model/TabletPacket.h"
#include "model/ToolNameSource.h"
#include "picture/PictureDecoder.h"

class MidiOutService;

/// Which end of the note range a key chosen on the keyboard sets.
enum class NoteLimit { Lower, Upper };

/// Starting locations of the file dialogs: the "Configs" and "Pictures" folders
/// at first, then the last file chosen in each dialog.
struct FileLocations {
  std::string configsFolder;
  std::string picturesFolder;
};

/// The heart of Quill: the twelve configuration slots, the pen and note state
/// and the MIDI port. Everything the pen does and every slot operation happens
/// here; the window forwards packets, keys, clicks and control changes, and the
/// engine answers through MessageSink and EngineDisplay. Copy and Paste go
/// through the program's one CopyBuffer.
class PerformanceEngine {
 public:
  PerformanceEngine(MidiOutService& midi, MessageSink& messages, EngineDisplay& display, const ToolNameSource& tools,
                    CopyBuffer& copyBuffer);

  // Start-up, in the window's order: Start() shows configuration 1 (opening its
  // port and sending its programme change); once the tablet context is open,
  // MarkInitialised() clears the packet counter.
  void Start();
  void MarkInitialised();

  // Slots.
  void ResetConfigurations();
  void SelectConfiguration(int slot);
  void OnCopy();
  void OnPaste();
  void OnReset();
  void ShowConfiguration();

  // The pen. A packet that arrives while another engine call has a message box
  // open waits until that call is done (see WaitingPackets).
  void ProcessPacket(const TabletPacket& packet, const PacketGeometry& geometry);
  /// Left button down on the window sets controller mode, up clears it.
  void SetControllerMode(bool on) { controllerMode_ = on; }

  // Change handlers of the setting controls; each works on the current slot.
  // Box indexes are the selected entry (a negative index means no selection).
  /// The port box: the preset remembers the entry and its name, the port is
  /// opened again (also on the same entry) and, once open, the destination
  /// gets the preset's programme change.
  void SelectPort(int index);
  /// The port box's entry with that name, as SelectPort; nothing when no
  /// entry has it.
  void SelectPortByName(const std::string& name);
  void SelectChannel(int index);
  void SelectPatch(int index);
  void SelectScale(int index);
  void SelectKey(int index);
  void SelectChord(int index);
  void SelectNoteDirection(int index);
  void SelectController(int input, int index);
  void SetPlayNotes(bool checked);
  void SetInitialPressure(bool checked);
  void SetInitialPosition(bool checked);
  /// A key chosen with MinKey or MaxKey; the limits are swapped when needed.
  void SetNoteLimit(NoteLimit which, uint8_t key);
  /// A curve button stepped to a new code.
  void SetResponseCurve(int input, uint16_t code);
  /// A minimum or maximum field accepted a value (clamped to 0..127).
  void SetControllerMinimum(int input, int value);
  void SetControllerMaximum(int input, int value);
  /// The RGB (0) and HSV (1) buttons.
  void SetColorModel(uint16_t model);

  /// The port box is about to be filled again (it opens, or the system's
  /// destinations changed): the system's list is taken, and every preset goes
  /// on naming the destination it named before, wherever that now stands.
  void RefreshPorts();

  // Silence. Panic (the Escape key): the sounding notes stopped, then All
  // Notes Off and All Sound Off on every channel. The end of a performance
  // (the window closing, the program ending): the sounding notes stopped and
  // a pitch bend or channel pressure left on a channel returned to rest.
  void Panic();
  void EndPerformance();

  // Pictures: the picture button with a file chosen, and "Clear". The picture
  // is decoded by the decoder lent here (at once when none is): the window's
  // works on a thread of its own, so a large picture never stalls the pen. It
  // lands in the slot it was chosen for when it arrives, and the display is
  // told; one that does not decode shows "Unable to load the picture!\n" then
  // and changes nothing. Clear, or another choice before it arrives, drops it.
  void UsePictureDecoder(PictureDecoder& decoder) { pictures_.UseDecoder(decoder); }
  void LoadPicture(const std::string& path);
  void ClearPicture();

  // Files: "Save..." and "Load..." with a file chosen. The presets as they
  // are at Save are written by the saver lent here (at once when none is;
  // the window's writes on a thread of its own, so a slow disk never stalls
  // the pen); a failure is reported when its answer comes. Load first waits
  // for the saves asked for before it, so it reads what was saved.
  void UseFileSaver(FileSaver& saver) { saver_ = &saver; }
  void SaveConfigurations(const std::string& path);
  void LoadConfigurations(const std::string& path);
  /// Where the file dialogs start: the folders at start-up, then the last
  /// file chosen in each dialog.
  void SetFileLocations(const FileLocations& locations) { locations_ = locations; }
  const FileLocations& Locations() const { return locations_; }

  // State read by the window.
  uint8_t CurrentSlot() const { return currentConfig_; }
  const Configuration& CurrentConfiguration() const { return configs_[currentConfig_]; }
  const Configuration& SlotConfiguration(int slot) const { return configs_[slot]; }
  bool HasPicture(int slot) const { return pictures_.InUse(slot); }
  const Picture& SlotPicture(int slot) const { return pictures_.Get(slot); }
  bool ControllerMode() const { return controllerMode_; }
  const PenState& Pen() const { return pen_; }
  uint32_t PacketCount() const { return packetCount_; }
  const NoteGenerator& Notes() const { return notes_; }
  bool PortOpen() const { return port_.IsOpen(); }
  size_t SoundingNoteCount() const { return port_.SoundingNoteCount(); }
  /// Messages the MIDI service accepted since the start (an activity light
  /// polls it; GUI thread only).
  uint64_t MidiMessagesSent() const { return port_.MessagesSent(); }
  /// True when the current preset names a destination the MIDI system does
  /// not list now: it is wanted, unconnected, and connects when it appears.
  bool PortAbsent() const;

 private:
  /// Marks a call that may open a message box. Its nested loop may deliver
  /// packets; they wait, and the outermost call runs them when it is done, so
  /// a packet step never runs in the middle of another operation (which could
  /// overwrite `lastNote` under a note that then never stops).
  class Call {
   public:
    explicit Call(PerformanceEngine& engine) : engine_(engine) { ++engine_.callDepth_; }
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

   private:
    PerformanceEngine& engine_;
  };

  void RunPacketStep(const TabletPacket& packet, const PacketGeometry& geometry);
  Configuration& Current() { return configs_[currentConfig_]; }
  /// A preset whose port name is listed takes that entry, whatever its number.
  void FollowPortName(Configuration& config) const;
  /// The configurations as saved: each names its port (a preset without a
  /// name of its own names the entry its number stands for, if any).
  std::array<Configuration, kSlotCount> WithPortNames() const;
  void RebuildNoteList();
  /// Whether a row sends in this packet: every assigned row in controller
  /// mode; in note mode with "generate notes" checked, the pitch bend and
  /// channel pressure rows while the pen presses.
  bool RowSends(int input) const;
  void SendController(int input, uint8_t value);

  MessageSink& messages_;
  EngineDisplay& display_;
  const ToolNameSource& tools_;
  CopyBuffer& copyBuffer_;
  MidiPort port_;
  NoteGenerator notes_;

  std::array<Configuration, kSlotCount> configs_;
  uint8_t currentConfig_ = 0;
  SlotPictures pictures_;

  bool controllerMode_ = false;
  PenState pen_;
  uint32_t packetCount_ = 0;
  FileLocations locations_;
  ImmediateFileSaver immediateSaver_;
  FileSaver* saver_ = &immediateSaver_;
  int callDepth_ = 0;
  WaitingPackets waitingPackets_;
};

// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "config/FileLoader.h"
#include "config/FileSaver.h"
#include "engine/CopyBuffer.h"
#include "engine/MidiPort.h"
#include "engine/NoteChannels.h"
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
  // A value its control could never send (no such entry, row or code) is
  // refused and changes nothing; the counts are those of model/Ranges.h.
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
  void SetNoteLimit(NoteLimit which, int key);
  /// A curve button stepped to a new code.
  void SetResponseCurve(int input, int code);
  /// A minimum or maximum field accepted a value (clamped to 0..127).
  void SetControllerMinimum(int input, int value);
  void SetControllerMaximum(int input, int value);
  /// The RGB (0) and HSV (1) buttons.
  void SetColorModel(int model);
  // Glide and per-note channels. A change tells the synthesiser again (as a
  // change of channel does): the zone of member channels and the bend range.
  /// The glide box: off, slide, glide (a GlideMode).
  void SelectGlide(int index);
  /// The bend range field accepted a value (clamped to 1..96 semitones).
  void SetBendRange(int semitones);
  /// The MPE box: each note on a channel of its own. Checked, the programme
  /// change first goes to every channel, as when the preset is shown.
  void SetMpe(bool checked);

  /// `handler` runs after any change to any preset: a setting control that
  /// changed a value, Paste, Reset, Load, a picture chosen, cleared or
  /// arrived, the colour model. A slot change or a port list that moves
  /// changes no preset.
  void SetPresetsChangedHandler(std::function<void()> handler) { presetsChanged_ = std::move(handler); }
  /// The twelve presets as Save writes them.
  std::string FormatPresets() const;

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
  // told; one that does not decode shows "Unable to load the picture!" then
  // and changes nothing. Clear, or another choice before it arrives, drops it.
  // All pictures are decoded under one memory budget (a gibibyte unless
  // another is lent): one that would take more is refused as undecodable.
  void UsePictureDecoder(PictureDecoder& decoder) { pictures_.UseDecoder(decoder); }
  void UsePictureBudget(std::shared_ptr<PictureBudget> budget) { pictures_.UseBudget(std::move(budget)); }
  void LoadPicture(const std::string& path);
  void ClearPicture();

  // Files: "Save..." and "Load..." with a file chosen. The presets as they
  // are at Save are written by the saver lent here (at once when none is;
  // the window's writes on a thread of its own, so a slow disk never stalls
  // the pen); a failure is reported when its answer comes. Load has the file
  // read by the loader lent here (at once when none is; the window's reads on
  // the saver's thread, after the saves asked before it, so it reads what was
  // saved), up to kMaxConfigFileBytes, and takes the presets in when the
  // bytes arrive; a larger file is not a configuration file.
  void UseFileSaver(FileSaver& saver) { saver_ = &saver; }
  void UseFileLoader(FileLoader& loader) { loader_ = &loader; }
  void SaveConfigurations(const std::string& path);
  /// How a Load ended: "" once the presets were taken in, else the message
  /// that says why not (shown as well, after this answer).
  using LoadDone = std::function<void(const std::string& failure)>;
  void LoadConfigurations(const std::string& path, LoadDone done = {});
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

  /// Marks a change of the current preset by a setting control: when the
  /// preset differs at the end, the presets-changed handler is told.
  class Edit {
   public:
    explicit Edit(PerformanceEngine& engine) : engine_(engine), before_(engine.Current()) {}
    ~Edit() {
      if (!(engine_.Current() == before_)) engine_.PresetsChanged();
    }
    Edit(const Edit&) = delete;
    Edit& operator=(const Edit&) = delete;

   private:
    PerformanceEngine& engine_;
    const Configuration before_;
  };

  void PresetsChanged() {
    if (presetsChanged_) presetsChanged_();
  }
  void RunPacketStep(const TabletPacket& packet, const PacketGeometry& geometry);
  /// A configuration file's bytes (or why there are none) taken in as Load
  /// does, with the messages about its pictures; the message of a file that
  /// is refused as a whole is returned instead ("" when it was taken).
  std::string TakeConfigurationFile(const std::string& path, const FileContents& contents);
  Configuration& Current() { return configs_[currentConfig_]; }
  /// A preset whose port name is listed takes that entry, whatever its number.
  void FollowPortName(Configuration& config) const;
  /// The configurations as saved: each names its port (a preset without a
  /// name of its own names the entry its number stands for, if any).
  std::array<Configuration, kSlotCount> WithPortNames() const;
  void RebuildNoteList();
  /// The programme change, then what the preset's glide and channels need:
  /// what a preset shown or a port chosen sends first.
  void SendPresetStart();
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
  NoteChannels channels_;
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
  ImmediateFileLoader immediateLoader_;
  FileLoader* loader_ = &immediateLoader_;
  int callDepth_ = 0;
  WaitingPackets waitingPackets_;
  std::function<void()> presetsChanged_;
};

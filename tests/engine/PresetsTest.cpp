// SPDX-License-Identifier: MIT
// Presets: paste, reset and note limits; and their MIDI port: which operations
// reconnect, the programme change a newly chosen port gets, and presets that
// find their port by name when the system lists its destinations in another order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "tests/support/EngineFakes.h"

namespace {
using Strings = std::vector<std::string>;

TEST(Slots, PasteBeforeAnyCopyGivesAnAllZeroConfiguration) {
  EngineRig rig;
  rig.engine.SelectConfiguration(4);
  rig.midi.TakeSent();
  rig.engine.OnPaste();
  EXPECT_EQ(rig.engine.CurrentConfiguration(), Configuration{});
  EXPECT_FALSE(rig.engine.HasPicture(4));
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"C0 00 00"}));  // programme 0 on channel 1
  EXPECT_EQ(rig.engine.SlotConfiguration(0), DefaultConfiguration());
}

TEST(Slots, PasteResetsTheOldControllersFirst) {
  EngineRig rig;
  rig.engine.SelectConfiguration(1);
  rig.engine.OnCopy();
  rig.engine.SelectConfiguration(0);
  rig.engine.SelectController(kInputPressure, 74);
  rig.engine.SetControllerMinimum(kInputPressure, 9);
  rig.midi.TakeSent();
  rig.engine.OnPaste();
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 4A 09", "C0 6B 00"}));
}

// What a reset sends is in the golden scripts; a "No" changes nothing, a "Yes"
// all twelve slots, not only the one shown.
TEST(Slots, ResetAsksFirstAndResetsAllTwelve) {
  EngineRig rig;
  rig.engine.SelectConfiguration(2);
  rig.engine.SelectController(kInputX, 1);
  rig.engine.SelectConfiguration(7);
  rig.engine.SelectChannel(2);
  rig.midi.TakeSent();

  rig.messages.answer = false;
  rig.engine.OnReset();
  EXPECT_EQ(rig.messages.TakeShown(), (Strings{"Are you sure you want to reset the settings ?"}));
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_EQ(rig.engine.CurrentConfiguration().midiChannel, 2);

  rig.messages.answer = true;
  rig.engine.OnReset();
  EXPECT_EQ(rig.engine.CurrentSlot(), 7);
  for (int slot = 0; slot < kSlotCount; ++slot) EXPECT_EQ(rig.engine.SlotConfiguration(slot), DefaultConfiguration());
}

TEST(Slots, NoteLimitsAreSwappedWhenCrossed) {
  EngineRig rig;
  rig.engine.SetNoteLimit(NoteLimit::Lower, 90);
  EXPECT_EQ(rig.engine.CurrentConfiguration().minNote, 84);
  EXPECT_EQ(rig.engine.CurrentConfiguration().maxNote, 90);
  rig.engine.SetNoteLimit(NoteLimit::Upper, 40);
  EXPECT_EQ(rig.engine.CurrentConfiguration().minNote, 40);
  EXPECT_EQ(rig.engine.CurrentConfiguration().maxNote, 84);
  rig.engine.SetNoteLimit(NoteLimit::Lower, 84);
  EXPECT_EQ(rig.engine.Notes().NoteList().Notes(), std::vector<uint8_t>{});  // 84 is not in the scale
}

TEST(Ports, OnlyAnotherDestinationReconnects) {
  EngineRig rig(3);
  rig.engine.SelectConfiguration(1);
  rig.engine.SelectPort(2);  // slot 2 plays on another destination
  rig.engine.SelectConfiguration(0);
  const std::string file =
      (std::filesystem::temp_directory_path() / ("quill-ports-" + std::to_string(::getpid()) + ".qcf")).string();
  rig.engine.SaveConfigurations(file);
  rig.messages.shown.clear();

  // Each row: what the user does, then whether the port was closed and opened.
  const struct {
    const char* what;
    std::function<void()> action;
    bool reconnects;
  } steps[] = {
      {"F4: same destination", [&] { rig.engine.SelectConfiguration(3); }, false},
      {"F2: another one", [&] { rig.engine.SelectConfiguration(1); }, true},
      {"F1: back", [&] { rig.engine.SelectConfiguration(0); }, true},
      {"Paste of slot 4", [&] { rig.engine.OnCopy(), rig.engine.SelectConfiguration(3), rig.engine.OnPaste(); }, false},
      {"Load", [&] { rig.engine.LoadConfigurations(file); }, false},
      {"Reset", [&] { rig.engine.OnReset(); }, false},
      {"F2 after Reset: same destination", [&] { rig.engine.SelectConfiguration(1); }, false},
      {"choosing the same entry again", [&] { rig.engine.SelectPort(0); }, true},
  };
  for (const auto& step : steps) {
    const int opens = rig.midi.opens, closes = rig.midi.closes;
    step.action();
    EXPECT_EQ(rig.midi.opens - opens, step.reconnects ? 1 : 0) << step.what;
    EXPECT_EQ(rig.midi.closes - closes, step.reconnects ? 1 : 0) << step.what;
    EXPECT_TRUE(rig.engine.PortOpen()) << step.what;
  }
  EXPECT_EQ(rig.messages.TakeShown(), Strings{"Are you sure you want to reset the settings ?"});
  std::filesystem::remove(file);
}

TEST(Ports, ChosenPortGetsNoProgrammeChangeWithoutAProgrammeOrWhenItFails) {
  EngineRig rig(2);
  rig.engine.SelectPatch(kNoPatch);
  rig.midi.TakeSent();
  rig.engine.SelectPort(1);
  EXPECT_EQ(rig.midi.TakeSent(), Strings{}) << "no programme: nothing to send";

  // A port that does not open gets nothing, and says so once.
  rig.engine.SelectPatch(5);
  rig.midi.TakeSent();
  rig.midi.names.pop_back();
  rig.engine.SelectPort(1);
  EXPECT_EQ(rig.midi.TakeSent(), Strings{});
  EXPECT_EQ(rig.messages.TakeShown(), Strings{"Unable to open the selected MIDI Out device!"});
  EXPECT_EQ(rig.engine.CurrentConfiguration().midiOutPortName, "") << "the entry names no destination";
}

TEST(Ports, APresetWhoseDestinationIsAbsentWaitsForItAndPlaysIntoNoStandIn) {
  EngineRig rig(2);
  rig.midi.followsNames = true;
  rig.engine.SelectConfiguration(1);
  rig.engine.SelectPort(1);
  EXPECT_FALSE(rig.engine.PortAbsent());
  const std::string file =
      (std::filesystem::temp_directory_path() / ("quill-absent-" + std::to_string(::getpid()) + ".qcf")).string();
  rig.engine.SaveConfigurations(file);

  // Another day: that synthesiser is not running, another one is listed
  // where it was.
  rig.midi.systemNames = {"Device 0", "Stand-in"};
  rig.engine.RefreshPorts();
  rig.engine.LoadConfigurations(file);
  rig.engine.SelectConfiguration(1);
  EXPECT_TRUE(rig.engine.PortAbsent());
  EXPECT_EQ(rig.midi.openName, "Device 1") << "wanted by its name";
  EXPECT_FALSE(rig.midi.IsConnectedTo(1)) << "nothing plays into the stand-in";
  rig.engine.SelectConfiguration(0);
  EXPECT_FALSE(rig.engine.PortAbsent());
  EXPECT_EQ(rig.midi.openName, "Device 0");
  std::filesystem::remove(file);
}

TEST(Ports, PresetsFindTheirPortByNameWhenTheOrderChanges) {
  EngineRig rig(3);  // Device 0, Device 1, Device 2
  rig.engine.SelectPort(1);
  rig.engine.SelectConfiguration(1);
  rig.engine.SelectPort(2);
  EXPECT_EQ(rig.engine.SlotConfiguration(1).midiOutPortName, "Device 2");

  // The system now lists a newcomer first and the others in another order:
  // every preset follows its name (the one shown: tests/window), a fresh one
  // keeps the destination it had.
  rig.midi.systemNames = {"Newcomer", "Device 2", "Device 0", "Device 1"};
  rig.engine.RefreshPorts();
  EXPECT_EQ(rig.engine.SlotConfiguration(0).midiOutPort, 3);
  EXPECT_EQ(rig.engine.SlotConfiguration(2).midiOutPort, 2);

  // Saved, then loaded after yet another order: each preset finds its name;
  // one whose destination is gone keeps its number.
  const std::string file =
      (std::filesystem::temp_directory_path() / ("quill-names-" + std::to_string(::getpid()) + ".qcf")).string();
  rig.engine.SaveConfigurations(file);
  rig.midi.systemNames = {"Device 1", "Device 0"};
  rig.engine.RefreshPorts();
  rig.engine.LoadConfigurations(file);
  EXPECT_EQ(rig.engine.SlotConfiguration(0).midiOutPort, 0);
  EXPECT_EQ(rig.engine.SlotConfiguration(1).midiOutPort, 1) << "Device 2 is gone: its number counts";
  EXPECT_EQ(rig.engine.SlotConfiguration(1).midiOutPortName, "Device 2") << "and it is still what it asks for";
  EXPECT_EQ(rig.engine.SlotConfiguration(2).midiOutPort, 1);
  EXPECT_EQ(rig.midi.openName, "Device 0");

  // A file from before port names: the numbers alone count.
  std::ifstream in(file, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), {}};
  in.close();
  for (size_t at; (at = text.find("MIDI out port name = ")) != std::string::npos;) {
    text.erase(at, text.find('\n', at) + 1 - at);
  }
  std::ofstream(file, std::ios::binary) << text;
  rig.engine.LoadConfigurations(file);
  EXPECT_EQ(rig.engine.SlotConfiguration(0).midiOutPort, 3);
  EXPECT_EQ(rig.engine.SlotConfiguration(0).midiOutPortName, "");
  EXPECT_TRUE(rig.messages.TakeShown().empty());
  std::filesystem::remove(file);
}
}  // namespace

// SPDX-License-Identifier: MIT
// Presets: paste, reset and note limits; and their MIDI port: which operations
// reconnect, the programme change a newly chosen port gets, and presets that
// find their port by name when the system lists its destinations in another order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
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
  EXPECT_EQ(rig.engine.CurrentConfiguration().bendRange, 48);  // as in a file that does not name it
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

// Each setting handler refuses a value its control could never send (no such
// entry, row or code): every preset, the slot and the port stay as they were.
// 65537 is what a cut to a byte or to 16 bits would make entry 1; the last
// entry is still taken.
TEST(Settings, EverySetterRefusesWhatItsControlCouldNeverSend) {
  constexpr int kPorts = 3;
  using Setter = std::function<void(PerformanceEngine&, int)>;
  const struct {
    const char* what;
    Setter set;
    int count;  // the control sends 0..count-1
  } setters[] = {
      {"port", [](PerformanceEngine& e, int v) { e.SelectPort(v); }, kPorts},
      {"channel", [](PerformanceEngine& e, int v) { e.SelectChannel(v); }, kChannelCount},
      {"patch", [](PerformanceEngine& e, int v) { e.SelectPatch(v); }, kPatchEntryCount},
      {"scale", [](PerformanceEngine& e, int v) { e.SelectScale(v); }, kScaleCount},
      {"key", [](PerformanceEngine& e, int v) { e.SelectKey(v); }, kKeyCount},
      {"chord", [](PerformanceEngine& e, int v) { e.SelectChord(v); }, kChordCount},
      {"note direction", [](PerformanceEngine& e, int v) { e.SelectNoteDirection(v); }, kNoteDirectionCount},
      {"controller", [](PerformanceEngine& e, int v) { e.SelectController(kInputTilt, v); }, kControllerEntryCount},
      {"controller row", [](PerformanceEngine& e, int v) { e.SelectController(v, 0); }, kControllerInputCount},
      {"lower note", [](PerformanceEngine& e, int v) { e.SetNoteLimit(NoteLimit::Lower, v); }, kNoteCount},
      {"upper note", [](PerformanceEngine& e, int v) { e.SetNoteLimit(NoteLimit::Upper, v); }, kNoteCount},
      {"curve", [](PerformanceEngine& e, int v) { e.SetResponseCurve(kInputY, v); }, kResponseCurveCount},
      {"curve row", [](PerformanceEngine& e, int v) { e.SetResponseCurve(v, Exponential); }, kControllerInputCount},
      {"minimum row", [](PerformanceEngine& e, int v) { e.SetControllerMinimum(v, 5); }, kControllerInputCount},
      {"maximum row", [](PerformanceEngine& e, int v) { e.SetControllerMaximum(v, 5); }, kControllerInputCount},
      {"colour model", [](PerformanceEngine& e, int v) { e.SetColorModel(v); }, kColorModelCount},
      {"glide", [](PerformanceEngine& e, int v) { e.SelectGlide(v); }, kGlideModeCount},
      {"slot", [](PerformanceEngine& e, int v) { e.SelectConfiguration(v); }, kSlotCount},
  };
  auto state = [](const PerformanceEngine& e) {
    std::vector<Configuration> presets;
    for (int slot = 0; slot < kSlotCount; ++slot) presets.push_back(e.SlotConfiguration(slot));
    return std::pair(static_cast<int>(e.CurrentSlot()), presets);
  };
  // The presets-changed handler hears of a value taken, once, and of nothing
  // else: a refusal, the same value again or a slot change.
  int told = 0;
  for (const auto& setter : setters) {
    for (const int value : {-1, setter.count, 65537, INT_MIN, INT_MAX}) {
      EngineRig rig(kPorts);
      rig.engine.SetPresetsChangedHandler([&told] { ++told; });
      told = 0;
      const auto before = state(rig.engine);
      const int opens = rig.midi.opens;
      setter.set(rig.engine, value);
      EXPECT_TRUE(state(rig.engine) == before) << setter.what << " took " << value;
      EXPECT_EQ(rig.midi.opens, opens) << setter.what << " " << value;
      EXPECT_EQ(rig.midi.sent, Strings{}) << setter.what << " " << value;
      EXPECT_TRUE(rig.messages.shown.empty()) << setter.what << " " << value;
      EXPECT_EQ(told, 0) << setter.what << " " << value;
    }
    EngineRig rig(kPorts);
    rig.engine.SetPresetsChangedHandler([&told] { ++told; });
    told = 0;
    const auto before = state(rig.engine);
    setter.set(rig.engine, setter.count - 1);
    EXPECT_FALSE(state(rig.engine) == before) << setter.what << " refused its last entry";
    const bool slot = std::string_view(setter.what) == "slot";
    EXPECT_EQ(told, slot ? 0 : 1) << setter.what;
    // Again: a change only where the value makes one (a note limit swaps).
    const auto once = state(rig.engine);
    setter.set(rig.engine, setter.count - 1);
    EXPECT_EQ(told, (slot ? 0 : 1) + (state(rig.engine) == once ? 0 : 1)) << setter.what;
  }

  // The minimum and maximum are numeric fields: a number past an end is that end.
  const struct {
    int value;
    uint8_t stored;
  } fields[] = {{-5, 0}, {128, 127}, {65536 + 5, 127}, {INT_MIN, 0}};
  for (const auto& field : fields) {
    EngineRig rig;
    rig.engine.SetControllerMinimum(kInputB, field.value);
    rig.engine.SetControllerMaximum(kInputB, field.value);
    EXPECT_EQ(rig.engine.CurrentConfiguration().min[kInputB], field.stored) << field.value;
    EXPECT_EQ(rig.engine.CurrentConfiguration().max[kInputB], field.stored) << field.value;
  }
  // So is the bend range, 1 to 96 semitones.
  for (const auto& [value, stored] : {std::pair{0, 1}, {97, 96}, {INT_MIN, 1}, {INT_MAX, 96}, {12, 12}}) {
    EngineRig rig;
    rig.engine.SetBendRange(value);
    EXPECT_EQ(rig.engine.CurrentConfiguration().bendRange, stored) << value;
  }
}

// Whole presets change too: Paste, a Reset answered Yes, a Load that is taken,
// a picture chosen, arrived or cleared. Packets, slots and ports change none.
TEST(Settings, ThePresetsChangedHandlerHearsOfEveryChangeOfAPreset) {
  const std::string folder = testing::TempDir() + "presets-changed-" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  const std::string saved = folder + "/saved.qcf", picture = std::string(QUILL_CONFIG_TEST_DATA) + "/tiny.bmp";
  const struct {
    const char* what;
    std::function<void(EngineRig&)> act;
    int told;
  } cases[] = {
      {"paste", [](EngineRig& r) { r.engine.OnPaste(); }, 1},
      {"reset, yes", [](EngineRig& r) { r.engine.OnReset(); }, 1},
      {"reset, no",
       [](EngineRig& r) {
         r.messages.answer = false;
         r.engine.OnReset();
       },
       0},
      {"load", [&](EngineRig& r) { r.engine.LoadConfigurations(saved); }, 1},
      {"load of no file", [&](EngineRig& r) { r.engine.LoadConfigurations(folder + "/absent.qcf"); }, 0},
      {"save", [&](EngineRig& r) { r.engine.SaveConfigurations(folder + "/again.qcf"); }, 0},
      {"a picture chosen, then cleared",
       [&](EngineRig& r) {
         r.engine.LoadPicture(picture);
         r.engine.ClearPicture();
       },
       2},
      {"a picture that does not decode", [&](EngineRig& r) { r.engine.LoadPicture(saved); }, 0},
      {"slots, packets, ports and panic",
       [](EngineRig& r) {
         r.engine.SelectConfiguration(3);
         r.Packet(1, 1, 960, 500, 300);
         r.engine.RefreshPorts();
         r.engine.Panic();
       },
       0},
  };
  for (const auto& c : cases) {
    EngineRig rig;
    rig.engine.SaveConfigurations(saved);
    int told = 0;
    rig.engine.SetPresetsChangedHandler([&told] { ++told; });
    c.act(rig);
    EXPECT_EQ(told, c.told) << c.what;
  }
  std::filesystem::remove_all(folder);
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
  rig.midi.failOpen = true;
  rig.engine.SelectPort(0);
  EXPECT_EQ(rig.midi.TakeSent(), Strings{});
  EXPECT_EQ(rig.messages.TakeShown(), Strings{"Unable to open the selected MIDI Out device!"});
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

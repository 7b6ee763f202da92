// SPDX-License-Identifier: MIT
// Per-packet cost of the engine with a sink that only counts what it is given.
#include <benchmark/benchmark.h>

#include "engine/MapValue.h"
#include "engine/PerformanceEngine.h"
#include "engine/ScaleNoteList.h"
#include "midi/MidiOutService.h"

namespace {
class CountingMidi : public MidiOutService {
 public:
  unsigned GetNumDevs() override { return 1; }
  std::string GetDeviceName(unsigned) override { return "bench"; }
  bool Open(unsigned) override { return true; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t packed) override {
    last = packed;
    ++count;
    return true;
  }
  uint32_t last = 0;
  uint64_t count = 0;
};

class QuietMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view, MessageIcon) override {}
  bool AskYesNo(std::string_view) override { return true; }
};

class CountingDisplay : public EngineDisplay {
 public:
  void SetDisplayText(Readout, std::string_view text) override { characters += text.size(); }
  void InvalidateTabletArea() override {}
  void InvalidateWindow() override {}
  void SetSectionHeaderColors(Rgb, Rgb) override {}
  void ShowPortAndChannel(const Configuration&) override {}
  void ShowSettings(const Configuration&) override {}
  uint64_t characters = 0;
};

class Tools : public ToolNameSource {
 public:
  std::string ToolName(uint32_t) const override { return "Pressure Stylus"; }
};

struct Rig {
  Rig() : engine(midi, messages, display, tools, copyBuffer) {
    engine.Start();
    engine.MarkInitialised();
  }
  CountingMidi midi;
  QuietMessages messages;
  CountingDisplay display;
  Tools tools;
  CopyBuffer copyBuffer;
  PerformanceEngine engine;
  PacketGeometry geometry;
};

// Every packet moves the pen and changes pressure and orientation, so all
// eight assigned controllers are computed and sent.
void BM_ProcessPacketControllerMode(benchmark::State& state) {
  Rig rig;
  for (int input = 0; input < kControllerInputCount; ++input) rig.engine.SelectController(input, input + 1);
  rig.engine.SetResponseCurve(kInputY, SCurve);
  rig.engine.SetResponseCurve(kInputPressure, Logarithmic);
  rig.engine.SetControllerMode(true);
  TabletPacket packet;
  packet.cursor = 1;
  uint32_t i = 0;
  for (auto _ : state) {
    ++i;
    packet.x = static_cast<int32_t>((i * 37) % 1920);
    packet.y = static_cast<int32_t>((i * 53) % 1080);
    packet.normalPressure = 1 + (i % 1023);
    packet.azimuth = static_cast<int32_t>((i * 7) % 3600);
    packet.altitude = 300 + static_cast<int32_t>(i % 600);
    rig.engine.ProcessPacket(packet, rig.geometry);
  }
  benchmark::DoNotOptimize(rig.midi.count);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessPacketControllerMode);

// Note mode with the pen pressed, crossing into another band on every packet:
// note off, controller reset, note on and pan each time.
void BM_ProcessPacketNoteModeBandChange(benchmark::State& state) {
  Rig rig;
  rig.engine.SelectController(kInputX, 1);
  rig.engine.SelectController(kInputPressure, 2);
  TabletPacket packet;
  packet.cursor = 1;
  packet.buttons = 1;
  packet.normalPressure = 600;
  bool high = false;
  for (auto _ : state) {
    high = !high;
    packet.y = high ? 100 : 1000;
    rig.engine.ProcessPacket(packet, rig.geometry);
  }
  benchmark::DoNotOptimize(rig.midi.count);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessPacketNoteModeBandChange);

// Note mode with expression: the pressed pen moves, presses and tilts on every
// packet, so channel pressure and a pitch bend go out each time, and it
// crosses into another band on every eighth packet.
void BM_ProcessPacketNoteModeExpression(benchmark::State& state) {
  Rig rig;
  rig.engine.SelectController(kInputPressure, kChannelPressureController);
  rig.engine.SelectController(kInputTilt, kPitchBendController);
  rig.engine.SetControllerMinimum(kInputTilt, 56);
  rig.engine.SetControllerMaximum(kInputTilt, 72);
  TabletPacket packet;
  packet.cursor = 1;
  packet.buttons = 1;
  uint32_t i = 0;
  for (auto _ : state) {
    ++i;
    packet.y = (i & 8) ? 100 + static_cast<int32_t>(i & 7) * 4 : 1000 - static_cast<int32_t>(i & 7) * 4;
    packet.normalPressure = 200 + (i * 8) % 800;
    packet.altitude = 300 + static_cast<int32_t>((i * 5) % 600);
    rig.engine.ProcessPacket(packet, rig.geometry);
  }
  benchmark::DoNotOptimize(rig.midi.count);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessPacketNoteModeExpression);

// A chord gliding on per-note channels: every packet moves the pen up and down
// over four bands, bending three channels, with a tilt vibrato on top; the
// pen lifts every 64th packet so that chords start on fresh channels too.
void BM_ProcessPacketGlidingChordPerNoteChannels(benchmark::State& state) {
  Rig rig;
  rig.engine.SelectController(kInputTilt, kPitchBendController);
  rig.engine.SetControllerMinimum(kInputTilt, 60);
  rig.engine.SetControllerMaximum(kInputTilt, 68);
  rig.engine.SetBendRange(24);
  rig.engine.SelectGlide(kGlideFollow);
  rig.engine.SetMpe(true);
  TabletPacket packet;
  packet.cursor = 2;
  uint32_t i = 0;
  for (auto _ : state) {
    ++i;
    const bool lift = (i & 63) == 0;
    packet.buttons = lift ? 0 : 1;
    packet.normalPressure = lift ? 0 : 500;
    packet.y = 400 + static_cast<int32_t>((i * 7) % 400);
    packet.altitude = 500 + static_cast<int32_t>((i * 3) % 100);
    rig.engine.ProcessPacket(packet, rig.geometry);
  }
  benchmark::DoNotOptimize(rig.midi.count);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessPacketGlidingChordPerNoteChannels);

void BM_MapValue(benchmark::State& state) {
  uint32_t i = 0;
  unsigned sum = 0;
  for (auto _ : state) {
    ++i;
    sum += MapValue(static_cast<uint8_t>(i & 127), 20, 100, static_cast<uint16_t>(i & 3));
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapValue);

void BM_ScaleNoteListBuild(benchmark::State& state) {
  ScaleNoteList list;
  uint16_t scale = 0;
  for (auto _ : state) {
    scale = static_cast<uint16_t>((scale + 1) % 270);
    list.Build(scale, 6, 0, 127);
    benchmark::DoNotOptimize(list.GetCount());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScaleNoteListBuild);
}  // namespace

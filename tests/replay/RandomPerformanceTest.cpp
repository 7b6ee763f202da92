// SPDX-License-Identifier: MIT
// Many random performances: whatever happens between a note-on and the pen's
// lift, the note is stopped on the port and channel it started on, and the end
// of the run leaves nothing sounding and no channel bent or pressed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

#include "midi/ShortMessage.h"
#include "tests/support/RandomPerformance.h"
#include "tools/replay/ReplayRunner.h"

namespace {
constexpr unsigned kPorts = 3;

/// Output devices that are receivers: the open one hands each message it
/// accepts to the ledger, as it would arrive. The last one never opens. With
/// an engine to ask, each note-on of a preset that glides or gives notes
/// channels of their own is checked: its bend came first on its channel, and
/// with per-note channels that channel is a member with no note sounding.
class LedgerDevices : public MidiOutService {
 public:
  explicit LedgerDevices(NoteLedger& ledger) : ledger_(ledger) {}
  const PerformanceEngine* engine = nullptr;
  int notesWithoutBend = 0;
  int notesSharingAChannel = 0;
  unsigned GetNumDevs() override { return kPorts; }
  std::string GetDeviceName(unsigned device) override { return "Receiver " + std::to_string(device); }
  bool Open(unsigned device) override {
    open_ = device + 1 < kPorts ? int(device) : -1;
    return open_ >= 0;
  }
  bool Close() override {
    open_ = -1;
    return true;
  }
  bool SendShortMsg(uint32_t packed) override {
    std::array<uint8_t, 3> bytes{};
    const size_t size = ShortMessageBytes(packed, bytes);
    if (open_ < 0 || size == 0) return false;
    if (engine != nullptr && (bytes[0] & 0xF0) == 0x90) CheckNoteOn(bytes[0] & 0x0F);
    ledger_.Hear(open_, std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(size)));
    return true;
  }

 private:
  void CheckNoteOn(int channel) {
    const Configuration& preset = engine->CurrentConfiguration();
    if (!BendsEachNote(preset)) return;
    if (ledger_.LastKindOn(open_, channel) != 0xE0) ++notesWithoutBend;
    if (preset.mpe && (channel == 0 || ledger_.SoundingOn(open_, channel) > 0)) ++notesSharingAChannel;
  }

  NoteLedger& ledger_;
  int open_ = -1;
};
}  // namespace

// The same with glide, slide and per-note channels turned on and off among
// everything else: nothing hangs on any channel, every note starts after its
// bend, and no member channel holds two notes.
TEST(RandomPerformances, GlideAndPerNoteChannelsLeaveNothingSounding) {
  int noteOns = 0, checkedNoteOns = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    const auto script = RandomPerformance(seed, 400, kPorts, QUILL_FRESH_CONFIG, true);
    NoteLedger ledger;
    int withoutBend = 0, sharing = 0;
    {
      std::unique_ptr<std::FILE, int (*)(std::FILE*)> null(std::fopen("/dev/null", "w"), &std::fclose);
      ReplayOutput out(null.get());
      auto devices = std::make_unique<LedgerDevices>(ledger);
      LedgerDevices& checked = *devices;
      ReplayRunner runner(std::move(devices), out, false);
      checked.engine = &runner.Engine();
      std::string error;
      for (size_t i = 0; i < script.size(); ++i) {
        const int before = ledger.NoteOns();
        ASSERT_TRUE(runner.RunLine(script[i].text, error)) << script[i].text << ": " << error;
        if (BendsEachNote(runner.Engine().CurrentConfiguration())) checkedNoteOns += ledger.NoteOns() - before;
        if (script[i].penUp) {
          ASSERT_EQ(ledger.Sounding(), 0) << "seed " << seed << ", after line " << i + 1 << ": " << script[i].text;
        }
      }
      withoutBend = checked.notesWithoutBend;
      sharing = checked.notesSharingAChannel;
      checked.engine = nullptr;  // the runner's end plays no notes
    }
    EXPECT_EQ(ledger.Sounding(), 0) << "seed " << seed;
    EXPECT_EQ(ledger.StrayNoteOffs(), 0) << "seed " << seed;
    EXPECT_EQ(ledger.ExpressionAwayFromRest(), 0) << "seed " << seed;
    EXPECT_EQ(withoutBend, 0) << "seed " << seed;
    EXPECT_EQ(sharing, 0) << "seed " << seed;
    noteOns += ledger.NoteOns();
  }
  EXPECT_GT(checkedNoteOns, 3000) << "the gliding presets hardly played";
  EXPECT_GT(noteOns, 10000) << "the performances hardly played";
}

TEST(RandomPerformances, NothingSoundsOnceThePenIsUpOrTheRunHasEnded) {
  int noteOns = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    const auto script = RandomPerformance(seed, 400, kPorts, QUILL_FRESH_CONFIG);
    NoteLedger ledger;
    {
      std::unique_ptr<std::FILE, int (*)(std::FILE*)> null(std::fopen("/dev/null", "w"), &std::fclose);
      ReplayOutput out(null.get());
      ReplayRunner runner(std::make_unique<LedgerDevices>(ledger), out, false);
      std::string error;
      for (size_t i = 0; i < script.size(); ++i) {
        ASSERT_TRUE(runner.RunLine(script[i].text, error)) << script[i].text << ": " << error;
        if (script[i].penUp) {
          ASSERT_EQ(ledger.Sounding(), 0) << "seed " << seed << ", after line " << i + 1 << ": " << script[i].text;
        }
      }
    }  // the run ends here, as at the end of a script
    EXPECT_EQ(ledger.Sounding(), 0) << "seed " << seed;
    EXPECT_EQ(ledger.StrayNoteOffs(), 0) << "seed " << seed;
    EXPECT_EQ(ledger.ExpressionAwayFromRest(), 0) << "seed " << seed;
    noteOns += ledger.NoteOns();
  }
  EXPECT_GT(noteOns, 10000) << "the performances hardly played";
}

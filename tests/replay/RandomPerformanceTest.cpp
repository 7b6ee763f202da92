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
/// accepts to the ledger, as it would arrive. The last one never opens.
class LedgerDevices : public MidiOutService {
 public:
  explicit LedgerDevices(NoteLedger& ledger) : ledger_(ledger) {}
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
    ledger_.Hear(open_, std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(size)));
    return true;
  }

 private:
  NoteLedger& ledger_;
  int open_ = -1;
};
}  // namespace

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

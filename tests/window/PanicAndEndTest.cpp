// SPDX-License-Identifier: MIT
// Escape is the panic key; closing the window, or a termination signal, ends
// the performance with nothing left sounding.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <csignal>
#include <memory>

#include "app/TerminationSignals.h"
#include "tests/window/WindowFakes.h"
#include "ui/window/CTabletMidiDlg.h"
#include "ui/window/ControlIds.h"

namespace {

using Packed = std::vector<uint32_t>;

/// A shown window whose eraser holds a chord.
class PanicAndEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<CTabletMidiDlg>(midi, tablet, OrientationScaling::FromAxes(tablet.axes), FileLocations{},
                                              copyBuffer, &messages);
    ASSERT_TRUE(window->OnInitDialog());
    window->show();
    tablet.Deliver({.cursor = 2, .x = 960, .y = 500});
    tablet.Deliver({.cursor = 2, .buttons = 1, .x = 960, .y = 510, .normalPressure = 400});
    // The programme change, the three note-ons of the major chord on channel 1, pan.
    ASSERT_EQ(midi.sent.size(), 5u);
    for (size_t i = 1; i <= 3; ++i) {
      ASSERT_EQ(midi.sent[i] & 0xFF, 0x90u);
      chordOff.push_back((midi.sent[i] & 0xFF00) | 0x80);
    }
    midi.sent.clear();
  }

  FakeMidiOut midi{2};
  ScriptedTablet tablet;
  RecordingMessages messages;
  CopyBuffer copyBuffer;
  std::unique_ptr<CTabletMidiDlg> window;
  Packed chordOff;  ///< the chord's note-offs, in the order it started
};

TEST_F(PanicAndEndTest, EscapeStopsTheChordThenSilencesEveryChannelAndKeepsTheWindow) {
  Packed panic = chordOff;
  for (uint32_t channel = 0; channel < 16; ++channel) {
    panic.push_back(0x7BB0 | channel);  // All Notes Off
    panic.push_back(0x78B0 | channel);  // All Sound Off
  }
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(window->Control(ControlIds::kCopy), &escape);
  QApplication::processEvents();
  EXPECT_EQ(midi.sent, panic);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PanicAndEndTest, ClosingTheWindowStopsTheChordAndNothingElse) {
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(midi.sent, chordOff);
  window.reset();
  EXPECT_EQ(midi.sent, chordOff);
}

void MarkerHandler(int) {}

TEST(TerminationSignals, EachSignalReachesTheEventLoopOnceAndTheOldHandlerComesBack) {
  for (int signal : TerminationSignals::kSignals) {
    struct sigaction marker {
    }, original{}, now{};
    marker.sa_handler = MarkerHandler;
    sigaction(signal, &marker, &original);
    std::vector<int> received;
    {
      QEventLoop loop;
      const TerminationSignals watcher([&](int number) {
        received.push_back(number);
        loop.quit();
      });
      ::raise(signal);
      QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // only so that a failure cannot hang the suite
      loop.exec();
      // Caught once: a second signal would take the system's default action.
      sigaction(signal, nullptr, &now);
      EXPECT_EQ(now.sa_handler, SIG_DFL) << signal;
    }
    EXPECT_EQ(received, std::vector<int>{signal});
    sigaction(signal, &original, &now);
    EXPECT_EQ(now.sa_handler, MarkerHandler) << signal;
  }
}

}  // namespace

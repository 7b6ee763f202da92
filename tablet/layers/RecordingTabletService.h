// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>
#include <vector>

#include "tablet/TabletRecording.h"
#include "tablet/layers/DecodingTabletService.h"

/// A recorded tablet played as if its pen were there: the recording's events
/// go through the evdev layer at the pace of their time stamps, over and
/// over, from the moment the window's context opens until it closes. A demo
/// for those without a tablet, and a way to watch the window take a real
/// device's stream. The device is the recorded one, name included; `models`
/// finds its model by the recorded name. Each packet carries the time its
/// event was due (the start of the pass and the event's place in it), not the
/// moment the timer fired, so MIDI placed by pen time keeps the recording's
/// rhythm exactly.
class RecordingTabletService : public DecodingTabletService {
  Q_OBJECT

 public:
  /// The pause before the first pass and between two passes, as if the pen
  /// were put down and picked up again.
  static constexpr int kPauseMilliseconds = 1000;

  explicit RecordingTabletService(TabletRecording recording,
                                  std::shared_ptr<const TabletModelDatabase> models = nullptr);

  bool OpenContext(PacketHandler handler) override;
  void Close() override;

 private:
  void PlayDueEvents();

  std::vector<input_event> events_;
  std::vector<int64_t> offsets_;  ///< when each event is due from the start of a pass
  size_t next_ = 0;               ///< the next event to play
  int64_t passStart_ = 0;         ///< on CLOCK_MONOTONIC, in nanoseconds
  bool open_ = false;             ///< the window's context is open: the recording plays
  bool playing_ = false;          ///< inside PlayDueEvents (a message box may nest another)
  QTimer timer_;
};

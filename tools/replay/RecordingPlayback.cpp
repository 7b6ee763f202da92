// SPDX-License-Identifier: MIT
#include "tools/replay/RecordingPlayback.h"

#include "tablet/EvdevTabletCore.h"
#include "tools/replay/ReplayServices.h"

bool PlayTabletRecording(const TabletRecording& recording, ReplayRunner& runner, ReplayOutput& out,
                         const RecordingPlaybackOptions& options) {
  EvdevTabletCore tablet;
  tablet.SetDevice(recording.device);
  PrintingMessages messages(out);
  if (!CheckTabletPresence(tablet, messages, options.makers)) return false;

  const bool showPackets = options.showPackets;
  OpenTabletContext(tablet, [&runner, &out, showPackets](const TabletPacket& packet) {
    if (showPackets) out.WritePacket(packet);
    runner.ProcessPacket(packet);
  });
  for (const input_event& event : recording.events) {
    tablet.Feed(event, runner.Geometry().screenWidth, runner.Geometry().screenHeight);
  }
  tablet.DeviceLost(runner.Geometry().screenWidth, runner.Geometry().screenHeight);
  CloseTabletContext(tablet, true);
  return true;
}

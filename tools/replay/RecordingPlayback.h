// SPDX-License-Identifier: MIT
#pragma once

#include "tablet/TabletContext.h"
#include "tablet/TabletRecording.h"
#include "tools/replay/ReplayOutput.h"
#include "tools/replay/ReplayRunner.h"

/// How a recorded tablet is played.
struct RecordingPlaybackOptions {
  TabletMakers makers = TabletMakers::WacomOnly;  ///< Any with --any-tablet
  bool showPackets = false;                       ///< print each delivered packet first
};

/// Plays a recorded tablet into the runner's engine as the window's evdev
/// layer would take the device: the start-up presence check on the recorded
/// device first (its message printed, and nothing played, when it fails),
/// then every event through recognition, scaling and decoding onto the
/// screen the script set and through the context's delivery, as fast as they
/// are processed. The end of the recording is the pen going away: a pressing
/// pen is lifted. False when the presence check refused the device.
bool PlayTabletRecording(const TabletRecording& recording, ReplayRunner& runner, ReplayOutput& out,
                         const RecordingPlaybackOptions& options);

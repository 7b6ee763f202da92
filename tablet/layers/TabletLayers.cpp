// SPDX-License-Identifier: MIT
#include "tablet/layers/TabletLayers.h"

#include <iostream>
#include <utility>
#include <vector>

#include "tablet/layers/EvdevTabletFinder.h"
#include "tablet/layers/EvdevTabletService.h"
#include "tablet/layers/LibwacomModelDatabase.h"
#include "tablet/layers/MouseTabletService.h"
#include "tablet/layers/QtTabletService.h"
#include "tablet/layers/RecordingTabletService.h"

namespace {

// Only needed when no tablet node at all can be read.
void AdviseAccess(const std::vector<EvdevTabletNode>& nodes) {
  for (const EvdevTabletNode& node : nodes) {
    if (node.readable) return;
  }
  for (const EvdevTabletNode& node : nodes) {
    std::cerr << "quill: the graphics tablet " << node.path << " cannot be read by this user.\n"
              << "quill: to let Quill read the whole tablet, install the rule 70-quill-tablet.rules\n"
              << "quill: (tablet/udev/ in the sources) into /etc/udev/rules.d/, then run\n"
              << "quill:   sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=input\n"
              << "quill: and log in again or plug the tablet in again.\n";
    return;
  }
}

const EvdevTabletNode* FirstReadable(const std::vector<EvdevTabletNode>& nodes) {
  for (const EvdevTabletNode& node : nodes) {
    if (node.readable) return &node;
  }
  return nullptr;
}

std::unique_ptr<WidgetTabletService> CreateRecordingService(const std::string& path) {
  std::string error;
  std::optional<TabletRecording> recording = ReadTabletRecording(path, error);
  if (!recording) {
    std::cerr << "quill: cannot read the tablet recording " << path << ": " << error << "\n";
    return std::make_unique<RecordingTabletService>(TabletRecording{});
  }
  if (!IsTabletPen(recording->device)) {
    std::cerr << "quill: " << path << " records no tablet pen (" << recording->device.name << ").\n";
  }
  return std::make_unique<RecordingTabletService>(std::move(*recording), std::make_shared<LibwacomModelDatabase>());
}

}  // namespace

std::optional<TabletLayer> ParseTabletLayer(std::string_view name) {
  if (name == "auto") return TabletLayer::Auto;
  if (name == "evdev") return TabletLayer::Evdev;
  if (name == "qt") return TabletLayer::Qt;
  if (name == "mouse") return TabletLayer::Mouse;
  return std::nullopt;
}

std::unique_ptr<WidgetTabletService> CreateTabletService(TabletLayer layer, const std::string& recording) {
  if (layer == TabletLayer::Recording) return CreateRecordingService(recording);
  if (layer == TabletLayer::Mouse) return std::make_unique<MouseTabletService>();
  if (layer == TabletLayer::Qt) return std::make_unique<QtTabletService>();

  const std::vector<EvdevTabletNode> nodes = EvdevTabletFinder::Find();
  AdviseAccess(nodes);
  const EvdevTabletNode* readable = FirstReadable(nodes);
  if (readable) {
    auto evdev = std::make_unique<EvdevTabletService>(readable->path, std::make_shared<LibwacomModelDatabase>());
    if (evdev->ServicesPresent() || layer == TabletLayer::Evdev) return evdev;
  }
  if (layer == TabletLayer::Evdev) {
    std::cerr << "quill: no readable graphics tablet found for --tablet=evdev.\n";
    return std::make_unique<EvdevTabletService>(std::string());
  }

  auto qt = std::make_unique<QtTabletService>();
  if (!qt->DeviceName().empty()) return qt;
  if (layer == TabletLayer::Auto) {
    std::cerr << "quill: no graphics tablet found, so the mouse plays the pen (right button: tip, wheel: pressure); "
                 "to play with a tablet, plug it in, let this user read it (man quill, TABLET ACCESS) and start Quill "
                 "again.\n";
    return std::make_unique<MouseTabletService>();
  }
  if (nodes.empty()) {
    std::cerr << "quill: no graphics tablet found; to play with the mouse, start quill --tablet=mouse\n";
  }
  return qt;
}

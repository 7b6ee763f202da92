// SPDX-License-Identifier: MIT
#include "tablet/TabletContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A tablet whose answers the test sets and whose calls it records.
class ScriptedTablet : public TabletService {
 public:
  bool present = true;
  std::string name = "WACOM Pen Tablet";
  bool openSucceeds = true;
  std::vector<std::string> calls;

  bool ServicesPresent() const override { return present; }
  std::string DeviceName() const override { return name; }
  std::string ToolName(uint32_t cursor) const override { return StandardToolName(cursor); }
  OrientationAxes Orientation() const override { return {}; }
  bool OpenContext(QWidget*, QWidget*, PacketHandler) override {
    calls.push_back(openSucceeds ? "open" : "open failed");
    return openSucceeds;
  }
  void Enable(bool enable) override { calls.push_back(enable ? "enable" : "disable"); }
  void Overlap(bool toTop) override { calls.push_back(toTop ? "overlap top" : "overlap"); }
  void Close() override { calls.push_back("close"); }
};

class RecordedMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon) override {
    shown.emplace_back(text);
    icons.push_back(icon);
  }
  bool AskYesNo(std::string_view) override { return true; }
  std::vector<std::string> shown;
  std::vector<MessageIcon> icons;
};

TEST(CheckTabletPresence, NeedsServicesAndANameStartingWithTheCapitalMakerName) {
  struct Case {
    bool present;
    const char* name;
    const char* message;  // nullptr: passes
  };
  const Case cases[] = {
      {false, "WACOM Pen Tablet", "WinTab services not available!"},
      {true, "WACOM Pen Tablet M", nullptr},
      {true, "WACOM", nullptr},
      {true, "WACOMX", nullptr},
      {true, "Wacom Pen Tablet", "Wacom tablet not installed!"},
      {true, "wacom", "Wacom tablet not installed!"},
      {true, "WACO", "Wacom tablet not installed!"},
      {true, "", "Wacom tablet not installed!"},
      {true, " WACOM", "Wacom tablet not installed!"},
      {true, "Other Maker Pen", "Wacom tablet not installed!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedTablet tablet;
    tablet.present = c.present;
    tablet.name = c.name;
    RecordedMessages messages;
    EXPECT_EQ(CheckTabletPresence(tablet, messages), c.message == nullptr);
    if (c.message) {
      EXPECT_EQ(messages.shown, std::vector<std::string>{c.message});
      EXPECT_EQ(messages.icons, std::vector<MessageIcon>{MessageIcon::Error});
    } else {
      EXPECT_TRUE(messages.shown.empty());
    }
  }
}

TEST(TabletContextRules, OpeningEnablesFromTheStartAndAFailureStopsThere) {
  ScriptedTablet tablet;
  EXPECT_TRUE(OpenTabletContext(tablet, nullptr, nullptr, [](const TabletPacket&) {}));
  EXPECT_EQ(tablet.calls, (std::vector<std::string>{"open", "enable"}));

  ScriptedTablet failing;
  failing.openSucceeds = false;
  EXPECT_FALSE(OpenTabletContext(failing, nullptr, nullptr, [](const TabletPacket&) {}));
  EXPECT_EQ(failing.calls, std::vector<std::string>{"open failed"});
}

TEST(TabletContextRules, ActivationEnablesOrDisablesAndAlwaysMovesToTheTop) {
  ScriptedTablet tablet;
  OnTabletActivate(tablet, true);
  OnTabletActivate(tablet, false);
  EXPECT_EQ(tablet.calls, (std::vector<std::string>{"enable", "overlap top", "disable", "overlap top"}));
}

TEST(TabletContextRules, ClosingOnlyAfterACompleteInitialisation) {
  ScriptedTablet tablet;
  CloseTabletContext(tablet, false);
  EXPECT_TRUE(tablet.calls.empty());
  CloseTabletContext(tablet, true);
  EXPECT_EQ(tablet.calls, std::vector<std::string>{"close"});
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QMouseEvent>
#include <set>

#include "tests/window/WindowFixture.h"
#include "ui/controls/CCurveButton.h"
#include "ui/controls/CNumericEdit.h"
#include "ui/controls/CSectionHeader.h"
#include "ui/window/ControlIds.h"
#include "ui/window/WindowLayout.h"

namespace {

using namespace ControlIds;

constexpr uint32_t ProgramChange(uint8_t channel, uint8_t programme) {
  return 0xC0u | channel | (static_cast<uint32_t>(programme) << 8);
}

TEST_F(WindowFixture, ShowsConfigurationOneDefaultsAfterStart) {
  struct ListCase {
    int id;
    int index;
    const char* text;
  };
  const ListCase lists[] = {
      {kPort, 0, "Synth 0"},       {kChannel, 0, "1"},         {kPatch, 107, "108 Koto"},
      {kScale, 137, "Japanese A"}, {kKey, 6, "F#"},            {kChord, 0, "major"},
      {kNoteDirection, 0, "vertically"},
  };
  for (const ListCase& c : lists) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(List(c.id)->currentIndex(), c.index);
    EXPECT_TRUE(List(c.id)->currentText().startsWith(QString::fromUtf8(c.text)));
  }
  EXPECT_EQ(List(kChannel)->count(), 16);
  EXPECT_EQ(List(kScale)->count(), 270);
  EXPECT_EQ(List(kPort)->count(), 2);
  for (size_t i = 0; i < kControllerBoxes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(List(kControllerBoxes[i])->currentText(), "------ None ------");
    EXPECT_EQ(Field(kMinimumFields[i])->text(), "0");
    EXPECT_EQ(Field(kMaximumFields[i])->text(), "127");
    EXPECT_EQ(dynamic_cast<CCurveButton*>(window->Control(kCurveButtons[i]))->GetCurrent(), 1u);
    EXPECT_EQ(Label(DisplayId::kValue[i])->text(), "---");
  }
  EXPECT_EQ(Field(kMinNoteName)->text(), "C3");
  EXPECT_EQ(Field(kMaxNoteName)->text(), "C5");
  for (int id : {kPlayNotes, kInitialPosition, kInitialPressure, kRgb}) EXPECT_TRUE(Button(id)->isChecked()) << id;
  EXPECT_FALSE(Button(kHsv)->isChecked());
  EXPECT_EQ(Label(1077)->text(), "Red");
  EXPECT_EQ(Label(1079)->text(), "Green");
  EXPECT_EQ(Label(1081)->text(), "Blue");
  EXPECT_EQ(Button(kPictureButton)->text(), "---");
  for (int id : kSectionHeaders) {
    auto* header = dynamic_cast<CSectionHeader*>(window->Control(id));
    EXPECT_EQ(header->BackColor(), QColor(50, 50, 100)) << id;
    EXPECT_EQ(header->TextColor(), QColor(Qt::white)) << id;
  }
  EXPECT_EQ(dynamic_cast<CSectionHeader*>(window->Control(1074))->Caption(), "N o t e   G e n e r a t i o n");
  EXPECT_EQ(Label(kDeviceName)->text(), "WACOM Test Tablet");
  EXPECT_EQ(window->windowTitle(), "Quill v1.3");
  EXPECT_EQ(window->size(), QSize(903, 678));
  EXPECT_EQ(window->Control(kTabletArea)->size(), QSize(546, 497));
  EXPECT_TRUE(window->Initialized());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(midi.sent, std::vector<uint32_t>{ProgramChange(0, 107)});
}

TEST_F(WindowFixture, TabOrderFollowsTheTemplate) {
  // Tab stops in creation order: every control but labels, headers, the radio
  // buttons, the group box and the tablet area.
  std::vector<int> expected;
  for (const ControlSpec& entry : MainWindowLayout()) {
    switch (entry.kind) {
      case ControlKind::List:
      case ControlKind::Push:
      case ControlKind::Check:
      case ControlKind::NumericField:
      case ControlKind::ReadOnlyField:
      case ControlKind::KeyButton:
      case ControlKind::CurveButton:
        expected.push_back(entry.id);
        break;
      default:
        break;
    }
  }
  std::vector<int> chain;
  QWidget* first = window->Control(expected.front());
  QWidget* w = first;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && w->parentWidget() == window.get()) {
      chain.push_back(w->objectName().toInt());
    }
    w = w->nextInFocusChain();
  } while (w != first && chain.size() < 200);
  EXPECT_EQ(chain, expected);
}

TEST_F(WindowFixture, SwitchingSlotsRefreshesThePanelAndHeaders) {
  // Edit slot 1 through its controls.
  Choose(kScale, 269);
  Choose(kControllerBoxes[0], 7);
  Button(kPlayNotes)->click();
  Button(kHsv)->click();
  Field(kMinimumFields[2])->setText("42");

  PressKey(List(kScale), Qt::Key_F2);
  EXPECT_EQ(window->Engine().CurrentSlot(), 1);
  EXPECT_EQ(List(kScale)->currentIndex(), 137);
  EXPECT_EQ(List(kControllerBoxes[0])->currentIndex(), 128);
  EXPECT_TRUE(Button(kPlayNotes)->isChecked());
  EXPECT_TRUE(List(kScale)->isEnabled());
  EXPECT_TRUE(Button(kRgb)->isChecked());
  EXPECT_EQ(Field(kMinimumFields[2])->text(), "0");
  EXPECT_EQ(dynamic_cast<CSectionHeader*>(window->Control(1073))->BackColor(), QColor(100, 100, 120));

  PressKey(List(kScale), Qt::Key_F1);
  EXPECT_EQ(List(kScale)->currentIndex(), 269);
  EXPECT_EQ(List(kControllerBoxes[0])->currentIndex(), 7);
  EXPECT_FALSE(Button(kPlayNotes)->isChecked());
  EXPECT_FALSE(List(kScale)->isEnabled());
  EXPECT_TRUE(Button(kHsv)->isChecked());
  EXPECT_EQ(Label(1077)->text(), "Color");
  EXPECT_EQ(Field(kMinimumFields[2])->text(), "42");
  EXPECT_EQ(window->Engine().CurrentConfiguration().min[2], 42);
  EXPECT_EQ(dynamic_cast<CSectionHeader*>(window->Control(1075))->BackColor(), QColor(50, 50, 100));
}

TEST_F(WindowFixture, GenerateNotesSwitchesExactlyTheNineNoteControls) {
  const std::set<int> noteControls(kNoteControls.begin(), kNoteControls.end());
  for (bool on : {false, true}) {
    Button(kPlayNotes)->click();
    EXPECT_EQ(window->Engine().CurrentConfiguration().playNotes, on ? 1 : 0);
    for (QWidget* w : window->findChildren<QWidget*>()) {
      bool numeric = false;
      const int id = w->objectName().toInt(&numeric);
      if (!numeric || id < 1002 || id > 1102) continue;
      EXPECT_EQ(w->isEnabled(), on || noteControls.count(id) == 0) << id;
    }
  }
}

TEST_F(WindowFixture, PatchSendsOneProgrammeChangeAndChannelNone) {
  midi.sent.clear();
  Choose(kChannel, 3);
  EXPECT_TRUE(midi.sent.empty());
  EXPECT_EQ(window->Engine().CurrentConfiguration().midiChannel, 3);
  Choose(kPatch, 5);
  EXPECT_EQ(midi.sent, std::vector<uint32_t>{ProgramChange(3, 5)});
  midi.sent.clear();
  Choose(kPatch, 128);  // "------ None ------"
  EXPECT_TRUE(midi.sent.empty());
}

TEST_F(WindowFixture, FunctionKeysSelectSlotsFromAnyControl) {
  window->show();
  struct KeyCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    int slot;
  };
  const KeyCase cases[] = {{Qt::Key_F5, Qt::NoModifier, 4},
                           {Qt::Key_F4, Qt::AltModifier, 3},
                           {Qt::Key_F12, Qt::NoModifier, 11},
                           {Qt::Key_F10, Qt::NoModifier, 9},
                           {Qt::Key_F1, Qt::ShiftModifier, 0}};
  for (const KeyCase& c : cases) {
    const int before = List(kPatch)->currentIndex();
    PressKey(List(kPatch), c.key, c.modifiers);
    EXPECT_EQ(window->Engine().CurrentSlot(), c.slot) << c.key;
    EXPECT_EQ(List(kPatch)->currentIndex(), before);  // the key did not reach the box
  }
  // Auto-repeat selects again: every selection sends the slot's programme change.
  midi.sent.clear();
  PressKey(Field(kMinimumFields[0]), Qt::Key_F3);
  PressKey(Field(kMinimumFields[0]), Qt::Key_F3, Qt::NoModifier, true);
  EXPECT_EQ(midi.SentWithStatus(0xC0).size(), 2u);
  // Enter and Escape never close the window.
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    PressKey(Button(kCopy), key);
    PressKey(window.get(), key);
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible()) << key;
  }
  window->hide();
}

TEST_F(WindowFixture, KeysInAnotherWindowDoNotSelectSlots) {
  QDialog other(window.get());
  PressKey(&other, Qt::Key_F6);
  EXPECT_EQ(window->Engine().CurrentSlot(), 0);
}

TEST_F(WindowFixture, ClicksOnTabsSelectAndSetControllerMode) {
  const TabStrip tabs = window->Tabs();
  auto press = [&](QWidget* target, QPoint at, QEvent::Type type) {
    QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  };
  const QRect tab4 = tabs.TabRect(4);
  press(window.get(), tab4.center(), QEvent::MouseButtonPress);
  EXPECT_EQ(window->Engine().CurrentSlot(), 4);
  EXPECT_TRUE(window->Engine().ControllerMode());
  press(window.get(), tab4.center(), QEvent::MouseButtonRelease);
  EXPECT_FALSE(window->Engine().ControllerMode());

  // The overlap column of tabs 2 and 3 ends with tab 3.
  press(window.get(), QPoint(tabs.TabRect(3).left(), tab4.center().y()), QEvent::MouseButtonPress);
  EXPECT_EQ(window->Engine().CurrentSlot(), 3);

  // A press on the tablet area only sets controller mode.
  press(window->Control(kTabletArea), QPoint(10, 10), QEvent::MouseButtonPress);
  EXPECT_EQ(window->Engine().CurrentSlot(), 3);
  EXPECT_TRUE(window->Engine().ControllerMode());
}

TEST_F(WindowFixture, KeyboardChoosesNoteLimits) {
  struct LimitCase {
    NoteLimit which;
    std::optional<uint8_t> key;
    const char* minName;
    const char* maxName;
  };
  // Each case starts from the default range C3..C5.
  const LimitCase cases[] = {{NoteLimit::Lower, 90, "C5", "F#5"},
                             {NoteLimit::Upper, 40, "E1", "C3"},
                             {NoteLimit::Upper, 60, "C3", "C3"},
                             {NoteLimit::Lower, std::nullopt, "C3", "C5"}};
  for (const LimitCase& c : cases) {
    window->Engine().OnReset();
    window->SetKeyChooser([&c] { return c.key; });
    window->SelectNoteLimit(c.which);
    EXPECT_EQ(Field(kMinNoteName)->text(), c.minName);
    EXPECT_EQ(Field(kMaxNoteName)->text(), c.maxName);
  }
  // The buttons themselves open the keyboard.
  window->SetKeyChooser([] { return std::optional<uint8_t>(72); });
  Button(kMaxKey)->click();
  EXPECT_EQ(Field(kMaxNoteName)->text(), "C4");
}

TEST_F(WindowFixture, PacketsUpdateTheStatusLabelsOnTheNextPaint) {
  TabletPacket packet;
  packet.cursor = 1;
  packet.x = 960;
  packet.y = 540;
  packet.normalPressure = 800;
  packet.azimuth = 900;
  packet.altitude = 450;
  tablet.Deliver(packet);
  EXPECT_EQ(Label(1017)->text(), "1");
  EXPECT_EQ(Label(1006)->text(), "Tool 1");
  EXPECT_EQ(Label(kPressure)->text(), "---");  // written by the paint
  window->Control(kTabletArea)->grab();
  EXPECT_EQ(Label(kPressure)->text(), "800");
  EXPECT_EQ(Label(kPenX)->text(), "960");
  EXPECT_EQ(Label(kPenY)->text(), "540");
  EXPECT_EQ(Label(kTilt)->text(), QString("45") + QChar(0x00B0));
  EXPECT_EQ(Label(kAngle)->text(), QString("90") + QChar(0x00B0));
  const DisplayRequests& pending = window->Engine().PendingDisplays();
  EXPECT_FALSE(pending.position || pending.pressure || pending.orientation);
}

TEST_F(WindowFixture, ResetAsksAndCopyPasteCarrySettings) {
  Choose(kScale, 12);
  Button(kCopy)->click();
  PressKey(window.get(), Qt::Key_F7);
  Button(kPaste)->click();
  EXPECT_EQ(List(kScale)->currentIndex(), 12);
  messages.answer = false;
  Button(kReset)->click();
  EXPECT_EQ(messages.shown.back().second, MessageIcon::Question);
  EXPECT_EQ(List(kScale)->currentIndex(), 12);
  messages.answer = true;
  Button(kReset)->click();
  EXPECT_EQ(List(kScale)->currentIndex(), 137);
  EXPECT_EQ(window->Engine().CurrentSlot(), 6);
}

TEST_F(WindowFixture, PictureAndConfigurationFilesGoThroughTheFileDialogs) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(QColor(200, 10, 10));
  const QString picture = dir.filePath("red.bmp");
  ASSERT_TRUE(image.save(picture));
  const QString broken = dir.filePath("broken.jpg");
  QFile(broken).open(QIODevice::WriteOnly);
  const QString configs = dir.filePath("set.qcf");

  QString chosen;
  std::vector<FileDialogKind> asked;
  window->SetFileChooser([&](FileDialogKind kind, const QString&) {
    asked.push_back(kind);
    return chosen;
  });
  chosen = picture;
  Button(kPictureButton)->click();
  EXPECT_EQ(Button(kPictureButton)->text(), picture);
  EXPECT_TRUE(window->Engine().HasPicture(0));

  chosen = broken;
  Button(kPictureButton)->click();
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_EQ(messages.shown.back().first, "Unable to load the picture!\n");
  EXPECT_EQ(Button(kPictureButton)->text(), picture);  // unchanged

  Button(kPictureClear)->click();
  EXPECT_EQ(Button(kPictureButton)->text(), "---");
  EXPECT_FALSE(window->Engine().HasPicture(0));

  chosen = configs;
  Choose(kScale, 42);
  Button(kSave)->click();
  Choose(kScale, 7);
  chosen.clear();  // cancelled: nothing happens
  Button(kLoad)->click();
  EXPECT_EQ(List(kScale)->currentIndex(), 7);
  chosen = configs;
  Button(kLoad)->click();
  EXPECT_EQ(List(kScale)->currentIndex(), 42);
  EXPECT_EQ(asked, (std::vector<FileDialogKind>{FileDialogKind::Picture, FileDialogKind::Picture,
                                                FileDialogKind::SaveConfigurations,
                                                FileDialogKind::LoadConfigurations,
                                                FileDialogKind::LoadConfigurations}));
}

TEST_F(WindowFixture, ActivationFollowsTheContextAndClosingSendsNothing) {
  QEvent activation(QEvent::ActivationChange);
  QApplication::sendEvent(window.get(), &activation);
  ASSERT_FALSE(tablet.enableCalls.empty());
  EXPECT_FALSE(tablet.enableCalls.back());  // not the active window
  EXPECT_EQ(tablet.overlapCalls, 1);
  const size_t sent = midi.sent.size();
  window->done(0);
  window.reset();
  EXPECT_EQ(tablet.closeCalls, 1);
  EXPECT_EQ(midi.sent.size(), sent);
}

TEST(WindowStartup, TabletContextFailureLeavesAUsableWindow) {
  FakeMidiOut midi(1);
  ScriptedTablet tablet;
  tablet.opens = false;
  RecordingMessages messages;
  {
    CTabletMidiDlg window(midi, tablet, OrientationScaling{}, FileLocations{}, &messages);
    EXPECT_FALSE(window.OnInitDialog());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "Could not open tablet context!");
    EXPECT_EQ(messages.shown[0].second, MessageIcon::Error);
    EXPECT_FALSE(window.Initialized());
    EXPECT_EQ(qobject_cast<QLabel*>(window.Control(1004))->text(), "---");
    // Editing still works.
    auto* scale = qobject_cast<QComboBox*>(window.Control(kScale));
    scale->setCurrentIndex(3);
    emit scale->activated(3);
    EXPECT_EQ(window.Engine().CurrentConfiguration().scale, 3);
    window.done(0);
  }
  EXPECT_EQ(tablet.closeCalls, 0);
}

TEST(WindowStartup, NoMidiDeviceLeavesThePortBoxEmpty) {
  FakeMidiOut midi(0);
  ScriptedTablet tablet;
  RecordingMessages messages;
  CTabletMidiDlg window(midi, tablet, OrientationScaling{}, FileLocations{}, &messages);
  EXPECT_TRUE(window.OnInitDialog());
  EXPECT_EQ(qobject_cast<QComboBox*>(window.Control(kPort))->count(), 0);
  EXPECT_EQ(qobject_cast<QComboBox*>(window.Control(kPort))->currentIndex(), -1);
  EXPECT_FALSE(messages.shown.empty());  // the port could not be opened
  window.done(0);
  EXPECT_EQ(tablet.closeCalls, 1);
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/support/WindowFakes.h"
#include "ui/controls/CSectionHeader.h"
#include "ui/window/BackgroundFileLoader.h"
#include "ui/window/BackgroundFileSaver.h"
#include "ui/window/BackgroundPictureDecoder.h"
#include "ui/window/CTabletMidiDlg.h"
#include "ui/window/ControlIds.h"
#include "ui/window/WindowLayout.h"

namespace {

using namespace ControlIds;

/// A main window over fakes, initialised as at start-up.
class WindowTest : public ::testing::Test, protected WindowOverFakes {
 protected:
  WindowTest() { tablet.modelName = "Wacom Test Model"; }
  void SetUp() override { ASSERT_TRUE(window->OnInitDialog()); }
  QComboBox* List(int id) const { return qobject_cast<QComboBox*>(window->Control(id)); }
  QLabel* Label(int id) const { return qobject_cast<QLabel*>(window->Control(id)); }
  QLineEdit* Field(int id) const { return qobject_cast<QLineEdit*>(window->Control(id)); }
  QAbstractButton* Button(int id) const { return qobject_cast<QAbstractButton*>(window->Control(id)); }
  int Slot() const { return window->Engine().CurrentSlot(); }
  /// The user picks entry `index` of a list.
  void Choose(int id, int index) {
    List(id)->setCurrentIndex(index);
    emit List(id)->activated(index);
  }
  static void PressKey(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, bool repeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, mods, QString(), repeat);
    QApplication::sendEvent(target, &press);
  }
};

TEST_F(WindowTest, ShowsConfigurationOneAfterStart) {
  const std::pair<int, const char*> texts[] = {{kPort, "Device 0"},
                                               {kPatch, "108 Koto"},
                                               {kScale, "Japanese A"},
                                               {kKey, "F#"},
                                               {kMinNoteName, "C3"},
                                               {kMaxNoteName, "C5"},
                                               {kControllerBoxes[0], "------ None ------"},
                                               {kMaximumFields[0], "127"},
                                               {kValueLabels[0], "---"},
                                               {1077, "Red"},
                                               {kPictureButton, "---"},
                                               {kDeviceName, "Wacom Test Model"},  // not the kernel's name
                                               {kGlide, "Off"},
                                               {kBendRange, "48"}};
  for (const auto& [id, text] : texts) {
    const QString shown = List(id)    ? List(id)->currentText()
                          : Field(id) ? Field(id)->text()
                          : Label(id) ? Label(id)->text()
                                      : Button(id)->text();
    EXPECT_TRUE(shown.startsWith(text)) << id << ": " << shown.toStdString();
  }
  EXPECT_EQ(List(kScale)->count(), 270);
  EXPECT_EQ(List(kControllerBoxes[7])->count(), 131);  // "None", then "Pitch bend" and "Channel pressure"
  EXPECT_EQ(dynamic_cast<CSectionHeader*>(window->Control(1074))->Caption(), "N o t e   G e n e r a t i o n");
  EXPECT_EQ(window->windowTitle(), "Quill v1.3");
  EXPECT_EQ(window->size(), QSize(903, 722));
  EXPECT_EQ(window->Control(kTabletArea)->size(), QSize(546, 541));  // the template's, grown with the glide row
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(midi.packed, std::vector<uint32_t>{0x6BC0u});  // programme 108 on channel 1
}

TEST_F(WindowTest, TabOrderIsTheCreationOrderOfTheTabStops) {
  std::vector<int> expected, chain;
  for (const ControlSpec& entry : MainWindowLayout()) {
    if (entry.kind >= ControlKind::List && entry.kind <= ControlKind::CurveButton && entry.kind != ControlKind::Radio) {
      expected.push_back(entry.id);
    }
  }
  QWidget* const first = window->Control(expected.front());
  QWidget* w = first;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && w->parentWidget() == window.get())
      chain.push_back(w->objectName().toInt());
    w = w->nextInFocusChain();
  } while (w != first && chain.size() < 200);
  EXPECT_EQ(chain, expected);
}

TEST_F(WindowTest, PortBoxFollowsTheSystemAndKeepsTheChoiceByName) {
  Choose(kPort, 1);  // "Device 1"
  midi.packed.clear();
  midi.Announce({"Late device", "Device 0", "Device 1"});
  EXPECT_EQ(List(kPort)->count(), 2) << "the report comes from another thread: the box waits for this one";
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(List(kPort)->count(), 3);
  EXPECT_EQ(List(kPort)->itemText(0), "Late device");
  EXPECT_EQ(List(kPort)->currentText(), "Device 1");
  EXPECT_EQ(window->Engine().CurrentConfiguration().midiOutPort, 2);
  EXPECT_TRUE(midi.packed.empty()) << "the port in use stays as it is";

  // Opening the box reads the list again, reported or not; a new choice there
  // sends the programme change to the newly chosen port.
  midi.Announce({"Device 1", "Late device"}, false);
  List(kPort)->showPopup();
  List(kPort)->hidePopup();
  EXPECT_EQ(List(kPort)->count(), 2);
  EXPECT_EQ(List(kPort)->currentText(), "Device 1");
  Choose(kPort, 1);
  EXPECT_EQ(midi.packed, std::vector<uint32_t>{0x6BC0});
}

TEST_F(WindowTest, APresetWhoseDestinationIsAbsentShowsItAndWaitsForIt) {
  midi.followsNames = true;
  Choose(kPort, 1);  // "Device 1"
  PressKey(List(kScale), Qt::Key_F2);
  Choose(kPort, 0);
  // The synthesiser of slot 1 quits: its name stays chosen, marked absent,
  // and no other entry stands in for it.
  midi.Announce({"Device 0", "Stand-in"});
  QCoreApplication::sendPostedEvents();
  PressKey(List(kScale), Qt::Key_F1);
  ASSERT_EQ(List(kPort)->count(), 3);
  EXPECT_EQ(List(kPort)->currentText(), "Device 1 (absent)");
  EXPECT_EQ(midi.openName, "Device 1");
  Choose(kPort, 2);  // choosing the absent entry changes nothing
  EXPECT_EQ(midi.openName, "Device 1");
  PressKey(List(kScale), Qt::Key_F2);
  EXPECT_EQ(List(kPort)->count(), 2);
  EXPECT_EQ(List(kPort)->currentText(), "Device 0");
  // It comes back: listed, chosen, nothing absent.
  PressKey(List(kScale), Qt::Key_F1);
  midi.Announce({"Device 0", "Stand-in", "Device 1"});
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(List(kPort)->count(), 3);
  EXPECT_EQ(List(kPort)->currentText(), "Device 1");
}

TEST_F(WindowTest, SwitchingSlotsRefreshesThePanel) {
  Choose(kScale, 269);
  Choose(kControllerBoxes[0], 7);
  Choose(kControllerBoxes[3], 130);
  Button(kPlayNotes)->click();
  Button(kHsv)->click();
  Field(kMinimumFields[2])->setText("42");
  PressKey(List(kScale), Qt::Key_F2);
  EXPECT_EQ(List(kScale)->currentIndex(), 137);
  EXPECT_EQ(List(kControllerBoxes[0])->currentIndex(), 128);
  EXPECT_TRUE(List(kScale)->isEnabled());
  EXPECT_TRUE(Button(kRgb)->isChecked());
  EXPECT_EQ(Field(kMinimumFields[2])->text(), "0");
  PressKey(List(kScale), Qt::Key_F1);
  EXPECT_EQ(List(kScale)->currentIndex(), 269);
  EXPECT_EQ(List(kControllerBoxes[0])->currentIndex(), 7);
  EXPECT_EQ(List(kControllerBoxes[3])->currentText(), "Channel pressure");
  EXPECT_EQ(window->Engine().CurrentConfiguration().cc[3], 130);
  EXPECT_FALSE(List(kScale)->isEnabled());
  EXPECT_EQ(Label(1077)->text(), "Color");
  EXPECT_EQ(window->Engine().CurrentConfiguration().min[2], 42);
  // Paste into slot 7 and a reset there refresh the panel too; a reset answered No does nothing.
  Button(kCopy)->click();
  PressKey(window.get(), Qt::Key_F7);
  Button(kPaste)->click();
  EXPECT_EQ(List(kScale)->currentIndex(), 269);
  for (bool yes : {false, true}) {
    messages.answer = yes;
    Button(kReset)->click();
    EXPECT_EQ(List(kScale)->currentIndex(), yes ? 137 : 269);
  }
}

// The glide row sets the preset and tells the synthesiser at once; with MPE
// the channel box has nothing to say and is greyed; each slot shows its own.
TEST_F(WindowTest, GlideRowSetsThePresetAndMpeGreysTheChannelBox) {
  Choose(kGlide, 2);
  Field(kBendRange)->setText("24");
  EXPECT_EQ(midi.TakeSent().back(), "B0 64 7F") << "the bend range, closed";
  Button(kMpe)->click();
  EXPECT_EQ(midi.TakeSent().at(16 + 2), "B0 06 0F") << "the patch on every channel, then fifteen member channels";
  EXPECT_FALSE(List(kChannel)->isEnabled());
  const Configuration& first = window->Engine().CurrentConfiguration();
  EXPECT_EQ(std::make_tuple(int{first.glide}, int{first.bendRange}, int{first.mpe}), std::make_tuple(2, 24, 1));

  PressKey(window.get(), Qt::Key_F2);
  EXPECT_TRUE(List(kChannel)->isEnabled());
  EXPECT_EQ(List(kGlide)->currentText(), "Off");
  EXPECT_EQ(Field(kBendRange)->text(), "48");
  EXPECT_FALSE(Button(kMpe)->isChecked());
  EXPECT_EQ(midi.TakeSent().at(3), "B0 06 00") << "after the programme change: no member channels any more";
  PressKey(window.get(), Qt::Key_F1);
  EXPECT_FALSE(List(kChannel)->isEnabled());
  EXPECT_EQ(List(kGlide)->currentText(), "Glide");
  EXPECT_EQ(Field(kBendRange)->text(), "24");
  EXPECT_TRUE(Button(kMpe)->isChecked());
  // Without notes there is nothing to glide; the channels still count.
  Button(kPlayNotes)->click();
  EXPECT_FALSE(List(kGlide)->isEnabled());
  EXPECT_TRUE(Field(kBendRange)->isEnabled() && Button(kMpe)->isEnabled());
}

TEST_F(WindowTest, FunctionKeysSelectSlotsOnlyInTheMainWindow) {
  window->show();
  const std::tuple<int, Qt::KeyboardModifiers, int> cases[] = {{Qt::Key_F5, Qt::NoModifier, 4},
                                                               {Qt::Key_F4, Qt::AltModifier, 3},
                                                               {Qt::Key_F12, Qt::NoModifier, 11},
                                                               {Qt::Key_F1, Qt::ShiftModifier, 0}};
  for (const auto& [key, mods, slot] : cases) {
    PressKey(List(kPatch), key, mods);
    EXPECT_EQ(Slot(), slot) << key;
    EXPECT_EQ(List(kPatch)->currentIndex(), 107);  // the key did not reach the box
  }
  midi.packed.clear();  // auto-repeat selects again, sending the programme again
  PressKey(Field(kMinimumFields[0]), Qt::Key_F3);
  PressKey(Field(kMinimumFields[0]), Qt::Key_F3, Qt::NoModifier, true);
  EXPECT_EQ(midi.packed.size(), 2u);
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    PressKey(Button(kCopy), key);
    PressKey(window.get(), key);
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible()) << key;
  }
  window->hide();
  QDialog other(window.get());
  PressKey(&other, Qt::Key_F6);
  EXPECT_EQ(Slot(), 2);
}

TEST_F(WindowTest, ClicksOnTabsSelectAndSetControllerMode) {
  auto mouse = [](QWidget* target, QPoint at, QEvent::Type type) {
    QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  };
  const QPoint tab4 = window->Tabs().TabRect(4).center();
  mouse(window.get(), tab4, QEvent::MouseButtonPress);
  EXPECT_EQ(Slot(), 4);
  EXPECT_TRUE(window->Engine().ControllerMode());
  mouse(window.get(), tab4, QEvent::MouseButtonRelease);
  EXPECT_FALSE(window->Engine().ControllerMode());
  mouse(window->Control(kTabletArea), QPoint(10, 10), QEvent::MouseButtonPress);  // only controller mode
  EXPECT_EQ(Slot(), 4);
  EXPECT_TRUE(window->Engine().ControllerMode());
}

TEST_F(WindowTest, PacketsUpdateTheStatusLabelsOnTheNextPaint) {
  tablet.Deliver({.cursor = 1, .x = 960, .normalPressure = 800, .azimuth = 900, .altitude = 450});
  EXPECT_EQ(Label(1006)->text(), "Tool 1");
  EXPECT_EQ(Label(kPressure)->text(), "---");  // written by the paint
  window->Control(kTabletArea)->grab();
  EXPECT_EQ(Label(kPressure)->text(), "800");
  EXPECT_EQ(Label(kPenX)->text(), "960");
  EXPECT_EQ(Label(kTilt)->text(), QString("45") + QChar(0x00B0));
  EXPECT_EQ(Label(kAngle)->text(), QString("90") + QChar(0x00B0));
}

TEST_F(WindowTest, FileButtonsGoThroughTheirDialogs) {
  // File contents and failure messages are tested in the engine and the replay scripts.
  QTemporaryDir dir;
  QString chosen = dir.filePath("red.bmp");
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(chosen));
  window->SetFileChooser([&](FileDialogKind, const QString&) { return chosen; });
  Button(kPictureButton)->click();
  // The picture is decoded on a worker thread: the click returns at once and
  // the path shows when the picture has arrived.
  EXPECT_EQ(Button(kPictureButton)->text(), "---");
  EXPECT_TRUE(ProcessEventsUntil([&] { return Button(kPictureButton)->text() == chosen; }));
  EXPECT_TRUE(window->Engine().HasPicture(0));
  Button(kPictureClear)->click();
  EXPECT_EQ(Button(kPictureButton)->text(), "---");
  chosen = dir.filePath("set.qcf");
  Choose(kScale, 42);
  Button(kSave)->click();
  Choose(kScale, 7);
  const QString saved = std::exchange(chosen, QString());  // cancelled: nothing happens
  Button(kLoad)->click();
  EXPECT_EQ(List(kScale)->currentIndex(), 7);
  chosen = saved;
  Button(kLoad)->click();
  // Read on the file thread: the presets change when the bytes arrive.
  EXPECT_EQ(List(kScale)->currentIndex(), 7);
  EXPECT_TRUE(ProcessEventsUntil([&] { return List(kScale)->currentIndex() == 42; }));
}

TEST_F(WindowTest, EscapeStopsTheChordThenSilencesEveryChannelAndKeepsTheWindow) {
  window->show();
  tablet.Deliver({.cursor = 2, .x = 960, .y = 500});
  tablet.Deliver({.cursor = 2, .buttons = 1, .x = 960, .y = 510, .normalPressure = 400});
  // The programme change, the three note-ons of the major chord on channel 1, pan.
  ASSERT_EQ(midi.packed.size(), 5u);
  std::vector<uint32_t> panic;
  for (size_t i = 1; i <= 3; ++i) {
    ASSERT_EQ(midi.packed[i] & 0xFF, 0x90u);
    panic.push_back((midi.packed[i] & 0xFF00) | 0x80);  // the chord's note-offs, in the order it started
  }
  for (uint32_t channel = 0; channel < 16; ++channel) {
    panic.push_back(0x7BB0 | channel);  // All Notes Off
    panic.push_back(0x78B0 | channel);  // All Sound Off
  }
  midi.packed.clear();
  PressKey(Button(kCopy), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(midi.packed, panic);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WindowTest, ActivationFollowsTheContextAndClosingSendsNothing) {
  QEvent activation(QEvent::ActivationChange);
  QApplication::sendEvent(window.get(), &activation);
  EXPECT_FALSE(tablet.enabled);  // not the active window
  EXPECT_EQ(tablet.overlapCalls, 1);
  const size_t sent = midi.packed.size();
  window->done(0);
  window.reset();
  EXPECT_EQ(tablet.closeCalls, 1);
  EXPECT_EQ(midi.packed.size(), sent);
}

TEST(WindowStartup, NoTabletContextOrNoMidiDeviceLeavesAUsableWindow) {
  for (bool tabletOpens : {false, true}) {
    RecordingMidi midi(tabletOpens ? 0 : 1);
    ScriptedTablet tablet;
    tablet.opens = tabletOpens;
    RecordingMessages messages;
    CopyBuffer copyBuffer;
    {
      CTabletMidiDlg window(midi, tablet, OrientationScaling{}, FileLocations{}, copyBuffer, &messages);
      testing::internal::CaptureStderr();
      EXPECT_EQ(window.OnInitDialog(), tabletOpens);
      testing::internal::GetCapturedStderr();
      // Either failure is told: the tablet's in a box, MIDI's in the trouble line.
      if (!tabletOpens) {
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown[0], std::make_pair(std::string("Could not open tablet context!"), MessageIcon::Error));
      } else {
        EXPECT_EQ(qobject_cast<QLabel*>(window.Control(kTroubleLine))->text(),
                  "Unable to open the selected MIDI Out device!");
      }
      EXPECT_EQ(qobject_cast<QComboBox*>(window.Control(kPort))->count(), tabletOpens ? 0 : 1);
      auto* scale = qobject_cast<QComboBox*>(window.Control(kScale));
      scale->setCurrentIndex(3);
      emit scale->activated(3);  // editing still works
      EXPECT_EQ(window.Engine().CurrentConfiguration().scale, 3);
      window.done(0);
    }
    EXPECT_EQ(tablet.closeCalls, tabletOpens ? 1 : 0);
  }
}

TEST(BackgroundPictureDecoder, AnswersOnTheAskingThreadAndNeverOnceItIsGone) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("red.bmp").toStdString();
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString(path)));
  std::vector<bool> answers;
  std::vector<std::thread::id> threads;
  auto record = [&](std::optional<Picture> decoded) {
    answers.push_back(decoded.has_value() && decoded->Width() == 40);
    threads.push_back(std::this_thread::get_id());
  };
  const auto budget = PictureBudget::Create();
  {
    BackgroundPictureDecoder decoder;
    decoder.Decode(path, budget, record);
    decoder.Decode(dir.filePath("absent.bmp").toStdString(), budget, record);
    EXPECT_TRUE(answers.empty()) << "answers wait for the event loop";
    EXPECT_TRUE(ProcessEventsUntil([&] { return answers.size() == 2; }));
    decoder.Decode(path, budget, record);
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(answers, (std::vector<bool>{true, false}));
  EXPECT_EQ(threads, std::vector<std::thread::id>(2, std::this_thread::get_id()));
  EXPECT_EQ(budget->Used(), 0u) << "a picture whose answer was dropped gives its share back";
}

// The file thread saves and loads in the order asked (a load reads what the
// saves before it wrote), answers on the asking thread, and finishes every
// save before it goes.
TEST(FileThread, SavesAndLoadsInTheOrderAskedAndAnswersOnTheAskingThread) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("set.qcf").toStdString();
  auto read = [&file] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  std::vector<std::string> answers;
  std::vector<std::thread::id> threads;
  auto saved = [&](bool written) {
    answers.push_back(written ? "saved" : "not saved");
    threads.push_back(std::this_thread::get_id());
  };
  auto loaded = [&](FileContents contents) {
    using Outcome = FileContents::Outcome;
    answers.push_back(contents.outcome == Outcome::Read       ? contents.bytes
                      : contents.outcome == Outcome::TooLarge ? "too large"
                                                              : "unreadable");
    threads.push_back(std::this_thread::get_id());
  };
  {
    BackgroundWorker fileThread(BackgroundWorker::WaitingJobsAtEnd::Finish);
    BackgroundFileSaver saver(fileThread);
    BackgroundFileLoader loader(fileThread);
    saver.Save(file, "one", saved);
    loader.Load(file, 100, loaded);
    saver.Save(dir.filePath("no folder/set.qcf").toStdString(), "two", saved);
    saver.Save(file, "three", saved);
    loader.Load(file, 4, loaded);
    loader.Load(dir.path().toStdString(), 100, loaded);
    EXPECT_TRUE(answers.empty()) << "answers wait for the event loop";
    EXPECT_TRUE(ProcessEventsUntil([&] { return answers.size() == 6; }));
    // Closing right after saving loses nothing.
    for (const char* bytes : {"four", "five"}) saver.Save(file, bytes, saved);
  }
  EXPECT_EQ(read(), "five");
  QCoreApplication::processEvents();
  EXPECT_EQ(answers, (std::vector<std::string>{"saved", "one", "not saved", "saved", "too large", "unreadable"}));
  EXPECT_EQ(threads, std::vector<std::thread::id>(6, std::this_thread::get_id()));
}

}  // namespace

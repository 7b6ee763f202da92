// SPDX-License-Identifier: MIT
// The window as a playing surface: the note guide, the window growing and the
// tablet area filling the screen, the activity light, the trouble line; and
// what keeps the player's work: the title, the save dialog's folder and the
// presets kept between runs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <string>

#include "config/ConfigFileWriter.h"
#include "tablet/layers/MouseTabletService.h"
#include "tests/support/WindowFakes.h"
#include "ui/ProgramInfo.h"
#include "ui/controls/ActivityLight.h"
#include "ui/controls/TroubleLine.h"
#include "ui/window/ControlIds.h"
#include "ui/window/NoteGuide.h"
#include "ui/window/QtMessageSink.h"
#include "ui/window/WindowLayout.h"

namespace {

using namespace ControlIds;

class PlayingSurfaceTest : public ::testing::Test, protected WindowOverFakes {
 protected:
  void SetUp() override { ASSERT_TRUE(window->OnInitDialog()); }
  QComboBox* List(int id) const { return qobject_cast<QComboBox*>(window->Control(id)); }
  QAbstractButton* Button(int id) const { return qobject_cast<QAbstractButton*>(window->Control(id)); }
  void Choose(int id, int index) {
    List(id)->setCurrentIndex(index);
    emit List(id)->activated(index);
  }
  /// The keys as the platform delivers them to the active window, through
  /// its shortcuts.
  static void PressKey(QWidget* target, const char* keys) {
    target->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(target->window()));
    const QKeyCombination combination = QKeySequence(QLatin1String(keys))[0];
    QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
  }
  /// Presets written as a file would hold them, with slot 1's scale.
  void WritePresets(const QString& path, int scale) const {
    std::array<Configuration, kSlotCount> configs;
    configs.fill(DefaultConfiguration());
    configs[0].scale = static_cast<uint16_t>(scale);
    std::ofstream(path.toStdString(), std::ios::binary) << FormatConfigFile(configs);
  }
  QTemporaryDir temp;
};

// The band under a point, and every pixel of a band, as the note step counts
// them: band 0 at the bottom (or left) edge, the last one at the other.
TEST(NoteGuide, BandsCoverTheAreaInTheOrderTheNotesPlay) {
  const QSize size(546, 497);
  for (const bool horizontal : {false, true}) {
    for (const int count : {1, 10, 11, 128}) {
      SCOPED_TRACE(testing::Message() << count << (horizontal ? " across" : " upwards"));
      int covered = 0;
      for (int band = 0; band < count; ++band) {
        const QRect r = NoteGuide::BandRect(band, size, count, horizontal);
        covered += horizontal ? r.width() : r.height();
        for (const QPoint corner : {r.topLeft(), r.bottomRight()}) {
          EXPECT_EQ(NoteGuide::BandAt(corner, size, count, horizontal), band);
        }
      }
      EXPECT_EQ(covered, horizontal ? size.width() : size.height());
      EXPECT_EQ(NoteGuide::BandAt(QPoint(0, size.height() - 1), size, count, horizontal), 0);
      EXPECT_EQ(NoteGuide::BandAt(QPoint(size.width() - 1, 0), size, count, horizontal), count - 1);
    }
  }
  EXPECT_EQ(NoteGuide::BandAt(QPoint(10, 10), size, 0, false), std::nullopt);
  EXPECT_EQ(NoteGuide::BandAt(QPoint(-1, 10), size, 5, false), std::nullopt);
  EXPECT_EQ(NoteGuide::BandAt(QPoint(10, 497), size, 5, false), std::nullopt);
}

// The guide follows the preset's notes and direction, the pen and the note
// that sounds; the left button without a controller says why it is silent.
TEST_F(PlayingSurfaceTest, TheGuideShowsThePresetsBandsThePenAndTheSoundingNote) {
  window->show();
  const auto notes = [](const NoteGuideView& v) { return std::vector<uint8_t>(v.notes.begin(), v.notes.end()); };
  NoteGuideView view = window->GuideView();
  EXPECT_EQ(notes(view), (std::vector<uint8_t>{61, 62, 66, 67, 71, 73, 74, 78, 79, 83}));
  EXPECT_FALSE(view.horizontal || view.penBand || view.soundingBand);
  // Hovering over the lowest band, at the middle of the screen's width.
  const QSize screen(window->CurrentGeometry().screenWidth, window->CurrentGeometry().screenHeight);
  const TabletPacket hover{.cursor = 1, .x = screen.width() / 2, .y = screen.height() - 1};
  tablet.Deliver(hover);
  view = window->GuideView();
  EXPECT_EQ(view.penBand, 0);
  EXPECT_EQ(view.soundingBand, std::nullopt);
  TabletPacket touch = hover;
  touch.buttons = 1;
  touch.normalPressure = 300;
  tablet.Deliver(touch);
  EXPECT_EQ(window->GuideView().soundingBand, 0) << "a touch plays at once";
  tablet.Deliver(hover);
  EXPECT_EQ(window->GuideView().soundingBand, std::nullopt);
  Choose(kNoteDirection, 1);
  Choose(kScale, 0);
  view = window->GuideView();
  EXPECT_TRUE(view.horizontal);
  EXPECT_EQ(notes(view), window->Engine().Notes().NoteList().Notes());
  EXPECT_EQ(view.notes.size(), 17u);
  EXPECT_EQ(view.penBand, 8) << "the middle one of 17, left to right";
  EXPECT_TRUE(view.hint.isEmpty());
  window->Engine().SetControllerMode(true);
  const QString hint = window->GuideView().hint;
  EXPECT_FALSE(hint.isEmpty());
  QFont bold = window->TabletAreaWidget()->font();  // the guide writes in bold
  bold.setBold(true);
  EXPECT_LE(QFontMetrics(bold, window.get()).horizontalAdvance(hint),
            window->Controls().DefaultRect(kTabletArea).width())
      << "the hint fits the area at its smallest";
  Choose(kControllerBoxes[kInputY], 1);
  EXPECT_TRUE(window->GuideView().hint.isEmpty());
}

// The check box and the key switch the guide; the next window starts as the
// last one was left, whatever its presets.
TEST_F(PlayingSurfaceTest, TheGuideIsSwitchedByItsBoxOrKeyAndRemembered) {
  QSettings(QString::fromUtf8(ProgramInfo::kName), QString::fromUtf8(ProgramInfo::kName)).clear();
  const auto fresh = [this] {
    window =
        std::make_unique<CTabletMidiDlg>(midi, tablet, OrientationScaling{}, FileLocations{}, copyBuffer, &messages);
    window->OnInitDialog();
  };
  fresh();
  EXPECT_TRUE(window->NoteGuideShown()) << "on for a newcomer";
  Button(kNoteGuide)->click();
  EXPECT_FALSE(window->NoteGuideShown());
  fresh();
  EXPECT_FALSE(window->NoteGuideShown());
  EXPECT_FALSE(Button(kNoteGuide)->isChecked());
  window->show();
  PressKey(List(kScale), CTabletMidiDlg::kNoteGuideKey);
  EXPECT_TRUE(window->NoteGuideShown());
  EXPECT_TRUE(Button(kNoteGuide)->isChecked());
  fresh();
  EXPECT_TRUE(window->NoteGuideShown());
}

// Larger than its default, the window gives the room to the tablet area; the
// panels keep their layout beside and below it, and the tabs stay under it.
TEST_F(PlayingSurfaceTest, AGrowingWindowGrowsTheAreaAndKeepsThePanels) {
  window->show();
  const QSize standard = WindowClientSize();
  EXPECT_EQ(window->minimumSize(), standard);
  const QSize growth(300, 200);
  for (const QSize size : {standard + growth, standard}) {
    window->resize(size);
    QApplication::processEvents();
    ASSERT_EQ(window->size(), size);
    const QSize extra = size - standard;
    for (const ControlSpec& entry : MainWindowLayout()) {
      if (entry.id == 0) continue;
      const QRect first = window->Controls().DefaultRect(entry.id);
      const QRect now = window->Control(entry.id)->geometry();
      switch (AnchorOf(entry)) {
        case ControlAnchor::Grows: EXPECT_EQ(now, QRect(first.topLeft(), first.size() + extra)); break;
        case ControlAnchor::MovesRight: EXPECT_EQ(now, first.translated(extra.width(), 0)) << entry.id; break;
        case ControlAnchor::MovesDown: EXPECT_EQ(now, first.translated(0, extra.height())) << entry.id; break;
        case ControlAnchor::Stays: EXPECT_EQ(now, first) << entry.id; break;
      }
    }
    const QRect area = window->Control(kTabletArea)->geometry();
    EXPECT_EQ(window->Tabs().TabRect(0).top(), area.top() + area.height());
    EXPECT_EQ(window->Tabs().TabRect(0).height(), 22);
    EXPECT_EQ(window->CurrentGeometry().areaWidth, area.width());
  }
  EXPECT_EQ(AnchorOf({kPort, ControlKind::List, "", 386, 36, 136, 126}), ControlAnchor::MovesRight);
  EXPECT_EQ(AnchorOf({0, ControlKind::Push, "a new row", 16, 400, 40, 14}), ControlAnchor::MovesDown);
}

// The key (or the button) gives the whole window to the tablet area, keeping
// only the button back, the activity light and the trouble line; again, and
// everything is back where it was.
TEST_F(PlayingSurfaceTest, TheAreaFillsTheScreenAndComesBack) {
  window->show();
  PressKey(List(kScale), CTabletMidiDlg::kFullScreenKey);
  EXPECT_TRUE(window->AreaFullScreen());
  EXPECT_TRUE(window->windowState() & Qt::WindowFullScreen);
  EXPECT_TRUE(ProcessEventsUntil([&] { return window->Control(kTabletArea)->size() == window->size(); }));
  EXPECT_FALSE(window->Control(kScale)->isVisible());
  EXPECT_FALSE(window->Control(kPlayNotes)->isVisible());
  EXPECT_TRUE(window->Control(kFullScreen)->isVisible());
  EXPECT_TRUE(window->Control(kMidiActivity)->isVisible());
  EXPECT_TRUE(Button(kFullScreen)->isChecked());
  PressKey(window->Control(kTabletArea), CTabletMidiDlg::kFullScreenKey);
  EXPECT_FALSE(window->AreaFullScreen());
  EXPECT_TRUE(ProcessEventsUntil([&] { return window->size() == WindowClientSize(); }));
  EXPECT_TRUE(window->Control(kScale)->isVisible());
  EXPECT_EQ(window->Control(kTabletArea)->geometry(), window->Controls().DefaultRect(kTabletArea));
  EXPECT_EQ(window->Control(kFullScreen)->geometry(), window->Controls().DefaultRect(kFullScreen));
  Button(kFullScreen)->click();
  EXPECT_TRUE(window->AreaFullScreen());
  Button(kFullScreen)->click();
  EXPECT_FALSE(window->AreaFullScreen());
}

// With the mouse as the pen, a click of the right button plays the band under
// it at once and its release stops it: no movement is needed.
TEST(WindowWithTheMouse, AClickPlaysAtOnce) {
  RecordingMidi midi{1};
  MouseTabletService mouse;
  RecordingMessages messages;
  CopyBuffer copyBuffer;
  CTabletMidiDlg window(midi, mouse, OrientationScaling{}, FileLocations{}, copyBuffer, &messages);
  mouse.SetWindow(&window, window.TabletAreaWidget());
  ASSERT_TRUE(window.OnInitDialog());
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QWidget* area = window.TabletAreaWidget();
  const QPoint at(200, area->height() - 5);  // the lowest band
  auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(area->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(area, &event);
  };
  send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
  midi.TakeSent();
  send(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton);
  const std::vector<std::string> pressed = midi.TakeSent();
  ASSERT_FALSE(pressed.empty());
  EXPECT_EQ(pressed[0], "90 3D 40") << "the lowest band's note, with the mouse's pressure";
  send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton);
  const std::vector<std::string> released = midi.TakeSent();
  ASSERT_FALSE(released.empty());
  EXPECT_EQ(released[0], "80 3D 00");
  window.done(0);
}

TEST_F(PlayingSurfaceTest, TheLightBlinksWhenMessagesGoOut) {
  auto* light = static_cast<ActivityLight*>(window->Control(kMidiActivity));
  EXPECT_TRUE(ProcessEventsUntil([&] { return light->Lit(); })) << "the programme change at start";
  EXPECT_TRUE(ProcessEventsUntil([&] { return !light->Lit(); }));
  Choose(kPatch, 5);
  EXPECT_TRUE(ProcessEventsUntil([&] { return light->Lit(); }));
}

// MIDI trouble is one line per episode, in the window and on standard error,
// never a box; when it is over the line says so, then goes.
TEST(QtMessageSink, TroubleIsALinePerEpisodeAndNeverABox) {
  RecordingMessages boxes;
  TroubleLine line;
  QtMessageSink sink(nullptr, &boxes);
  sink.SetTroubleLine(&line);
  EXPECT_TRUE(line.isHidden());
  testing::internal::CaptureStderr();
  sink.ReportTrouble("MIDI error");
  sink.ReportTrouble("Unable to open the selected MIDI Out device!");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quill: MIDI error\n");
  EXPECT_FALSE(line.isHidden());
  EXPECT_EQ(line.text(), "MIDI error");
  testing::internal::CaptureStderr();
  sink.TroubleResolved();
  sink.TroubleResolved();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quill: MIDI works again.\n");
  EXPECT_EQ(line.text(), "MIDI works again.");
  testing::internal::CaptureStderr();
  sink.ReportTrouble("MIDI error");  // a new episode
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quill: MIDI error\n");
  EXPECT_EQ(line.text(), "MIDI error");
  EXPECT_TRUE(boxes.shown.empty());
  sink.ShowMessage("This is not a Quill configuration file !");  // boxes stay boxes
  EXPECT_EQ(boxes.shown.size(), 1u);
}

// The title names the file last loaded or saved, never the presets kept for
// the next run; a file that was not taken leaves it.
TEST_F(PlayingSurfaceTest, TheTitleNamesTheFileLastLoadedOrSaved) {
  const QString caption = QString::fromUtf8(ProgramInfo::Caption());
  WritePresets(temp.filePath("live set.qcf"), 42);
  WritePresets(temp.filePath("last-session.qcf"), 7);
  QFile(temp.filePath("not presets.qcf")).open(QIODevice::WriteOnly);
  const std::pair<std::function<void()>, QString> steps[] = {
      {[&] { window->RestoreLastSession(temp.filePath("last-session.qcf")); }, caption},
      {[&] { window->LoadConfigurationFile(temp.filePath("live set.qcf")); }, "live set.qcf \u2014 " + caption},
      {[&] { window->LoadConfigurationFile(temp.filePath("not presets.qcf")); }, "live set.qcf \u2014 " + caption},
      {[&] { window->Engine().SaveConfigurations(temp.filePath("encore.qcf").toStdString()); },
       "encore.qcf \u2014 " + caption}};
  for (const auto& [step, title] : steps) {
    step();
    EXPECT_TRUE(ProcessEventsUntil([&] { return window->windowTitle() == title; }))
        << window->windowTitle().toStdString();
  }
}

// Presets loaded from a folder that cannot be written (the installed
// examples) are offered for saving in the player's own folder.
TEST(WindowSaving, TheSaveDialogStartsWhereThePlayerCanWrite) {
  QTemporaryDir temp;
  QDir(temp.path()).mkdir("Configs");
  QDir(temp.path()).mkdir("examples");
  QFile::setPermissions(temp.filePath("examples"), QFile::ReadOwner | QFile::ExeOwner);
  // Root may write anywhere a mode allows nobody to: then a system folder stands in.
  QString examples = temp.filePath("examples");
  if (QFileInfo(examples).isWritable()) examples = QStringLiteral("/proc/sys/kernel");
  if (QFileInfo(examples).isWritable()) GTEST_SKIP() << "no folder here refuses writing";
  const QString example = examples + "/chord-pad.qcf";
  WindowOverFakes rig;
  rig.window = std::make_unique<CTabletMidiDlg>(rig.midi, rig.tablet, OrientationScaling{},
                                                FileLocations{temp.filePath("Configs").toStdString(), ""},
                                                rig.copyBuffer, &rig.messages);
  rig.window->OnInitDialog();
  QStringList starts;
  rig.window->SetFileChooser([&](FileDialogKind kind, const QString& folder) {
    if (kind == FileDialogKind::SaveConfigurations) starts << folder;
    return QString();
  });
  for (const QString& remembered : {temp.filePath("Configs"), temp.filePath("Configs/mine.qcf"), example}) {
    rig.window->Engine().SetFileLocations({remembered.toStdString(), ""});
    rig.window->OnSave();
  }
  EXPECT_EQ(starts, QStringList(3, temp.filePath("Configs")));
}

// The presets are written a moment after a change and at the end; the next
// window restores them, and the file dialogs and the title know nothing of it.
TEST_F(PlayingSurfaceTest, ThePresetsOfTheLastRunComeBack) {
  const QString kept = temp.filePath("last-session.qcf");
  window->KeepLastSession(kept);
  Choose(kScale, 42);
  EXPECT_FALSE(QFile::exists(kept)) << "a moment later, not at once";
  EXPECT_TRUE(ProcessEventsUntil([&] { return QFile::exists(kept); }));
  Choose(kScale, 43);
  window->done(0);  // written at the end, without waiting for the moment
  window.reset();

  CopyBuffer buffer;
  CTabletMidiDlg next(midi, tablet, OrientationScaling{}, FileLocations{"/start/Configs", ""}, buffer, &messages);
  next.OnInitDialog();
  next.RestoreLastSession(kept);  // read on the file thread, taken in when it arrives
  EXPECT_TRUE(ProcessEventsUntil([&] { return next.Engine().CurrentConfiguration().scale == 43; }));
  EXPECT_EQ(next.Engine().Locations().configsFolder, "/start/Configs");
  EXPECT_EQ(next.windowTitle(), QString::fromUtf8(ProgramInfo::Caption()));
  EXPECT_TRUE(messages.shown.empty());
  next.RestoreLastSession(temp.filePath("absent.qcf"));  // the first run: nothing, and nothing said
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
